#include "fakes/fakedialogs.h"
#include "panel/keypad.h"
#include "link/panelstate.h"

#include <QtTest>

// Key sequences are written as space-separated tokens: the digits 0 to 9,
// L, P, RUN, STOP, UP and DOWN for the keys, and lqset=TEXT / prset=TEXT for a
// box rewritten from outside (a pump answer or a dialog) between two presses.
namespace {

struct Rig {
    PanelState state;
    FakeDialogs dialogs;
    QStringList sent;
    Keypad keypad{state, [this](const QString& frame) { sent.append(frame); }, dialogs};

    // Presses the keys; returns the entry box text after each token (the flow
    // box during or right after a flow entry, the pressure box otherwise).
    QStringList press(const QString& keys)
    {
        QStringList trail;
        bool flowLast = true;
        const QStringList tokens = keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& t : tokens) {
            if (t.startsWith(QLatin1String("lqset=")))
                state.lqset = t.mid(6);
            else if (t.startsWith(QLatin1String("prset=")))
                state.prset = t.mid(6);
            else if (t == QLatin1String("L"))
                keypad.Cmdl(), flowLast = true;
            else if (t == QLatin1String("P"))
                keypad.Cmdp(), flowLast = false;
            else if (t == QLatin1String("RUN"))
                keypad.Cmdr();
            else if (t == QLatin1String("STOP"))
                keypad.Cmds();
            else if (t == QLatin1String("UP"))
                keypad.Cmd0(0);
            else if (t == QLatin1String("DOWN"))
                keypad.Cmd0(1);
            else if (t == QLatin1String("0"))
                keypad.Cmd0(13);
            else if (t.size() == 1 && t.at(0).isDigit())
                pressDigitKey(t.at(0).digitValue());
            else
                qFatal("unknown key token %s", qPrintable(t));
            trail.append(flowLast ? state.lqset : state.prset);
        }
        return trail;
    }

    // Goes through the named key actions, as the window's buttons do.
    void pressDigitKey(int d)
    {
        switch (d) {
        case 1: keypad.Cmd1(); break;
        case 2: keypad.Cmd2(); break;
        case 3: keypad.Cmd3(); break;
        case 4: keypad.Cmd4(); break;
        case 5: keypad.Cmd5(); break;
        case 6: keypad.Cmd6(); break;
        case 7: keypad.Cmd7(); break;
        case 8: keypad.Cmd8(); break;
        case 9: keypad.Cmd9(); break;
        default: qFatal("not a digit key");
        }
    }

    QStringList messages() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages)
            out.append(m.text + QLatin1Char('/') + m.caption);
        return out;
    }
};

const QString kFlowMessage = QStringLiteral("流量设定错误/设定错误");
const QString kPressureMessage = QStringLiteral("压力设定错误/设定错误");

}  // namespace

class TestKeypad : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void boxTextAfterEachKey_data();
    void boxTextAfterEachKey();
    void windowSeesTheRejectedTextBeforeTheMessage();
};

void TestKeypad::sequences_data()
{
    QTest::addColumn<int>("pump");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<QString>("prset");
    QTest::addColumn<QString>("setliqstr");
    QTest::addColumn<int>("lq");
    QTest::addColumn<int>("pr");

    const QStringList none;
    const QStringList flowError{kFlowMessage};
    const QStringList pressureError{kPressureMessage};

    // Idle: digits change nothing.
    QTest::newRow("digits while idle") << 0 << "1 2 3 4 5 6 7 8 9 0 UP DOWN" << none << none << "0000"
                                       << "02.0" << "" << 0 << 0;
    // Flow entries.
    QTest::newRow("L 120") << 0 << "L 1 2 0" << QStringList{"Q00L0120Y"} << none << "120" << "02.0" << "00L0120Y"
                           << 0 << 0;
    QTest::newRow("L 120 pump 5") << 5 << "L 1 2 0" << QStringList{"Q05L0120Y"} << none << "120" << "02.0"
                                  << "05L0120Y" << 0 << 0;
    QTest::newRow("L 120 pump 99") << 99 << "L 1 2 0" << QStringList{"Q99L0120Y"} << none << "120" << "02.0"
                                   << "99L0120Y" << 0 << 0;
    QTest::newRow("L 000 has no lower limit") << 0 << "L 0 0 0" << QStringList{"Q00L0000Y"} << none << "000"
                                              << "02.0" << "00L0000Y" << 0 << 0;
    QTest::newRow("L 500 accepted") << 0 << "L 5 0 0" << QStringList{"Q00L0500Y"} << none << "500" << "02.0"
                                    << "00L0500Y" << 0 << 0;
    QTest::newRow("L 501 refused") << 0 << "L 5 0 1" << none << flowError << "501" << "02.0" << "" << 0 << 0;
    QTest::newRow("L 999 refused") << 0 << "L 9 9 9" << none << flowError << "999" << "02.0" << "" << 0 << 0;
    QTest::newRow("flow entry in progress") << 0 << "L 4 7" << none << none << "47" << "02.0" << "" << 1 << 0;
    QTest::newRow("digits after the entry do nothing")
        << 0 << "L 1 2 0 3 4" << QStringList{"Q00L0120Y"} << none << "120" << "02.0" << "00L0120Y" << 0 << 0;
    // Pressure entries.
    QTest::newRow("P 015") << 0 << "P 0 1 5" << QStringList{"Q00P01.5Y"} << none << "0000" << "01.5" << "00P01.5Y"
                           << 0 << 0;
    QTest::newRow("P 015 pump 12") << 12 << "P 0 1 5" << QStringList{"Q12P01.5Y"} << none << "0000" << "01.5"
                                   << "12P01.5Y" << 0 << 0;
    QTest::newRow("P 020 accepted") << 0 << "P 0 2 0" << QStringList{"Q00P02.0Y"} << none << "0000" << "02.0"
                                    << "00P02.0Y" << 0 << 0;
    QTest::newRow("P 000") << 0 << "P 0 0 0" << QStringList{"Q00P00.0Y"} << none << "0000" << "00.0" << "00P00.0Y"
                           << 0 << 0;
    QTest::newRow("P 021 refused") << 0 << "P 0 2 1" << none << pressureError << "0000" << "02.1" << "" << 0 << 0;
    QTest::newRow("P 100 refused") << 0 << "P 1 0 0" << none << pressureError << "0000" << "10.0" << "" << 0 << 0;
    QTest::newRow("P 999 refused") << 0 << "P 9 9 9" << none << pressureError << "0000" << "99.9" << "" << 0 << 0;
    QTest::newRow("pressure entry after its point") << 0 << "P 0 1" << none << none << "0000" << "01." << "" << 0
                                                    << 1;
    // L and P only start an entry when idle.
    QTest::newRow("L during a flow entry") << 0 << "L 1 L 2 0" << QStringList{"Q00L0120Y"} << none << "120"
                                           << "02.0" << "00L0120Y" << 0 << 0;
    QTest::newRow("P during a flow entry") << 0 << "L 1 P 2 0" << QStringList{"Q00L0120Y"} << none << "120"
                                           << "02.0" << "00L0120Y" << 0 << 0;
    QTest::newRow("L during a pressure entry") << 0 << "P 0 L 1 5" << QStringList{"Q00P01.5Y"} << none << "0000"
                                               << "01.5" << "00P01.5Y" << 0 << 0;
    QTest::newRow("P during a pressure entry") << 0 << "P 0 1 P 5" << QStringList{"Q00P01.5Y"} << none << "0000"
                                               << "01.5" << "00P01.5Y" << 0 << 0;
    QTest::newRow("flow then pressure") << 3 << "L 1 2 0 P 0 1 5" << QStringList{"Q03L0120Y", "Q03P01.5Y"} << none
                                        << "120" << "01.5" << "03P01.5Y" << 0 << 0;
    QTest::newRow("a refusal keeps the last body") << 0 << "L 1 2 0 L 9 9 9" << QStringList{"Q00L0120Y"}
                                                   << flowError << "999" << "02.0" << "00L0120Y" << 0 << 0;
    QTest::newRow("new entry after a refusal") << 0 << "L 5 0 1 L 5 0 0" << QStringList{"Q00L0500Y"} << flowError
                                               << "500" << "02.0" << "00L0500Y" << 0 << 0;
    // RUN and STOP: pump 00, any state, the entry goes on.
    QTest::newRow("RUN STOP idle pump 5") << 5 << "RUN STOP" << QStringList{"Q00R0000Y", "Q00S0000Y"} << none
                                          << "0000" << "02.0" << "" << 0 << 0;
    QTest::newRow("RUN during a flow entry") << 0 << "L 1 RUN 2 0" << QStringList{"Q00R0000Y", "Q00L0120Y"} << none
                                             << "120" << "02.0" << "00L0120Y" << 0 << 0;
    QTest::newRow("STOP during a pressure entry")
        << 0 << "P 0 STOP 1 5" << QStringList{"Q00S0000Y", "Q00P01.5Y"} << none << "0000" << "01.5" << "00P01.5Y"
        << 0 << 0;
    QTest::newRow("RUN keeps the entry open") << 0 << "L 1 RUN" << QStringList{"Q00R0000Y"} << none << "1" << "02.0"
                                              << "" << 1 << 0;
    // The arrow keys type 0, like the 0 key they share their action with.
    QTest::newRow("arrows type 0 in a flow entry") << 0 << "L UP DOWN 5" << QStringList{"Q00L0005Y"} << none << "005"
                                                   << "02.0" << "00L0005Y" << 0 << 0;
    QTest::newRow("arrows type 0 in a pressure entry")
        << 0 << "P 1 UP DOWN" << none << pressureError << "0000" << "10.0" << "" << 0 << 0;

    // A box rewritten during an entry (an answer or a dialog): the next L, P
    // or digit ends the entry unsent and silently, and the box keeps the new
    // value; only the operator's own digits are ever sent.
    QTest::newRow("answer during a flow entry") << 0 << "L 1 lqset=0015 3" << none << none << "0015" << "02.0" << ""
                                                << 0 << 0;
    QTest::newRow("box during a pressure entry") << 0 << "P 0 prset=01.0 5" << none << none << "0000" << "01.0" << ""
                                                 << 0 << 0;
    QTest::newRow("flow box rewritten shorter") << 0 << "L 1 lqset=5 0 0" << none << none << "5" << "02.0" << "" << 0
                                                << 0;
    QTest::newRow("flow box rewritten, not a number") << 0 << "L 1 lqset=AB 2" << none << none << "AB" << "02.0"
                                                      << "" << 0 << 0;
    QTest::newRow("box rewritten with the typed text goes on")
        << 0 << "L 1 lqset=1 2 0" << QStringList{"Q00L0120Y"} << none << "120" << "02.0" << "00L0120Y" << 0 << 0;
    QTest::newRow("L after a rewrite starts afresh")
        << 0 << "L 1 lqset=0015 L 2 0 0" << QStringList{"Q00L0200Y"} << none << "200" << "02.0" << "00L0200Y" << 0
        << 0;
    QTest::newRow("P after a rewritten flow entry starts afresh")
        << 0 << "L 1 lqset=0015 P 0 1 5" << QStringList{"Q00P01.5Y"} << none << "0015" << "01.5" << "00P01.5Y" << 0
        << 0;
    QTest::newRow("pressure box rewritten after its point")
        << 0 << "P 0 2 prset=02.0 1 P 0 2 0" << QStringList{"Q00P02.0Y"} << none << "0000" << "02.0" << "00P02.0Y"
        << 0 << 0;
    QTest::newRow("rewritten box in the idle state is left alone")
        << 0 << "lqset=1 2 3 lqset=0042" << none << none << "0042" << "02.0" << "" << 0 << 0;
}

void TestKeypad::sequences()
{
    QFETCH(int, pump);
    QFETCH(QString, keys);

    Rig rig;
    rig.state.Set_Pump_NO = static_cast<qint16>(pump);
    rig.press(keys);

    QTEST(rig.sent, "frames");
    QTEST(rig.messages(), "messages");
    QTEST(rig.state.lqset, "lqset");
    QTEST(rig.state.prset, "prset");
    QTEST(rig.state.setliqstr, "setliqstr");
    QTEST(int(rig.state.lq), "lq");
    QTEST(int(rig.state.pr), "pr");
    // The keypad never touches the dialogs' numbers or the pump number.
    QCOMPARE(rig.state.setliq, 0.0);
    QCOMPARE(rig.state.setpresure, 0.0);
    QCOMPARE(int(rig.state.Set_Pump_NO), pump);
}

void TestKeypad::boxTextAfterEachKey_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("trail");

    QTest::newRow("flow") << "L 1 2 0" << QStringList{"", "1", "12", "120"};
    QTest::newRow("pressure point comes with the second digit") << "P 0 1 5" << QStringList{"", "0", "01.", "01.5"};
    QTest::newRow("refused flow stays in the box") << "L 5 0 1 7" << QStringList{"", "5", "50", "501", "501"};
    QTest::newRow("a rewritten box keeps the new value") << "L 1 lqset=0015 3"
                                                         << QStringList{"", "1", "0015", "0015"};
}

void TestKeypad::boxTextAfterEachKey()
{
    QFETCH(QString, keys);
    Rig rig;
    QTEST(rig.press(keys), "trail");
}

// The window redraws the boxes through boxesChanged; a refused entry must be
// on screen, marked refused, when its message box comes up.
void TestKeypad::windowSeesTheRejectedTextBeforeTheMessage()
{
    class LoggingDialogs : public FakeDialogs {
    public:
        QStringList* log = nullptr;
        void messageBox(const QString& text, const QString& caption) override
        {
            log->append(QStringLiteral("message ") + text);
            FakeDialogs::messageBox(text, caption);
        }
    };

    QStringList log;
    PanelState state;
    LoggingDialogs dialogs;
    dialogs.log = &log;
    Keypad keypad(state, [](const QString&) {}, dialogs);
    // "!" for each box marked refused.
    keypad.setBoxesChanged([&] {
        log.append(state.lqset + QLatin1Char('|') + state.prset + QString(QLatin1Char('!')).repeated(
                                                                    keypad.refusedFlow() + keypad.refusedPressure()));
    });

    keypad.Cmdl();
    keypad.Cmd5();
    keypad.Cmd0(13);
    keypad.Cmd1();
    keypad.Cmdp();
    keypad.Cmd2();
    keypad.Cmd5();
    keypad.Cmd0(0);

    const QStringList expected{"|02.0",  "5|02.0",   "50|02.0",  "501|02.0",  "501|02.0!", "message 流量设定错误",
                               "501|!",  "501|2!",   "501|25.!", "501|25.0!", "501|25.0!!", "message 压力设定错误"};
    QCOMPARE(log, expected);
    QVERIFY(keypad.refusedFlow() && keypad.refusedPressure());
}

QTEST_GUILESS_MAIN(TestKeypad)
#include "test_keypad.moc"
