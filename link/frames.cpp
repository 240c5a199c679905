#include "link/frames.h"

#include "link/numbers.h"

namespace frames {

QString flowDialogFrame(double setliq)
{
    return QStringLiteral("Q00L") + numbers::format0000(setliq) + QLatin1Char('Y');
}

QString pressureDialogFrame(double setpresure)
{
    return QStringLiteral("Q00P") + numbers::format00_0(setpresure) + QLatin1Char('Y');
}

QString keypadFlowBody(qint16 pumpNo, double flow)
{
    return numbers::format00(pumpNo) + QLatin1Char('L') + numbers::format0000(flow) + QLatin1Char('Y');
}

QString keypadPressureBody(qint16 pumpNo, double pressure)
{
    return numbers::format00(pumpNo) + QLatin1Char('P') + numbers::format00_0(pressure) + QLatin1Char('Y');
}

}  // namespace frames
