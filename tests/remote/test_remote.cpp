// Remote access against the running server on a free loopback port: the
// pipeline (Host, token, ban, limits, errors), every endpoint, the stream,
// and a remote command reaching a pseudo-terminal as the dialog's frame.
#include "panel/journalfeed.h"
#include "panel/panel.h"
#include "panel/remoteaccess.h"
#include "panel/remotedialog.h"
#include "platform/qtserialport.h"
#include "platform/webserver.h"
#include "remote/commands.h"

#include "fakes/fakeservices.h"
#include "fakes/journalrows.h"
#include "fakes/pty.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>

namespace {

const QString kToken = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789ABCDEFG");

struct Reply {
    int status = 0;
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// Waits in the event loop (the server runs on this thread) until `done`.
bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// One request over a new connection, as written (`host` empty: the right one).
Reply request(quint16 port, const QByteArray& method, const QByteArray& path, const QByteArray& token = {},
              const QByteArray& body = {}, QByteArray host = {})
{
    if (host.isEmpty())
        host = "127.0.0.1:" + QByteArray::number(port);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray text = method + ' ' + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n";
    if (!token.isEmpty())
        text += "Authorization: Bearer " + token + "\r\n";
    text += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket.write(text);
    QByteArray got;
    const auto complete = [&] {
        got += socket.readAll();
        const int end = got.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const int at = got.toLower().indexOf("content-length:");
        const int length = got.mid(at + 15, got.indexOf("\r\n", at) - at - 15).trimmed().toInt();
        return got.size() >= end + 4 + length;
    };
    waitFor(complete);
    Reply reply;
    reply.status = got.mid(9, 3).toInt();
    reply.body = got.mid(got.indexOf("\r\n\r\n") + 4);
    return reply;
}

// A panel on a fake port with its journal and remote access on 127.0.0.1:0.
struct Rig {
    FakeServices fake;
    platform::PortMaker ports;  // none: fake ports
    TestClocks clocks{1'700'000'000'000};
    JournalFile file;
    Panel panel;
    history::Journal journal{file.path, QStringLiteral("2.0"), clocks.clocks()};
    JournalFeed feed{panel, journal, fake.dialogs};
    std::unique_ptr<RemoteAccess> access;
    quint16 port = 0;

    explicit Rig(bool control = true, platform::PortMaker realPorts = {}) : ports(std::move(realPorts)), panel(services())
    {
        fake.settings.values = {{"remote/enabled", "true"},
                                {"remote/listen", "127.0.0.1:0"},
                                {"remote/control", control ? "true" : "false"},
                                {"remote/token", kToken}};
        access = std::make_unique<RemoteAccess>(panel, services());
        access->setJournal(&journal);
        QString error;
        if (!access->startFromSettings(&error))
            qWarning() << error;
        port = access->server().port();
    }
    platform::Services services()
    {
        platform::Services s = fake.services();
        if (ports)
            s.makePort = ports;
        return s;
    }
    Reply get(const QByteArray& path, const QByteArray& token = kToken.toLatin1())
    {
        return request(port, "GET", path, token);
    }
    Reply post(const QByteArray& path, const QByteArray& body = {}, const QByteArray& token = kToken.toLatin1())
    {
        return request(port, "POST", path, token, body);
    }
    void openPort()
    {
        fake.dialogs.answer(QStringLiteral("1"));
        panel.Communication();
    }
};

}  // namespace

class TestRemote : public QObject {
    Q_OBJECT
private slots:
    void pipeline_data();
    void pipeline();
    void readsBeyondLoopbackNeedTheToken();
    void wrongTokensBanTheAddress();
    void commandsGoThroughThePanel();
    void endpointsOfTheHistory();
    void streamSendsStateThenAnswersAndEvents();
    void streamRefusesForeignPages();
    void remoteFlowReachesThePtyAsTheDialogsFrame();
    void dialogShowsTheTokenOnceAndTurnsOffAtOnce();
    void numberFieldReasons_data();
    void numberFieldReasons();
};

void TestRemote::pipeline_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("control");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");  // a part of the answer's "error"
    const QByteArray t = kToken.toLatin1();
    QTest::newRow("page, no token") << QByteArray("GET") << QByteArray("/") << QByteArray() << QByteArray()
                                    << QByteArray() << true << 200 << QString();
    QTest::newRow("status from loopback, no token") << QByteArray("GET") << QByteArray("/api/v1/status") << QByteArray()
                                                    << QByteArray() << QByteArray() << true << 200 << QString();
    QTest::newRow("status, wrong token") << QByteArray("GET") << QByteArray("/api/v1/status") << QByteArray("nope")
                                         << QByteArray() << QByteArray() << true << 401 << "wrong token";
    QTest::newRow("foreign Host") << QByteArray("GET") << QByteArray("/api/v1/status") << t << QByteArray()
                                  << QByteArray("evil.example:8470") << true << 403 << "host";
    QTest::newRow("Host with another port") << QByteArray("GET") << QByteArray("/api/v1/status") << t << QByteArray()
                                            << QByteArray("localhost:1") << true << 403 << "host";
    QTest::newRow("localhost Host") << QByteArray("GET") << QByteArray("/api/v1/status") << t << QByteArray()
                                    << QByteArray("localhost") << true << 200 << QString();
    QTest::newRow("unknown path") << QByteArray("GET") << QByteArray("/api/v1/nothing") << t << QByteArray()
                                  << QByteArray() << true << 404 << "no such path";
    QTest::newRow("run, no token") << QByteArray("POST") << QByteArray("/api/v1/run") << QByteArray() << QByteArray()
                                   << QByteArray() << true << 401 << "token";
    QTest::newRow("run, control off") << QByteArray("POST") << QByteArray("/api/v1/run") << t << QByteArray()
                                      << QByteArray() << false << 403 << "control is off";
    QTest::newRow("flow, bad JSON") << QByteArray("POST") << QByteArray("/api/v1/flow") << t << QByteArray("{\"ml_min\":")
                                    << QByteArray() << true << 400 << "bad JSON at offset";
    QTest::newRow("flow, out of range") << QByteArray("POST") << QByteArray("/api/v1/flow") << t
                                        << QByteArray("{\"ml_min\": 501}") << QByteArray() << true << 422 << "流量设定错误!";
    QTest::newRow("pressure, out of range") << QByteArray("POST") << QByteArray("/api/v1/pressure-limit") << t
                                            << QByteArray("{\"mpa\": -0.1}") << QByteArray() << true << 422
                                            << "压力设定错误!";
    QTest::newRow("body over 4 KiB") << QByteArray("POST") << QByteArray("/api/v1/flow") << t
                                     << QByteArray(remote::commands::kMaxBodyBytes + 1, ' ') << QByteArray() << true
                                     << 413 << "larger than 4096";
    QTest::newRow("ack, no alarms") << QByteArray("POST") << QByteArray("/api/v1/alarms/ack") << t << QByteArray()
                                    << QByteArray() << true << 409 << "no alarms";
    QTest::newRow("stream without upgrade") << QByteArray("GET") << QByteArray("/api/v1/stream") << t << QByteArray()
                                            << QByteArray() << true << 400 << "WebSocket";
    QTest::newRow("readings, bad from") << QByteArray("GET") << QByteArray("/api/v1/readings?from=x") << t
                                        << QByteArray() << QByteArray() << true << 400 << "whole number";
}

void TestRemote::pipeline()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, token);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, host);
    QFETCH(bool, control);
    QFETCH(int, status);
    QFETCH(QString, error);
    Rig rig(control);
    QVERIFY(rig.port != 0);
    if (!host.isEmpty() && !host.contains(':'))
        host += ':' + QByteArray::number(rig.port);
    const Reply reply = request(rig.port, method, path, token, body, host);
    QCOMPARE(reply.status, status);
    if (!error.isEmpty())
        QVERIFY2(reply.json().value("error").toString().contains(error), reply.body.constData());
    // Nothing refused reached the pump.
    if (status != 200)
        QCOMPARE(rig.panel.state().lqset, QStringLiteral("0000"));
}

void TestRemote::readsBeyondLoopbackNeedTheToken()
{
    Rig rig;
    platform::HttpRequest in;
    in.method = "GET";
    in.path = QStringLiteral("/api/v1/status");
    in.peer = QHostAddress(QStringLiteral("192.168.1.20"));
    in.headers = {{"Host", "127.0.0.1:" + QByteArray::number(rig.port)}};
    QCOMPARE(rig.access->server().handle(in).status, 401);
    in.headers.append({"Authorization", "Bearer " + kToken.toLatin1()});
    QCOMPARE(rig.access->server().handle(in).status, 200);
}

void TestRemote::wrongTokensBanTheAddress()
{
    Rig rig;
    for (int k = 1; k < remote::Gate::kFailuresBeforeBan; ++k)
        QCOMPARE(rig.get("/api/v1/status", "guess").status, 401);
    QSignalSpy banned(&rig.access->server(), &remote::RemoteServer::addressBanned);
    QCOMPARE(rig.get("/api/v1/status", "guess").status, 401);
    QCOMPARE(banned.count(), 1);
    // Refused a minute even with the right token; said once in the history.
    QCOMPARE(rig.get("/api/v1/status").status, 429);
    QCOMPARE(rig.get("/api/v1/status", "guess").status, 429);
    QVERIFY(rig.journal.flush());
    QCOMPARE(journalRows(rig.file.path, "SELECT detail FROM events WHERE kind = 'remote_blocked'"),
             QStringList{"127.0.0.1"});
    rig.fake.now += remote::Gate::kBanMs;
    QCOMPARE(rig.get("/api/v1/status").status, 200);
}

void TestRemote::commandsGoThroughThePanel()
{
    Rig rig;
    rig.openPort();
    QCOMPARE(rig.post("/api/v1/run").status, 200);
    QCOMPARE(rig.post("/api/v1/flow", "{\"ml_min\": 120}").status, 200);
    QCOMPARE(rig.post("/api/v1/pressure-limit", "{\"mpa\": 1.5}").status, 200);
    bool programEnded = false;
    rig.panel.setStopHook([&] { programEnded = true; });
    QCOMPARE(rig.post("/api/v1/stop").status, 200);
    QCOMPARE(rig.fake.port->writtenFrames(),
             (QStringList{"Q00R0000Y", "Q00L0120Y", "Q00P01.5Y", "Q00S0000Y"}));
    QVERIFY(programEnded);
    const QJsonObject status = rig.get("/api/v1/status").json();
    QCOMPARE(status.value("flow_ml_min").toDouble(), 120.0);
    QCOMPARE(status.value("pressure_limit_mpa").toDouble(), 1.5);
    QCOMPARE(status.value("running").toBool(), false);
    QCOMPARE(status.value("link").toString(), QStringLiteral("open"));
    QVERIFY(status.value("alarms").isArray() && status.value("dose").isNull());
    // With source remote and the client's address.
    QVERIFY(rig.journal.flush());
    QCOMPARE(journalRows(rig.file.path, "SELECT kind, detail, source FROM events WHERE source = 'remote'"),
             (QStringList{"command|Q00R0000Y, client 127.0.0.1|remote", "command|Q00L0120Y, client 127.0.0.1|remote",
                          "flow_set|? → 120, client 127.0.0.1|remote",
                          "command|Q00P01.5Y, client 127.0.0.1|remote",
                          "pressure_set|? → 01.5, client 127.0.0.1|remote",
                          "command|Q00S0000Y, client 127.0.0.1|remote"}));
    // The panel's own alarms: the pump falls silent, the status lists the
    // alarm, and a client acknowledges it.
    for (int i = 0; i < 4; ++i)
        rig.panel.link().pollTick();
    const QJsonArray alarms = rig.get("/api/v1/status").json().value("alarms").toArray();
    QCOMPARE(alarms.size(), 1);
    QCOMPARE(alarms.at(0)["name"].toString(), QStringLiteral("link_lost"));
    QCOMPARE(alarms.at(0)["state"].toString(), QStringLiteral("active_unacknowledged"));
    QCOMPARE(rig.post("/api/v1/alarms/ack").status, 200);
    QCOMPARE(rig.get("/api/v1/status").json()["alarms"].toArray().at(0)["state"].toString(),
             QStringLiteral("active_acknowledged"));
}

void TestRemote::endpointsOfTheHistory()
{
    Rig rig;
    rig.openPort();
    for (const char* answer : {"Q00N00.5Y", "Q00N00.7Y", "Q00N00.9Y"}) {
        rig.clocks.mono += 1500;
        rig.fake.port->feed(answer);
    }
    QVERIFY(rig.journal.flush());
    const qint64 run = rig.journal.sessionId();
    const QJsonObject page = rig.get("/api/v1/readings?from=0").json();
    QCOMPARE(page.value("readings").toArray().size(), 3);
    QCOMPARE(page.value("readings").toArray().at(2).toObject().value("pressure_mpa").toDouble(), 0.9);
    QVERIFY(page.value("next").isNull());
    const QJsonArray events = rig.get("/api/v1/events").json().value("events").toArray();
    QCOMPARE(events.at(0).toObject().value("kind").toString(), QStringLiteral("remote_on"));
    QCOMPARE(events.at(1).toObject().value("kind").toString(), QStringLiteral("port_opened"));
    const QJsonArray runs = QJsonDocument::fromJson(rig.get("/api/v1/runs").body).array();
    QCOMPARE(runs.at(0).toObject().value("id").toInteger(), run);
    const QByteArray csv = rig.get("/api/v1/runs/" + QByteArray::number(run) + "/readings.csv").body;
    QCOMPARE(csv.count("\r\n"), 4);
    QCOMPARE(rig.get("/api/v1/runs/99999/readings.csv").status, 404);
    const Reply html = rig.get("/", {});
    QVERIFY(html.body.contains("<html") && html.body.contains("当前压力"));
}

void TestRemote::streamSendsStateThenAnswersAndEvents()
{
    Rig rig;
    rig.openPort();
    QWebSocket client;
    QStringList got;
    connect(&client, &QWebSocket::textMessageReceived, &client, [&](const QString& text) { got << text; });
    QSignalSpy clients(&rig.access->server(), &remote::RemoteServer::clientsChanged);
    client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/stream?token=%2").arg(rig.port).arg(kToken)));
    QVERIFY(waitFor([&] { return got.size() == 1; }));
    QCOMPARE(QJsonDocument::fromJson(got[0].toUtf8()).object().value("type").toString(), QStringLiteral("status"));
    QCOMPARE(rig.access->server().clientCount(), 1);
    QVERIFY(rig.access->statusText().contains(QStringLiteral("1")));
    rig.fake.port->feed("Q00N01.2Y");
    rig.fake.port->feed("Q00L0150Y");
    QVERIFY(waitFor([&] { return got.size() == 3; }));
    const QJsonObject reading = QJsonDocument::fromJson(got[1].toUtf8()).object();
    QCOMPARE(reading.value("type").toString(), QStringLiteral("reading"));
    QCOMPARE(reading.value("pressure_mpa").toDouble(), 1.2);
    QCOMPARE(QJsonDocument::fromJson(got[2].toUtf8()).object().value("flow_ml_min").toDouble(), 150.0);
    rig.panel.run();
    QVERIFY(waitFor([&] { return got.size() == 4; }));
    QCOMPARE(QJsonDocument::fromJson(got[3].toUtf8()).object().value("detail").toString(), QStringLiteral("Q00R0000Y"));
    // Turned off at once: the client is let go.
    remote::RemoteSettings off = rig.access->settings();
    off.enabled = false;
    QString error;
    QVERIFY(rig.access->apply(off, &error));
    QVERIFY(waitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
    QVERIFY(rig.access->statusText().isEmpty());
    QCOMPARE(rig.fake.settings.values.value("remote/enabled"), QStringLiteral("false"));
}

void TestRemote::streamRefusesForeignPages()
{
    Rig rig;
    const auto opens = [&](const QString& query, const QByteArray& origin) {
        QWebSocket client(origin.isEmpty() ? QString() : QString::fromLatin1(origin));
        bool first = false;
        connect(&client, &QWebSocket::textMessageReceived, &client, [&] { first = true; });
        client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/stream%2").arg(rig.port).arg(query)));
        waitFor([&] { return first || client.closeCode() != QWebSocketProtocol::CloseCodeNormal; }, 3000);
        return first;
    };
    QVERIFY(opens(QString(), QByteArray()));  // a script on this computer
    // Another site's page in the operator's browser reads nothing without the token.
    QVERIFY(!opens(QString(), "http://evil.example"));
    QVERIFY(!opens(QStringLiteral("?token=wrong"), QByteArray()));
    QVERIFY(opens(QStringLiteral("?token=") + kToken, "http://127.0.0.1:" + QByteArray::number(rig.port)));
}

void TestRemote::remoteFlowReachesThePtyAsTheDialogsFrame()
{
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    Rig rig(true, [](const QString&) { return std::make_unique<platform::QtSerialPort>(); });
    rig.fake.dialogs.answer(pty.path);
    rig.panel.Communication();
    QVERIFY(rig.panel.link().isOpen());
    QCOMPARE(rig.post("/api/v1/flow", "{\"ml_min\": 120}").status, 200);
    // The dialog's own way, for comparison.
    rig.fake.dialogs.answer(QStringLiteral("120"));
    rig.panel.liquid();
    QByteArray got;
    waitFor([&] { return (got += pty.read()).size() >= 18; });
    QCOMPARE(got, QByteArray("Q00L0120YQ00L0120Y"));
}

void TestRemote::dialogShowsTheTokenOnceAndTurnsOffAtOnce()
{
    FakeServices fake;
    Panel panel(fake.services());
    RemoteAccess access(panel, fake.services());
    RemoteDialog dialog(access);
    dialog.show();
    QCOMPARE(access.statusText(), QString());
    dialog.findChild<QCheckBox*>("remoteEnabled")->setChecked(true);
    dialog.findChild<QLineEdit*>("remoteListen")->setText(QStringLiteral("127.0.0.1:0"));
    dialog.findChild<QPushButton*>("remoteApply")->click();
    QVERIFY(access.server().isRunning());
    // A new token, saved, and shown once with its link.
    const QString token = fake.settings.values.value("remote/token");
    QCOMPARE(QByteArray::fromBase64(token.toLatin1(), QByteArray::Base64UrlEncoding).size(), 32);
    QVERIFY(dialog.findChild<QLineEdit*>("remoteLink")->text().endsWith("#token=" + token));
    dialog.findChild<QPushButton*>("remoteCopy")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), dialog.shownLink());
    // On this computer only: no warning about encryption.
    QVERIFY(!dialog.findChild<QLabel*>("remoteWarning")->isVisible());
    QVERIFY(access.statusText().startsWith(QStringLiteral("远程访问 127.0.0.1:")));
    QVERIFY(!access.statusText().contains(QStringLiteral("远程访问未加密")));
    if (const QString dir = qEnvironmentVariable("PUMP_SCREENSHOT_DIR"); !dir.isEmpty())
        dialog.grab().save(dir + QStringLiteral("/remote-dialog.png"));
    dialog.hide();
    dialog.show();
    QVERIFY(dialog.findChild<QLineEdit*>("remoteLink")->text().isEmpty());
    dialog.findChild<QPushButton*>("remoteReplace")->click();
    QVERIFY(fake.settings.values.value("remote/token") != token);
    dialog.findChild<QPushButton*>("remoteOff")->click();
    QVERIFY(!access.server().isRunning());
    QCOMPARE(fake.settings.values.value("remote/enabled"), QStringLiteral("false"));
}

void TestRemote::numberFieldReasons_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("error");
    QTest::newRow("number") << QByteArray("{\"mpa\": 1.5}") << QString();
    QTest::newRow("not JSON") << QByteArray("mpa=1.5") << "bad JSON at offset";
    QTest::newRow("array") << QByteArray("[1.5]") << "must be a JSON object";
    QTest::newRow("missing") << QByteArray("{\"ml_min\": 1}") << "\"mpa\" is missing";
    QTest::newRow("text") << QByteArray("{\"mpa\": \"1.5\"}") << "\"mpa\" must be a number";
    QTest::newRow("empty") << QByteArray() << "bad JSON";
}

void TestRemote::numberFieldReasons()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, error);
    const remote::commands::NumberField field = remote::commands::numberField(body, QStringLiteral("mpa"));
    QCOMPARE(field.value.has_value(), error.isEmpty());
    QVERIFY2(field.error.startsWith(error) || field.error.contains(error), qPrintable(field.error));
}

QTEST_MAIN(TestRemote)
#include "test_remote.moc"
