#pragma once

#include "platform/portlister.h"

#include <QString>

#include <optional>

// How the system names its serial ports.
enum class PortNaming {
    Windows,  // COM1, COM2 ...
    Unix,     // /dev/ttyS0, /dev/ttyUSB0 ...
};

#ifdef Q_OS_WIN
inline constexpr PortNaming kSystemPortNaming = PortNaming::Windows;
#else
inline constexpr PortNaming kSystemPortNaming = PortNaming::Unix;
#endif

// Turns the operator's answer at the port prompt into a device name.
// A number n means the n-th serial port: COMn on Windows, /dev/ttyS(n-1)
// elsewhere (converted like every other number: blanks allowed, halves to the
// even neighbour, 16-bit range). Any other single word names a device as it
// stands ("COM7", "/dev/ttyUSB0", "/dev/pts/5"; "ttyUSB0" is looked up under
// /dev; on Windows "com10" is COM10, written the way the system looks ports
// above COM9 up), or "sim" for the simulated pump. Empty text (Cancel) gives
// nothing.
std::optional<QString> deviceForAnswer(const QString& answer, PortNaming naming = kSystemPortNaming);

// The answer that opens a port the system reports by this name: its number
// where deviceForAnswer() turns that number back into the port (COMn on
// Windows, ttyS(n-1) elsewhere), else the name itself.
QString answerForPort(const QString& portName);

// A port the system reports, for the port prompt's list. Where the answer is
// a number, the port's name leads the description; maker and serial number
// follow in brackets where known: "ttyUSB0", "FT232R USB UART (FTDI,
// A50285BI)".
platform::PortListing portListing(const QString& portName, const QString& description,
                                  const QString& manufacturer, const QString& serialNumber);

// The prompt's list shows each port as its answer, a dash and its
// description: "ttyUSB0 — FT232R USB UART (FTDI, A50285BI)". Of a text picked
// from the list only the answer counts; a typed text is taken as it stands.
QString portEntry(const platform::PortListing& port);

// The prompt's list of the ports the system reports: each named as above,
// numbered ports first in their order, then the others by name.
platform::PortLister portLister(platform::SystemPorts system);
QString answerOfEntry(const QString& text);

// The text the status line shows for an open port, such as "COM3 9600,n,8,1".
QString lineDescription(const QString& device);

inline constexpr char kLineSettings[] = "9600,n,8,1";
