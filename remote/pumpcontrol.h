#pragma once

#include "remote/messages.h"

#include <QString>

// What the remote access needs of the panel: its status, and its own command
// path for the commands of a client. The panel implements it; remote/ knows
// nothing else of the panel.
namespace remote {

class PumpControl {
public:
    virtual ~PumpControl() = default;

    // The status as the panel shows it now (alarms, dose and program are
    // added by the server's providers).
    virtual messages::Status status() const = 0;

    // `client`: the address of the client, for the run history.
    virtual void run(const QString& client) = 0;
    // Ends a program too.
    virtual void stop(const QString& client) = 0;
    // Empty when sent; else the message the set-point dialog would show.
    virtual QString setFlow(double mlMin, const QString& client) = 0;
    virtual QString setPressureLimit(double mpa, const QString& client) = 0;
};

}  // namespace remote
