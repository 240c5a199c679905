// bench-mqtt [SECONDS]: the panel publishing to a Mosquitto broker of its own
// on a free loopback port. Answers are pushed into the panel at full line
// rate (9600 baud, nine-character answers: about 107 a second) and at the
// poll rate (one every 1.5 s); a subscriber in the same process takes the
// readings. Prints the delay from pushing an answer to the subscriber
// holding its reading (p50, p99, max), and the panel's CPU with MQTT on and
// off at both rates (the run history on in both). Needs mosquitto on the PATH.
#include <QWidget>  // before the printer, which points at one

#include "bench/benchports.h"
#include "bench/measure.h"
#include "fakes/broker.h"
#include "history/journal.h"
#include "panel/journalfeed.h"
#include "panel/mqttfeed.h"
#include "panel/panel.h"
#include "panel/remoteaccess.h"
#include "platform/mosquittoclient.h"
#include "platform/qtlogfiles.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "remote/mqttpublisher.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <deque>

namespace {

qint64 wallMs() { return QDateTime::currentMSecsSinceEpoch(); }

// The event loop for `ms`, sleeping while there is nothing to do.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "bench-mqtt: mosquitto did not start\n");
        return 1;
    }
    bench::BenchDialogs dialogs(QStringLiteral("feed"));
    bench::FeedPort* port = nullptr;
    platform::QtRecordStore recordStore;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;
    platform::Services services{dialogs,
                                [&port](const QString&) {
                                    auto made = std::make_unique<bench::FeedPort>();
                                    port = made.get();
                                    return made;
                                },
                                platform::steadyClock(),
                                recordStore,
                                printer,
                                logFiles,
                                platform::localWallClock()};
    Panel panel(services);
    panel.Communication();
    // As in the program: the run history takes each answer, the feed
    // publishes what it took.
    QTemporaryDir folder;
    history::Journal journal(folder.filePath(QStringLiteral("history.sqlite3")), QStringLiteral("bench"));
    JournalFeed journalFeed(panel, journal, dialogs);
    RemoteAccess remote(panel, services);
    remote::MqttPublisher mqtt(platform::mosquittoMaker(), wallMs, QStringLiteral("bench"));
    MqttFeed feed(panel, remote, mqtt, wallMs);
    feed.setJournal(&journal);
    remote::MqttSettings settings;
    settings.enabled = true;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = broker.port;

    // The subscriber: the delay of each reading, matched in order.
    std::deque<qint64> pushed;
    std::vector<double> delaysMs;
    platform::MosquittoClient subscriber;
    QObject::connect(&subscriber, &platform::MqttClient::connected, [&] {
        subscriber.subscribe(mqtt.root() + QStringLiteral("/reading"), 0);
    });
    QObject::connect(&subscriber, &platform::MqttClient::received, [&](const QString&, const QByteArray&) {
        if (pushed.empty())
            return;
        delaysMs.push_back((bench::monotonicNs() - pushed.front()) / 1e6);
        pushed.pop_front();
    });
    platform::MqttOptions options;
    options.host = settings.host;
    options.port = broker.port;
    options.clientId = QStringLiteral("bench-subscriber");
    subscriber.open(options);

    QTimer feeder;
    feeder.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        pushed.push_back(bench::monotonicNs());
        port->push("Q01N01.2Y");
    });
    // CPU of the whole process at one rate, MQTT on or off.
    const auto cpuPercent = [&](int intervalMs, bool on) {
        if (on)
            mqtt.start(settings);
        else
            mqtt.stop();
        runFor(500);
        pushed.clear();
        delaysMs.clear();
        feeder.start(intervalMs);
        const qint64 cpu0 = bench::processCpuNs();
        const qint64 t0 = bench::monotonicNs();
        runFor(seconds * 1000);
        feeder.stop();
        const double pct = 100.0 * (bench::processCpuNs() - cpu0) / (bench::monotonicNs() - t0);
        runFor(200);
        return pct;
    };
    constexpr int kLineRateMs = 1000 * 9 * 10 / 9600;  // 9 characters of 10 bits
    bench::printFigure("mqtt_cpu_off_line_rate_pct", cpuPercent(kLineRateMs, false));
    bench::printFigure("mqtt_cpu_on_line_rate_pct", cpuPercent(kLineRateMs, true));
    bench::printFigure("mqtt_delay_p50_ms", bench::percentile(delaysMs, 50));
    bench::printFigure("mqtt_delay_p99_ms", bench::percentile(delaysMs, 99));
    bench::printFigure("mqtt_delay_max_ms", bench::percentile(delaysMs, 100));
    bench::printFigure("mqtt_readings_received", static_cast<qint64>(delaysMs.size()));
    bench::printFigure("mqtt_cpu_off_poll_rate_pct", cpuPercent(1500, false));
    bench::printFigure("mqtt_cpu_on_poll_rate_pct", cpuPercent(1500, true));
    return 0;
}
