#include "panel/mainwindow.h"
#include "platform/qtlogfiles.h"
#include "record/csvlog.h"

#include "fakes/fakeservices.h"
#include "fakes/readfile.h"

#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The main window on fake services, connected to a fake port.
struct Rig {
    FakeServices fakes;
    Form1 window{fakes.services()};
    Panel& panel = window.panel();
    QAction* item = window.action(QStringLiteral("csvlog"));

    void connectPort()
    {
        fakes.dialogs.answer(QStringLiteral("/dev/pts/1"));
        window.action(QStringLiteral("Communication"))->trigger();
    }
    QStringList lines() const
    {
        QStringList out = QString::fromUtf8(fakes.logFiles.lastFile()).split(QStringLiteral("\r\n"));
        out.removeFirst();  // the header
        out.removeLast();   // after the last line break
        return out;
    }
    QList<FakeDialogs::Message> messages() const { return fakes.dialogs.messages; }
};

}  // namespace

class TestCsvLogPanel : public QObject {
    Q_OBJECT
private slots:
    void itemIsCheckableAndOffAtStart();
    void everyAcceptedAnswerIsOneLine();
    void switchingOffClosesTheFile();
    void createFailureSaysSoOnceAndUnchecks();
    void writeFailureSaysSoOnceAndThePumpGoesOn();
    void closingTheWindowClosesTheFile();
    void realFileHoldsEveryLineWhileTheLogIsOn();
};

void TestCsvLogPanel::itemIsCheckableAndOffAtStart()
{
    Rig rig;
    QVERIFY(rig.item);
    QCOMPARE(rig.item->text(), QStringLiteral("CSV记录"));
    QVERIFY(rig.item->isCheckable());
    QVERIFY(!rig.item->isChecked());
    QVERIFY(!rig.panel.csvLog().isOn());
    // It sits in "文件(F)", before "退出", which is enabled with the port.
    QMenu* file = rig.window.findChild<QMenu*>(QStringLiteral("file"));
    QVERIFY(file);
    const QList<QAction*> items = file->actions();
    QVERIFY(items.contains(rig.item));
    QVERIFY(items.indexOf(rig.item) < items.indexOf(rig.window.action(QStringLiteral("end"))));
    QVERIFY(!rig.window.action(QStringLiteral("file"))->isEnabled());
    rig.connectPort();
    QVERIFY(rig.window.action(QStringLiteral("file"))->isEnabled());
    // Connecting does not switch it on.
    QVERIFY(!rig.item->isChecked());
    rig.fakes.port->feed("Q01N01.5Y");
    QCOMPARE(rig.fakes.logFiles.creates, 0);
}

void TestCsvLogPanel::everyAcceptedAnswerIsOneLine()
{
    Rig rig;
    rig.connectPort();
    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.fakes.now = 10'000;
    rig.item->trigger();
    QVERIFY(rig.item->isChecked());
    QVERIFY(rig.panel.csvLog().isOn());
    QCOMPARE(rig.fakes.logFiles.lastName(), QStringLiteral("pump-log-2024-05-01_14-03-22.csv"));
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices.at(0).at(0).toString(),
             CsvLog::startedNotice(QStringLiteral("/records/pump-log/pump-log-2024-05-01_14-03-22.csv")));
    QVERIFY(rig.messages().isEmpty());

    rig.fakes.now = 11'500;
    rig.fakes.localNow = rig.fakes.localNow.addMSecs(1500);
    // Two answers in one read, garbage, and one in two pieces.
    rig.fakes.port->feed("Q01N01.5YQ02P0150Y");
    rig.fakes.port->feed("xxQ03L01");
    rig.fakes.now = 11'520;
    rig.fakes.localNow = rig.fakes.localNow.addMSecs(20);
    rig.fakes.port->feed("20Y");
    rig.fakes.port->feed("Q01N1,5\"Y");

    // Each line has the boxes as that answer left them.
    QCOMPARE(rig.lines(), QStringList({
                              "2024-05-01T14:03:23.625+08:00,1.500,01,N,01.5,01.5,02.0,0000",
                              "2024-05-01T14:03:23.625+08:00,1.500,02,P,0150,01.5,01.0,0000",
                              "2024-05-01T14:03:23.645+08:00,1.520,03,L,0120,01.5,01.0,0120",
                              "2024-05-01T14:03:23.645+08:00,1.520,01,N,\"1,5\"\"\",\"1,5\"\"\",01.0,0120",
                          }));
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("1,5\""));
}

void TestCsvLogPanel::switchingOffClosesTheFile()
{
    Rig rig;
    rig.connectPort();
    rig.item->trigger();
    rig.fakes.port->feed("Q01N01.5Y");
    const QString name = rig.fakes.logFiles.lastName();
    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.item->trigger();
    QVERIFY(!rig.item->isChecked());
    QVERIFY(!rig.panel.csvLog().isOn());
    QVERIFY(rig.fakes.logFiles.openName().isEmpty());
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices.at(0).at(0).toString(), CsvLog::stoppedNotice(QStringLiteral("/records/pump-log/") + name));
    rig.fakes.port->feed("Q01N01.6Y");
    QCOMPARE(rig.lines().size(), 1);

    // On again: a new file of its own.
    rig.fakes.localNow = rig.fakes.localNow.addSecs(5);
    rig.item->trigger();
    QVERIFY(rig.item->isChecked());
    QVERIFY(rig.fakes.logFiles.lastName() != name);
    rig.fakes.port->feed("Q01N01.7Y");
    QCOMPARE(rig.lines().size(), 1);
    QCOMPARE(rig.fakes.logFiles.files.size(), 2);
}

void TestCsvLogPanel::createFailureSaysSoOnceAndUnchecks()
{
    Rig rig;
    rig.connectPort();
    rig.fakes.logFiles.failCreate = QStringLiteral("Permission denied");
    rig.item->trigger();
    QVERIFY(!rig.item->isChecked());
    QVERIFY(!rig.panel.csvLog().isOn());
    QCOMPARE(rig.messages().size(), 1);
    QCOMPARE(rig.messages().at(0).caption, QStringLiteral("CSV记录"));
    QVERIFY(rig.messages().at(0).text.contains(QStringLiteral("Permission denied")));
    QVERIFY(rig.messages().at(0).text.contains(QStringLiteral("/records/pump-log")));

    // Answers go on being shown, and no more messages come.
    rig.fakes.port->feed("Q01N01.5Y");
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("01.5"));
    QCOMPARE(rig.messages().size(), 1);
}

void TestCsvLogPanel::writeFailureSaysSoOnceAndThePumpGoesOn()
{
    Rig rig;
    rig.connectPort();
    rig.fakes.logFiles.appendsBeforeFailure = 2;  // the header and one line
    rig.item->trigger();
    QVERIFY(rig.item->isChecked());
    const QString path = rig.panel.csvLog().path();

    // Answers keep coming while the message is up.
    int shown = 0;
    rig.fakes.dialogs.whileShown = [&] {
        ++shown;
        rig.fakes.port->feed("Q01N01.8YQ01N01.9Y");
    };
    rig.fakes.port->feed("Q01N01.5YQ01N01.6YQ01N01.7Y");
    QCOMPARE(shown, 1);
    QCOMPARE(rig.messages().size(), 1);
    QCOMPARE(rig.messages().at(0).caption, QStringLiteral("CSV记录"));
    QVERIFY(rig.messages().at(0).text.contains(path));
    QVERIFY(rig.messages().at(0).text.contains(QStringLiteral("No space left on device")));
    QVERIFY(!rig.item->isChecked());
    QVERIFY(!rig.panel.csvLog().isOn());
    // The line written before the failure stays.
    QCOMPARE(rig.lines().size(), 1);

    // The panel went on: every answer shown and kept, commands still go out.
    QCOMPARE(rig.panel.saveBuffer().saveprcout(), 5);
    rig.fakes.port->feed("Q01N02.0Y");
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("02.0"));
    QCOMPARE(rig.lines().size(), 1);
    rig.fakes.dialogs.whileShown = nullptr;
    rig.window.action(QStringLiteral("run"))->trigger();
    QCOMPARE(rig.fakes.port->writtenFrames().last(), QStringLiteral("Q00R0000Y"));
}

void TestCsvLogPanel::closingTheWindowClosesTheFile()
{
    Rig rig;
    rig.connectPort();
    rig.item->trigger();
    QVERIFY(!rig.fakes.logFiles.openName().isEmpty());
    rig.window.close();
    QVERIFY(rig.fakes.logFiles.openName().isEmpty());
    QVERIFY(!rig.panel.csvLog().isOn());
}

void TestCsvLogPanel::realFileHoldsEveryLineWhileTheLogIsOn()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    FakeServices fakes;
    platform::QtLogFiles files(tmp.filePath(QStringLiteral("pump-log")));
    platform::Services services = fakes.services();
    platform::Services real{services.dialogs, services.makePort, services.clock, services.recordStore,
                            services.printer, files, services.wallClock};
    Form1 window(real);
    fakes.dialogs.answer(QStringLiteral("/dev/pts/1"));
    window.action(QStringLiteral("Communication"))->trigger();
    window.action(QStringLiteral("csvlog"))->trigger();
    QVERIFY(window.panel().csvLog().isOn());
    const QString path = tmp.filePath(QStringLiteral("pump-log/pump-log-2024-05-01_14-03-22.csv"));
    QCOMPARE(window.panel().csvLog().path(), QDir::toNativeSeparators(path));

    QByteArray expected = csvlog::headerLine().toUtf8();
    QCOMPARE(readFile(path), expected);
    for (const char* value : {"01.5", "01.6", "01.7"}) {
        fakes.now += 1500;
        fakes.port->feed(QByteArray("Q01N") + value + "Y");
        expected += "2024-05-01T14:03:22.125+08:00," + csvlog::seconds(fakes.now).toUtf8() + ",01,N," + value + ","
                    + value + ",02.0,0000\r\n";
        // Another program reads the file while the log is still on.
        QCOMPARE(readFile(path), expected);
    }
    window.action(QStringLiteral("csvlog"))->trigger();
    QCOMPARE(readFile(path), expected);
}

QTEST_MAIN(TestCsvLogPanel)
#include "test_csvlogpanel.moc"
