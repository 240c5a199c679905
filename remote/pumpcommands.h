#pragma once

#include <QString>

namespace remote {

// What a command from outside may ask of the pump, given by the panel. Each
// goes through the panel's own command path and range checks and is
// recorded in the run history with its source and `client` (may be empty).
class PumpCommands {
public:
    enum class Command { Run, Stop, Flow, PressureLimit, Acknowledge };

    virtual ~PumpCommands() = default;
    // `value`: ml/min for Flow, MPa for PressureLimit, unused otherwise.
    // Empty when done; otherwise why not, in plain English words for the
    // machine that asked.
    virtual QString command(Command which, double value, const QString& client) = 0;
};

}  // namespace remote
