#pragma once

#include "history/historyplot.h"

#include <QSize>

#include <optional>

class QIODevice;

// The one-page run report: the session and its port, the plot of the range
// shown, the statistics between the two cursors and the events of the range.
// Painted onto any painter, so the PDF and the printed page are the same.
namespace history {

struct ReportContent {
    SessionInfo session;
    qint64 fromMs = 0;
    qint64 toMs = 0;
    PlotPicture picture;  // queried at reportPlotSize()
    QList<Event> events;
    std::optional<RangeStats> stats;  // between the cursors, when both are set
    QString journal;                  // the journal file it came from
    qint64 madeMs = 0;
};

// The page is laid out on 794 x 1123 units (A4 at 96 per inch) and scaled to
// the page given.
QSize reportPlotSize();
void paintReport(QPainter& painter, const QRect& page, const ReportContent& content);

// The report as a one-page A4 PDF.
bool writeReportPdf(const ReportContent& content, QIODevice& out);
// The plot alone: an A4 landscape PDF page (the picture queried at
// plotPdfSize(), under a title line), or a PNG picture `scale` times the
// size it is drawn at.
QSize plotPdfSize();
bool writePlotPdf(const PlotPicture& picture, const QSize& size, const QString& title, QIODevice& out);
bool writePlotPng(const PlotPicture& picture, const QSize& size, int scale, QIODevice& out);

// The statistics in words, one line: "最小 0.10 MPa  最大 …  体积 795.0 ml（估算…）".
QString statsText(const RangeStats& stats);
// The values in force at the two cursors and their difference (pressure,
// flow), one line; "—" where a cursor has no reading.
QString cursorValuesText(const std::optional<Reading>& at1, const std::optional<Reading>& at2);
// A pressure with two decimals and its unit, "—" for none.
QString mpaText(std::optional<double> v);

}  // namespace history
