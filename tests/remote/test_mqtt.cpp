#include "fakes/broker.h"
#include "fakes/fakeservices.h"
#include "fakes/journalrows.h"
#include "panel/journalfeed.h"
#include "panel/mainwindow.h"
#include "panel/mqttdialog.h"
#include "panel/mqttfeed.h"
#include "panel/panel.h"
#include "panel/remoteaccess.h"
#include "platform/mosquittoclient.h"
#include "remote/mqttpublisher.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using remote::MqttPublisher;

namespace {

qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }

// A panel on a fake port, its run history on a temporary file and the real
// publisher, on a computer named so that its topic needs cleaning.
struct Rig {
    FakeServices fakes;
    JournalFile file;
    history::Journal journal{file.path, QStringLiteral("test")};
    Panel panel{fakes.services()};
    MqttPublisher mqtt{platform::mosquittoMaker(), now, QStringLiteral("lab/pc+1")};
    RemoteAccess remote{panel, fakes.services()};
    MqttFeed feed{panel, remote, mqtt, now};
    JournalFeed journalFeed{panel, journal, fakes.dialogs};
    const QString root = QStringLiteral("pump-panel/lab_pc_1/ttyUSB0");

    Rig()
    {
        feed.setJournal(&journal);
        fakes.dialogs.answer(QStringLiteral("/dev/ttyUSB0"));
        panel.Communication();
    }
    static remote::MqttSettings on(const Broker& broker)
    {
        remote::MqttSettings s;
        s.enabled = true;
        s.host = QStringLiteral("127.0.0.1");
        s.port = broker.port;
        return s;
    }
    bool connectTo(const remote::MqttSettings& s)
    {
        mqtt.start(s);
        return QTest::qWaitFor([this] { return mqtt.state() == MqttPublisher::State::Connected; }, 5000);
    }
};

bool contains(Subscriber& sub, const QString& text, int ms = 5000)
{
    return QTest::qWaitFor([&] { return sub.messages().join(QLatin1Char('\n')).contains(text); }, ms);
}

}  // namespace

class TestMqtt : public QObject {
    Q_OBJECT
private slots:
    void publishesTheRunAndKeepsTheState();
    void commands_data();
    void commands();
    void keepsEventsInOrderThroughAnOutage();
    void refusedLoginIsToldOnce();
    void tls();
    void lastWillWhenKilled();
    void dialogSavesAndStarts();
};

void TestMqtt::publishesTheRunAndKeepsTheState()
{
    Broker broker;
    QVERIFY(broker.start());
    Rig rig;
    Subscriber early(broker, rig.root + QStringLiteral("/#"));
    QTRY_VERIFY(early.subscribed());
    QVERIFY(rig.connectTo(Rig::on(broker)));
    rig.panel.run();
    rig.fakes.port->feed(pressureAnswer(1.2));
    rig.feed.setAlarmProvider([] { return QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("high")}}}; });
    rig.feed.alarmsChanged();
    QVERIFY(contains(early, rig.root + QStringLiteral("/event {\"detail\":\"127.0.0.1:%1\",\"kind\":\"broker_connected\"")
                                           .arg(broker.port)));
    QVERIFY(contains(early, QStringLiteral("\"detail\":\"Q00R0000Y\",\"kind\":\"command\",\"source\":\"menu\"")));
    QVERIFY(contains(early, rig.root + QStringLiteral("/reading {\"flow_ml_min\":null,\"letter\":\"N\",\"pressure_limit_mpa\":null,"
                                                      "\"pressure_mpa\":1.2,\"pump\":1,")));

    // Retained for whoever comes later: online, the state, the alarms.
    Subscriber late(broker, rig.root + QStringLiteral("/#"));
    QVERIFY(contains(late, rig.root + QStringLiteral("/online true")));
    QVERIFY(contains(late, QStringLiteral("\"link\":\"open\",\"panel_version\":\"\",\"port\":\"/dev/ttyUSB0\"")));
    QVERIFY(contains(late, QStringLiteral("\"running\":true,")));
    QVERIFY(contains(late, QStringLiteral("/alarms {\"alarms\":[{\"name\":\"high\"}]")));
    QVERIFY(!late.messages().join(QLatin1Char('\n')).contains(QStringLiteral("/reading ")));

    // Stopped: online turns false, and the run history has both ends.
    rig.mqtt.stop();
    QVERIFY(contains(late, rig.root + QStringLiteral("/online false")));
    QVERIFY(rig.journal.flush());
    QCOMPARE(journalRows(rig.file.path, QStringLiteral("SELECT kind FROM events WHERE kind LIKE 'broker%'")),
             (QStringList{QStringLiteral("broker_connected"), QStringLiteral("broker_disconnected")}));
}

void TestMqtt::commands_data()
{
    QTest::addColumn<bool>("control");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("frame");  // what reaches the pump

    QTest::newRow("control off") << false << "run" << "" << R"("ok":false,"reason":"control is off")" << "";
    QTest::newRow("run") << true << "run" << R"({"client_id":"scada-1"})" << R"("client_id":"scada-1","command":"run","ok":true)"
                         << "Q00R0000Y";
    QTest::newRow("stop") << true << "stop" << "" << R"("ok":true)" << "Q00S0000Y";
    QTest::newRow("flow") << true << "flow" << R"({"ml_min": 120})" << R"("ok":true)" << "Q00L0120Y";
    QTest::newRow("pressure limit") << true << "pressure-limit" << R"({"mpa": 1.5})" << R"("ok":true)" << "Q00P01.5Y";
    QTest::newRow("flow out of range") << true << "flow" << R"({"ml_min": 501})" << R"("ok":false,"reason":"流量设定错误!")" << "";
    QTest::newRow("not JSON") << true << "flow" << "ml_min=120" << "malformed payload" << "";
    QTest::newRow("not a number") << true << "pressure-limit" << R"({"mpa":"1.5"})" << "malformed payload" << "";
    QTest::newRow("no number") << true << "flow" << "" << "malformed payload" << "";
    QTest::newRow("unknown") << true << "explode" << "" << "unknown command" << "";
    QTest::newRow("ack without alarms") << true << "ack" << "" << R"("ok":false)" << "";
}

void TestMqtt::commands()
{
    QFETCH(bool, control);
    QFETCH(QString, command);
    QFETCH(QString, payload);
    QFETCH(QString, result);
    QFETCH(QString, frame);
    Broker broker;
    QVERIFY(broker.start());
    Rig rig;
    remote::MqttSettings s = Rig::on(broker);
    s.control = control;
    QVERIFY(rig.connectTo(s));
    Subscriber results(broker, rig.root + QStringLiteral("/cmd/result"));
    QTRY_VERIFY(results.subscribed());
    QVERIFY(broker.publish(rig.root + QStringLiteral("/cmd/") + command, payload));
    QVERIFY2(contains(results, QStringLiteral("\"command\":\"%1\"").arg(command)), qPrintable(results.messages().join('\n')));
    QVERIFY2(results.messages().constFirst().contains(result), qPrintable(results.messages().constFirst()));
    QCOMPARE(rig.fakes.port->writtenFrames(), frame.isEmpty() ? QStringList() : QStringList{frame});
    if (frame.isEmpty())
        return;
    // Recorded as coming from MQTT, with the client that said who it was.
    QVERIFY(rig.journal.flush());
    const QStringList rows =
        journalRows(rig.file.path, QStringLiteral("SELECT detail FROM events WHERE kind = 'command' AND source = 'mqtt'"));
    QCOMPARE(rows, QStringList{payload.contains("client_id") ? frame + QStringLiteral(", client scada-1") : frame});
}

void TestMqtt::keepsEventsInOrderThroughAnOutage()
{
    Broker broker;
    QVERIFY(broker.start());
    Rig rig;
    QVERIFY(rig.connectTo(Rig::on(broker)));
    broker.stop();
    QTRY_COMPARE(rig.mqtt.state(), MqttPublisher::State::Waiting);
    // Back-off: 1 s, then doubling up to a minute.
    QCOMPARE(rig.mqtt.retryDelayMs(), 2000);
    for (int expected : {4000, 8000, 16000, 32000, 60000, 60000}) {
        rig.mqtt.retry();
        QCOMPARE(rig.mqtt.retryDelayMs(), expected);
    }
    for (const char* copies : {"1", "2", "3"})
        rig.journal.record(history::EventKind::Printed, QLatin1String(copies));
    QVERIFY(broker.start());
    Subscriber events(broker, rig.root + QStringLiteral("/event"));
    QTRY_VERIFY(events.subscribed());
    rig.mqtt.retry();
    QTRY_VERIFY(events.messages().join('\n').section(QStringLiteral("\"detail\":\"3\""), 1).contains("broker_connected"));
    // (The first connect's own event comes first if the old broker had not
    // confirmed it.)
    QStringList kinds;
    for (const QString& m : events.messages())
        kinds << m.section(QStringLiteral("\"kind\":\""), 1).section(QLatin1Char('"'), 0, 0) + QLatin1Char(' ')
                     + m.section(QStringLiteral("\"detail\":\""), 1).section(QLatin1Char('"'), 0, 0);
    const QString connected = QStringLiteral("broker_connected 127.0.0.1:%1").arg(broker.port);
    if (kinds.constFirst() == connected)
        kinds.removeFirst();
    QCOMPARE(kinds, (QStringList{"broker_disconnected The connection was lost.", "printed 1", "printed 2", "printed 3",
                                 connected}));
    QTRY_COMPARE(rig.mqtt.queued(), 0);
}

void TestMqtt::refusedLoginIsToldOnce()
{
    Broker broker;
    QVERIFY(QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), QStringLiteral("-c"), broker.file(QStringLiteral("passwd")),
                               QStringLiteral("panel"), QStringLiteral("secret")})
            == 0);
    QVERIFY(broker.start(QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(broker.file("passwd"))));
    Rig rig;
    QSignalSpy refused(&rig.mqtt, &MqttPublisher::refused);
    remote::MqttSettings s = Rig::on(broker);
    s.username = QStringLiteral("panel");
    s.password = QStringLiteral("wrong");
    rig.mqtt.start(s);
    QTRY_COMPARE(refused.count(), 1);
    QVERIFY(refused.constFirst().constFirst().toString().contains(QStringLiteral("拒绝了登录")));
    rig.mqtt.retry();
    QTRY_COMPARE(rig.mqtt.retryDelayMs(), 4000);
    QCOMPARE(refused.count(), 1);

    // Kept while away: events up to the limit, the oldest dropped first.
    for (int i = 0; i < MqttPublisher::kQueueLimit + 2; ++i)
        rig.mqtt.publishEvent(QByteArray::number(i));
    QCOMPARE(rig.mqtt.queued(), MqttPublisher::kQueueLimit);
    QCOMPARE(rig.mqtt.droppedFromQueue(), 2);

    s.password = QStringLiteral("secret");
    QVERIFY(rig.connectTo(s));
}

void TestMqtt::tls()
{
    Broker broker;
    const auto openssl = [&broker](const QString& args) {
        QProcess p;
        p.setWorkingDirectory(broker.dir.path());
        p.start(QStringLiteral("openssl"), args.split(QLatin1Char(' ')));
        return p.waitForFinished(20000) && p.exitCode() == 0;
    };
    const QString key = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ");
    QFile ext(broker.file(QStringLiteral("ext")));
    QVERIFY(ext.open(QIODevice::WriteOnly) && ext.write("subjectAltName=IP:127.0.0.1\n") > 0);
    ext.close();
    QVERIFY(openssl(QStringLiteral("req -x509 ") + key + QStringLiteral("-keyout ca.key -out ca.crt -subj /CN=test-ca")));
    QVERIFY(openssl(QStringLiteral("req -x509 ") + key + QStringLiteral("-keyout other.key -out other.crt -subj /CN=other")));
    QVERIFY(openssl(QStringLiteral("req ") + key + QStringLiteral("-keyout server.key -out server.csr -subj /CN=127.0.0.1")));
    QVERIFY(openssl(QStringLiteral("x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 "
                                   "-extfile ext -out server.crt")));
    QVERIFY(broker.start(QStringLiteral("cafile %1\ncertfile %2\nkeyfile %3\nallow_anonymous true\n")
                             .arg(broker.file("ca.crt"), broker.file("server.crt"), broker.file("server.key"))));
    Rig rig;
    QSignalSpy refused(&rig.mqtt, &MqttPublisher::refused);
    remote::MqttSettings s = Rig::on(broker);
    s.tlsCa = broker.file(QStringLiteral("other.crt"));
    rig.mqtt.start(s);
    QTRY_COMPARE(refused.count(), 1);
    QVERIFY(refused.constFirst().constFirst().toString().contains(QStringLiteral("证书未被接受")));
    s.tlsCa = broker.file(QStringLiteral("ca.crt"));
    QVERIFY(rig.connectTo(s));
}

void TestMqtt::lastWillWhenKilled()
{
    Broker broker;
    QVERIFY(broker.start());
    Subscriber online(broker, QStringLiteral("pump-panel/child/none/online"));
    QTRY_VERIFY(online.subscribed());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), QString::number(broker.port)});
    QVERIFY(contains(online, QStringLiteral("online true")));
    child.kill();
    QVERIFY(contains(online, QStringLiteral("online false")));
}

void TestMqtt::dialogSavesAndStarts()
{
    Broker broker;
    QVERIFY(broker.start());
    FakeServices fakes;
    platform::Services services = fakes.services();
    services.makeMqtt = platform::mosquittoMaker();
    Form1 window(services);
    QCOMPARE(window.mqtt()->state(), MqttPublisher::State::Off);
    window.action(QStringLiteral("mqtt"))->trigger();
    MqttDialog* dialog = window.mqttDialog();
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QCheckBox*>(QStringLiteral("mqttEnabled"))->setChecked(true);
    dialog->findChild<QLineEdit*>(QStringLiteral("mqttHost"))->setText(QStringLiteral("127.0.0.1"));
    dialog->findChild<QSpinBox*>(QStringLiteral("mqttPort"))->setValue(broker.port);
    dialog->accept();
    QCOMPARE(fakes.settings.values.value(QStringLiteral("mqtt/enabled")), QStringLiteral("true"));
    QCOMPARE(fakes.settings.values.value(QStringLiteral("mqtt/port")), QString::number(broker.port));
    QTRY_COMPARE(window.mqtt()->state(), MqttPublisher::State::Connected);
    QCOMPARE(window.mqttLabel()->text(), QStringLiteral("MQTT 已连接 127.0.0.1:%1").arg(broker.port));
}

// test_mqtt --child PORT: a publisher on the broker at PORT until killed.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        MqttPublisher mqtt(platform::mosquittoMaker(), now, QStringLiteral("child"));
        remote::MqttSettings s;
        s.enabled = true;
        s.host = QStringLiteral("127.0.0.1");
        s.port = QByteArray(argv[2]).toInt();
        mqtt.start(s);
        return app.exec();
    }
    TestMqtt test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mqtt.moc"
