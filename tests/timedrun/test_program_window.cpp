// The volume delivery and the program through the real window on a real
// serial port (a pseudo-terminal), time driven through the panel's clock.
#include "panel/mainwindow.h"
#include "panel/programwindow.h"
#include "platform/qtserialport.h"

#include "fakes/fakeexportfiles.h"
#include "fakes/fakeservices.h"
#include "fakes/pty.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

struct Rig {
    Pty pty;
    FakeServices fakes;
    FakeExportFiles files;
    std::unique_ptr<Form1> form;
    QByteArray line;  // everything the panel wrote

    Rig()
    {
        platform::Services services = fakes.services();
        services.makePort = [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
        form = std::make_unique<Form1>(services);
        form->setExportFiles(&files);
        fakes.dialogs.answer(pty.path);
        form->action(QStringLiteral("Communication"))->trigger();
    }
    ProgramRun& run() { return form->panel().program(); }

    // Follows the run's timer on the clock, as real time would; returns the
    // clock when the run ended.
    qint64 follow()
    {
        while (run().state() == ProgramRun::State::Running) {
            fakes.now += run().timer().interval();
            run().tick();
        }
        return fakes.now;
    }
    // The commands on the line, without the status polls, once `count` are there.
    QStringList commands(int count)
    {
        QStringList out;
        const auto arrived = [&] {
            line += pty.read();
            out = QString::fromLatin1(line).remove(QStringLiteral("Q00F0000Y")).split(QLatin1Char('Y'), Qt::SkipEmptyParts);
            return out.size() >= count;
        };
        for (QDeadlineTimer deadline(5000); !arrived() && !deadline.hasExpired();)
            QTest::qWait(20);
        for (QString& f : out)
            f += QLatin1Char('Y');
        return out;
    }
};

}  // namespace

class TestProgramWindow : public QObject {
    Q_OBJECT
private slots:
    void programAndDoseOnTheLine();
    void cellsAreChecked();
};

void TestProgramWindow::programAndDoseOnTheLine()
{
    Rig rig;
    QVERIFY(rig.form->panel().link().isOpen());
    rig.files.files[QStringLiteral("/p/two.csv")] =
        "\xef\xbb\xbf" "duration_s,flow_ml_min,pressure_limit_mpa,change\r\n2,100,,step\r\n3,160,,ramp\r\n";
    QVERIFY(rig.form->openProgram(QStringLiteral("/p/two.csv")));
    ProgramWindow* window = rig.form->programWindow();
    QVERIFY(window->isVisible());
    QVERIFY(!rig.run().active());  // open, not running
    window->findChild<QPushButton*>(QStringLiteral("startProgram"))->click();
    QVERIFY(rig.run().active());
    rig.fakes.now += 2600;
    rig.run().tick();
    QCOMPARE(window->progress()->text(), QStringLiteral("第 2/2 步，本步剩余 0:03，总剩余 0:03，已输送约 4.3 ml"));
    QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("startProgram"))->isEnabled());
    const qint64 ended = rig.follow();
    QVERIFY(std::abs(ended - 5000) <= ProgramRun::kDisplayMs);
    QCOMPARE(rig.commands(5), (QStringList{"Q00L0100Y", "Q00R0000Y", "Q00L0100Y", "Q00L0130Y", "Q00S0000Y"}));

    // "2 ml at 120 ml/min": the time it takes is asked about first.
    rig.fakes.dialogs.answer(QStringLiteral("2"));
    rig.fakes.dialogs.answer(QStringLiteral("120"));
    rig.fakes.dialogs.yes.enqueue(true);
    const qint64 start = rig.fakes.now;
    rig.form->action(QStringLiteral("dose"))->trigger();
    QVERIFY(rig.fakes.dialogs.messages.last().text.contains(QStringLiteral("需时 0:01")));
    QVERIFY(rig.fakes.dialogs.messages.last().text.contains(Panel::estimateNote()));
    QVERIFY(rig.form->doseWindow()->isVisible());
    // A timed run would have to end it: asked, refused, nothing happens.
    rig.form->action(QStringLiteral("ststart"))->trigger();
    QVERIFY(!rig.form->panel().timedRun().timer1().isActive());
    QVERIFY(std::abs(rig.follow() - start - 1000) <= ProgramRun::kDisplayMs);
    QCOMPARE(rig.commands(8).mid(5), (QStringList{"Q00L0120Y", "Q00R0000Y", "Q00S0000Y"}));
    QLabel* status = rig.form->doseWindow()->status();
    QCOMPARE(status->accessibleName(), QStringLiteral("定量输送进度"));
    QCOMPARE(status->text(), QStringLiteral("已结束：已输送 2.0 ml / 目标 2.0 ml，剩余 0:00"));
}

void TestProgramWindow::cellsAreChecked()
{
    FakeServices fakes;
    FakeExportFiles files;
    Form1 form(fakes.services());
    form.setExportFiles(&files);
    ProgramWindow* window = form.programWindow();
    QTableWidget* table = window->table();
    window->setSteps({{60000, 100, 1.5, program::Change::Step}, {30000, 200, std::nullopt, program::Change::Ramp}});
    auto* start = window->findChild<QPushButton*>(QStringLiteral("startProgram"));
    auto* totals = window->findChild<QLabel*>(QStringLiteral("totals"));
    QCOMPARE(totals->text(), QStringLiteral("总时间 1:30，计划体积 175.0 ml"));
    QVERIFY(start->isEnabled());
    // Bad cells are marked with their reason, in the operator's terms.
    table->item(1, program::FlowColumn)->setText(QStringLiteral("600"));
    table->item(0, program::DurationColumn)->setText(QStringLiteral("1:30"));
    QVERIFY(table->item(1, program::FlowColumn)->toolTip().contains(QStringLiteral("1—500")));
    QVERIFY(table->item(0, program::DurationColumn)->toolTip().isEmpty());
    QVERIFY(totals->text().startsWith(QStringLiteral("第 2 行 流量")));
    QVERIFY(!start->isEnabled());
    // Moving the ramp first makes it the fault.
    table->item(1, program::FlowColumn)->setText(QStringLiteral("150"));
    table->setCurrentCell(1, 0);
    window->findChild<QPushButton*>(QStringLiteral("moveStepUp"))->click();
    QVERIFY(window->firstFault().contains(QStringLiteral("第一步")));
    window->findChild<QPushButton*>(QStringLiteral("moveStepDown"))->click();
    QCOMPARE(window->steps()->at(0).durationMs, 90000);
    QVERIFY(start->isEnabled());
    // A faulty file is refused with its line; the table stays as it was.
    files.files[QStringLiteral("/bad.csv")] = program::kHeader + "\n1,100,,step\n1,100,3,step\n";
    QVERIFY(!form.openProgram(QStringLiteral("/bad.csv")));
    QVERIFY(fakes.dialogs.messages.last().text.contains(QStringLiteral("第 3 行：压力上限超出")));
    QCOMPARE(window->steps()->size(), 2);
}

QTEST_MAIN(TestProgramWindow)
#include "test_program_window.moc"
