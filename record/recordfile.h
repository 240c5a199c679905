#pragma once

#include <QChar>
#include <QString>

#include <vector>

// The record file's text: pressure values as fields of a fixed shape, five to
// a line. Pure functions; writing and reading the file is the store's job.
namespace recordfile {

// One value field: a space for zero or positive values, "-" for negative ones,
// then the magnitude in the general form (numbers::generalText) with the given
// decimal separator, then one space. 0.5 gives " 0.5 ", -2 gives "-2 ".
QString valueField(double value, QChar decimalSeparator);

// The whole file for the given values, in order (the first element is the
// first value saved). A CR LF follows every fifth field and nothing else is
// written, so no values give the empty text and the text ends with a line
// break only when the count is a multiple of five.
QString recordText(const std::vector<double>& values, QChar decimalSeparator);

// The last line of a file's text, without its line break. Lines end with CR LF,
// a lone CR or a lone LF; a final line break does not start another line. Text
// with no line at all gives the empty text.
QString lastLine(const QString& content);

}  // namespace recordfile
