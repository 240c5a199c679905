#include "platform/clock.h"

#include <QElapsedTimer>

#include <memory>

namespace platform {

Clock steadyClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

}  // namespace platform
