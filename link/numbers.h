#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

// Text to number and number to text, the one place that does either. Every
// dialog answer, box text and value field of a frame goes through here.
namespace numbers {

// Reads a whole text as a number: blanks around it are allowed, the locale's
// decimal separator is understood (and "." as well where the locale uses
// another one), exponent form is accepted. Empty text, anything that is not a
// number, and values that are not finite ("inf", "nan", 1e999) give nothing.
std::optional<double> toDouble(const QString& text, const QLocale& locale = QLocale());

// Reads a number as above and rounds it to a 16-bit whole number, halves to
// the even neighbour (2.5 gives 2, 3.5 gives 4). Out of range gives nothing.
std::optional<qint16> toInt16(const QString& text, const QLocale& locale = QLocale());

// Digit patterns such as "00", "0000" and "00.0": at least minIntDigits digits
// before the point, zero-filled, and exactly `decimals` digits after it. The
// value is rounded half away from zero as its decimal text reads (1.15 gives
// 01.2, not the 01.1 that binary arithmetic would give). The point is always
// "." whatever the locale: these texts go on the serial line.
QString formatPattern(double value, int minIntDigits, int decimals);

inline QString format00(double value) { return formatPattern(value, 2, 0); }
inline QString format0000(double value) { return formatPattern(value, 4, 0); }
inline QString format00_0(double value) { return formatPattern(value, 2, 1); }

// The general double-to-text form: at most 15 significant digits, no trailing
// zeros, "0" before the separator below 1, exponent form ("1E-05", "1.5E+16")
// for magnitudes below 1E-04 or from 1E+15 on. A minus sign for negatives.
QString generalText(double value, QChar decimalSeparator = QLatin1Char('.'));

}  // namespace numbers
