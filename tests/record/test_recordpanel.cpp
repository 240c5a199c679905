#include "fakes/fakeservices.h"
#include "panel/panel.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// A panel connected to a fake port, with the record kept in memory.
struct Rig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    FakeRecordStore& store = fakes.store;
    FakePrinter& printer = fakes.printer;
    FakeSerialPort*& port = fakes.port;
    std::unique_ptr<Panel> panel;

    Rig()
    {
        panel = std::make_unique<Panel>(fakes.services());
        panel->Form_Load();
        dialogs.answer(QStringLiteral("COM7"));
        panel->Communication();
    }
};

}  // namespace

class TestRecordPanel : public QObject {
    Q_OBJECT
private slots:
    void answersFillTheSaveBuffer();
    void bufferStopsAtOneMillionAndSaysSoOnce();
    void saveWritesWhatTheAnswersBrought();
    void printGoesThroughTheDialogsPrinter();
    void viewAsksForTheViewer();
};

void TestRecordPanel::answersFillTheSaveBuffer()
{
    Rig rig;
    QVERIFY(rig.port && rig.port->isOpen());
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 0);

    rig.port->feed("Q01N01.2Y");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 1);
    QCOMPARE(rig.panel->saveBuffer().at(1), 1.2);
    QCOMPARE(rig.panel->saveBuffer().at(1), rig.panel->state().prtrend[1]);

    // A limit answer leaves pnow as it was; its reading is kept again.
    rig.port->feed("Q01P0200Y");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 2);
    QCOMPARE(rig.panel->saveBuffer().at(2), 1.2);

    // pnow that is not a number gives no reading.
    rig.port->feed("Q01NABCDY");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 2);

    // Rejected text is no answer at all.
    rig.port->feed("X01N05.0Z");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 2);

    rig.port->feed("Q01N-0.5YQ01N00.7Y");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 4);
    QCOMPARE(rig.panel->saveBuffer().at(3), -0.5);
    QCOMPARE(rig.panel->saveBuffer().at(4), 0.7);
}

void TestRecordPanel::bufferStopsAtOneMillionAndSaysSoOnce()
{
    Rig rig;
    QSignalSpy notices(rig.panel.get(), &Panel::notice);

    // A thousand answers to a read, a thousand reads, and one answer more.
    QByteArray chunk;
    for (int k = 0; k < 1000; ++k)
        chunk += "Q01N01.5Y";
    for (int read = 0; read < 1000; ++read)
        rig.port->feed(chunk);
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 1000000);
    rig.port->feed("Q01N01.9Y");
    QCOMPARE(rig.panel->saveBuffer().saveprcout(), 1000000);
    QCOMPARE(rig.panel->state().pnow, QStringLiteral("01.9"));  // the panel goes on as before

    QStringList texts;
    for (const QList<QVariant>& args : notices)
        texts << args.at(0).toString();
    QCOMPARE(texts.count(Recorder::fullNotice()), 1);
}

void TestRecordPanel::saveWritesWhatTheAnswersBrought()
{
    Rig rig;
    rig.port->feed("Q01N01.0YQ01N02.5YQ01N-0.7YQ01N03.0YQ01N04.0YQ01N05.0YQ01N06.0Y");
    QSignalSpy notices(rig.panel.get(), &Panel::notice);
    rig.panel->save();
    QCOMPARE(rig.store.content, QByteArray(" 1  2.5 -0.7  3  4 \r\n 5  6 "));
    QCOMPARE(rig.dialogs.messages.last().text, QStringLiteral("当前压力数值以存储"));
    QCOMPARE(rig.panel->Command2(), QStringLiteral(" 5  6 "));
    rig.panel->save();
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("压力记录文件：/records/mytext.txt"));
}

void TestRecordPanel::printGoesThroughTheDialogsPrinter()
{
    Rig rig;
    rig.printer.copies = 3;
    rig.panel->print();
    QCOMPARE(rig.printer.jobs, QStringList(3, QStringLiteral("打印测试")));

    rig.printer.copies.reset();
    rig.panel->print();
    QCOMPARE(rig.printer.dialogs, 2);
    QCOMPARE(rig.printer.jobs.size(), 3);
}

void TestRecordPanel::viewAsksForTheViewer()
{
    Rig rig;
    QSignalSpy wanted(rig.panel.get(), &Panel::viewerRequested);
    rig.panel->view();
    QCOMPARE(wanted.count(), 1);
}

QTEST_GUILESS_MAIN(TestRecordPanel)
#include "test_recordpanel.moc"
