// pump-bench: the real main window, built as pump-panel builds it, with
// measuring hooks around it. One mode per run:
//
//   latency  --duration=S [--split]
//       A driver thread writes pressure answers into a pseudo-terminal that the
//       panel has open through QSerialPort, one at a time, and times each from
//       its last byte written to the moment the pressure box has painted the
//       new text. Each answer comes more than a screen refresh after the last
//       paint (answers closer together are painted together; the line mode
//       times how long they wait).
//   line     --device=PATH --duration=S [--warmup=S] [--hide=chart,boxes,window]
//       The panel on a pump-sim terminal: CPU and memory over the window, and
//       how long each answer waited from its handling to the paint of the
//       chart that shows it; then it waits for pump-sim to close the line and
//       prints the answers handled. --hide leaves those widgets (or the whole
//       window) unshown, to see what painting them costs.
//   feed     --answers=N [--chunk=K] [--every=MS] [--warm=W] [--callgrind]
//       N answers through an in-process port, K per read, as fast as the panel
//       takes them; memory before and after. The "before" figures (and the
//       timing) start after the first W answers. With --every the panel's
//       clock moves on MS milliseconds per read (9.375: the line's full rate),
//       so it paints as at that rate. With --callgrind only the measured part
//       is instrumented (run under valgrind --tool=callgrind
//       --instr-atstart=no).
//   start
//       Prints the milliseconds from exec (PUMP_BENCH_T0_NS, set by
//       bench-launch) to the end of the window's first paint, then exits.
//
// As in pump-panel, the run history's journal records everything, here into
// --journal=PATH (a fresh temporary folder by default; never the user's
// own); --no-journal leaves it out. The feed mode runs without it unless a
// path is given: answers as fast as the panel takes them outrun any disk.
//
// Results go to stdout as name=value lines.

#include "bench/benchports.h"
#include "bench/measure.h"
#include "bench/paintwatch.h"

#include "history/journal.h"
#include "panel/mainwindow.h"
#include "record/chartwidget.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/qtdialogs.h"
#include "platform/qtlogfiles.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "platform/qtserialport.h"
#include "sim/simserialport.h"

#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <valgrind/callgrind.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

double g_mainMs = -1;
qint64 g_mainFaults = 0;

struct Options {
    QString mode;
    QString device;
    double durationS = 10;
    double warmupS = 1;
    qint64 answers = 1000000;
    qint64 warm = 0;
    int chunk = 64;
    double everyMs = 0;  // feed: the panel's clock moves on this much per read
    bool split = false;
    bool callgrind = false;
    QString journal;   // the journal file; empty: one in a temporary folder
    bool noJournal = false;
    QString grab;      // start: the window as first painted, saved to this PNG file
    QStringList hide;  // line: widgets to hide ("chart", "boxes", "window"), to see what their painting costs
};

Options parse(const QStringList& args)
{
    Options o;
    if (!args.isEmpty())
        o.mode = args.first();
    for (const QString& a : args.mid(1)) {
        const QString name = a.section(QLatin1Char('='), 0, 0);
        const QString value = a.section(QLatin1Char('='), 1);
        if (name == QLatin1String("--device"))
            o.device = value;
        else if (name == QLatin1String("--duration"))
            o.durationS = value.toDouble();
        else if (name == QLatin1String("--warmup"))
            o.warmupS = value.toDouble();
        else if (name == QLatin1String("--answers"))
            o.answers = value.toLongLong();
        else if (name == QLatin1String("--warm"))
            o.warm = std::max<qint64>(0, value.toLongLong());
        else if (name == QLatin1String("--chunk"))
            o.chunk = std::max(1, value.toInt());
        else if (name == QLatin1String("--every"))
            o.everyMs = value.toDouble();
        else if (name == QLatin1String("--split"))
            o.split = true;
        else if (name == QLatin1String("--hide"))
            o.hide = value.split(QLatin1Char(','));
        else if (name == QLatin1String("--grab"))
            o.grab = value;
        else if (name == QLatin1String("--callgrind"))
            o.callgrind = true;
        else if (name == QLatin1String("--journal"))
            o.journal = value;
        else if (name == QLatin1String("--no-journal"))
            o.noJournal = true;
        else
            std::fprintf(stderr, "pump-bench: unknown option %s\n", qPrintable(a));
    }
    return o;
}

platform::PortMaker realPorts()
{
    return pumpsim::withSimulatedPump([](const QString&) -> std::unique_ptr<platform::SerialPort> {
        return std::make_unique<platform::QtSerialPort>();
    });
}

// The rest of the panel's outside world, as pump-panel has it: the record
// file, the printer and the CSV log's folder (none of them touched unless
// their command is given).
struct Outside {
    platform::QtRecordStore recordStore;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;

    QTemporaryDir journalFolder;
    std::unique_ptr<history::Journal> journal;

    platform::Services services(platform::Dialogs& dialogs, platform::PortMaker makePort,
                                platform::Clock clock = platform::steadyClock())
    {
        return platform::Services{dialogs,  std::move(makePort), std::move(clock), recordStore,
                                  printer,  logFiles,            platform::localWallClock()};
    }

    // The journal the options ask for, given to the window.
    void record(Form1& window, const Options& o, bool byDefault = true)
    {
        if (o.noJournal || (!byDefault && o.journal.isEmpty()))
            return;
        const QString path = o.journal.isEmpty() ? journalFolder.filePath(QStringLiteral("history.sqlite3")) : o.journal;
        journal = std::make_unique<history::Journal>(path, QStringLiteral("bench"));
        window.setJournal(journal.get());
    }
};

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The pressure text of answer i: "00.0" to "01.9", inside the chart and
// never the same twice in a row.
QByteArray pressureText(qint64 i)
{
    const int v = static_cast<int>(i % 20);
    char text[8];
    std::snprintf(text, sizeof text, "%02d.%d", v / 10, v % 10);
    return QByteArray(text, 4);
}

QByteArray pressureAnswer(qint64 i)
{
    return QByteArrayLiteral("Q00N") + pressureText(i) + 'Y';
}

// ---- latency ---------------------------------------------------------------

int runLatency(const Options& o)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("pump-bench: openpty");
        return 1;
    }
    termios raw{};
    if (::tcgetattr(slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    bench::BenchDialogs dialogs(QString::fromLocal8Bit(name));
    Outside outside;
    Form1 window(outside.services(dialogs, realPorts()));
    outside.record(window, o);
    window.show();
    settle(300);
    window.panel().Communication();
    if (!window.panel().link().isOpen()) {
        std::fprintf(stderr, "pump-bench: the panel did not open %s\n", name);
        return 1;
    }
    settle(100);

    // Shared between the driver and the window: the index of the answer on
    // its way, and the time its text was painted.
    std::atomic<qint64> onTheWay{-1};
    std::atomic<qint64> painted{-1};
    std::mutex mutex;
    std::condition_variable paintedCv;
    const qint64 capacity = static_cast<qint64>(o.durationS * 1000) + 1000;
    std::vector<qint64> writtenNs(static_cast<size_t>(capacity), 0);
    std::vector<qint64> paintedNs(static_cast<size_t>(capacity), 0);

    QLineEdit* box = window.pnow();
    bench::PaintWatch watch(box, [&](qint64 now) {
        const qint64 i = onTheWay.load(std::memory_order_acquire);
        if (i < 0 || painted.load(std::memory_order_relaxed) >= i)
            return;
        if (box->text().toLatin1() != pressureText(i))
            return;
        paintedNs[static_cast<size_t>(i)] = now;
        {
            std::lock_guard<std::mutex> lock(mutex);
            painted.store(i, std::memory_order_release);
        }
        paintedCv.notify_one();
    });

    std::atomic<qint64> sent{0};
    std::atomic<qint64> missed{0};
    // Every answer comes alone: more than a screen refresh after the paint
    // of the one before.
    const int refreshUs = static_cast<int>(1e6 / window.screen()->refreshRate());
    bench::printFigure("refresh_ms", refreshUs / 1000.0);
    std::thread driver([&] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pauseUs(refreshUs + 1000, refreshUs + 15000);
        const qint64 endNs = bench::monotonicNs() + static_cast<qint64>(o.durationS * 1e9);
        char sink[512];
        // Answer 0 would show "00.0", the box's text at start: begin at 1.
        for (qint64 i = 1; i < capacity && bench::monotonicNs() < endNs; ++i) {
            const QByteArray frame = pressureAnswer(i);
            onTheWay.store(i, std::memory_order_release);
            if (o.split) {
                [[maybe_unused]] ssize_t n = ::write(master, frame.constData(), 5);
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
                n = ::write(master, frame.constData() + 5, 4);
            } else {
                [[maybe_unused]] const ssize_t n = ::write(master, frame.constData(), frame.size());
            }
            writtenNs[static_cast<size_t>(i)] = bench::monotonicNs();
            sent.store(i);
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (!paintedCv.wait_for(lock, std::chrono::milliseconds(500),
                                        [&] { return painted.load(std::memory_order_acquire) >= i; }))
                    ++missed;
            }
            // The panel's polls pile up on our side of the line: throw them away.
            while (::read(master, sink, sizeof sink) > 0) {
            }
            std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    const int rc = QApplication::exec();
    driver.join();

    std::vector<double> latencies;
    for (qint64 i = 1; i <= sent.load(); ++i) {
        if (paintedNs[static_cast<size_t>(i)] > 0)
            latencies.push_back(static_cast<double>(paintedNs[static_cast<size_t>(i)] - writtenNs[static_cast<size_t>(i)]) / 1e6);
    }
    bench::printFigure("latency_answers", sent.load());
    bench::printFigure("latency_missed", missed.load());
    bench::printFigure("latency_p50_ms", bench::percentile(latencies, 50));
    bench::printFigure("latency_p99_ms", bench::percentile(latencies, 99));
    bench::printFigure("latency_max_ms", latencies.empty() ? -1.0 : *std::max_element(latencies.begin(), latencies.end()));
    bench::printFigure("latency_box_paints", static_cast<qint64>(watch.paints()));
    ::close(master);
    ::close(slave);
    return rc;
}

// ---- line ------------------------------------------------------------------

int runLine(const Options& o)
{
    if (o.device.isEmpty()) {
        std::fprintf(stderr, "pump-bench: line needs --device=PATH\n");
        return 2;
    }
    bench::BenchDialogs dialogs(o.device);
    Outside outside;
    Form1 window(outside.services(dialogs, realPorts()));
    outside.record(window, o);
    quint64 commits = 0;
    if (outside.journal)
        QObject::connect(outside.journal.get(), &history::Journal::committed, qApp, [&commits] { ++commits; });
    if (!o.hide.contains(QLatin1String("window")))
        window.show();
    bench::printFigure("accessibility_active", static_cast<qint64>(QAccessible::isActive()));
    bench::printFigure("refresh_ms", 1000.0 / window.screen()->refreshRate());
    if (o.hide.contains(QLatin1String("chart")))
        window.Picture1()->hide();
    if (o.hide.contains(QLatin1String("boxes"))) {
        window.pnow()->hide();
        window.prset()->hide();
        window.lqset()->hide();
    }
    settle(300);
    Panel& panel = window.panel();
    panel.Communication();
    if (!panel.link().isOpen()) {
        std::fprintf(stderr, "pump-bench: the panel did not open %s\n", qPrintable(o.device));
        return 1;
    }
    // A flow and RUN, so the pressure moves and the boxes change as they
    // would in use.
    panel.send(QStringLiteral("Q00L0300Y"));
    panel.run();

    bool lost = false;
    QObject::connect(&panel.link(), &PumpLink::portLost, qApp, [&lost] {
        lost = true;
        // Let the last answers read before the hang-up finish their way.
        QTimer::singleShot(300, qApp, &QCoreApplication::quit);
    });

    // How long each answer of the measured stretch waited from its handling
    // to the paint of the chart that shows its step.
    bool measuring = false;
    std::vector<qint64> handledNs;
    std::vector<double> waitsMs;
    qint64 chartPaints = 0;  // paints that showed answers of the stretch
    QObject::connect(&panel, &Panel::answerApplied, qApp, [&] {
        if (measuring)
            handledNs.push_back(bench::monotonicNs());
    });
    bench::PaintWatch chartWatch(window.Picture1(), [&](qint64 now) {
        chartPaints += !handledNs.empty();
        for (const qint64 t : handledNs)
            waitsMs.push_back(static_cast<double>(now - t) / 1e6);
        handledNs.clear();
    });

    qint64 cpu0 = 0;
    qint64 wall0 = 0;
    bench::ProcStatCpu stat0;
    double writer0 = 0;
    quint64 answers0 = 0;
    quint64 commits0 = 0;
    QTimer windowEnd;
    windowEnd.setSingleShot(true);
    windowEnd.setTimerType(Qt::PreciseTimer);
    QObject::connect(&windowEnd, &QTimer::timeout, qApp, [&] {
        if (o.callgrind)
            CALLGRIND_STOP_INSTRUMENTATION;
        measuring = false;
        const double wall = static_cast<double>(bench::monotonicNs() - wall0) / 1e9;
        const double cpu = static_cast<double>(bench::processCpuNs() - cpu0) / 1e9;
        const bench::ProcStatCpu stat1 = bench::procStatCpu();
        const quint64 answers = panel.link().answersReceived() - answers0;
        bench::printFigure("window_s", wall);
        bench::printFigure("cpu_per_wall", cpu / wall);
        bench::printFigure("cpu_per_wall_procstat", (stat1.total() - stat0.total()) / wall);
        bench::printFigure("user_per_wall_procstat", (stat1.user - stat0.user) / wall);
        bench::printFigure("system_per_wall_procstat", (stat1.system - stat0.system) / wall);
        bench::printFigure("window_answers", static_cast<qint64>(answers));
        bench::printFigure("cpu_us_per_answer", answers ? cpu * 1e6 / static_cast<double>(answers) : -1.0);
        bench::printFigure("rss_end_kib", bench::statusKiB("VmRSS"));
        bench::printFigure("hwm_kib", bench::statusKiB("VmHWM"));
        // The journal's writer thread, a part of the CPU figures above.
        const double writer1 = bench::threadCpuS("journal writer");
        bench::printFigure("journal", static_cast<qint64>(outside.journal != nullptr));
        bench::printFigure("journal_writer_per_wall", (writer1 - writer0) / wall);
        bench::printFigure("journal_writer_us_per_answer",
                           answers ? (writer1 - writer0) * 1e6 / static_cast<double>(answers) : -1.0);
        bench::printFigure("journal_commits_per_s", static_cast<double>(commits - commits0) / wall);
        // An answer of the stretch not painted within a second counts as a
        // wait of a second.
        QTimer::singleShot(1000, qApp, [&] {
            waitsMs.insert(waitsMs.end(), handledNs.size(), 1000.0);
            bench::printFigure("paint_waits", static_cast<qint64>(waitsMs.size()));
            bench::printFigure("paint_wait_p99_ms", bench::percentile(waitsMs, 99));
            bench::printFigure("paint_wait_max_ms", bench::percentile(waitsMs, 100));
            bench::printFigure("chart_paints_per_answer",
                               static_cast<double>(chartPaints) / std::max<double>(1, waitsMs.size()));
        });
    });
    QTimer windowStart;
    windowStart.setSingleShot(true);
    windowStart.setTimerType(Qt::PreciseTimer);
    QObject::connect(&windowStart, &QTimer::timeout, qApp, [&] {
        cpu0 = bench::processCpuNs();
        wall0 = bench::monotonicNs();
        stat0 = bench::procStatCpu();
        writer0 = bench::threadCpuS("journal writer");
        commits0 = commits;
        answers0 = panel.link().answersReceived();
        measuring = true;
        bench::printFigure("rss_start_kib", bench::statusKiB("VmRSS"));
        windowEnd.start(static_cast<int>(o.durationS * 1000));
        if (o.callgrind)
            CALLGRIND_START_INSTRUMENTATION;
    });
    windowStart.start(static_cast<int>(o.warmupS * 1000));
    // pump-sim closes the line when its time is up; should it not, give up.
    QTimer::singleShot(static_cast<int>((o.warmupS + o.durationS + 20) * 1000), qApp, &QCoreApplication::quit);
    const int rc = QApplication::exec();
    bench::printFigure("line_closed", static_cast<qint64>(lost));
    bench::printFigure("answers_handled", static_cast<qint64>(panel.link().answersReceived()));
    return rc;
}

// ---- feed ------------------------------------------------------------------

int runFeed(const Options& o)
{
    bench::FeedPort* port = nullptr;
    const platform::PortMaker makePort = [&port](const QString&) -> std::unique_ptr<platform::SerialPort> {
        auto made = std::make_unique<bench::FeedPort>();
        port = made.get();
        return made;
    };
    bench::BenchDialogs dialogs(QStringLiteral("feed"));
    Outside outside;
    // With --every the panel lives on a clock of its own that the feeder moves on.
    const platform::Clock steady = platform::steadyClock();
    double fedMs = 0;
    platform::Clock clock = steady;
    if (o.everyMs > 0) {
        const qint64 start = steady();
        clock = [start, &fedMs] { return start + static_cast<qint64>(fedMs); };
    }
    Form1 window(outside.services(dialogs, makePort, clock));
    outside.record(window, o, false);
    window.show();
    settle(300);
    window.panel().Communication();
    if (!port || !window.panel().link().isOpen()) {
        std::fprintf(stderr, "pump-bench: the feed port did not open\n");
        return 1;
    }
    settle(200);
    bench::PaintWatch watch(window.pnow(), [](qint64) {});
    bench::printText("qt_version", qVersion());

    // The figures before feeding are taken after `warm` answers (none by
    // default: the panel idle, port open, no answer yet).
    const qint64 warm = std::min(o.warm, o.answers);
    qint64 cpu0 = 0;
    qint64 wall0 = 0;
    qint64 next = 0;
    QTimer feeder;
    feeder.setInterval(0);
    QObject::connect(&feeder, &QTimer::timeout, qApp, [&] {
        if (next == warm && wall0 == 0) {
            bench::printFigure("rss_idle_kib", bench::statusKiB("VmRSS"));
            bench::printFigure("hwm_idle_kib", bench::statusKiB("VmHWM"));
            cpu0 = bench::processCpuNs();
            wall0 = bench::monotonicNs();
            if (o.callgrind)
                CALLGRIND_START_INSTRUMENTATION;
        }
        QByteArray bytes;
        qint64 end = std::min(o.answers, next + o.chunk);
        if (next < warm)
            end = std::min(end, warm);
        for (; next < end; ++next)
            bytes += pressureAnswer(next);
        fedMs += o.everyMs;
        port->push(bytes);
        if (next >= o.answers) {
            feeder.stop();
            // One more turn of the loop for the last repaint.
            QTimer::singleShot(0, qApp, [&] {
                if (o.callgrind)
                    CALLGRIND_STOP_INSTRUMENTATION;
                QCoreApplication::quit();
            });
        }
    });
    feeder.start();
    const int rc = QApplication::exec();
    const double wall = static_cast<double>(bench::monotonicNs() - wall0) / 1e9;
    const double cpu = static_cast<double>(bench::processCpuNs() - cpu0) / 1e9;
    bench::printFigure("feed_answers", static_cast<qint64>(window.panel().link().answersReceived()));
    bench::printFigure("feed_measured_answers", o.answers - warm);
    bench::printFigure("feed_kept", static_cast<qint64>(window.panel().saveBuffer().saveprcout()));
    bench::printFigure("feed_wall_s", wall);
    bench::printFigure("feed_cpu_s", cpu);
    bench::printFigure("feed_box_paints", static_cast<qint64>(watch.paints()));
    bench::printFigure("rss_after_kib", bench::statusKiB("VmRSS"));
    bench::printFigure("hwm_after_kib", bench::statusKiB("VmHWM"));
    return rc;
}

// ---- start -----------------------------------------------------------------

int runStart(const Options& o)
{
    // Where the time goes before the first paint.
    bench::printFigure("at_main_ms", g_mainMs);
    bench::printFigure("faults_at_main", g_mainFaults);
    bench::printFigure("at_application_ms", bench::msSinceLaunch(bench::monotonicNs()));
    bench::printFigure("faults_at_application", bench::minorFaults());
    // As pump-panel starts.
    QGuiApplication::setDesktopFileName(QStringLiteral("pump-panel"));
    platform::QtDialogs dialogs;
    Outside outside;
    Form1 window(outside.services(dialogs, realPorts()));
    dialogs.setParentWindow(&window);
    outside.printer.setDialogParent(&window);
    outside.record(window, o);
    bench::printFigure("at_window_built_ms", bench::msSinceLaunch(bench::monotonicNs()));
    bench::printFigure("faults_at_window_built", bench::minorFaults());
    bench::FirstPaintWatch watch(&window, bench::reportFirstPaintAndQuit);
    // A picture to compare before and after a change to what is painted.
    if (!o.grab.isEmpty())
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window, &o] { window.grab().save(o.grab); });
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[])
{
    g_mainMs = bench::msSinceLaunch(bench::monotonicNs());
    g_mainFaults = bench::minorFaults();
    // As pump-panel starts.
    platform::prepareDisplay();
    QApplication app(argc, argv);
    const Options o = parse(app.arguments().mid(1));
    if (o.mode == QLatin1String("latency"))
        return runLatency(o);
    if (o.mode == QLatin1String("line"))
        return runLine(o);
    if (o.mode == QLatin1String("feed"))
        return runFeed(o);
    if (o.mode == QLatin1String("start"))
        return runStart(o);
    std::fprintf(stderr, "usage: pump-bench latency|line|feed|start [options]\n");
    return 2;
}
