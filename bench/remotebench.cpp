// Remote access under load, on the simulated pump in this process:
//   status_p99_ms          GET /api/v1/status at 100 requests/s (target ≤ 5 ms)
//   stream_p99_ms          an accepted answer to its message at 50 WebSocket
//                          clients (target p99 ≤ 20 ms)
//   poll_cpu_pct_none,
//   poll_cpu_pct_10        the panel's thread at the 1.5 s poll with no
//                          client and with 10 stream clients
// The clients run in a thread of their own, so the panel's thread does only
// the panel's work.
#include "bench/measure.h"
#include "history/journal.h"
#include "panel/journalfeed.h"
#include "panel/panel.h"
#include "panel/remoteaccess.h"
#include "platform/qtdialogs.h"
#include "platform/qtlogfiles.h"
#include "platform/qtprinter.h"
#include "platform/qtrecordstore.h"
#include "sim/simserialport.h"

#include <QApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

const QString kToken = QStringLiteral("benchtoken_0123456789abcdefghijklmnopqrstuvw");

// Runs the event loop for `seconds`.
void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The system names the main thread after the program (15 characters).
    const QByteArray panelThread = QCoreApplication::applicationName().left(15).toLocal8Bit();
    platform::QtDialogs dialogs;
    platform::QtRecordStore store;
    platform::QtPrinter printer;
    platform::QtLogFiles logFiles;
    platform::Services services{dialogs, pumpsim::withSimulatedPump({}), platform::steadyClock(), store, printer,
                                logFiles, platform::localWallClock()};
    Panel panel(services);
    QTemporaryDir dir;
    history::Journal journal(dir.filePath(QStringLiteral("h.sqlite3")), QStringLiteral("bench"));
    JournalFeed feed(panel, journal, dialogs);
    RemoteAccess access(panel, services);
    access.setJournal(&journal);
    remote::RemoteSettings settings;
    settings.enabled = true;
    settings.port = 0;
    settings.token = kToken;
    QString error;
    if (!access.apply(settings, &error))
        qFatal("%s", qPrintable(error));
    const quint16 port = access.server().port();
    QString openError;
    panel.link().open(QStringLiteral("sim"), &openError);
    panel.link().startPolling();

    // Status at 100 requests/s from another thread, one connection each.
    std::vector<double> statusMs;
    std::thread statusClient([&] {
        for (int k = 0; k < 1000; ++k) {
            const qint64 start = bench::monotonicNs();
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            socket.waitForConnected(1000);
            socket.write("GET /api/v1/status HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port)
                         + "\r\nConnection: close\r\n\r\n");
            QByteArray got;
            while (!got.contains("\"type\":\"status\"}") && socket.waitForReadyRead(1000))
                got += socket.readAll();
            statusMs.push_back((bench::monotonicNs() - start) / 1e6);
            const qint64 next = start + 10'000'000;
            while (bench::monotonicNs() < next)
                QThread::usleep(200);
        }
    });
    while (statusMs.size() < 1000)
        runFor(0.1);
    statusClient.join();
    bench::printFigure("status_p99_ms", bench::percentile(statusMs, 99));

    // Stream clients in a thread of their own.
    std::mutex mutex;
    std::map<qint64, qint64> answeredNs;  // the reading's time → when it was accepted
    std::vector<double> streamMs;
    QObject::connect(&journal, &history::Journal::readingTaken, [&](const history::TakenReading& taken) {
        std::lock_guard<std::mutex> lock(mutex);
        answeredNs[taken.tMs] = bench::monotonicNs();
    });
    QThread clientThread;
    clientThread.setObjectName(QStringLiteral("clients"));
    clientThread.start();
    std::atomic<int> opened{0};
    const auto openClients = [&](int count, bool time) {
        auto* holder = new QObject;
        holder->moveToThread(&clientThread);
        QMetaObject::invokeMethod(holder, [&, holder, count, time] {
            for (int c = 0; c < count; ++c) {
                auto* ws = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, holder);
                QObject::connect(ws, &QWebSocket::textMessageReceived, ws, [&, time](const QString& text) {
                    const qint64 now = bench::monotonicNs();
                    if (!time)
                        return;
                    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
                    if (message.value(QStringLiteral("type")).toString() != QLatin1String("reading"))
                        return;
                    std::lock_guard<std::mutex> lock(mutex);
                    const auto it = answeredNs.find(message.value(QStringLiteral("t_ms")).toInteger());
                    if (it != answeredNs.end())
                        streamMs.push_back((now - it->second) / 1e6);
                });
                QObject::connect(ws, &QWebSocket::connected, ws, [&] { ++opened; });
                ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/stream").arg(port)));
            }
        });
        return holder;
    };

    // The poll's CPU with no client, then with 10.
    const double seconds = 15;
    double before = bench::threadCpuS(panelThread.constData());
    runFor(seconds);
    bench::printFigure("poll_cpu_pct_none", 100 * (bench::threadCpuS(panelThread.constData()) - before) / seconds);
    QObject* ten = openClients(10, false);
    while (opened < 10)
        runFor(0.05);
    before = bench::threadCpuS(panelThread.constData());
    runFor(seconds);
    bench::printFigure("poll_cpu_pct_10", 100 * (bench::threadCpuS(panelThread.constData()) - before) / seconds);
    QMetaObject::invokeMethod(ten, [ten] { delete ten; }, Qt::BlockingQueuedConnection);
    while (access.server().clientCount() > 0)
        runFor(0.05);

    // 50 clients; answers every 20 ms.
    {
        std::lock_guard<std::mutex> lock(mutex);
        answeredNs.clear();
    }
    opened = 0;
    QObject* fifty = openClients(50, true);
    while (opened < 50 || access.server().clientCount() < 50)
        runFor(0.05);
    {
        std::lock_guard<std::mutex> lock(mutex);
        answeredNs.clear();
    }
    QTimer fast;
    QObject::connect(&fast, &QTimer::timeout, &panel.link(), &PumpLink::pollTick);
    fast.start(20);
    runFor(5);
    fast.stop();
    runFor(0.5);
    QMetaObject::invokeMethod(fifty, [fifty] { delete fifty; }, Qt::BlockingQueuedConnection);
    clientThread.quit();
    clientThread.wait();
    std::lock_guard<std::mutex> lock(mutex);
    bench::printFigure("stream_messages", qint64(streamMs.size()));
    bench::printFigure("stream_p99_ms", bench::percentile(streamMs, 99));
    return 0;
}
