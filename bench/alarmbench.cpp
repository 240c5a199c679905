// bench-alarms: what the alarms cost the panel.
//
//   per-answer: the alarm core judging a million answers with every pressure
//     condition on and the pump running (values that move about without
//     crossing a threshold, the usual case): nanoseconds per answer.
//   stop latency: the real panel on a pseudo-terminal through QSerialPort,
//     high pressure with no delay and the stop action; the time from the
//     deciding answer written to the line until the stop frame can be read
//     at the far end, over many raises (each one acknowledged and cleared
//     before the next): the median and the 99th percentile, in milliseconds.
//
// Results go to stdout as name=value lines.
#include <QWidget>  // before the printer's QPointer<QWidget>

#include "bench/benchports.h"
#include "bench/measure.h"
#include "fakes/fakesettings.h"
#include "fakes/pty.h"

#include "alarms/alarms.h"
#include "link/frames.h"
#include "panel/panel.h"
#include "platform/qtlogfiles.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "platform/qtserialport.h"
#include "platform/settings.h"

#include <QApplication>

#include <unistd.h>

namespace {

struct NoPort final : alarms::PumpStopper {
    bool stopPump() override { return true; }
};

void perAnswer()
{
    NoPort port;
    qint64 now = 0;
    alarms::AlarmCore core(port, [&] { return now; }, [] { return QDateTime(); });
    alarms::Config config;
    config.rule(alarms::Condition::HighPressure).mpa = 1.9;
    config.rule(alarms::Condition::LowPressure).mpa = 0.1;
    config.rule(alarms::Condition::PressureDrop).mpa = 0.5;
    core.setConfig(config);
    core.setRunning(true);
    constexpr int kAnswers = 1000000;
    const qint64 start = bench::monotonicNs();
    for (int i = 0; i < kAnswers; ++i) {
        now += 1500;
        core.answer(1.0 + 0.1 * (i % 4), 2.0, 150);
    }
    const double ns = double(bench::monotonicNs() - start) / kAnswers;
    bench::printFigure("alarm_answer_ns", ns);
}

void stopLatency()
{
    Pty pty;
    if (pty.path.isEmpty()) {
        bench::printText("alarm_stop_error", "no pseudo-terminal");
        return;
    }
    bench::BenchDialogs dialogs(pty.path);
    platform::QtRecordStore recordStore;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;
    FakeSettings settings;
    settings.values = {{"alarms/high_pressure_mpa", "1.5"}, {"alarms/high_pressure_delay_s", "0"}};
    platform::Services services{dialogs,  [](const QString&) { return std::make_unique<platform::QtSerialPort>(); },
                                platform::steadyClock(), recordStore, printer, logFiles, platform::localWallClock()};
    services.settings = &settings;
    Panel panel(services);
    panel.Form_Load();
    panel.Communication();
    if (!panel.link().isOpen()) {
        bench::printText("alarm_stop_error", "port did not open");
        return;
    }
    const QByteArray stop = frames::kStop.toLatin1();
    const auto drain = [&] {
        char buffer[256];
        QByteArray got;
        for (ssize_t n; (n = ::read(pty.master, buffer, sizeof buffer)) > 0;)
            got.append(buffer, n);
        return got;
    };
    std::vector<double> ms;
    for (int trial = 0; trial < 300; ++trial) {
        drain();
        const qint64 t0 = bench::monotonicNs();
        if (::write(pty.master, "Q01N01.6Y", 9) != 9)
            break;
        QByteArray line;
        while (!line.contains(stop) && bench::monotonicNs() - t0 < 2000000000LL) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            line += drain();
        }
        if (!line.contains(stop))
            break;
        ms.push_back(double(bench::monotonicNs() - t0) / 1e6);
        // Clear and acknowledge, so the next answer raises it afresh.
        if (::write(pty.master, "Q01N01.0Y", 9) != 9)
            break;
        const qint64 t1 = bench::monotonicNs();
        while (panel.alarms().alarm(alarms::Condition::HighPressure).active() && bench::monotonicNs() - t1 < 2000000000LL)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        panel.alarms().acknowledgeAll(alarms::AckSource::Keypad);
    }
    bench::printFigure("alarm_stop_trials", qint64(ms.size()));
    bench::printFigure("alarm_stop_p50_ms", bench::percentile(ms, 50));
    bench::printFigure("alarm_stop_p99_ms", bench::percentile(ms, 99));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    perAnswer();
    stopLatency();
    return 0;
}
