// The alarm core on a stepped clock: each row sets the [alarms] keys, plays a
// script of answers, run/stop, flags, ticks and operator steps, and compares
// every transition it said and the states it left.
#include "alarms/alarms.h"

#include "fakes/fakealerts.h"
#include "fakes/fakesettings.h"

#include <QtTest>

using namespace alarms;

namespace {

// The pump side of the stop: whether a port took the frame.
struct Port final : PumpStopper {
    bool open = true;
    int stops = 0;
    bool stopPump() override { ++stops; return open; }
};

QString stateName(State s)
{
    static const char* const names[] = {"normal", "unack", "ack", "returned"};
    return QLatin1String(names[static_cast<int>(s)]);
}

}  // namespace

class TestAlarms : public QObject {
    Q_OBJECT
private slots:
    void script_data();
    void script();
    void badKeysKeepDefaults();
};

void TestAlarms::script_data()
{
    QTest::addColumn<QString>("keys");    // "key=value;…" of [alarms]
    QTest::addColumn<QString>("steps");   // see script()
    QTest::addColumn<QString>("said");    // the transitions, in order
    QTest::addColumn<QString>("states");  // "key:state:count" of every shown alarm, newest first

    // Thresholds and delays.
    QTest::newRow("high: off by default") << "" << "p1.9 +5000 p1.9" << "" << "";
    QTest::newRow("high: below threshold") << "high_pressure_mpa=1.5" << "p1.4 +5000 p1.4" << "" << "";
    QTest::newRow("high: delay not yet") << "high_pressure_mpa=1.5" << "p1.5 +1999 p1.6" << "" << "";
    QTest::newRow("high: after delay, stop sent")
        << "high_pressure_mpa=1.5" << "p1.5 +2000 p1.6"
        << "raised high_pressure 1.60/1.50, stop high_pressure sent" << "high_pressure:unack:1";
    QTest::newRow("high: delay ends by the tick") << "high_pressure_mpa=1.5" << "p1.5 +2000 tick"
                                                  << "raised high_pressure 1.50/1.50, stop high_pressure sent"
                                                  << "high_pressure:unack:1";
    QTest::newRow("high: a dip restarts the delay") << "high_pressure_mpa=1.5" << "p1.5 +1500 p1.4 +600 p1.5 +1500 p1.5"
                                                     << "" << "";
    QTest::newRow("high: stop without a port")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0" << "closed p1.5"
        << "raised high_pressure 1.50/1.50, stop high_pressure not sent" << "high_pressure:unack:1";
    QTest::newRow("high: warn sends no stop") << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn"
                                              << "p1.8" << "raised high_pressure 1.80/1.50" << "high_pressure:unack:1";
    // Hysteresis: clears only 0.05 MPa below the threshold.
    QTest::newRow("high: hysteresis holds") << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn"
                                            << "p1.5 p1.46 p1.5 p1.46" << "raised high_pressure 1.50/1.50"
                                            << "high_pressure:unack:1";
    QTest::newRow("high: clears past hysteresis, returned unack")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn" << "p1.5 p1.44"
        << "raised high_pressure 1.50/1.50, cleared high_pressure" << "high_pressure:returned:1";
    // Latch and acknowledge.
    QTest::newRow("ack while active, then clear: gone")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn" << "p1.6 ack:high_pressure p1.0"
        << "raised high_pressure 1.60/1.50, ack high_pressure, cleared high_pressure" << "";
    QTest::newRow("cleared, then ack: gone")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn" << "p1.6 p1.0 ackall"
        << "raised high_pressure 1.60/1.50, cleared high_pressure, ack high_pressure" << "";
    QTest::newRow("ack twice says once") << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn"
                                         << "p1.6 ack:high_pressure ack:high_pressure"
                                         << "raised high_pressure 1.60/1.50, ack high_pressure" << "high_pressure:ack:1";
    // Raised again while shown: counted, not piled up.
    QTest::newRow("repeated raise counts")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn" << "p1.6 p1.0 p1.7 p1.0 p1.8"
        << "raised high_pressure 1.60/1.50, cleared high_pressure, raised high_pressure 1.70/1.50, "
           "cleared high_pressure, raised high_pressure 1.80/1.50"
        << "high_pressure:unack:3";
    QTest::newRow("raise after ack and clear starts anew")
        << "high_pressure_mpa=1.5;high_pressure_delay_s=0;high_pressure_action=warn"
        << "p1.6 ack:high_pressure p1.0 p1.7"
        << "raised high_pressure 1.60/1.50, ack high_pressure, cleared high_pressure, raised high_pressure 1.70/1.50"
        << "high_pressure:unack:1";
    // Low pressure: only while running, past the grace, for the delay.
    QTest::newRow("low: not while stopped") << "low_pressure_mpa=0.2" << "p0.0 +100000 p0.0" << "" << "";
    QTest::newRow("low: within grace") << "low_pressure_mpa=0.2" << "run p0.0 +59999 p0.0 tick" << "" << "";
    QTest::newRow("low: grace, then delay")
        << "low_pressure_mpa=0.2" << "run p0.0 +60000 p0.1 +9999 tick +1 tick"
        << "raised low_pressure 0.10/0.20" << "low_pressure:unack:1";
    QTest::newRow("low: stop clears it") << "low_pressure_mpa=0.2;low_pressure_grace_s=0;low_pressure_delay_s=0"
                                         << "run p0.1 stop" << "raised low_pressure 0.10/0.20, cleared low_pressure"
                                         << "low_pressure:returned:1";
    QTest::newRow("low: hysteresis above") << "low_pressure_mpa=0.2;low_pressure_grace_s=0;low_pressure_delay_s=0"
                                           << "run p0.2 p0.24 p0.25" << "raised low_pressure 0.20/0.20, cleared low_pressure"
                                           << "low_pressure:returned:1";
    // Pressure drop within the window, only with an unchanged flow.
    QTest::newRow("drop: within window") << "pressure_drop_mpa=0.5" << "run p1.5 +4000 p1.2 +4000 p0.9"
                                         << "raised pressure_drop 0.60/0.50" << "pressure_drop:unack:1";
    QTest::newRow("drop: too slow for window") << "pressure_drop_mpa=0.5" << "run p1.5 +6000 p1.2 +6000 p0.9" << ""
                                               << "";
    QTest::newRow("drop: flow changed") << "pressure_drop_mpa=0.5" << "run f100 p1.5 +4000 f50 p1.2 +4000 p0.9" << ""
                                        << "";
    QTest::newRow("drop: not while stopped") << "pressure_drop_mpa=0.5" << "p1.5 +4000 p0.9" << "" << "";
    QTest::newRow("drop: window slides past, clears")
        << "pressure_drop_mpa=0.5;pressure_drop_window_s=5" << "run p1.5 +1000 p0.9 +3000 p0.9 +3000 p0.9"
        << "raised pressure_drop 0.60/0.50, cleared pressure_drop" << "pressure_drop:returned:1";
    // The pressure limit the pump shows.
    QTest::newRow("limit reached") << "" << "L1.0 p0.9 p1.0" << "raised limit_reached 1.00/1.00"
                                   << "limit_reached:unack:1";
    QTest::newRow("limit 0 is none") << "" << "L0.0 p0.0" << "" << "";
    QTest::newRow("limit switched off") << "limit_reached_enabled=false" << "L1.0 p1.2" << "" << "";
    // Flags.
    QTest::newRow("link lost and back") << "" << "lost back" << "raised link_lost, cleared link_lost"
                                        << "link_lost:returned:1";
    QTest::newRow("link lost with stop action") << "link_lost_action=stop" << "closed lost"
                                                << "raised link_lost, stop link_lost not sent" << "link_lost:unack:1";
    QTest::newRow("two alarms, newest first") << "" << "lost +1000 kept"
                                              << "raised link_lost, raised stop_undelivered"
                                              << "stop_undelivered:unack:1 link_lost:unack:1";
    QTest::newRow("journal flag off") << "journal_failed_enabled=no" << "journal" << "" << "";
    // Silence: two minutes, then the sound is wanted again; a new alarm ends it.
    QTest::newRow("silence expires") << "" << "lost silence sound? +119999 tick sound? +1 tick sound?"
                                     << "raised link_lost, silenced, quiet, quiet, sounding" << "link_lost:unack:1";
    QTest::newRow("silence ended by a new alarm") << "" << "lost silence +1000 kept sound?"
                                                  << "raised link_lost, silenced, raised stop_undelivered, sounding"
                                                  << "stop_undelivered:unack:1 link_lost:unack:1";
    QTest::newRow("acknowledged: no sound, nothing to silence") << "" << "lost ackall sound? silence"
                                                                << "raised link_lost, ack link_lost, quiet"
                                                                << "link_lost:ack:1";
    // The command hook runs on raise, clear and acknowledge; a failed start is said.
    QTest::newRow("command") << "command=/usr/bin/notify" << "lost back ackall"
                             << "raised link_lost, run link_lost raised, cleared link_lost, run link_lost cleared, "
                                "ack link_lost, run link_lost acknowledged"
                             << "";
    QTest::newRow("command fails to start")
        << "command=/nowhere" << "nostart lost"
        << "raised link_lost, run link_lost raised, command failed link_lost: not found" << "link_lost:unack:1";
}

// Steps: pN answer with pressure N; LN answer with limit N; fN answer with
// flow N; +N the clock moves N ms; tick; run / stop (a frame reached the
// pump); closed (no port takes the stop); lost / back; kept (a stop is kept);
// journal (the journal fails); ack:KEY; ackall; silence; sound? (says
// sounding or quiet); nostart (the command cannot start).
void TestAlarms::script()
{
    QFETCH(QString, keys);
    QFETCH(QString, steps);
    FakeSettings file;
    for (const QString& pair : keys.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        file.values.insert(QStringLiteral("alarms/") + pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    QStringList bad;
    const Config config = readConfig(&file, &bad);
    QCOMPARE(bad, QStringList());

    Port port;
    FakeLauncher launches;
    qint64 now = 1000;
    const QDateTime start(QDate(2024, 5, 1), QTime(8, 0), Qt::UTC);
    AlarmCore core(port, [&] { return now; }, [&] { return start.addMSecs(now); }, &launches);
    core.setConfig(config);
    QStringList said;
    int launched = 0;
    // What was started, in order with the steps: a start shows before the next step.
    const auto flushLaunches = [&] {
        for (; launched < launches.started.size(); ++launched) {
            const QStringList words = launches.started[launched].split(QLatin1Char(' '));
            QCOMPARE(words.value(0), config.command);
            QCOMPARE(words.last(), QStringLiteral("10000"));
            // NAME STATE VALUE ISO-TIME: the value is empty for a flag, the time the clock's.
            QCOMPARE(words.value(words.size() - 2), start.addMSecs(now).toString(Qt::ISODateWithMs));
            said << QStringLiteral("run ") + words.mid(1, 2).join(QLatin1Char(' '));
        }
    };
    connect(&core, &AlarmCore::transitioned, this, [&](const Transition& t) {
        flushLaunches();
        const QString key = keyName(t.alarm.condition);
        const auto num = [](double v) { return QString::number(v, 'f', 2); };
        switch (t.kind) {
        case Transition::Raised:
            said << QStringLiteral("raised ") + key
                        + (std::isnan(t.alarm.value) ? QString() : QLatin1Char(' ') + num(t.alarm.value) + QLatin1Char('/') + num(t.alarm.threshold));
            break;
        case Transition::Acknowledged: said << QStringLiteral("ack ") + key; break;
        case Transition::Cleared: said << QStringLiteral("cleared ") + key; break;
        case Transition::Silenced: said << QStringLiteral("silenced"); break;
        case Transition::Stopped: said << QStringLiteral("stop %1 %2").arg(key, t.delivered ? "sent" : "not sent"); break;
        case Transition::CommandFailed: said << QStringLiteral("command failed %1: %2").arg(key, t.reason); break;
        }
    });
    const double none = kNone;
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const double n = step.mid(1).toDouble();
        if (step.startsWith(QLatin1Char('p')))
            core.answer(n, none, none);
        else if (step.startsWith(QLatin1Char('L')))
            core.answer(none, n, none);
        else if (step.startsWith(QLatin1Char('f')))
            core.answer(none, none, n);
        else if (step.startsWith(QLatin1Char('+')))
            now += static_cast<qint64>(n);
        else if (step == QLatin1String("tick"))
            core.tick();
        else if (step == QLatin1String("run") || step == QLatin1String("stop"))
            core.setRunning(step == QLatin1String("run"));
        else if (step == QLatin1String("closed"))
            port.open = false;
        else if (step == QLatin1String("lost") || step == QLatin1String("back"))
            core.setLinkLost(step == QLatin1String("lost"));
        else if (step == QLatin1String("kept"))
            core.setStopUndelivered(true);
        else if (step == QLatin1String("journal"))
            core.setJournalFailed(true);
        else if (step.startsWith(QLatin1String("ack:"))) {
            Condition c;
            QVERIFY(conditionOfKey(step.mid(4), &c));
            core.acknowledge(c, AckSource::Menu);
        } else if (step == QLatin1String("ackall"))
            core.acknowledgeAll(AckSource::Dialog);
        else if (step == QLatin1String("silence"))
            core.silence();
        else if (step == QLatin1String("sound?"))
            said << (core.soundWanted() ? QStringLiteral("sounding") : QStringLiteral("quiet"));
        else if (step == QLatin1String("nostart"))
            launches.failWith = QStringLiteral("not found");
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
    flushLaunches();
    QTEST(said.join(QStringLiteral(", ")), "said");
    QStringList states;
    for (const Alarm& a : core.shown())
        states << QStringLiteral("%1:%2:%3").arg(keyName(a.condition), stateName(a.state)).arg(a.count);
    QTEST(states.join(QLatin1Char(' ')), "states");
    // The stop went out once per raise with the stop action, and no other time.
    QCOMPARE(port.stops, said.filter(QStringLiteral("stop ")).size());
}

void TestAlarms::badKeysKeepDefaults()
{
    FakeSettings file;
    file.values = {{"alarms/high_pressure_mpa", "2.5"},       {"alarms/high_pressure_delay_s", "soon"},
                   {"alarms/low_pressure_action", "halt"},    {"alarms/low_pressure_mpa", "0.3"},
                   {"alarms/pressure_drop_window_s", "0"},    {"alarms/link_lost_enabled", "maybe"},
                   {"alarms/journal_failed_enabled", "false"}};
    QStringList bad;
    const Config c = readConfig(&file, &bad);
    QCOMPARE(bad, (QStringList{"alarms/high_pressure_mpa", "alarms/high_pressure_delay_s", "alarms/low_pressure_action",
                               "alarms/pressure_drop_window_s", "alarms/link_lost_enabled"}));
    QCOMPARE(c.rule(Condition::HighPressure).mpa, 0.0);
    QCOMPARE(c.rule(Condition::HighPressure).delayS, 2.0);
    QCOMPARE(c.rule(Condition::HighPressure).action, Action::Stop);
    QCOMPARE(c.rule(Condition::LowPressure).mpa, 0.3);
    QCOMPARE(c.rule(Condition::LowPressure).action, Action::Warn);
    QCOMPARE(c.rule(Condition::PressureDrop).windowS, 10.0);
    QVERIFY(c.watches(Condition::LinkLost));
    QVERIFY(!c.watches(Condition::JournalFailed));
    // Written and read back, every key comes back as it was.
    FakeSettings again;
    writeConfig(again, c);
    bad.clear();
    const Config back = readConfig(&again, &bad);
    QCOMPARE(bad, QStringList());
    for (Condition k : kConditions) {
        QCOMPARE(back.rule(k).mpa, c.rule(k).mpa);
        QCOMPARE(back.rule(k).action, c.rule(k).action);
        QCOMPARE(back.watches(k), c.watches(k));
    }
}

QTEST_GUILESS_MAIN(TestAlarms)
#include "test_alarms.moc"
