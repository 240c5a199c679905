// What the panel tells the journal: each command, set point, port and link
// change, timed-run step, save, print, CSV log switch and exit becomes one
// event of the right kind, detail and source; each answer one reading with
// the boxes as numbers. Driven through Panel with scripted fakes.
#include "history/historysource.h"
#include "history/journal.h"
#include "panel/journalfeed.h"
#include "panel/panel.h"

#include "fakes/fakeservices.h"
#include "alarms/alarms.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

struct Rig {
    QTemporaryDir dir;
    FakeServices fakes;
    Panel panel{fakes.services()};
    history::Journal journal{dir.filePath(QStringLiteral("history.sqlite3")), QStringLiteral("2.0")};
    JournalFeed feed{panel, journal, fakes.dialogs};

    // Runs the words of a script: a handler's name, "answer:TEXT" for the
    // next input box, "feed:FRAME" for an answer from the pump, and a few
    // fault switches.
    void run(const QString& script)
    {
        const QMap<QString, std::function<void()>> handlers = {
            {"run", [this] { panel.run(); }}, {"stop", [this] { panel.stop(); }},
            {"rrun", [this] { panel.rrun(); }}, {"rstop", [this] { panel.rstop(); }},
            {"Cmdr", [this] { panel.Cmdr(); }}, {"Cmds", [this] { panel.Cmds(); }},
            {"Cmdl", [this] { panel.Cmdl(); }}, {"Cmdp", [this] { panel.Cmdp(); }},
            {"Cmd0", [this] { panel.Cmd0(13); }}, {"Cmd1", [this] { panel.Cmd1(); }},
            {"Cmd2", [this] { panel.Cmd2(); }}, {"Cmd3", [this] { panel.Cmd3(); }},
            {"Cmd5", [this] { panel.Cmd5(); }},
            {"liquid", [this] { panel.liquid(); }}, {"pressure", [this] { panel.pressure(); }},
            {"Pump_NO", [this] { panel.Pump_NO(); }}, {"stset", [this] { panel.stset(); }},
            {"ststart", [this] { panel.ststart(); }}, {"stzanting", [this] { panel.stzanting(); }},
            {"stcontiune", [this] { panel.stcontiune(); }}, {"stend", [this] { panel.stend(); }},
            {"tick", [this] { fakes.now += 1000; panel.timedRun().tick(); }}, {"save", [this] { panel.save(); }},
            {"print", [this] { panel.print(); }}, {"csvon", [this] { panel.csvlog(true); }},
            {"csvoff", [this] { panel.csvlog(false); }}, {"end", [this] { panel.end(); }},
            {"unload", [this] { panel.Form_Unload(); }}, {"Communication", [this] { panel.Communication(); }},
            {"poll", [this] { panel.link().pollTick(); }}, {"dose", [this] { panel.dose(); }},
            {"yes", [this] { fakes.dialogs.yes.enqueue(true); }}, {"runPause", [this] { panel.runPause(); }},
            {"runContinue", [this] { panel.runContinue(); }}, {"runEnd", [this] { panel.runEnd(); }},
            {"program", [this] { panel.startProgram({{2000, 100, std::nullopt, program::Change::Step},
                                                     {3000, 160, 1.5, program::Change::Ramp}}, "two.csv", false); }},
            {"ptick", [this] { fakes.now += 1000; panel.program().tick(); }},
        };
        for (const QString& word : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString arg = word.section(QLatin1Char(':'), 1);
            if (word.startsWith(QLatin1String("answer:")))
                fakes.dialogs.answer(arg);
            else if (word.startsWith(QLatin1String("feed:")))
                fakes.port->feed(arg.toLatin1());
            else if (word.startsWith(QLatin1String("lose:")))
                fakes.port->failLine(arg);
            else if (word.startsWith(QLatin1String("refuse:")))
                fakes.refuseOpen = arg;
            else if (word.startsWith(QLatin1String("saveFails:")))
                fakes.store.failWith = arg;
            else if (word.startsWith(QLatin1String("copies:")))
                fakes.printer.copies = arg.toInt();
            else if (word.startsWith(QLatin1String("alarm:"))) {  // a key of [alarms], read again
                fakes.settings.setValue(QStringLiteral("alarms"), arg.section(QLatin1Char('='), 0, 0), arg.section(QLatin1Char('='), 1));
                panel.Form_Load();
            } else if (word.startsWith(QLatin1String("later:")))
                fakes.now += arg.toLongLong();
            else if (word == QLatin1String("alarmtick"))
                panel.alarms().tick();
            else if (word == QLatin1String("ackall"))
                panel.alarms().acknowledgeAll(alarms::AckSource::Keypad);
            else if (word == QLatin1String("silence"))
                panel.alarms().silence();
            else if (handlers.contains(word))
                handlers[word]();
            else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + word));
        }
    }

    std::unique_ptr<history::HistorySource> flushed()
    {
        return journal.flush() ? history::openJournal(journal.path(), nullptr) : nullptr;
    }
};

}  // namespace

class TestJournalFeed : public QObject {
    Q_OBJECT
private slots:
    void events_data();
    void events();
    void readingsCarryThePumpsSetPoints();
    void troublesAreToldOnceFromTheEventLoop();
};

void TestJournalFeed::events_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");  // kind|detail|source, after connecting COM4
    const auto row = [](const char* name, const char* script, QStringList expected) {
        QTest::newRow(name) << QString::fromUtf8(script) << expected;
    };
    row("run and stop from the menu, the pop-up and the keypad", "run stop rrun rstop Cmdr Cmds",
        {"command|Q00R0000Y|menu", "command|Q00S0000Y|menu", "command|Q00R0000Y|popup", "command|Q00S0000Y|popup",
         "command|Q00R0000Y|keypad", "command|Q00S0000Y|keypad"});
    row("set points by dialog", "answer:200 liquid answer:1.5 pressure answer:3 Pump_NO answer:900 liquid",
        {"command|Q00L0200Y|dialog", "flow_set|? → 200|dialog", "command|Q00P01.5Y|dialog",
         "pressure_set|? → 01.5|dialog", "pump_number_set|0 → 3|dialog"});
    row("set points on the keypad", "Cmdl Cmd1 Cmd2 Cmd0 Cmdp Cmd0 Cmd1 Cmd5",
        {"command|Q00L0120Y|keypad", "flow_set|? → 120|keypad", "command|Q00P01.5Y|keypad",
         "pressure_set|? → 01.5|keypad"});
    // Set points are those the pump has: a refused entry is none.
    row("a refused keypad entry", "feed:Q01P01.2Y Cmdp Cmd3 Cmd0 Cmd0 Cmdp Cmd0 Cmd1 Cmd5",
        {"command|Q00P01.5Y|keypad", "pressure_set|01.2 → 01.5|keypad"});
    row("a set point with no port open", "lose:gone answer:200 liquid",
        {"port_lost|COM4: gone|", "command|dropped, no port open: Q00L0200Y|dialog"});
    row("a keypad entry an answer rewrote, begun again", "Cmdl Cmd1 feed:Q01L0250Y Cmdl Cmd1 Cmd2 Cmd0",
        {"command|Q00L0120Y|keypad", "flow_set|0250 → 120|keypad"});
    row("a timed run to its end", "answer:0.1 stset ststart tick stzanting stcontiune tick tick stend",
        {"timed_set|0 → 0.1|dialog", "timed_start|0.1 min|menu", "command|Q00R0000Y|timed_run",
         "timed_pause|1 s|menu", "command|Q00S0000Y|timed_run", "timed_continue|1 s|menu",
         "command|Q00R0000Y|timed_run", "timed_end|3 s|menu", "command|Q00S0000Y|timed_run"});
    row("a timed run stopped by its time", "answer:0.01 stset ststart tick",
        {"timed_set|0 → 0.01|dialog", "timed_start|0.01 min|menu", "command|Q00R0000Y|timed_run",
         "command|Q00S0000Y|timed_run", "timed_auto_stop|0.01 min|timed_run"});
    row("a program to its end, paused once", "program ptick runPause runContinue ptick ptick ptick ptick",
        {"program_started|two.csv, 2 steps, 0:05|menu", "program_step|1: 2 s, 100 ml/min, step|program",
         "command|Q00L0100Y|program", "command|Q00R0000Y|program", "command|Q00S0000Y|program",
         "program_paused|operator|menu", "program_resumed|operator|menu", "command|Q00L0100Y|program",
         "command|Q00R0000Y|program", "program_step|2: 3 s, 160 ml/min, ramp, limit 1.5 MPa|program",
         "command|Q00P01.5Y|program", "command|Q00L0100Y|program", "command|Q00L0140Y|program",
         "command|Q00S0000Y|program", "program_ended|done, 9.0 ml|program"});
    // Silent pump: paused, not ended, and not continued by itself.
    row("a delivery paused by a lost link, ended by the operator",
        "answer:10 answer:60 yes dose poll poll poll poll poll feed:Q01N00.0Y runEnd",
        {"dose_started|10 ml at 60 ml/min|dialog", "command|Q00L0060Y|program", "command|Q00R0000Y|program",
         "link_lost||", "command|Q00S0000Y|program", "program_paused|dose, link|program", "alarm_raised|link_lost|",
         "link_restored||", "alarm_cleared|link_lost|", "command|Q00S0000Y|program", "dose_ended|operator, 0.0 ml|menu"});
    row("record, printer and CSV log", "save saveFails:disk_full save copies:2 print csvon csvoff",
        {"record_saved|/records/mytext.txt|menu", "record_save_failed|/records/mytext.txt: disk_full|menu",
         "printed|2 copies|menu", "csv_log_on|/logs/pump-log-2024-05-01_14-03-22.csv|menu",
         "csv_log_off|/logs/pump-log-2024-05-01_14-03-22.csv|menu"});
    // The status queries are the link's own, not commands.
    row("the link falls silent and comes back", "poll poll poll poll poll feed:Q01N00.0Y",
        {"link_lost||", "alarm_raised|link_lost|", "link_restored||", "alarm_cleared|link_lost|"});
    // Alarms: each step of one, and the stop it sends with a port and without.
    row("a pressure alarm stops the pump, is acknowledged, silenced and clears",
        "alarm:high_pressure_mpa=1.5 alarm:high_pressure_delay_s=0 feed:Q01N01.6Y silence ackall feed:Q01N01.4Y",
        {"alarm_raised|high_pressure 1.60 MPa, threshold 1.50 MPa|", "command|Q00S0000Y|alarm",
         "alarm_stop|high_pressure Q00S0000Y|alarm", "alarm_silenced|120 s|", "alarm_acknowledged|high_pressure|keypad",
         "alarm_cleared|high_pressure|"});
    row("an alarm's stop with no port is kept",
        "alarm:high_pressure_mpa=1.5 feed:Q01N01.6Y lose:gone later:2000 alarmtick",
        {"port_lost|COM4: gone|", "alarm_raised|high_pressure 1.60 MPa, threshold 1.50 MPa|",
         "command|dropped, no port open: Q00S0000Y|alarm", "alarm_raised|stop_undelivered|",
         "alarm_stop|high_pressure not delivered|alarm"});
    row("an alarm's stop ends a timed run",
        "answer:10 stset ststart alarm:high_pressure_mpa=1.5 alarm:high_pressure_delay_s=0 feed:Q01N01.6Y",
        {"timed_set|0 → 10|dialog", "timed_start|10 min|menu", "command|Q00R0000Y|timed_run",
         "alarm_raised|high_pressure 1.60 MPa, threshold 1.50 MPa|", "command|Q00S0000Y|alarm",
         "alarm_stop|high_pressure Q00S0000Y|alarm", "command|Q00S0000Y|timed_run"});
    row("the pump's own limit", "feed:Q01P01.0Y feed:Q01N01.0Y",
        {"alarm_raised|limit_reached 1.00 MPa, threshold 1.00 MPa|"});
    row("ports: lost, refused, opened again, closed at exit",
        "lose:gone answer:COM5 refuse:busy Communication refuse: answer:COM6 Communication unload",
        {"port_lost|COM4: gone|", "port_open_failed|COM5: busy|menu", "port_opened|COM6|menu",
         "port_closed|COM6|menu", "app_exit||"});
    // A port that fails to open leaves the old one in use: nothing closed.
    row("switching ports", "answer:COM5 refuse:busy Communication refuse: answer:COM4 Communication answer:COM6 Communication",
        {"port_open_failed|COM5: busy|menu", "port_closed|COM4|menu", "port_opened|COM4|menu", "port_closed|COM4|menu",
         "port_opened|COM6|menu"});
    row("a command with no port, then 退出", "lose:gone run end",
        {"port_lost|COM4: gone|", "command|dropped, no port open: Q00R0000Y|menu", "app_exit||menu"});
    // The stop that did not go out is sent again by the panel itself, to its
    // own port only.
    row("a kept stop", "lose:gone stop answer:COM6 Communication answer:COM4 Communication",
        {"port_lost|COM4: gone|", "command|dropped, no port open: Q00S0000Y|menu", "alarm_raised|stop_undelivered|",
         "port_opened|COM6|menu",
         "command|kept for COM4, not sent to COM6: Q00S0000Y|", "port_closed|COM6|menu", "port_opened|COM4|menu",
         "command|Q00S0000Y|", "alarm_cleared|stop_undelivered|"});
}

void TestJournalFeed::events()
{
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.fakes.logFiles.folderPath = QStringLiteral("/logs");
    rig.run(QStringLiteral("answer:COM4 Communication ") + script);
    const auto source = rig.flushed();
    QVERIFY(source);
    QStringList got;
    for (const history::Event& e : source->events(rig.journal.sessionId(), 0, std::numeric_limits<qint64>::max()))
        got << e.kind + QLatin1Char('|') + e.detail + QLatin1Char('|') + e.source;
    QCOMPARE(got.takeFirst(), QStringLiteral("port_opened|COM4|menu"));
    QCOMPARE(got, expected);
}

void TestJournalFeed::readingsCarryThePumpsSetPoints()
{
    Rig rig;
    rig.run(QStringLiteral("answer:COM4 Communication feed:Q01N01.5Y feed:Q02P01.2Y Cmdp Cmd1 feed:Q01N01.6Y "
                           "Cmdl feed:Q01Lx12.Y Cmd2 Cmd0 feed:Q01N01.7Y Cmdl Cmd1 Cmd2 Cmd0 feed:Q01N01.8Y"));
    const auto source = rig.flushed();
    QVERIFY(source);
    QStringList got;
    source->forEachReading(rig.journal.sessionId(), 0, std::numeric_limits<qint64>::max(), [&](const history::Reading& r) {
        const auto text = [](std::optional<double> v) { return v ? QString::number(*v) : QStringLiteral("-"); };
        got << QStringLiteral("%1 %2%3 %4 %5 %6").arg(r.pump).arg(r.letter, r.value, text(r.pressure), text(r.limit),
                                                     text(r.flow));
        return true;
    });
    // Only what the pump reported or was sent: not the boxes' start texts,
    // digits still being typed, a refused entry (12.0) nor an answer that is
    // no number.
    QCOMPARE(got, (QStringList{"1 N01.5 1.5 - -", "2 P01.2 1.5 1.2 -", "1 N01.6 1.6 1.2 -", "1 Lx12. 1.6 1.2 -",
                               "1 N01.7 1.7 1.2 -", "1 N01.8 1.8 1.2 120"}));
}

// A journal that cannot be written says so once, in a box that holds up
// nothing, from the event loop; the panel goes on.
void TestJournalFeed::troublesAreToldOnceFromTheEventLoop()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    FakeServices fakes;
    Panel panel(fakes.services());
    // The journal's folder cannot be made: a file stands where it would be.
    history::Journal journal(dir.filePath(QStringLiteral("file/history.sqlite3")), QStringLiteral("2.0"));
    JournalFeed feed(panel, journal, fakes.dialogs);
    // The writer opens the file at start-up, before anything is recorded.
    QTRY_COMPARE(fakes.dialogs.messages.size(), 1);
    fakes.dialogs.answer(QStringLiteral("COM4"));
    panel.Communication();
    for (int i = 0; i < 3; ++i) {
        fakes.port->feed("Q01N01.5Y");
        QVERIFY(!journal.flush());
    }
    QCOMPARE(fakes.dialogs.messages.first().caption, QStringLiteral("运行历史"));
    QVERIFY(!fakes.dialogs.messages.first().modal);
    QVERIFY2(fakes.dialogs.messages.first().text.startsWith(QStringLiteral("运行历史无法写入 %1：无法建立文件夹")
                                                                .arg(journal.path())),
             qPrintable(fakes.dialogs.messages.first().text));
    QCOMPARE(panel.state().pnow, QStringLiteral("01.5"));
    QTest::qWait(50);
    QCOMPARE(fakes.dialogs.messages.size(), 1);
}

QTEST_GUILESS_MAIN(TestJournalFeed)
#include "test_journalfeed.moc"
