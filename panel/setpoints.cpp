#include "panel/setpoints.h"

#include "link/numbers.h"
#include "link/panelstate.h"
#include "platform/dialogs.h"

#include <QLocale>

#include <utility>

const QString SetPoints::kFlowPrompt = QStringLiteral("请输入您需要的流量 单位 ml/min ") + QStringLiteral("\r\n")
                                       + QStringLiteral("流量范围为1\u2014500ml/min");
const QString SetPoints::kFlowTitle = QStringLiteral("流量设定");
const QString SetPoints::kFlowDefault = QStringLiteral("0");
const QString SetPoints::kPressurePrompt = QStringLiteral("请输入您需要保护压 单位 MPa") + QStringLiteral("\r\n")
                                           + QStringLiteral("压力设定范围为0\u20142.0MPa");
const QString SetPoints::kPressureTitle = QStringLiteral("压力设定");
const QString SetPoints::kPressureDefault = QStringLiteral("2");
const QString SetPoints::kPumpPrompt = QStringLiteral("请输入要控制泵的编号 ");
const QString SetPoints::kPumpTitle = QStringLiteral("编号设定");
const QString SetPoints::kPumpDefault = QStringLiteral("0");
const QString SetPoints::kFlowError = QStringLiteral("流量设定错误!");
const QString SetPoints::kPressureError = QStringLiteral("压力设定错误!");
const QString SetPoints::kPumpError = QStringLiteral("泵编号设定错误! 编号范围为0\u201499");
const QString SetPoints::kErrorCaption = QStringLiteral("错误");

SetPoints::SetPoints(PanelState& state, frames::SendFrame send, platform::Dialogs& dialogs)
    : m_state(state), m_send(std::move(send)), m_dialogs(dialogs)
{
}

void SetPoints::liquid()
{
    const QString answer = m_dialogs.inputBox(kFlowPrompt, kFlowTitle, kFlowDefault);
    const QLocale locale;
    const auto flow = numbers::toDouble(answer, locale);
    if (!flow)
        return;
    // Kept even when it is refused below.
    m_state.setliq = *flow;
    if (*flow > kFlowMax || *flow < kFlowMin) {
        m_dialogs.messageBox(kFlowError, kErrorCaption);
        return;
    }
    m_state.lqset = numbers::generalText(*flow, locale.decimalPoint().at(0));
    m_send(frames::flowDialogFrame(*flow));
}

void SetPoints::pressure()
{
    const QString answer = m_dialogs.inputBox(kPressurePrompt, kPressureTitle, kPressureDefault);
    const auto pressure = numbers::toDouble(answer);
    if (!pressure)
        return;
    m_state.setpresure = *pressure;
    if (*pressure > kPressureMax || *pressure < kPressureMin) {
        m_dialogs.messageBox(kPressureError, kErrorCaption);
        return;
    }
    m_state.prset = numbers::format00_0(*pressure);
    m_send(frames::pressureDialogFrame(*pressure));
}

void SetPoints::Pump_NO()
{
    const QString answer = m_dialogs.inputBox(kPumpPrompt, kPumpTitle, kPumpDefault);
    const auto pump = numbers::toInt16(answer);
    if (!pump)
        return;
    // A number outside 0..99 would widen the keypad's frames past nine
    // characters, which the pump cannot read.
    if (*pump < kPumpMin || *pump > kPumpMax) {
        m_dialogs.messageBox(kPumpError, kErrorCaption);
        return;
    }
    m_state.Set_Pump_NO = *pump;
}
