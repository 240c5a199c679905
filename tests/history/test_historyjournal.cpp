// The history window and pump-history on a real journal file: the panel's
// menu item opens the window live on the panel's own session, and
// `pump-history --csv` writes a session's readings from the command line.
#include "fakes/fakeexportfiles.h"
#include "fakes/fakeprinter.h"
#include "fakes/fakeservices.h"
#include "fakes/journalrows.h"
#include "fakes/readfile.h"
#include "history/historyplot.h"
#include "history/historywindow.h"
#include "history/journal.h"
#include "panel/mainwindow.h"

#include <QAction>
#include <QProcess>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

// 2024-05-01 14:00:00 China Standard Time (the test runs with TZ=Asia/Shanghai).
constexpr qint64 kStart = 1714543200000;

// Runs pump-history; in English, as in an English locale (the test's own C
// locale gives the Chinese texts).
QString runTool(const QStringList& args, int* code, const char* language = "en")
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANGUAGE"), QLatin1String(language));
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(PUMP_HISTORY_PATH), args);
    p.waitForFinished(30000);
    *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
}

}  // namespace

class TestHistoryJournal : public QObject {
    Q_OBJECT
private slots:
    void csvFromTheCommandLine();
    void menuOpensTheWindowLive();
    void damagedFileIsNeverShownWhole();
};

void TestHistoryJournal::csvFromTheCommandLine()
{
    JournalFile file;
    TestClocks clock(kStart);
    {
        history::Journal first(file.path, QStringLiteral("2.0"), clock.clocks());
        first.reading("Q01N00.5Y", 0.5, 100, 2.0);
        first.end();
    }
    clock.wall = kStart + 3600000;
    clock.mono = 0;
    {
        history::Journal second(file.path, QStringLiteral("2.0"), clock.clocks());
        second.record(history::EventKind::Command, QStringLiteral("Q01R0000Y"), history::Source::Menu);
        second.reading("Q01N01.2Y", 1.2, 120, 2.0);
        clock.mono = 1000;
        second.record(history::EventKind::LinkLost, QString());
        clock.mono = 1500;
        second.reading("Q01PAB,\"Y", std::nan(""), 120, std::nan(""));
        clock.mono = 3000;
        second.reading("QxxN01.7Y", 1.7, 120, 2.0);
        second.end();
    }

    const auto run = [](const QStringList& args, int* code, const char* language = "en") {
        return runTool(args, code, language);
    };
    const QString out = file.dir.filePath(QStringLiteral("out.csv"));
    int code = -1;
    const QString said = run({QStringLiteral("--csv"), out, file.path}, &code);
    QCOMPARE(code, 0);
    QVERIFY2(said.contains(QStringLiteral("3 readings of session 2")), qPrintable(said));
    // The run's figures as the window and the report give them: 120 ml/min
    // for 3 s but the half second without the link.
    QVERIFY2(said.contains(QStringLiteral("Volume 5.0 ml (estimated from the set flow; leaves out 0.5 s with")), qPrintable(said));
    QCOMPARE(QString::fromUtf8(readFile(out)),
             QStringLiteral("time (local ISO 8601),elapsed (s),pump,letter,value,pnow (MPa),prset (MPa),"
                            "lqset (ml/min)\r\n"
                            "2024-05-01T15:00:00.000+08:00,0.000,01,N,01.2,01.2,02.0,0120\r\n"
                            "2024-05-01T15:00:01.500+08:00,1.500,01,P,\"AB,\"\"\",,,0120\r\n"
                            "2024-05-01T15:00:03.000+08:00,3.000,xx,N,01.7,01.7,02.0,0120\r\n"));

    QCOMPARE(run({QStringLiteral("--csv"), out, QStringLiteral("--session"), QStringLiteral("1"), file.path}, &code).isEmpty(),
             false);
    QCOMPARE(code, 0);
    QVERIFY(readFile(out).endsWith("\r\n2024-05-01T14:00:00.000+08:00,0.000,01,N,00.5,00.5,02.0,0100\r\n"));

    const QString missing = run({QStringLiteral("--csv"), out, QStringLiteral("--session"), QStringLiteral("9"), file.path}, &code);
    QCOMPARE(code, 1);
    QVERIFY2(missing.contains(QStringLiteral("no session 9")), qPrintable(missing));
    run({QStringLiteral("--csv"), out, file.dir.filePath(QStringLiteral("none.sqlite3"))}, &code);
    QCOMPARE(code, 1);
    QVERIFY(run({QStringLiteral("--csv"), out, file.path}, &code, "").contains(QStringLiteral("运行 2 的 3 个读数已写入")));
    const QString help = run({QStringLiteral("--help")}, &code);
    QCOMPARE(code, 0);
    QVERIFY2(help.contains(QStringLiteral("The session to write (default: the newest).")), qPrintable(help));
    QVERIFY(run({QStringLiteral("--help")}, &code, "zh_CN").contains(QStringLiteral("要写出的运行")));
}

void TestHistoryJournal::menuOpensTheWindowLive()
{
    JournalFile file;
    TestClocks clock(kStart);
    history::Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
    FakeServices fakes;
    FakeExportFiles files;
    Form1 window(fakes.services());
    window.setJournal(&journal);
    window.setExportFiles(&files);
    fakes.dialogs.answer(QStringLiteral("1"));
    window.panel().Communication();
    QVERIFY(window.action(QStringLiteral("history"))->isEnabled());
    journal.reading("Q01N00.5Y", 0.5, 100, 2.0);
    clock.mono = 1500;
    journal.reading("Q01N00.7Y", 0.7, 100, 2.0);

    window.action(QStringLiteral("history"))->trigger();
    HistoryWindow* history = window.historyWindow();
    QVERIFY(history && history->isVisible());
    QCOMPARE(history->windowTitle(), QStringLiteral("运行历史"));
    QVERIFY(history->isLive());
    QCOMPARE(history->session(), journal.sessionId());
    QCOMPARE(history->sessionList()->currentItem()->text(3), QStringLiteral("2"));

    // Each commit moves the live view on.
    qint64 now = kStart + 1500;
    history->setClock([&] { return now; });
    now = kStart + 60000;
    clock.mono = 60000;
    journal.reading("Q01N00.9Y", 0.9, 100, 2.0);
    QVERIFY(journal.flush());
    QTRY_COMPARE(history->plot()->toMs(), now);
    // Asleep for eight hours, both clocks go on: the live view ends at the
    // reading after, with readings in its end. The wall clock then set an
    // hour on moves neither the readings nor the live end.
    constexpr qint64 kHours = 3600000;
    clock.mono += 8 * kHours;
    clock.wall += 8 * kHours;
    now += 9 * kHours;
    journal.reading("Q01N01.1Y", 1.1, 100, 2.0);
    QVERIFY(journal.flush());
    clock.wall += kHours;
    QTRY_COMPARE(history->plot()->toMs(), kStart + 60000 + 8 * kHours);
    QCOMPARE(history->plot()->pictureAt(QSize(800, 400)).data.covered.last().toMs, kStart + 60000 + 8 * kHours);

    // The file deleted while writing failed: the journal goes on in a new
    // session of a new file, and the open window follows that.
    QVERIFY(whileLocked(file.path, [&] {
        journal.reading("Q01N01.2Y", 1.2, 100, 2.0);
        QVERIFY(!journal.flush());
    }));
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file.path + QLatin1String(suffix));
    journal.reading("Q01N01.3Y", 1.3, 100, 2.0);
    QVERIFY(journal.flush());
    QTRY_COMPARE(history->sessionList()->currentItem()->text(3), QStringLiteral("2"));
    QVERIFY(history->isLive());

    // Closing the panel closes the history too.
    window.close();
    QVERIFY(!history->isVisible());
}

// A page of the file zeroed: pump-history and the window say so, naming the
// file, and pass nothing short off as the whole.
void TestHistoryJournal::damagedFileIsNeverShownWhole()
{
    JournalFile file;
    TestClocks clock(kStart);
    {
        history::Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
        for (int i = 0; i < 3000; ++i, clock.mono += 1000)
            journal.reading("Q01N00.5Y", 0.5 + i % 7 / 10.0, 100, 2.0);
    }
    QFile damaged(file.path);
    constexpr qint64 kPage = 4096;
    QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.seek(damaged.size() / kPage / 2 * kPage));
    QCOMPARE(damaged.write(QByteArray(kPage, '\0')), kPage);
    damaged.close();

    const QString out = file.dir.filePath(QStringLiteral("out.csv"));
    int code = -1;
    const QString said = runTool({QStringLiteral("--csv"), out, file.path}, &code);
    QCOMPARE(code, 1);
    QVERIFY2(said.contains(file.path) && said.contains(QStringLiteral("malformed")), qPrintable(said));
    QVERIFY(!QFile::exists(out));

    QString error;
    const auto source = history::openJournal(file.path, &error);
    QVERIFY2(source, qPrintable(error));
    FakeExportFiles files;
    FakePrinter printer;
    HistoryWindow window(files, printer);
    window.setSource(source.get(), std::nullopt, file.path);
    QVERIFY(window.plot()->pictureAt(QSize(800, 400)).error.contains(file.path));
    files.answers << QStringLiteral("out.csv");
    window.action(QStringLiteral("exportCsv"))->trigger();
    QVERIFY(files.files.isEmpty());
    QVERIFY2(window.statusBar()->currentMessage().contains(file.path), qPrintable(window.statusBar()->currentMessage()));
}

QTEST_MAIN(TestHistoryJournal)
#include "test_historyjournal.moc"
