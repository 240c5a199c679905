#include "history/timeaxis.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <cstdlib>

namespace history {

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;

// Round steps, smallest first. Each below an hour divides an hour; each of
// hours divides a day.
constexpr qint64 kSteps[] = {
    1, 2, 5, 10, 20, 50, 100, 200, 500,
    kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
    kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
    kHour, 2 * kHour, 3 * kHour, 6 * kHour, 12 * kHour,
    kDay, 2 * kDay, 7 * kDay, 14 * kDay, 28 * kDay, 56 * kDay, 112 * kDay, 224 * kDay, 448 * kDay,
};

QString labelFor(const QDateTime& local, qint64 step)
{
    if (step < kSecond)
        return local.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (step < kMinute)
        return local.toString(QStringLiteral("HH:mm:ss"));
    if (step < kDay)
        return local.toString(QStringLiteral("HH:mm"));
    return local.toString(QStringLiteral("MM-dd"));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Candidate tick times of one step, in time order, within [from, to].
QVector<qint64> ticksAt(qint64 from, qint64 to, qint64 step, const QTimeZone& zone)
{
    QVector<qint64> out;
    if (step <= kHour) {
        // Steps that divide an hour stay on round local times across a
        // daylight-saving change, which moves the clock by a whole hour.
        const qint64 offset = qint64(zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(from, zone))) * 1000;
        qint64 t = floorDiv(from + offset, step) * step - offset;
        if (t < from)
            t += step;
        for (; t <= to; t += step)
            out << t;
        return out;
    }
    QDate day = QDateTime::fromMSecsSinceEpoch(from, zone).date();
    const QDate last = QDateTime::fromMSecsSinceEpoch(to, zone).date();
    if (step < kDay) {
        // Whole local hours of each day, counted on the wall clock.
        const int hours = int(step / kHour);
        for (; day <= last; day = day.addDays(1)) {
            for (int h = 0; h < 24; h += hours) {
                const QDateTime at(day, QTime(h, 0), zone);
                if (at.time().hour() != h)
                    continue;  // skipped by a daylight-saving change
                const qint64 t = at.toMSecsSinceEpoch();
                if (t >= from && t <= to && (out.isEmpty() || t > out.last()))
                    out << t;
            }
        }
        return out;
    }
    // Local midnights, every n-th day counted from a fixed Monday, so a week
    // step starts weeks on Mondays and ticks do not jump while panning.
    const qint64 days = step / kDay;
    const qint64 epochMonday = QDate(2001, 1, 1).toJulianDay();
    const qint64 into = (day.toJulianDay() - epochMonday) % days;
    if (into != 0)
        day = day.addDays(into > 0 ? days - into : -into);
    for (; day <= last; day = day.addDays(days)) {
        const qint64 t = day.startOfDay(zone).toMSecsSinceEpoch();
        if (t >= from && t <= to)
            out << t;
    }
    return out;
}

}  // namespace

TimeAxis timeTicks(qint64 fromMs, qint64 toMs, int maxTicks, const QTimeZone& zone)
{
    TimeAxis axis;
    if (toMs < fromMs || maxTicks < 1)
        return axis;
    const qint64 span = toMs - fromMs;
    QVector<qint64> times;
    for (const qint64 step : kSteps) {
        // Cheap count first: never build thousands of ticks to throw away.
        if (span / step + 1 > 2 * maxTicks + 2)
            continue;
        times = ticksAt(fromMs, toMs, step, zone);
        axis.stepMs = step;
        if (times.size() <= maxTicks)
            break;
    }
    QDate previous;
    for (const qint64 t : times) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(t, zone);
        axis.ticks.append(TimeTick{t, labelFor(local, axis.stepMs), local.date() != previous});
        previous = local.date();
    }
    return axis;
}

QString localTimeText(qint64 tMs, bool withMs)
{
    return QDateTime::fromMSecsSinceEpoch(tMs).toString(withMs ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                              : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString durationText(qint64 ms)
{
    const qint64 s = std::llabs(ms) / 1000;
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (s < 60) {
        const QString seconds = QCoreApplication::translate("history", "%1秒");
        if (std::llabs(ms) < 10000 && ms % 1000 != 0)
            return sign + seconds.arg(QString::number(std::llabs(ms) / 1000.0, 'f', 1));
        return sign + seconds.arg(s);
    }
    if (s < 3600)
        return sign + QCoreApplication::translate("history", "%1分%2秒").arg(QString::number(s / 60), two(s % 60));
    if (s < 86400)
        return sign
               + QCoreApplication::translate("history", "%1小时%2分").arg(QString::number(s / 3600), two(s / 60 % 60));
    return sign + QCoreApplication::translate("history", "%1天%2小时").arg(QString::number(s / 86400), two(s / 3600 % 24));
}

}  // namespace history
