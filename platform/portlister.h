#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace platform {

// A serial port as the port prompt offers it.
struct PortListing {
    QString answer;       // what to type at the prompt for it: "1", "ttyUSB0", "sim"
    QString description;  // what it is, where known: "FT232R USB UART (FTDI, A50285BI)"
};

// The ports the system reports, asked afresh every time the prompt opens.
// The program asks the system; tests hand in a scripted list, since a
// pseudo-terminal is never among the ports a system reports.
using PortLister = std::function<QList<PortListing>()>;

// A serial port as the system reports it, before it is named for the prompt.
struct SystemPort {
    QString name;  // "ttyUSB0", "COM3"
    QString description;
    QString manufacturer;
    QString serialNumber;
};
using SystemPorts = std::function<QList<SystemPort>()>;

}  // namespace platform
