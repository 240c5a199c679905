#include "fakes/fakedialogs.h"
#include "link/panelstate.h"
#include "panel/setpoints.h"

#include <QtTest>

namespace {

struct Rig {
    PanelState state;
    FakeDialogs dialogs;
    QStringList sent;
    SetPoints setPoints{state, [this](const QString& frame) { sent.append(frame); }, dialogs};

    Rig()
    {
        // Distinct start values, so that "unchanged" can be told apart from
        // "written with the default".
        state.setliq = 77;
        state.setpresure = 1.1;
        state.Set_Pump_NO = 5;
    }

    void run(const QString& command)
    {
        if (command == QLatin1String("liquid"))
            setPoints.liquid();
        else if (command == QLatin1String("pressure"))
            setPoints.pressure();
        else if (command == QLatin1String("Pump_NO"))
            setPoints.Pump_NO();
        else
            qFatal("unknown command");
    }

    QStringList messages() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages)
            out.append(m.text + QLatin1Char('/') + m.caption);
        return out;
    }
};

// Marks a row whose input box is cancelled (no answer queued).
const QString kCancel = QStringLiteral("<cancel>");
const QString kFlowMessage = QStringLiteral("流量设定错误!/错误");
const QString kPressureMessage = QStringLiteral("压力设定错误!/错误");

}  // namespace

class TestSetPoints : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void inputBoxes_data();
    void inputBoxes();
    void pumpNumberOutOfRangeIsExplained();
    void flowFollowsTheLocale();
    void dialogsLeaveAKeypadEntryAlone();
};

void TestSetPoints::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<QString>("prset");
    QTest::addColumn<double>("setliq");
    QTest::addColumn<double>("setpresure");
    QTest::addColumn<int>("pump");

    const QStringList none;
    const QStringList flowError{kFlowMessage};
    const QStringList pressureError{kPressureMessage};

    // Flow. The selected pump (5) never reaches the dialog's frame.
    QTest::newRow("flow cancel") << "liquid" << kCancel << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("flow empty") << "liquid" << "" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("flow abc") << "liquid" << "abc" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("flow 120") << "liquid" << "120" << QStringList{"Q00L0120Y"} << none << "120" << "02.0" << 120.0
                              << 1.1 << 5;
    QTest::newRow("flow 500") << "liquid" << "500" << QStringList{"Q00L0500Y"} << none << "500" << "02.0" << 500.0
                              << 1.1 << 5;
    QTest::newRow("flow 1") << "liquid" << "1" << QStringList{"Q00L0001Y"} << none << "1" << "02.0" << 1.0 << 1.1
                            << 5;
    QTest::newRow("flow 500.4 refused unrounded") << "liquid" << "500.4" << none << flowError << "0000" << "02.0"
                                                  << 500.4 << 1.1 << 5;
    QTest::newRow("flow 0") << "liquid" << "0" << none << flowError << "0000" << "02.0" << 0.0 << 1.1 << 5;
    QTest::newRow("flow 0.5") << "liquid" << "0.5" << none << flowError << "0000" << "02.0" << 0.5 << 1.1 << 5;
    QTest::newRow("flow -3") << "liquid" << "-3" << none << flowError << "0000" << "02.0" << -3.0 << 1.1 << 5;
    QTest::newRow("flow 120.5") << "liquid" << "120.5" << QStringList{"Q00L0121Y"} << none << "120.5" << "02.0"
                                << 120.5 << 1.1 << 5;
    QTest::newRow("flow 499.5") << "liquid" << "499.5" << QStringList{"Q00L0500Y"} << none << "499.5" << "02.0"
                                << 499.5 << 1.1 << 5;
    QTest::newRow("flow with blanks") << "liquid" << " 120 " << QStringList{"Q00L0120Y"} << none << "120" << "02.0"
                                      << 120.0 << 1.1 << 5;
    QTest::newRow("flow with leading zeros") << "liquid" << "0042" << QStringList{"Q00L0042Y"} << none << "42"
                                             << "02.0" << 42.0 << 1.1 << 5;
    QTest::newRow("flow in exponent form") << "liquid" << "1.5e2" << QStringList{"Q00L0150Y"} << none << "150"
                                           << "02.0" << 150.0 << 1.1 << 5;

    // Pressure.
    QTest::newRow("pressure cancel") << "pressure" << kCancel << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("pressure abc") << "pressure" << "abc" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("pressure 2") << "pressure" << "2" << QStringList{"Q00P02.0Y"} << none << "0000" << "02.0" << 77.0
                                << 2.0 << 5;
    QTest::newRow("pressure 0") << "pressure" << "0" << QStringList{"Q00P00.0Y"} << none << "0000" << "00.0" << 77.0
                                << 0.0 << 5;
    QTest::newRow("pressure 1.5") << "pressure" << "1.5" << QStringList{"Q00P01.5Y"} << none << "0000" << "01.5"
                                  << 77.0 << 1.5 << 5;
    QTest::newRow("pressure 2.04 refused unrounded") << "pressure" << "2.04" << none << pressureError << "0000"
                                                     << "02.0" << 77.0 << 2.04 << 5;
    QTest::newRow("pressure 1.25") << "pressure" << "1.25" << QStringList{"Q00P01.3Y"} << none << "0000" << "01.3"
                                   << 77.0 << 1.25 << 5;
    QTest::newRow("pressure 1.15") << "pressure" << "1.15" << QStringList{"Q00P01.2Y"} << none << "0000" << "01.2"
                                   << 77.0 << 1.15 << 5;
    QTest::newRow("pressure -3") << "pressure" << "-3" << none << pressureError << "0000" << "02.0" << 77.0 << -3.0
                                 << 5;
    QTest::newRow("pressure -0.01") << "pressure" << "-0.01" << none << pressureError << "0000" << "02.0" << 77.0
                                    << -0.01 << 5;

    // Pump number: nothing is sent and no box changes.
    QTest::newRow("pump cancel") << "Pump_NO" << kCancel << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("pump abc") << "Pump_NO" << "abc" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 5;
    QTest::newRow("pump 7") << "Pump_NO" << "7" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 7;
    QTest::newRow("pump 2.5 halves to even") << "Pump_NO" << "2.5" << none << none << "0000" << "02.0" << 77.0 << 1.1
                                             << 2;
    QTest::newRow("pump 3.5 halves to even") << "Pump_NO" << "3.5" << none << none << "0000" << "02.0" << 77.0 << 1.1
                                             << 4;
    QTest::newRow("pump 0") << "Pump_NO" << "0" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 0;
    QTest::newRow("pump 99") << "Pump_NO" << "99" << none << none << "0000" << "02.0" << 77.0 << 1.1 << 99;
    QTest::newRow("pump 70000 does not convert") << "Pump_NO" << "70000" << none << none << "0000" << "02.0" << 77.0
                                                 << 1.1 << 5;
}

void TestSetPoints::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);

    Rig rig;
    if (answer != kCancel)
        rig.dialogs.answer(answer);
    rig.run(command);

    QCOMPARE(rig.dialogs.inputs.size(), 1);
    QTEST(rig.sent, "frames");
    QTEST(rig.messages(), "messages");
    QTEST(rig.state.lqset, "lqset");
    QTEST(rig.state.prset, "prset");
    QTEST(rig.state.setliq, "setliq");
    QTEST(rig.state.setpresure, "setpresure");
    QTEST(int(rig.state.Set_Pump_NO), "pump");
    QVERIFY(rig.state.setliqstr.isEmpty());
}

void TestSetPoints::inputBoxes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("prompt");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("defaultAnswer");

    // Prompts as bytes: the CR LF inside, the em dash (E2 80 94) and the
    // trailing spaces are part of them.
    QTest::newRow("liquid") << "liquid"
                            << QByteArray("\xe8\xaf\xb7\xe8\xbe\x93\xe5\x85\xa5\xe6\x82\xa8\xe9\x9c\x80\xe8\xa6\x81"
                                          "\xe7\x9a\x84\xe6\xb5\x81\xe9\x87\x8f \xe5\x8d\x95\xe4\xbd\x8d ml/min \r\n"
                                          "\xe6\xb5\x81\xe9\x87\x8f\xe8\x8c\x83\xe5\x9b\xb4\xe4\xb8\xba"
                                          "1\xe2\x80\x94" "500ml/min")
                            << "流量设定" << "0";
    QTest::newRow("pressure") << "pressure"
                              << QByteArray("\xe8\xaf\xb7\xe8\xbe\x93\xe5\x85\xa5\xe6\x82\xa8\xe9\x9c\x80\xe8\xa6\x81"
                                            "\xe4\xbf\x9d\xe6\x8a\xa4\xe5\x8e\x8b \xe5\x8d\x95\xe4\xbd\x8d MPa\r\n"
                                            "\xe5\x8e\x8b\xe5\x8a\x9b\xe8\xae\xbe\xe5\xae\x9a\xe8\x8c\x83\xe5\x9b\xb4"
                                            "\xe4\xb8\xba" "0\xe2\x80\x94" "2.0MPa")
                              << "压力设定" << "2";
    QTest::newRow("Pump_NO") << "Pump_NO"
                             << QByteArray("\xe8\xaf\xb7\xe8\xbe\x93\xe5\x85\xa5\xe8\xa6\x81\xe6\x8e\xa7\xe5\x88\xb6"
                                           "\xe6\xb3\xb5\xe7\x9a\x84\xe7\xbc\x96\xe5\x8f\xb7 ")
                             << "编号设定" << "0";
}

void TestSetPoints::inputBoxes()
{
    QFETCH(QString, command);
    Rig rig;
    rig.run(command);
    QCOMPARE(rig.dialogs.inputs.size(), 1);
    QTEST(rig.dialogs.inputs.at(0).prompt.toUtf8(), "prompt");
    QTEST(rig.dialogs.inputs.at(0).title, "title");
    QTEST(rig.dialogs.inputs.at(0).defaultAnswer, "defaultAnswer");
}

// A pump number outside 0..99 would widen the keypad's frames past nine
// characters: it is refused with a message and the old number stays.
void TestSetPoints::pumpNumberOutOfRangeIsExplained()
{
    for (const QString answer : {"100", "-1", "99.5", "32767", "-32768"}) {
        Rig rig;
        rig.dialogs.answer(answer);
        rig.setPoints.Pump_NO();
        QCOMPARE(int(rig.state.Set_Pump_NO), 5);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QCOMPARE(rig.dialogs.messages.at(0).caption, QStringLiteral("错误"));
        QVERIFY(rig.dialogs.messages.at(0).text.contains(QLatin1String("99")));
        QVERIFY(rig.sent.isEmpty());
    }
}

void TestSetPoints::flowFollowsTheLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Rig rig;
    rig.dialogs.answer(QStringLiteral("120,5"));
    rig.dialogs.answer(QStringLiteral("1,25"));
    rig.setPoints.liquid();
    rig.setPoints.pressure();
    QLocale::setDefault(saved);

    // The flow box shows the number as the operator writes numbers; frames
    // and the pressure box always use ".".
    QCOMPARE(rig.state.lqset, QStringLiteral("120,5"));
    QCOMPARE(rig.state.setliq, 120.5);
    QCOMPARE(rig.state.prset, QStringLiteral("01.3"));
    QCOMPARE(rig.sent, (QStringList{"Q00L0121Y", "Q00P01.3Y"}));
}

void TestSetPoints::dialogsLeaveAKeypadEntryAlone()
{
    Rig rig;
    rig.state.pr = 1;
    rig.state.prset = QStringLiteral("01.");
    rig.dialogs.answer(QStringLiteral("250"));
    rig.dialogs.answer(QStringLiteral("9"));
    rig.setPoints.liquid();
    rig.setPoints.Pump_NO();
    QCOMPARE(int(rig.state.pr), 1);
    QCOMPARE(int(rig.state.lq), 0);
    QCOMPARE(rig.state.prset, QStringLiteral("01."));
    QCOMPARE(rig.state.lqset, QStringLiteral("250"));
}

QTEST_GUILESS_MAIN(TestSetPoints)
#include "test_setpoints.moc"
