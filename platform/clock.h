#pragma once

#include <QtGlobal>

#include <functional>

namespace platform {

// Monotonic milliseconds. The program uses steadyClock(); tests step a counter.
using Clock = std::function<qint64()>;

// Milliseconds that keep counting while the computer sleeps and never jump
// with the wall clock: CLOCK_BOOTTIME on Linux, GetTickCount64 on Windows,
// QElapsedTimer elsewhere.
Clock steadyClock();

}  // namespace platform
