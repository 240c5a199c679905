#pragma once

#include <QFileDevice>
#include <QSerialPort>
#include <QString>

// Why a file or a serial port failed, in the operator's words, with the
// system's own text after it in brackets for whoever supports the operator:
// "文件夹不存在 (No such file or directory)". The file and port classes of this
// folder build every reason they hand on through here. The reasons are kept
// untranslated, as the run history records them; recorded::shown() gives them
// in the language on screen.
namespace platform::failures {

// What the failed operation was doing, where the same system error means
// different things: "no such file" is a missing file when reading, a missing
// folder when creating a file.
enum class Use { Reading, Writing, Port };

// The system's error number of the call that just failed: errno, read at
// once. 0 on Windows, where Qt goes through the Win32 API and errno says
// nothing; the reason then comes from Qt's error code alone.
int lastSystemError();
// Clears the error number before a call whose failure is to be explained, so
// a failure Qt finds by itself is not blamed on an older system error.
void clearSystemError();

// The reason for a file operation that failed with Qt's `error` and the
// system's `systemError` (0: unknown). The system error is the more precise
// where it is known; Qt's own checks (a file that is not writable) come with
// the error number of the system call that made them.
QString fileReason(QFileDevice::FileError error, int systemError, const QString& systemText, Use use);

// The reason for a serial port that failed with Qt's `error`. The system
// error tells a port another program holds from one the user may not open,
// and a device that is no serial port from one that refused a setting.
QString portReason(QSerialPort::SerialPortError error, int systemError, const QString& systemText);

// The plain words, then the system's text in brackets when there is one.
QString withSystemText(const QString& plain, const QString& systemText);

}  // namespace platform::failures
