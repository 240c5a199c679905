#include "platform/qtportlister.h"

#include "link/portnames.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace platform {

PortLister serialPortLister()
{
    return [] {
        QList<PortListing> ports;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            ports.append(portListing(info.portName(), info.description(), info.manufacturer(), info.serialNumber()));
        std::stable_sort(ports.begin(), ports.end(), [](const PortListing& a, const PortListing& b) {
            bool aNumber = false;
            bool bNumber = false;
            const int an = a.answer.toInt(&aNumber);
            const int bn = b.answer.toInt(&bNumber);
            if (aNumber != bNumber)
                return aNumber;
            return aNumber ? an < bn : a.answer < b.answer;
        });
        return ports;
    };
}

}  // namespace platform
