#pragma once

#include <QtGlobal>

#include <functional>

namespace platform {

// Monotonic milliseconds. The program uses QElapsedTimer; tests step a counter.
using Clock = std::function<qint64()>;

Clock steadyClock();

}  // namespace platform
