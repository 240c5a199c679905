// bench-journal: the run history's journal at size.
//
//   make --out=PATH [--readings=N]
//       Writes a journal of N readings (10^7 by default) through the journal
//       the panel uses, as one session of a pump polled every 1.5 s for
//       months: the simulated pump's pressures, flow and limit changes with
//       their commands every few tens of minutes, runs and stops, the link
//       lost now and then for a while, the port closed and opened again each
//       day. The clocks are the generator's, so it runs as fast as the
//       writer takes it. Prints its size per reading (indexes included) and
//       what the journal's side costs the panel's thread per reading.
//   plot --journal=PATH [--columns=1000] [--views=300]
//       Opens the journal as the history window does and times the plot of
//       its largest session: open to a full-range plot, the full-range plot
//       again, then `views` zooms and pans (random, seeded) from a minute
//       wide to the whole run, and the statistics between two cursors.
//
// Results go to stdout as name=value lines.

#include "bench/measure.h"

#include "history/historysource.h"
#include "history/journal.h"
#include "sim/pumpmodel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

QString option(const QStringList& args, const char* name, const QString& fallback = QString())
{
    const QString prefix = QStringLiteral("--%1=").arg(QLatin1String(name));
    for (const QString& a : args) {
        if (a.startsWith(prefix))
            return a.mid(prefix.size());
    }
    return fallback;
}

double msSince(qint64 startNs)
{
    return static_cast<double>(bench::monotonicNs() - startNs) / 1e6;
}

// ---- make --------------------------------------------------------------------

int runMake(const QStringList& args)
{
    const QString path = option(args, "out");
    const qint64 readings = option(args, "readings", QStringLiteral("10000000")).toLongLong();
    if (path.isEmpty() || readings <= 0) {
        std::fprintf(stderr, "bench-journal make: --out=PATH [--readings=N]\n");
        return 2;
    }
    QFile::remove(path);
    std::atomic<qint64> mono{0};
    const qint64 start = 1764547200000;  // 2025-12-01 00:00 UTC
    using history::EventKind;
    using history::Source;
    history::Journal journal(path, QStringLiteral("bench"),
                             {[&mono] { return mono.load(); }, [&mono, start] { return start + mono.load(); }});
    pumpsim::PumpModel pump(7);
    std::mt19937 random(11);
    const auto chance = [&random](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
    QString pnow = QStringLiteral("00.0");
    QString lqset = QStringLiteral("0000");
    QString prset = QStringLiteral("02.0");
    qint64 pushNs = 0;
    qint64 taken = 0;  // the polls' answers and those to commands
    const auto command = [&](const QString& frame, Source source) {
        journal.event(EventKind::Command, frame, source);
        return pump.answer(frame.toLatin1());
    };
    // An answer applied to the boxes as the panel does, then handed on.
    const auto take = [&](const QByteArray& answer) {
        const char letter = answer.at(3);
        const QString value = QString::fromLatin1(answer.mid(4, 4));
        if (letter == 'N')
            pnow = value;
        else if (letter == 'L')
            lqset = value;
        else if (letter == 'P')
            prset = value.left(2) + QLatin1Char('.') + value.mid(3, 1);
        const double p = pnow.toDouble();
        const double f = lqset.toDouble();
        const double l = prset.toDouble();
        const qint64 t0 = bench::monotonicNs();
        journal.reading(answer, p, f, l);
        pushNs += bench::monotonicNs() - t0;
        ++taken;
    };
    journal.event(EventKind::PortOpened, QStringLiteral("COM4"), Source::Menu);
    take(command(QStringLiteral("Q00L0150Y"), Source::Dialog));
    take(command(QStringLiteral("Q00R0000Y"), Source::Menu));

    qint64 nextDay = 24 * 3600 * 1000LL;
    for (qint64 i = 0; i < readings; ++i) {
        // The poll every 1.5 s, a little late now and then.
        const qint64 step = 1500 + (chance(0.05) ? std::uniform_int_distribution<int>(1, 40)(random) : 0);
        mono += step;
        pump.advance(static_cast<double>(step) / 1000.0);
        take(pump.answer(QByteArrayLiteral("Q00F0000Y")));
        if (chance(1.0 / 800)) {  // a new flow or limit about every 20 minutes
            const bool flow = chance(0.7);
            const QString frame = flow ? QStringLiteral("Q00L%1Y").arg(std::uniform_int_distribution<int>(20, 400)(random), 4, 10, QLatin1Char('0'))
                                       : QStringLiteral("Q00P%1Y").arg(std::uniform_int_distribution<int>(5, 20)(random) / 10.0, 4, 'f', 1, QLatin1Char('0'));
            const QString before = flow ? lqset : prset;
            take(command(frame, Source::Keypad));
            journal.event(flow ? EventKind::FlowSet : EventKind::PressureSet,
                          before + QStringLiteral(" → ") + (flow ? lqset : prset), Source::Keypad);
        }
        if (chance(1.0 / 2400))  // stopped or started about every hour
            take(command(pump.isRunning() ? QStringLiteral("Q00S0000Y") : QStringLiteral("Q00R0000Y"), Source::Popup));
        if (chance(1.0 / 4800)) {  // the link lost for up to two minutes, every two hours or so
            mono += 4500;
            journal.event(EventKind::LinkLost);
            const qint64 silence = std::uniform_int_distribution<int>(2000, 120000)(random);
            mono += silence;
            pump.advance(static_cast<double>(silence + 4500) / 1000.0);
            journal.event(EventKind::LinkRestored);
        }
        if (mono > nextDay) {  // the port closed and opened again once a day
            nextDay += 24 * 3600 * 1000LL;
            journal.event(EventKind::PortClosed, QStringLiteral("COM4"), Source::Menu);
            mono += 30000;
            journal.event(EventKind::PortOpened, QStringLiteral("COM4"), Source::Menu);
        }
        if (i % 50000 == 49999 && !journal.flush(600000)) {
            std::fprintf(stderr, "bench-journal: the journal did not take the readings\n");
            return 1;
        }
    }
    const qint64 writeStart = bench::monotonicNs();
    journal.end();
    const bench::ProcStatCpu cpu = bench::procStatCpu();
    bench::printFigure("make_readings", taken);
    bench::printFigure("make_days", static_cast<double>(mono) / 86400000.0);
    bench::printFigure("make_cpu_s", cpu.total());
    bench::printFigure("make_end_ms", msSince(writeStart));
    // What Journal::reading() costs the panel's thread (with this
    // generator's clock; the system's monotonic clock adds ~20 ns).
    bench::printFigure("push_ns_per_reading", static_cast<double>(pushNs) / static_cast<double>(taken));
    const qint64 bytes = QFileInfo(path).size();
    bench::printFigure("file_bytes", bytes);
    bench::printFigure("wal_bytes", QFileInfo(path + QStringLiteral("-wal")).size());
    bench::printFigure("bytes_per_reading", static_cast<double>(bytes) / static_cast<double>(taken));
    // Where the bytes are.
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT name, sum(pgsize) FROM dbstat GROUP BY name ORDER BY 2 DESC"))) {
                while (q.next()) {
                    const QByteArray name = "bytes_" + q.value(0).toString().toLatin1();
                    bench::printFigure(name.constData(), q.value(1).toLongLong());
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    return 0;
}

// ---- plot --------------------------------------------------------------------

int runPlot(const QStringList& args)
{
    const QString path = option(args, "journal");
    const int columns = option(args, "columns", QStringLiteral("1000")).toInt();
    const int views = option(args, "views", QStringLiteral("300")).toInt();

    qint64 t0 = bench::monotonicNs();
    QString error;
    std::unique_ptr<history::HistorySource> source = history::openJournal(path, &error);
    if (!source) {
        std::fprintf(stderr, "bench-journal: %s\n", qPrintable(error));
        return 1;
    }
    const QList<history::SessionInfo> sessions = source->sessions();
    const auto largest = std::max_element(sessions.begin(), sessions.end(),
                                          [](const auto& a, const auto& b) { return a.readings < b.readings; });
    if (largest == sessions.end())
        return 1;
    const history::SessionInfo session = *largest;
    const qint64 from = session.startedMs;
    const qint64 to = session.lastMs;
    history::PlotData plot = source->plot(session.id, from, to, columns);
    bench::printFigure("open_to_full_plot_ms", msSince(t0));
    bench::printFigure("session_readings", session.readings);
    bench::printFigure("session_days", static_cast<double>(to - from) / 86400000.0);

    std::vector<double> full;
    for (int k = 0; k < 5; ++k) {
        t0 = bench::monotonicNs();
        plot = source->plot(session.id, from, to, columns);
        full.push_back(msSince(t0));
    }
    bench::printFigure("full_plot_median_ms", bench::percentile(full, 50));
    qint64 drawn = 0;
    for (const auto& c : plot.series[history::Pressure])
        drawn += c.count;
    bench::printFigure("full_plot_readings", drawn);

    // Zooms to any width from a minute to the whole run (even on a log
    // scale), each followed by a few pans of a tenth of the width.
    std::mt19937 random(5);
    const double lnMin = std::log(60000.0);
    const double lnMax = std::log(static_cast<double>(to - from));
    std::vector<double> times;
    std::vector<double> zoomTimes;
    qint64 width = to - from;
    qint64 left = from;
    for (int v = 0; v < views; ++v) {
        const bool zoom = v % 4 == 0;
        if (zoom) {
            width = static_cast<qint64>(std::exp(std::uniform_real_distribution<double>(lnMin, lnMax)(random)));
            left = from + static_cast<qint64>(std::uniform_real_distribution<double>(0, 1)(random)
                                              * static_cast<double>(to - from - width));
        } else {
            left = std::clamp<qint64>(left + (random() % 2 ? width / 10 : -width / 10), from, to - width);
        }
        t0 = bench::monotonicNs();
        plot = source->plot(session.id, left, left + width, columns);
        times.push_back(msSince(t0));
        if (zoom)
            zoomTimes.push_back(times.back());
    }
    bench::printFigure("view_plots", static_cast<qint64>(times.size()));
    bench::printFigure("view_plot_p50_ms", bench::percentile(times, 50));
    bench::printFigure("view_plot_p95_ms", bench::percentile(times, 95));
    bench::printFigure("view_plot_max_ms", bench::percentile(times, 100));
    bench::printFigure("zoom_plot_p95_ms", bench::percentile(zoomTimes, 95));

    std::vector<double> statTimes;
    for (int k = 0; k < 50; ++k) {
        const qint64 a = from + static_cast<qint64>(std::uniform_real_distribution<double>(0, 1)(random) * static_cast<double>(to - from));
        const qint64 b = from + static_cast<qint64>(std::uniform_real_distribution<double>(0, 1)(random) * static_cast<double>(to - from));
        t0 = bench::monotonicNs();
        source->stats(session.id, std::min(a, b), std::max(a, b));
        statTimes.push_back(msSince(t0));
    }
    t0 = bench::monotonicNs();
    const history::RangeStats all = source->stats(session.id, from, to);
    bench::printFigure("full_stats_ms", msSince(t0));
    bench::printFigure("full_stats_volume_l", all.volumeMl / 1000);
    bench::printFigure("stats_p95_ms", bench::percentile(statTimes, 95));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("make"))
        return runMake(args);
    if (mode == QLatin1String("plot"))
        return runPlot(args);
    std::fprintf(stderr, "usage: bench-journal make|plot [options]\n");
    return 2;
}
