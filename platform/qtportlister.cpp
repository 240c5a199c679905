#include "platform/qtportlister.h"

#include <QSerialPortInfo>

namespace platform {

SystemPorts systemSerialPorts()
{
    return [] {
        QList<SystemPort> ports;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            ports.append({info.portName(), info.description(), info.manufacturer(), info.serialNumber()});
        return ports;
    };
}

}  // namespace platform
