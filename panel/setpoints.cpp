#include "panel/setpoints.h"

#include "link/numbers.h"
#include "link/panelstate.h"
#include "platform/dialogs.h"

#include <QLocale>

#include <utility>

namespace {

// The default answers of the three input boxes.
const QString kFlowDefault = QStringLiteral("0");
const QString kPressureDefault = QStringLiteral("2");
const QString kPumpDefault = QStringLiteral("0");

}  // namespace

SetPoints::SetPoints(PanelState& state, frames::SendFrame send, platform::Dialogs& dialogs)
    : m_state(state), m_send(std::move(send)), m_dialogs(dialogs)
{
}

void SetPoints::liquid()
{
    const QString answer =
        m_dialogs.inputBox(tr("请输入您需要的流量 单位 ml/min \r\n流量范围为1—500ml/min"), tr("流量设定"), kFlowDefault);
    const QLocale locale;
    const auto flow = numbers::toDouble(answer, locale);
    if (!flow)
        return;
    const QString refused = setFlow(*flow, locale.decimalPoint().at(0));
    if (!refused.isEmpty())
        m_dialogs.messageBox(refused, tr("错误"));
}

QString SetPoints::setFlow(double flow, QChar decimalPoint)
{
    // Kept even when it is refused below.
    m_state.setliq = flow;
    if (!(flow <= kFlowMax && flow >= kFlowMin))
        return tr("流量设定错误!");
    m_state.lqset = numbers::generalText(flow, decimalPoint);
    m_send(frames::flowDialogFrame(flow));
    return QString();
}

void SetPoints::pressure()
{
    const QString answer = m_dialogs.inputBox(tr("请输入您需要保护压 单位 MPa\r\n压力设定范围为0—2.0MPa"),
                                              tr("压力设定"), kPressureDefault);
    const auto pressure = numbers::toDouble(answer);
    if (!pressure)
        return;
    const QString refused = setPressure(*pressure);
    if (!refused.isEmpty())
        m_dialogs.messageBox(refused, tr("错误"));
}

QString SetPoints::setPressure(double pressure)
{
    m_state.setpresure = pressure;
    if (!(pressure <= kPressureMax && pressure >= kPressureMin))
        return tr("压力设定错误!");
    m_state.prset = numbers::format00_0(pressure);
    m_send(frames::pressureDialogFrame(pressure));
    return QString();
}

void SetPoints::Pump_NO()
{
    const QString answer = m_dialogs.inputBox(tr("请输入要控制泵的编号 "), tr("编号设定"), kPumpDefault);
    const auto pump = numbers::toInt16(answer);
    if (!pump)
        return;
    // A number outside 0..99 would widen the keypad's frames past nine
    // characters, which the pump cannot read.
    if (*pump < kPumpMin || *pump > kPumpMax) {
        m_dialogs.messageBox(tr("泵编号设定错误! 编号范围为0—99"), tr("错误"));
        return;
    }
    m_state.Set_Pump_NO = *pump;
}
