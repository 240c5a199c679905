#pragma once

#include "platform/portlister.h"

namespace platform {

// The serial ports QSerialPortInfo reports, asked afresh at every call.
// Listing a port does not open it.
SystemPorts systemSerialPorts();

}  // namespace platform
