#include "platform/display.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void prepareDisplay()
{
    qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

}  // namespace platform
