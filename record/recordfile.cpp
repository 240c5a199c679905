#include "record/recordfile.h"

#include "link/numbers.h"

#include <cmath>

namespace recordfile {

namespace {
constexpr int kFieldsPerLine = 5;
}

QString valueField(double value, QChar decimalSeparator)
{
    QString field;
    field += value < 0 ? QLatin1Char('-') : QLatin1Char(' ');
    field += numbers::generalText(std::fabs(value), decimalSeparator);
    field += QLatin1Char(' ');
    return field;
}

QString recordText(const std::vector<double>& values, QChar decimalSeparator)
{
    QString text;
    // A field is at most 23 characters ("-1.23456789012345E-300 ").
    text.reserve(static_cast<qsizetype>(values.size()) * 12);
    std::size_t k = 0;
    for (const double value : values) {
        text += valueField(value, decimalSeparator);
        if (++k % kFieldsPerLine == 0)
            text += QLatin1String("\r\n");
    }
    return text;
}

QString lastLine(const QString& content)
{
    // Walk the lines; each one read replaces the one before.
    QString last;
    qsizetype start = 0;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = content.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            last = content.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && content.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        last = content.mid(start);
    return last;
}

}  // namespace recordfile
