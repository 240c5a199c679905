#include "panel/mainwindow.h"

#include "fakes/fakeservices.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

#include <memory>

namespace {

const char* const kLabels[] = {"lhour", "Label1", "lmin", "Label2", "lsed", "Label3"};

// The real main window on a fake port, connected, as an operator would have it
// before choosing anything from "定时(T)".
struct Window {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    FakeSerialPort*& port = fakes.port;
    std::unique_ptr<Form1> form;

    Window()
    {
        form = std::make_unique<Form1>(fakes.services());
        form->show();
        dialogs.answer(QStringLiteral("/dev/pts/fake"));
        form->action(QStringLiteral("Communication"))->trigger();
    }

    void choose(const char* item) { form->action(QLatin1String(item))->trigger(); }
    QLabel* label(const char* name) const { return form->label(QLatin1String(name)); }

    // Frames written since the port opened, without the status polls.
    QStringList commands() const
    {
        QStringList out;
        for (const QString& f : port->writtenFrames())
            if (f != QLatin1String("Q00F0000Y"))
                out << f;
        return out;
    }

    QList<bool> visibility() const
    {
        QList<bool> out;
        for (const char* name : kLabels)
            out << label(name)->isVisible();
        return out;
    }
};

const QList<bool> kAllShown(6, true);
const QList<bool> kAllHidden(6, false);

}  // namespace

class TestTimedRunWindow : public QObject {
    Q_OBJECT
private slots:
    void labelsHiddenAtStartUp();
    void startShowsEndHides();
    void tickWritesTheNumberLabels();
    void pauseAndContinueLeaveVisibility();
};

void TestTimedRunWindow::labelsHiddenAtStartUp()
{
    Window w;
    QVERIFY(w.port && w.port->isOpen());
    QVERIFY(w.form->action(QStringLiteral("settime"))->isEnabled());
    QCOMPARE(w.visibility(), kAllHidden);
    const QStringList texts = {"00", "时", "00", "分", "00", "秒"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(w.label(kLabels[i])->text(), texts.at(i));
}

void TestTimedRunWindow::startShowsEndHides()
{
    Window w;
    w.choose("ststart");
    QCOMPARE(w.visibility(), kAllShown);
    QCOMPARE(w.commands(), QStringList{"Q00R0000Y"});
    QVERIFY(w.form->panel().timedRun().timer1().isActive());

    w.choose("stend");
    QCOMPARE(w.visibility(), kAllHidden);
    QCOMPARE(w.commands(), QStringList({"Q00R0000Y", "Q00S0000Y"}));
    QVERIFY(!w.form->panel().timedRun().timer1().isActive());

    // Shown again by the next Start.
    w.choose("ststart");
    QCOMPARE(w.visibility(), kAllShown);
}

void TestTimedRunWindow::tickWritesTheNumberLabels()
{
    Window w;
    w.dialogs.answer(QStringLiteral("62.2"));
    w.choose("stset");
    QCOMPARE(w.form->panel().timedRun().timeset(), 62.2);
    w.choose("ststart");
    TimedRun& run = w.form->panel().timedRun();
    w.fakes.now += 3725 * 1000;
    run.tick();
    QCOMPARE(w.label("lhour")->text(), QStringLiteral("1"));
    QCOMPARE(w.label("lmin")->text(), QStringLiteral("2"));
    QCOMPARE(w.label("lsed")->text(), QStringLiteral("5"));
    QCOMPARE(w.label("Label1")->text(), QStringLiteral("时"));
    QCOMPARE(w.label("Label2")->text(), QStringLiteral("分"));
    QCOMPARE(w.label("Label3")->text(), QStringLiteral("秒"));
    QCOMPARE(w.commands(), QStringList{"Q00R0000Y"});
    QCOMPARE(w.form->timedStateLabel()->text(), QStringLiteral("目标 62.2 分  剩余 0:07\n运行中"));

    // 62.2 minutes are 3732 seconds: the stop frame goes to the port and the
    // display stays up with the final time.
    w.fakes.now += 7 * 1000;
    run.tick();
    QCOMPARE(w.commands(), QStringList({"Q00R0000Y", "Q00S0000Y"}));
    QCOMPARE(w.label("lsed")->text(), QStringLiteral("12"));
    QCOMPARE(w.visibility(), kAllShown);
    QCOMPARE(w.form->timedStateLabel()->text(), QStringLiteral("目标 62.2 分  剩余 0:00\n已完成"));
    QVERIFY(!run.timer1().isActive());
}

void TestTimedRunWindow::pauseAndContinueLeaveVisibility()
{
    Window w;
    w.choose("stcontiune");
    QCOMPARE(w.visibility(), kAllHidden);
    QVERIFY(!w.form->timedStateLabel()->isVisible());
    w.dialogs.answer(QStringLiteral("90"));
    w.choose("stset");
    w.choose("ststart");
    w.choose("stzanting");
    QCOMPARE(w.visibility(), kAllShown);
    QCOMPARE(w.form->timedStateLabel()->text(), QStringLiteral("目标 90 分  剩余 1:30:00\n已暂停"));
    w.choose("stcontiune");
    QCOMPARE(w.visibility(), kAllShown);
    QCOMPARE(w.commands(), QStringList({"Q00R0000Y", "Q00R0000Y", "Q00S0000Y", "Q00R0000Y"}));
}

QTEST_MAIN(TestTimedRunWindow)
#include "test_timedrun_window.moc"
