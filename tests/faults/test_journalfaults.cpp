// The run history's journal when things go wrong: a disk that fills up or
// turns read-only, a file another program holds locked, a file that is not a
// database, two panels writing into one file, and a panel killed while the
// pump floods the line. The journal says so once, the panel goes on, writing
// resumes by itself, and the file is never damaged.
#include "fakes/fakeserialport.h"
#include "fakes/journalrows.h"
#include "fakes/smalldisk.h"
#include "history/historysource.h"
#include "history/journal.h"
#include "sim/pumpsimprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

#include <csignal>

using history::Journal;

namespace {

void readings(Journal& journal, int from, int count)
{
    for (int i = from; i < from + count; ++i)
        journal.reading(pressureAnswer(i % 200 / 10.0), i % 200 / 10.0, 150, 2);
}

qint64 count(const QString& path)
{
    return journalRows(path, QStringLiteral("SELECT count(*) FROM readings")).value(0).toLongLong();
}

// journal-child on a pump-sim terminal flooding at line rate; the times the
// child's answer counts came in.
struct Child {
    PumpSimProcess sim;
    QProcess process;
    QList<std::pair<qint64, qint64>> counts;  // (ms since start, answers handled)
    QElapsedTimer clock;

    bool start(const QString& journal, int seconds)
    {
        const QString device = sim.start({QStringLiteral("--flood=106")});
        process.start(QStringLiteral(JOURNAL_CHILD_PATH), {device, journal, QString::number(seconds)});
        clock.start();
        return !device.isEmpty() && process.waitForStarted(PumpSimProcess::kWaitMs);
    }
    void read()
    {
        while (process.canReadLine())
            counts.append({clock.elapsed(), process.readLine().trimmed().toLongLong()});
    }
    // Answers handled by `ms` since the start, as the child said.
    qint64 handledBy(qint64 ms) const
    {
        qint64 n = 0;
        for (const auto& [at, c] : counts)
            n = at <= ms ? c : n;
        return n;
    }
};

}  // namespace

class TestJournalFaults : public QObject {
    Q_OBJECT
private slots:
    void fullDiskIsToldOnceAndWritingResumes();
    void readOnlyDiskIsToldOnceAndWritingResumes();
    void lockedFileIsToldOnceAndWritingResumes();
    void fileDeletedWhileFailingGetsANewSession();
    void fileThatIsNotADatabaseIsMovedAside();
    void copyOnAReadOnlyMedium();
    void twoPanelsWriteIntoOneFile();
    void endedWhileTheLineFloods_data();
    void endedWhileTheLineFloods();
};

void TestJournalFaults::fullDiskIsToldOnceAndWritingResumes()
{
    SMALL_DISK_OR_SKIP(disk, 1024 * 1024);
    const QString path = disk.filePath(QStringLiteral("history.sqlite3"));
    Journal journal(path, QStringLiteral("2.0"));
    QSignalSpy failed(&journal, &Journal::failed);
    QSignalSpy resumed(&journal, &Journal::resumed);
    readings(journal, 0, 100);
    QVERIFY(journal.flush());

    const QString filler = disk.fill();
    for (int k = 1; k <= 3; ++k) {
        readings(journal, k * 1000, 2000);
        QVERIFY(!journal.flush());
    }
    QVERIFY(!journal.isWriting());
    QTRY_COMPARE(failed.size(), 1);
    const QString message = failed.first().first().toString();
    QVERIFY2(message.startsWith(QStringLiteral("运行历史无法写入 %1：").arg(path)), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("磁盘已满 (database or disk is full)")), qPrintable(message));

    // With room again every reading kept meanwhile goes in.
    QVERIFY(QFile::remove(filler));
    QVERIFY(journal.flush());
    QTRY_COMPARE(resumed.size(), 1);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(count(path), 6100);
    QCOMPARE(journalRows(path, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
}

// A disk cannot turn read-only under files open for writing; the journal
// meets it read-only when it starts, with or without its folder there.
void TestJournalFaults::readOnlyDiskIsToldOnceAndWritingResumes()
{
    SMALL_DISK_OR_SKIP(disk, 4 * 1024 * 1024);
    const QString path = disk.filePath(QStringLiteral("pump-panel/history.sqlite3"));
    struct Case {
        const char* reason;
        int readings;
    };
    for (const Case& c : {Case{"无法建立文件夹", 10}, Case{"为只读", 20}}) {
        QVERIFY(disk.setReadOnly(true));
        Journal journal(path, QStringLiteral("2.0"));
        QSignalSpy failed(&journal, &Journal::failed);
        readings(journal, 0, 10);
        QVERIFY(!journal.flush());
        QVERIFY(!journal.flush());
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY2(failed.first().first().toString().contains(QString::fromUtf8(c.reason)),
                 qPrintable(failed.first().first().toString()));
        QVERIFY(disk.setReadOnly(false));
        QVERIFY(journal.flush());
        journal.end();
        QCOMPARE(count(path), c.readings);
    }
    QCOMPARE(journalRows(path, QStringLiteral("SELECT count(*) FROM sessions WHERE ended_ms IS NOT NULL")),
             QStringList{"2"});
}

void TestJournalFaults::lockedFileIsToldOnceAndWritingResumes()
{
    JournalFile file;
    Journal journal(file.path, QStringLiteral("2.0"));
    QSignalSpy failed(&journal, &Journal::failed);
    readings(journal, 0, 10);
    QVERIFY(journal.flush());
    QVERIFY(whileLocked(file.path, [&] {
        readings(journal, 10, 10);
        QVERIFY(!journal.flush());
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY2(failed.first().first().toString().contains(QStringLiteral("文件正被其他程序占用 (database is locked)")),
                 qPrintable(failed.first().first().toString()));
    }));
    QVERIFY(journal.flush());
    QCOMPARE(count(file.path), 20);
}

// While writing fails the operator deletes the file to free space, and
// another panel starts a new one: this panel's rows go into a session of
// their own in it, which says where it broke off.
void TestJournalFaults::fileDeletedWhileFailingGetsANewSession()
{
    JournalFile file;
    Journal journal(file.path, QStringLiteral("2.0"));
    readings(journal, 0, 10);
    QVERIFY(journal.flush());
    QVERIFY(whileLocked(file.path, [&] {
        readings(journal, 10, 10);
        QVERIFY(!journal.flush());
    }));
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file.path + QLatin1String(suffix));
    Journal other(file.path, QStringLiteral("2.1"));
    QVERIFY(other.flush());
    readings(journal, 20, 5);
    QVERIFY(journal.flush());
    QCOMPARE(journalRows(file.path, QStringLiteral("SELECT app_version, reading_count,"
                                                   " (SELECT count(*) FROM readings r WHERE r.session_id = s.id),"
                                                   " (SELECT group_concat(kind) FROM events e WHERE e.session_id = s.id)"
                                                   " FROM sessions s ORDER BY app_version")),
             (QStringList{"2.0|15|15|session_restarted", "2.1|0|0|NULL"}));
}

void TestJournalFaults::fileThatIsNotADatabaseIsMovedAside()
{
    JournalFile file;
    QFile garbage(file.path);
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(5000, 'x')) == 5000);
    garbage.close();
    QString error;
    QVERIFY(!history::openJournal(file.path, &error));
    QVERIFY2(error.contains(QStringLiteral("not a database")), qPrintable(error));
    {
        Journal journal(file.path, QStringLiteral("2.0"));
        QSignalSpy replaced(&journal, &Journal::replaced);
        QSignalSpy failed(&journal, &Journal::failed);
        readings(journal, 0, 10);
        QVERIFY(journal.flush());
        QTRY_COMPARE(replaced.size(), 1);
        QVERIFY(failed.isEmpty());
        const QStringList aside = QDir(file.dir.path()).entryList({QStringLiteral("history.sqlite3.20*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY2(replaced.first().first().toString().contains(file.dir.filePath(aside.first())),
                 qPrintable(replaced.first().first().toString()));
        QFile kept(file.dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray(5000, 'x'));
    }
    QCOMPARE(count(file.path), 10);
    QVERIFY(history::openJournal(file.path, &error));
}

// A journal copied to a read-only medium is read as it stands, also by a
// path that begins with "//" (how a Windows share reaches the reader); one
// copied with its -wal, whose rows cannot be read there, says so.
void TestJournalFaults::copyOnAReadOnlyMedium()
{
    SMALL_DISK_OR_SKIP(disk, 4 * 1024 * 1024);
    const QString ended = disk.filePath(QStringLiteral("ended.sqlite3"));
    const QString copied = disk.filePath(QStringLiteral("copied.sqlite3"));
    {
        Journal journal(ended, QStringLiteral("2.0"));
        readings(journal, 0, 10);
    }
    JournalFile file;
    Journal live(file.path, QStringLiteral("2.0"));
    readings(live, 0, 10);
    QVERIFY(live.flush());
    QVERIFY(QFile::copy(file.path, copied) && QFile::copy(file.path + QStringLiteral("-wal"), copied + QStringLiteral("-wal")));
    QVERIFY(disk.setReadOnly(true));
    QString error;
    const auto source = history::openJournal(QLatin1Char('/') + ended, &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->sessions().value(0).readings, 10);
    QVERIFY(!history::openJournal(copied, &error));
    QVERIFY2(error.contains(copied + QStringLiteral("-wal")) && !error.contains(QStringLiteral("不是本程序的运行历史")),
             qPrintable(error));
    QVERIFY(disk.setReadOnly(false));
}

void TestJournalFaults::twoPanelsWriteIntoOneFile()
{
    JournalFile file;
    Child first;
    Child second;
    QVERIFY(first.start(file.path, 3));
    QVERIFY(second.start(file.path, 3));
    for (Child* c : {&first, &second}) {
        QVERIFY(c->process.waitForFinished(20000));
        QCOMPARE(c->process.exitCode(), 0);
        c->read();
        QVERIFY(c->counts.size() > 100);
    }
    QCOMPARE(journalRows(file.path, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    const QStringList sessions = journalRows(
        file.path, QStringLiteral("SELECT reading_count, ended_ms IS NOT NULL,"
                                  " (SELECT count(*) FROM readings r WHERE r.session_id = s.id),"
                                  " (SELECT kind FROM events e WHERE e.session_id = s.id ORDER BY t_ms DESC, rowid DESC)"
                                  " FROM sessions s ORDER BY id"));
    QCOMPARE(sessions.size(), 2);
    QStringList expected;
    for (const qint64 n : {first.counts.last().second, second.counts.last().second})
        expected << QStringLiteral("%1|1|%1|app_exit").arg(n);
    QCOMPARE(QSet<QString>(sessions.begin(), sessions.end()), QSet<QString>(expected.begin(), expected.end()));
}

// Killed, a panel loses at most the last second and its session is found
// unended at the next start; asked to end (a logout, a shutdown, `kill`), it
// ends as "退出" does, with everything handled in the file.
void TestJournalFaults::endedWhileTheLineFloods_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QStringList>("next");  // session 1 as the next start finds it: ended|unclean_end events
    QTest::newRow("SIGKILL") << int(SIGKILL) << QStringList{"0|1"};
    QTest::newRow("SIGTERM") << int(SIGTERM) << QStringList{"1|0"};
}

void TestJournalFaults::endedWhileTheLineFloods()
{
    QFETCH(int, signal);
    JournalFile file;
    Child child;
    QVERIFY(child.start(file.path, 0));
    // A few hundred answers in, and on for a while longer.
    qint64 until = 20000;
    while (child.clock.elapsed() < until) {
        child.process.waitForReadyRead(50);
        child.read();
        if (until == 20000 && !child.counts.isEmpty() && child.counts.last().second >= 300)
            until = child.clock.elapsed() + 1500;
    }
    ::kill(static_cast<pid_t>(child.process.processId()), signal);
    const qint64 killedAt = child.clock.elapsed();
    QVERIFY(child.process.waitForFinished(PumpSimProcess::kWaitMs));
    child.read();
    const qint64 aSecondBefore = child.handledBy(killedAt - 1000);
    QVERIFY2(aSecondBefore > 200, qPrintable(QString::number(aSecondBefore)));

    QCOMPARE(journalRows(file.path, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    const qint64 kept = count(file.path);
    QVERIFY2(kept >= (signal == SIGKILL ? aSecondBefore : child.counts.last().second),
             qPrintable(QStringLiteral("%1 < %2").arg(kept).arg(aSecondBefore)));
    QVERIFY(kept <= child.counts.last().second);
    if (signal != SIGKILL) {
        QCOMPARE(child.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(journalRows(file.path, QStringLiteral("SELECT kind, detail FROM events ORDER BY rowid DESC LIMIT 1")),
                 QStringList{"app_exit|SIGTERM"});
    }
    // The next start finds a session that did not end.
    {
        Journal next(file.path, QStringLiteral("2.0"));
        QVERIFY(next.flush());
    }
    QTEST(journalRows(file.path, QStringLiteral("SELECT ended_ms IS NOT NULL, (SELECT count(*) FROM events"
                                                " WHERE kind = 'unclean_end') FROM sessions WHERE id = 1")),
          "next");
}

SMALL_DISK_TEST_MAIN(TestJournalFaults, QCoreApplication)

#include "test_journalfaults.moc"
