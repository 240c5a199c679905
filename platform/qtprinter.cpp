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
    // The dialog offers the file name as the operator gave it, not the last
    // numbered one.
    if (!m_outputFile.isEmpty())
        printer.setOutputFileName(m_outputFile);
    if (!m_runDialog(printer))
        return std::nullopt;
    m_outputFile = printer.outputFileName();
    m_copies = printer.copyCount();
    m_printed = 0;
    // Each copy is sent as a job of its own, so the printer itself must not
    // multiply the pages as well.
    printer.setCopyCount(1);
    return m_copies;
}

QString QtPrinter::numberedFileName(const QString& fileName, qint64 copy)
{
    const qsizetype slash = qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name or sits in a folder's name is no extension.
    if (dot <= slash + 1)
        dot = fileName.size();
    return fileName.left(dot) + QLatin1Char('-') + QString::number(copy) + fileName.mid(dot);
}

bool QtPrinter::printPage(const QString& line)
{
    QPainter painter;
    QPrinter& printer = device();
    ++m_printed;
    if (!m_outputFile.isEmpty() && m_copies > 1)
        printer.setOutputFileName(numberedFileName(m_outputFile, m_printed));
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
    // As for the test page: the file the operator gave, not the last copy's
    // numbered one, which this page would overwrite.
    if (!m_outputFile.isEmpty())
        printer.setOutputFileName(m_outputFile);
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
