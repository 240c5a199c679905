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
    bool printPage(const QString& line) override;
    std::optional<bool> printPainted(const PagePainter& paint) override;

    QPrinter& device();

private:
    bool runSystemDialog(QPrinter& printer);

    std::unique_ptr<QPrinter> m_printer;
    QPointer<QWidget> m_dialogParent;
    DialogRunner m_runDialog;
};

}  // namespace platform
