// bench-historywindow: the history window on a journal of many readings.
//
//   bench-historywindow [--file=PATH] [--readings=N] [--operations=N]
//
// When PATH does not exist yet, has bench-journal (beside this program) make
// it with N readings (10^7 by default), then measures, in this order:
//   open_ms        from opening the file to the first painted full-range plot
//                  (the session list, the event list, the plot's query and
//                  its paint)
//   redraw_p50_ms, redraw_p95_ms, redraw_max_ms
//                  one zoom (a wheel notch in or out) or pan (a drag of 120
//                  pixels) each, from the input event to the end of the
//                  repaint, including the journal query for the new range
//   query_p50_ms, query_p95_ms
//                  the journal's share: the same queries again, alone
//   paint_p50_ms, paint_p95_ms
//                  the window's share: a repaint of the same range
// Run it on the display to be measured (QT_QPA_PLATFORM=xcb DISPLAY=:N for
// an X server, offscreen without one).
#include "bench/measure.h"
#include "bench/paintwatch.h"
#include "history/historyplot.h"
#include "history/historysource.h"
#include "history/historywindow.h"
#include "platform/exportfiles.h"
#include "platform/printer.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Nothing is exported or printed in the benchmark.
class NoFiles : public platform::ExportFiles {
public:
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }
    bool writeFile(const QString&, const std::function<bool(QIODevice&)>&, QString*) override { return false; }
    QString chooseOpenFile(const QString&, const QString&) override { return {}; }
    bool readFile(const QString&, QByteArray*, QString*) override { return false; }
};
class NoPrinter : public platform::Printer {
public:
    std::optional<int> choosePrinter() override { return std::nullopt; }
    bool printPage(const QString&) override { return false; }
    std::optional<bool> printPainted(const PagePainter&) override { return std::nullopt; }
};

double percentile(QVector<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min<qsizetype>(values.size() - 1, qsizetype(std::ceil(p * values.size())) - 1)];
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    qint64 readings = 10'000'000;
    int operations = 300;
    QString path = QStringLiteral("build-bench/history-bench.sqlite3");
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.startsWith(QLatin1String("--readings=")))
            readings = arg.mid(11).toLongLong();
        else if (arg.startsWith(QLatin1String("--file=")))
            path = arg.mid(7);
        else if (arg.startsWith(QLatin1String("--operations=")))
            operations = arg.mid(13).toInt();
    }
    if (!QFileInfo::exists(path)) {
        const QString maker = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-journal");
        std::fprintf(stderr, "making %s with %lld readings ...\n", qPrintable(path), static_cast<long long>(readings));
        QProcess make;
        make.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        make.start(maker, {QStringLiteral("make"), QStringLiteral("--out=") + path,
                           QStringLiteral("--readings=%1").arg(readings)});
        if (!make.waitForFinished(-1) || make.exitCode() != 0) {
            std::fprintf(stderr, "%s could not make the journal\n", qPrintable(maker));
            return 1;
        }
    }
    bench::printFigure("journal_bytes", QFileInfo(path).size());

    NoFiles files;
    NoPrinter printer;
    const qint64 start = bench::monotonicNs();
    QString error;
    std::unique_ptr<history::HistorySource> source = history::openJournal(path, &error);
    if (!source) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    HistoryWindow window(files, printer);
    window.resize(1010, 700);
    qint64 firstPaint = 0;
    bench::PaintWatch watch(window.plot(), [&](qint64 ns) {
        if (firstPaint == 0)
            firstPaint = ns;
    });
    window.setSource(source.get(), std::nullopt, path);
    window.show();
    while (firstPaint == 0)
        app.processEvents(QEventLoop::WaitForMoreEvents);
    bench::printFigure("open_ms", (firstPaint - start) / 1e6);
    for (const auto& s : source->sessions())
        bench::printFigure("session_readings", s.readings);
    bench::printFigure("plot_columns", qint64(history::plotArea(window.plot()->size()).width()));

    HistoryPlot* plot = window.plot();
    const QRect area = history::plotArea(plot->size());
    QRandomGenerator random(7);
    QVector<double> times;
    QVector<double> queries;
    QVector<double> paints;
    for (int i = 0; i < operations; ++i) {
        const QPoint at(area.left() + int(random.bounded(area.width())), area.center().y());
        const int kind = i % 3;
        const qint64 t = bench::monotonicNs();
        if (kind == 2) {
            QMouseEvent press(QEvent::MouseButtonPress, at, plot->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(plot, &press);
            const QPoint to = at + QPoint(at.x() > area.center().x() ? -120 : 120, 0);
            QMouseEvent move(QEvent::MouseMove, to, plot->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(plot, &move);
            QMouseEvent release(QEvent::MouseButtonRelease, to, plot->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QCoreApplication::sendEvent(plot, &release);
        } else {
            // In more often than out, so the spans run from the whole day
            // down to seconds and back.
            const int notch = (kind == 0 || random.bounded(4) != 0) ? 120 : -360;
            QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(plot, &wheel);
        }
        plot->repaint();
        times << (bench::monotonicNs() - t) / 1e6;
        // The journal's share: the same queries again, alone.
        const qint64 q = bench::monotonicNs();
        history::queryPicture(*source, window.session(), plot->fromMs(), plot->toMs(), plot->size(), plot->events());
        queries << (bench::monotonicNs() - q) / 1e6;
        // The window's share: a repaint of the same range, nothing queried.
        const qint64 r = bench::monotonicNs();
        plot->repaint();
        paints << (bench::monotonicNs() - r) / 1e6;
        if (plot->toMs() - plot->fromMs() < 2000)
            window.fitAll();
    }
    bench::printFigure("redraw_p50_ms", percentile(times, 0.5));
    bench::printFigure("redraw_p95_ms", percentile(times, 0.95));
    bench::printFigure("redraw_max_ms", percentile(times, 1.0));
    bench::printFigure("redraws", qint64(times.size()));
    bench::printFigure("query_p50_ms", percentile(queries, 0.5));
    bench::printFigure("query_p95_ms", percentile(queries, 0.95));
    bench::printFigure("paint_p50_ms", percentile(paints, 0.5));
    bench::printFigure("paint_p95_ms", percentile(paints, 0.95));
    return 0;
}
