#include "history/summary.h"

#include <cmath>
#include <cstring>

namespace history {

std::optional<qint64> exactTenths(double value)
{
    // Beyond 2^50 tenths the product below is no longer exact.
    if (!std::isfinite(value) || std::fabs(value) > 1e14 || (value == 0 && std::signbit(value)))
        return std::nullopt;
    const qint64 tenths = std::llround(value * 10);
    // Division by ten is correctly rounded, so this gives back exactly the
    // double that reading "1.5" or "0150" gives.
    if (static_cast<double>(tenths) / 10.0 != value)
        return std::nullopt;
    return tenths;
}

namespace {

// Unsigned numbers take 7 bits a byte; signed ones are zigzagged first.
void putVarint(QByteArray& out, quint64 v)
{
    while (v >= 0x80) {
        out.append(static_cast<char>((v & 0x7f) | 0x80));
        v >>= 7;
    }
    out.append(static_cast<char>(v));
}

bool getVarint(const char*& p, const char* end, quint64* v)
{
    quint64 result = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (p == end)
            return false;
        const auto byte = static_cast<quint8>(*p++);
        result |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80)) {
            *v = result;
            return true;
        }
    }
    return false;
}

quint64 zigzag(qint64 v)
{
    return (static_cast<quint64>(v) << 1) ^ static_cast<quint64>(v >> 63);
}

qint64 unzigzag(quint64 v)
{
    return static_cast<qint64>(v >> 1) ^ -static_cast<qint64>(v & 1);
}

// A number: tenths (low bit 0), or a marker followed by the eight bytes of
// the double (any other value).
void putNumber(QByteArray& out, double v)
{
    if (const auto tenths = exactTenths(v)) {
        putVarint(out, zigzag(*tenths) << 1);
        return;
    }
    putVarint(out, 1);
    char bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    out.append(bytes, sizeof v);
}

// A whole number as itself, any other as the double: the volume.
void putWhole(QByteArray& out, double v)
{
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) {
        putVarint(out, zigzag(static_cast<qint64>(v)) << 1);
        return;
    }
    putVarint(out, 1);
    char bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    out.append(bytes, sizeof v);
}

bool getNumber(const char*& p, const char* end, double* v, double scale = 10.0)
{
    quint64 raw = 0;
    if (!getVarint(p, end, &raw))
        return false;
    if (!(raw & 1)) {
        *v = static_cast<double>(unzigzag(raw >> 1)) / scale;
        return true;
    }
    if (end - p < static_cast<ptrdiff_t>(sizeof *v))
        return false;
    std::memcpy(v, p, sizeof *v);
    p += sizeof *v;
    return true;
}

}  // namespace

void Volume::event(qint64 t, QStringView kind, QStringView detail, bool counts)
{
    const auto is = [&](const char* name) { return kind == QLatin1String(name); };
    if (is("command")) {
        if (detail.size() != 9 || (detail.at(3) != QLatin1Char('R') && detail.at(3) != QLatin1Char('S')))
            return;
        to(t, counts);
        running = detail.at(3) == QLatin1Char('R');
        stoppedAtLimit = false;
    } else if (is("port_opened") || is("link_restored")) {
        to(t, counts);
        linked = true;
    } else if (is("port_closed") || is("port_lost") || is("link_lost")) {
        to(t, counts);
        linked = false;
    }
}

void Summary::add(const Key& key, const std::array<double, kSeriesCount>& values)
{
    if (count == 0)
        first = key;
    last = key;
    ++count;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (!std::isnan(values[s]))
            series[s].add(key.t, values[s]);
    }
    const double p = values[Pressure];
    if (std::isnan(p))
        return;
    pressureSum += p;
    const auto tenths = exactTenths(p);
    if (tenths)
        pressureTenthsSum += *tenths;
    else
        pressureSumExact = false;
}

void Summary::merge(const Summary& later)
{
    if (later.count == 0)
        return;
    if (count == 0) {
        *this = later;
        return;
    }
    last = later.last;
    count += later.count;
    for (int s = 0; s < kSeriesCount; ++s)
        series[s].merge(later.series[s]);
    pressureSum += later.pressureSum;
    pressureTenthsSum += later.pressureTenthsSum;
    pressureSumExact = pressureSumExact && later.pressureSumExact;
    volume += later.lead + later.volume;
    leftOutMs += later.leadLeftOutMs + later.leftOutMs;
    stoppedAtLimit = later.stoppedAtLimit;
    leftOutKnown = leftOutKnown && later.leftOutKnown;
}

QByteArray Summary::encode() const
{
    QByteArray out;
    out.reserve(40);
    putVarint(out, static_cast<quint64>(count));
    putVarint(out, static_cast<quint64>(last.t - first.t));
    putVarint(out, static_cast<quint64>(last.n));
    for (const ColumnStats& s : series) {
        putVarint(out, static_cast<quint64>(s.count));
        if (s.count == 0)
            continue;
        putNumber(out, s.min);
        putNumber(out, s.max);
        putNumber(out, s.first);
        putNumber(out, s.last);
    }
    if (pressureSumExact)
        putVarint(out, zigzag(pressureTenthsSum) << 1);
    else
        putNumber(out, pressureSum);
    putWhole(out, volume);
    putVarint(out, static_cast<quint64>(std::max<qint64>(leftOutMs, 0)));
    putVarint(out, stoppedAtLimit ? 1 : 0);
    return out;
}

bool Summary::decode(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    quint64 n = 0;
    quint64 width = 0;
    quint64 lastN = 0;
    if (!getVarint(p, end, &n) || !getVarint(p, end, &width) || !getVarint(p, end, &lastN))
        return false;
    count = static_cast<qint64>(n);
    last = Key{first.t + static_cast<qint64>(width), static_cast<qint64>(lastN)};
    for (ColumnStats& s : series) {
        quint64 c = 0;
        if (!getVarint(p, end, &c))
            return false;
        s = ColumnStats{};
        s.count = static_cast<qint64>(c);
        if (c == 0)
            continue;
        if (!getNumber(p, end, &s.min) || !getNumber(p, end, &s.max) || !getNumber(p, end, &s.first)
            || !getNumber(p, end, &s.last))
            return false;
        s.firstMs = first.t;
        s.lastMs = last.t;
    }
    if (!getNumber(p, end, &pressureSum) || !getNumber(p, end, &volume, 1.0))
        return false;
    leftOutMs = 0;
    stoppedAtLimit = false;
    leftOutKnown = p != end;
    if (!leftOutKnown)
        return true;
    quint64 leftOut = 0;
    quint64 flags = 0;
    if (!getVarint(p, end, &leftOut) || !getVarint(p, end, &flags) || flags > 1)
        return false;
    leftOutMs = static_cast<qint64>(leftOut);
    stoppedAtLimit = flags == 1;
    return p == end;
}

}  // namespace history
