#pragma once

#include <QString>

namespace platform {

// The alarm's tone: repeats while on. A computer without a sound device stays
// silent, without a message.
class AlarmSound {
public:
    virtual ~AlarmSound() = default;
    virtual void setSounding(bool on) = 0;
};

// Asks for the operator's attention when an alarm is raised: the window's
// entry in the task bar, and a message in the system tray where there is one.
class Attention {
public:
    virtual ~Attention() = default;
    virtual void call(const QString& title, const QString& text) = 0;
};

}  // namespace platform
