#include "platform/clock.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <time.h>
#else
#include <QElapsedTimer>

#include <memory>
#endif

namespace platform {

Clock steadyClock()
{
#if defined(Q_OS_WIN)
    return [] { return static_cast<qint64>(GetTickCount64()); };
#elif defined(Q_OS_LINUX)
    return [] {
        timespec now{};
        clock_gettime(CLOCK_BOOTTIME, &now);
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    };
#else
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
#endif
}

}  // namespace platform
