#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// Command frames: nine ASCII characters, "Q", a two-digit pump number, a
// command letter, four value characters, "Y". No line end, no checksum; a frame
// is written whole and forgotten.
namespace frames {

inline constexpr int kFrameLength = 9;

// Hands a complete frame to the serial link. Never waits, never reports: a
// frame that cannot be written is dropped and the link says so on the status
// line.
using SendFrame = std::function<void(const QString& frame)>;

// The fixed frames. They always address pump 00.
inline const QString kRun = QStringLiteral("Q00R0000Y");
inline const QString kStop = QStringLiteral("Q00S0000Y");
inline const QString kStatus = QStringLiteral("Q00F0000Y");

// The set-point frames of the dialogs: pump 00, the value formatted "0000"
// (flow) or "00.0" (pressure).
QString flowDialogFrame(double setliq);
QString pressureDialogFrame(double setpresure);

// The body of a keypad set-point frame, everything after the leading "Q":
// the pump number formatted "00", the letter, the value formatted "0000" (flow)
// or "00.0" (pressure), "Y". The keypad keeps it in `setliqstr`.
QString keypadFlowBody(qint16 pumpNo, double flow);
QString keypadPressureBody(qint16 pumpNo, double pressure);

}  // namespace frames
