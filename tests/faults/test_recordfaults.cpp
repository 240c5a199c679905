// The record file on a disk that fills up or turns read-only under the save,
// and the viewer with no record file yet, through the main window and the
// real record store. A failed save says which file and why, never confirms,
// leaves the previous file as it was and keeps every reading for the next
// save.
//
// The disks are small tmpfs mounts in a mount namespace of this test's own,
// entered in main() before any thread starts, so nobody else sees them and
// they vanish with the process. Where that is not allowed (no CAP_SYS_ADMIN)
// the disk cases skip; the file-size limit cases of the store's own test
// still cover a full disk there.
#include "fakes/fakeservices.h"
#include "fakes/readfile.h"
#include "fakes/smalldisk.h"
#include "panel/mainwindow.h"
#include "platform/qtlogfiles.h"
#include "platform/qtrecordstore.h"
#include "record/csvlog.h"
#include "record/recordfile.h"
#include "record/viewer.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>


namespace {

// Form1 on a fake port and scripted dialogs, saving the record and writing
// the CSV log to real files.
struct WindowRig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    platform::QtRecordStore store;
    platform::QtLogFiles logFiles;
    Form1 window;

    explicit WindowRig(const QString& recordPath, const QString& logFolder = QString())
        : store(recordPath),
          logFiles(logFolder.isEmpty() ? QFileInfo(recordPath).absolutePath() + QStringLiteral("/pump-log") : logFolder),
          window(services())
    {
        dialogs.answer(QStringLiteral("COM4"));
        window.action(QStringLiteral("Communication"))->trigger();
    }
    platform::Services services()
    {
        const platform::Services fake = fakes.services();
        return platform::Services{fake.dialogs, fake.makePort, fake.clock, store, fake.printer, logFiles,
                                  fake.wallClock};
    }
    // n answers whose pressures count up by one tenth from `first`.
    void answers(int n, int first = 1)
    {
        QByteArray bytes;
        for (int k = first; k < first + n; ++k)
            bytes += pressureAnswer((k % 200) / 10.0);
        fakes.port->feed(bytes);
    }
    void save() { window.action(QStringLiteral("save"))->trigger(); }
    QString lastMessage() const { return dialogs.messages.isEmpty() ? QString() : dialogs.messages.last().text; }
    QByteArray expectedFile()
    {
        return recordfile::recordText(window.panel().saveBuffer().saveprdata(), QLocale().decimalPoint().at(0))
            .toLocal8Bit();
    }
};

}  // namespace

class TestRecordFaults : public QObject {
    Q_OBJECT
private slots:
    void fullDiskKeepsThePreviousFileAndTheReadings();
    void readOnlyDiskKeepsThePreviousFileAndTheReadings();
    void viewerWithNoRecordFileYet();
    void csvLogOnAFullDiskKeepsWholeLines();
};

void TestRecordFaults::fullDiskKeepsThePreviousFileAndTheReadings()
{
    SMALL_DISK_OR_SKIP(disk, 512 * 1024);
    const QString path = disk.filePath(QStringLiteral("mytext.txt"));
    WindowRig rig(path);
    rig.answers(7);
    rig.save();
    QCOMPARE(rig.lastMessage(), Recorder::savedText());
    const QByteArray first = readFile(path);
    QCOMPARE(first, QByteArray(" 0.1  0.2  0.3  0.4  0.5 \r\n 0.6  0.7 "));

    // Far more readings than the disk has room for once it is nearly full.
    const QString filler = disk.fill();
    rig.answers(60000, 8);
    rig.save();
    const QString message = rig.lastMessage();
    QVERIFY2(message.startsWith(QStringLiteral("压力数值未能存储到 %1：").arg(path)), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("：磁盘已满 (No space left on device)")), qPrintable(message));
    QCOMPARE(rig.dialogs.messages.last().caption, Recorder::savedCaption());
    QCOMPARE(readFile(path), first);
    QCOMPARE(disk.entries(), (QStringList{QStringLiteral("filler"), QStringLiteral("mytext.txt")}));
    QCOMPARE(rig.window.panel().saveBuffer().saveprcout(), 60007);

    // With room again, the next save writes every reading.
    QVERIFY(QFile::remove(filler));
    rig.save();
    QCOMPARE(rig.lastMessage(), Recorder::savedText());
    const QByteArray all = readFile(path);
    QCOMPARE(all, rig.expectedFile());
    QCOMPARE(all.count("\r\n"), 60007 / 5);
    QVERIFY(all.startsWith(first.left(27)));
}

void TestRecordFaults::readOnlyDiskKeepsThePreviousFileAndTheReadings()
{
    SMALL_DISK_OR_SKIP(disk, 1024 * 1024);
    const QString path = disk.filePath(QStringLiteral("mytext.txt"));
    WindowRig rig(path);
    rig.answers(3);
    rig.save();
    const QByteArray first = readFile(path);
    QCOMPARE(first, QByteArray(" 0.1  0.2  0.3 "));

    QVERIFY(disk.setReadOnly(true));
    rig.answers(4, 4);
    rig.save();
    const QString message = rig.lastMessage();
    QVERIFY2(message.startsWith(QStringLiteral("压力数值未能存储到 %1：").arg(path)), qPrintable(message));
    // Qt finds the file not writable before the system says why.
    QVERIFY2(message.contains(QStringLiteral("：文件系统为只读 (")), qPrintable(message));
    QCOMPARE(readFile(path), first);
    QCOMPARE(disk.entries(), QStringList{QStringLiteral("mytext.txt")});

    // The viewer still reads the file that is there.
    rig.window.action(QStringLiteral("view"))->trigger();
    QTest::mouseClick(rig.window.viewer()->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(rig.window.viewer()->text(), QStringLiteral(" 0.1  0.2  0.3 "));

    QVERIFY(disk.setReadOnly(false));
    rig.save();
    QCOMPARE(rig.lastMessage(), Recorder::savedText());
    QCOMPARE(readFile(path), QByteArray(" 0.1  0.2  0.3  0.4  0.5 \r\n 0.6  0.7 "));
}

void TestRecordFaults::viewerWithNoRecordFileYet()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("never/saved/mytext.txt"));
    WindowRig rig(path);
    rig.window.action(QStringLiteral("view"))->trigger();
    Form2* viewer = rig.window.viewer();
    QVERIFY(viewer->isVisible());
    auto* command2 = viewer->findChild<QPushButton*>(QStringLiteral("Command2"));
    QVERIFY(command2);
    QTest::mouseClick(command2, Qt::LeftButton);

    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.lastMessage(), QStringLiteral("还没有存储过压力记录（%1 不存在）").arg(path));
    QCOMPARE(rig.dialogs.messages.last().caption, QStringLiteral("泵启动和停止时间记录"));
    QCOMPARE(viewer->text(), QString());
    QVERIFY(!QFileInfo::exists(path));  // reading creates nothing

    // After a save the same button shows the last line.
    rig.answers(6);
    rig.save();
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(viewer->text(), QStringLiteral(" 0.6 "));
}

// The CSV log fills the disk mid-run: the operator is told once, the log
// switches off, the panel goes on, and the file holds whole lines only, each
// one an answer that came, in order.
void TestRecordFaults::csvLogOnAFullDiskKeepsWholeLines()
{
    SMALL_DISK_OR_SKIP(disk, 64 * 1024);
    WindowRig rig(disk.filePath(QStringLiteral("mytext.txt")));
    QAction* item = rig.window.action(QStringLiteral("csvlog"));
    item->trigger();
    QVERIFY(item->isChecked());
    const QString path = rig.window.panel().csvLog().path();
    QVERIFY(path.startsWith(disk.filePath(QStringLiteral("pump-log/pump-log-"))));
    rig.answers(5);

    disk.fill();
    for (int k = 6; k < 2000; ++k)
        rig.answers(1, k);
    QCOMPARE(rig.window.panel().link().answersReceived(), quint64(1999));
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("19.9"));
    QVERIFY(!item->isChecked());
    QVERIFY(!rig.window.panel().csvLog().isOn());
    QCOMPARE(rig.dialogs.messages.size(), 1);
    const QString message = rig.lastMessage();
    QVERIFY2(message.startsWith(QStringLiteral("CSV记录无法写入 %1：").arg(path)), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("：磁盘已满 (No space left on device)")), qPrintable(message));
    QCOMPARE(rig.dialogs.messages.last().caption, CsvLog::caption());

    const QByteArray content = readFile(path);
    QVERIFY2(content.endsWith("\r\n"), content.right(80).constData());
    QStringList lines = QString::fromUtf8(content).split(QStringLiteral("\r\n"));
    lines.removeLast();
    QCOMPARE(lines.takeFirst(), csvlog::headerLine().chopped(2));
    QVERIFY(lines.size() >= 5);
    for (int k = 0; k < lines.size(); ++k) {
        const QStringList fields = lines.at(k).split(QLatin1Char(','));
        QCOMPARE(fields.size(), 8);
        QCOMPARE(fields.at(4), QString::asprintf("%04.1f", ((k + 1) % 200) / 10.0));
    }
}

SMALL_DISK_TEST_MAIN(TestRecordFaults, QApplication)

#include "test_recordfaults.moc"
