#include "platform/qtprinter.h"

#include <QPainter>
#include <QPrintDialog>

#include <utility>

namespace platform {

namespace {
constexpr int kLinePointSize = 12;
}

QtPrinter::QtPrinter(QWidget* dialogParent)
    : m_dialogParent(dialogParent)
    , m_runDialog([this](QPrinter& printer) { return runSystemDialog(printer); })
{
}

QtPrinter::QtPrinter(DialogRunner runDialog)
    : m_runDialog(std::move(runDialog))
{
}

bool QtPrinter::runSystemDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, m_dialogParent);
    // One page per job: a page range or selection means nothing here.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

QPrinter& QtPrinter::device()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

std::optional<int> QtPrinter::choosePrinter()
{
    QPrinter& printer = device();
    if (!m_runDialog(printer))
        return std::nullopt;
    const int copies = printer.copyCount();
    // Each copy is sent as a job of its own, so the printer itself must not
    // multiply the pages as well.
    printer.setCopyCount(1);
    return copies;
}

bool QtPrinter::printPage(const QString& line)
{
    QPainter painter;
    QPrinter& printer = device();
    if (!painter.begin(&printer))
        return false;
    QFont font = painter.font();
    font.setPointSize(kLinePointSize);
    painter.setFont(font);
    // The first print position: the top left corner of the printable area.
    const QRect area(QPoint(0, 0), painter.viewport().size());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
    if (!painter.end())
        return false;
    return printer.printerState() != QPrinter::Error;
}

std::optional<bool> QtPrinter::printPainted(const PagePainter& paint)
{
    QPrinter& printer = device();
    if (!m_runDialog(printer))
        return std::nullopt;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paint(painter, QRect(QPoint(0, 0), painter.viewport().size()));
    if (!painter.end())
        return false;
    return printer.printerState() != QPrinter::Error;
}

}  // namespace platform
