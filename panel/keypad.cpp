#include "panel/keypad.h"

#include "link/numbers.h"
#include "link/panelstate.h"
#include "platform/dialogs.h"

#include <utility>

Keypad::Keypad(PanelState& state, frames::SendFrame send, platform::Dialogs& dialogs)
    : m_state(state), m_send(std::move(send)), m_dialogs(dialogs)
{
}

void Keypad::setBoxesChanged(std::function<void()> boxesChanged)
{
    m_boxesChanged = std::move(boxesChanged);
}

void Keypad::Cmd0(int index)
{
    Q_UNUSED(index);
    digit(0);
}

void Keypad::Cmdl()
{
    dropOverwrittenEntry();
    if (m_state.lq != 0 || m_state.pr != 0)
        return;
    m_state.lq = 1;
    m_state.lqset.clear();
    m_typed.clear();
    notifyBoxes();
}

void Keypad::Cmdp()
{
    dropOverwrittenEntry();
    if (m_state.lq != 0 || m_state.pr != 0)
        return;
    m_state.pr = 1;
    m_state.prset.clear();
    m_typed.clear();
    notifyBoxes();
}

void Keypad::Cmdr()
{
    m_send(frames::kRun);
}

void Keypad::Cmds()
{
    m_send(frames::kStop);
}

void Keypad::digit(int d)
{
    Q_ASSERT(d >= 0 && d <= 9);
    const QChar ch(QLatin1Char(static_cast<char>('0' + d)));
    dropOverwrittenEntry();
    if (m_state.lq == 0 && m_state.pr == 0)
        return;

    m_typed.append(ch);
    // The point goes in with the second pressure digit, in the same press.
    if (m_state.pr == 1 && m_typed.size() == kPressurePointAt)
        m_typed.append(QLatin1Char('.'));
    (m_state.lq == 1 ? m_state.lqset : m_state.prset) = m_typed;
    notifyBoxes();

    if (m_state.lq == 1 && m_typed.size() == kFlowLength)
        completeFlow();
    if (m_state.pr == 1 && m_typed.size() == kPressureLength)
        completePressure();
}

void Keypad::dropOverwrittenEntry()
{
    if ((m_state.lq == 1 && m_state.lqset != m_typed) || (m_state.pr == 1 && m_state.prset != m_typed)) {
        m_state.lq = 0;
        m_state.pr = 0;
    }
}

void Keypad::completeFlow()
{
    // The entry ends whatever the outcome.
    m_state.lq = 0;
    const auto flow = numbers::toDouble(m_state.lqset);
    m_refusedFlow = QString();
    // The box is no longer being typed into: refused and kept (shown so
    // behind the message), or sent.
    if (!flow || *flow > kFlowMax) {
        m_refusedFlow = m_state.lqset;
        notifyBoxes();
        m_dialogs.messageBox(tr("流量设定错误"), tr("设定错误"));
        return;
    }
    m_state.setliqstr = frames::keypadFlowBody(m_state.Set_Pump_NO, *flow);
    m_send(QLatin1Char('Q') + m_state.setliqstr);
    notifyBoxes();
}

void Keypad::completePressure()
{
    m_state.pr = 0;
    const auto pressure = numbers::toDouble(m_state.prset);
    m_refusedPressure = QString();
    if (!pressure || *pressure > kPressureMax) {
        m_refusedPressure = m_state.prset;
        notifyBoxes();
        m_dialogs.messageBox(tr("压力设定错误"), tr("设定错误"));
        return;
    }
    m_state.setliqstr = frames::keypadPressureBody(m_state.Set_Pump_NO, *pressure);
    m_send(QLatin1Char('Q') + m_state.setliqstr);
    notifyBoxes();
}

void Keypad::notifyBoxes()
{
    if (m_boxesChanged)
        m_boxesChanged();
}

bool Keypad::typingFlow() const
{
    return m_state.lq == 1 && m_state.lqset == m_typed;
}

bool Keypad::typingPressure() const
{
    return m_state.pr == 1 && m_state.prset == m_typed;
}

bool Keypad::refusedFlow() const
{
    return m_state.lq == 0 && !m_refusedFlow.isNull() && m_state.lqset == m_refusedFlow;
}

bool Keypad::refusedPressure() const
{
    return m_state.pr == 0 && !m_refusedPressure.isNull() && m_state.prset == m_refusedPressure;
}
