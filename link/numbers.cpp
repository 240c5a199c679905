#include "link/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace numbers {

namespace {

// The magnitude of a finite value as 15 significant decimal digits:
// value = d0.d1d2...d14 x 10^exponent. Trailing zeros are stripped (at least
// one digit stays).
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal decimal15(double magnitude)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    // buffer: "d.dddddddddddddde[+-]xx"
    Decimal d;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    }
    d.exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits == "0")
        d.exponent = 0;
    return d;
}

// Adds one to a string of decimal digits, growing it on carry.
void incrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it == '9') {
            *it = '0';
        } else {
            ++*it;
            return;
        }
    }
    digits.insert(digits.begin(), '1');
}

// The value of a plain decimal such as every reading the pump sends ("01.5",
// "0150"): ASCII digits with at most one ".", which is not followed by
// exactly three digits. Every locale reads such a text as the C locale does
// (where "." groups thousands, it must be followed by three digits, and the
// text falls back to the C reading), so the locale, whose every query is
// slow, need not be asked. Anything else gives no value here.
std::optional<double> plainDecimal(const QString& text)
{
    constexpr qsizetype kLongest = 24;
    const qsizetype n = text.size();
    if (n == 0 || n > kLongest)
        return std::nullopt;
    char ascii[kLongest];
    qsizetype point = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'.' && point < 0)
            point = i;
        else if (c < u'0' || c > u'9')
            return std::nullopt;
        ascii[i] = static_cast<char>(c);
    }
    if (n == 1 && point == 0)
        return std::nullopt;
    if (point >= 0 && n - point - 1 == 3)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + n, value);
    if (error != std::errc() || end != ascii + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> toDouble(const QString& text, const QLocale& locale)
{
    if (const auto plain = plainDecimal(text))
        return plain;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (!ok && locale.decimalPoint() != QLatin1String("."))
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint16> toInt16(const QString& text, const QLocale& locale)
{
    const auto value = toDouble(text, locale);
    if (!value)
        return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(*value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

QString formatPattern(double value, int minIntDigits, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    const Decimal d = decimal15(std::fabs(value));

    // Scale to a whole number of units of 10^-decimals: the digits up to that
    // place, then round on the first digit dropped.
    const int keep = d.exponent + decimals + 1;  // digits that lie before the cut
    std::string units;
    if (keep <= 0) {
        units = "0";
        if (keep == 0 && d.digits[0] >= '5')
            units = "1";
    } else {
        units = d.digits.substr(0, std::min<std::size_t>(keep, d.digits.size()));
        units.append(keep - units.size(), '0');
        if (static_cast<std::size_t>(keep) < d.digits.size() && d.digits[keep] >= '5')
            incrementDigits(units);
    }

    if (units.size() < static_cast<std::size_t>(decimals + 1))
        units.insert(0, decimals + 1 - units.size(), '0');
    std::string intPart = units.substr(0, units.size() - decimals);
    const std::string fracPart = units.substr(units.size() - decimals);
    while (intPart.size() > 1 && intPart.front() == '0')
        intPart.erase(intPart.begin());
    if (intPart.size() < static_cast<std::size_t>(minIntDigits))
        intPart.insert(0, minIntDigits - intPart.size(), '0');

    const bool isZero = units.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (value < 0 && !isZero)
        out.push_back('-');
    out += intPart;
    if (decimals > 0) {
        out.push_back('.');
        out += fracPart;
    }
    return QString::fromLatin1(out.c_str());
}

QString generalText(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return QString();
    const Decimal d = decimal15(std::fabs(value));
    QString out;
    if (value < 0 && d.digits != "0")
        out += QLatin1Char('-');

    const QString digits = QString::fromLatin1(d.digits.c_str());
    if (d.exponent >= 15 || d.exponent < -4) {
        out += digits.left(1);
        if (digits.size() > 1)
            out += decimalSeparator + digits.mid(1);
        out += QLatin1Char('E');
        out += d.exponent < 0 ? QLatin1Char('-') : QLatin1Char('+');
        out += QString::number(std::abs(d.exponent)).rightJustified(2, QLatin1Char('0'));
    } else if (d.exponent >= 0) {
        const int intDigits = d.exponent + 1;
        out += digits.left(intDigits).leftJustified(intDigits, QLatin1Char('0'));
        if (digits.size() > intDigits)
            out += decimalSeparator + digits.mid(intDigits);
    } else {
        out += QLatin1Char('0');
        out += decimalSeparator;
        out += QString(-d.exponent - 1, QLatin1Char('0'));
        out += digits;
    }
    return out;
}

}  // namespace numbers
