#pragma once

#include "platform/portlister.h"

namespace platform {

// The serial ports QSerialPortInfo reports, numbered ports first in their
// order, then the others by name. Listing a port does not open it.
PortLister serialPortLister();

}  // namespace platform
