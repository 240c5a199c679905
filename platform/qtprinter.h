#pragma once

#include "platform/printer.h"

#include <QPointer>
#include <QPrinter>

#include <functional>
#include <memory>

class QWidget;

namespace platform {

// The printer dialog and the printer through Qt Print Support. One QPrinter
// lives as long as this object: the dialog configures it (so the pages go to
// the printer chosen there, and the next dialog starts from that choice) and
// every page is printed on it as a document of its own. It is made at the
// first print: making one loads the system's printing support, which would
// otherwise slow every start of the program.
class QtPrinter : public Printer {
public:
    // Shows a dialog for the printer and returns true when it was accepted.
    using DialogRunner = std::function<bool(QPrinter&)>;

    // Uses the system's printer dialog, modal to dialogParent.
    explicit QtPrinter(QWidget* dialogParent = nullptr);
    // Test seam: a dialog stand-in that sets up the printer (for example to
    // write PDF files) and says whether the operator accepted.
    explicit QtPrinter(DialogRunner runDialog);

    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }

    std::optional<int> choosePrinter() override;
    // When the dialog chose to print to a file and more than one copy, each
    // copy goes to a numbered file of its own beside the name chosen
    // (numberedFileName()); one copy keeps the name as it is.
    bool printPage(const QString& line) override;
    std::optional<bool> printPainted(const PagePainter& paint) override;

    QPrinter& device();

    // The file for one of several copies: "report.pdf" gives "report-1.pdf",
    // "report-2.pdf" ...; a name without an extension gets the number at its end.
    static QString numberedFileName(const QString& fileName, qint64 copy);

private:
    bool runSystemDialog(QPrinter& printer);

    std::unique_ptr<QPrinter> m_printer;
    QPointer<QWidget> m_dialogParent;
    DialogRunner m_runDialog;
    // The file the dialog chose (empty: a printer), the copies asked for, and
    // the pages printed since.
    QString m_outputFile;
    int m_copies = 0;
    qint64 m_printed = 0;
};

}  // namespace platform
