#include "history/export.h"

#include "history/eventtext.h"
#include "link/numbers.h"
#include "record/csvlog.h"

#include <QDateTime>
#include <QIODevice>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace history::exportcsv {

namespace {

// Local time with its offset from UTC, as the CSV log writes it: the hour
// that repeats when summer time ends stays two different hours.
QString isoLocal(qint64 tMs)
{
    return csvlog::timeText(QDateTime::fromMSecsSinceEpoch(tMs));
}

// Collects lines and hands them to the device in blocks of about 64 KiB.
class BlockWriter {
public:
    BlockWriter(QIODevice& out, QString* error) : m_out(out), m_error(error) {}

    bool add(const QString& line)
    {
        m_block += line.toUtf8();
        return m_block.size() < kBlock || flush();
    }

    bool flush()
    {
        if (m_block.isEmpty())
            return true;
        const bool ok = m_out.write(m_block) == m_block.size();
        m_block.clear();
        if (!ok && m_error)
            *m_error = m_out.errorString();
        return ok;
    }

private:
    static constexpr int kBlock = 64 * 1024;
    QIODevice& m_out;
    QString* m_error;
    QByteArray m_block;
};

}  // namespace

QString number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return QString();
    // Six decimals cover any value the pump's four characters can carry;
    // the trailing zeros go.
    QString text = QString::number(*value, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

namespace {

// A box's number in the box's own digit pattern ("01.5", "0150"), as the
// panel showed it and the CSV log writes it; a number the pattern cannot
// carry exactly keeps all its digits.
QString boxText(std::optional<double> value, int intDigits, int decimals)
{
    if (!value || !std::isfinite(*value))
        return QString();
    const QString text = numbers::formatPattern(*value, intDigits, decimals);
    const std::optional<double> back = numbers::toDouble(text, QLocale::c());
    return back && std::abs(*back - *value) <= 1e-9 * std::max(1.0, std::abs(*value)) ? text : number(value);
}

}  // namespace

QString readingsHeader()
{
    return csvlog::headerLine();
}

QString readingLine(const Reading& reading, qint64 firstMs)
{
    return csvlog::row({
        csvlog::timeText(QDateTime::fromMSecsSinceEpoch(reading.tMs)),
        csvlog::seconds(reading.tMs - firstMs),
        reading.pumpText.isEmpty() ? QStringLiteral("%1").arg(reading.pump, 2, 10, QLatin1Char('0')) : reading.pumpText,
        reading.letter,
        reading.value,
        boxText(reading.pressure, 2, 1),
        boxText(reading.limit, 2, 1),
        boxText(reading.flow, 4, 0),
    });
}

QString eventsHeader()
{
    return QStringLiteral("time (local ISO 8601),kind,event,detail,source\r\n");
}

QString eventRow(const Event& event)
{
    return csvlog::row({isoLocal(event.tMs), event.kind, eventName(event), event.detail, event.source});
}

bool writeReadings(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, QIODevice& out,
                   QString* error, qint64* written)
{
    BlockWriter writer(out, error);
    bool ok = writer.add(readingsHeader());
    std::optional<qint64> first;
    qint64 count = 0;
    if (ok) {
        source.forEachReading(session, fromMs, toMs, [&](const Reading& r) {
            if (!first)
                first = r.tMs;
            ok = writer.add(readingLine(r, *first));
            count += ok;
            return ok;
        });
    }
    if (written)
        *written = count;
    // A read that stopped short is no export, however much went out.
    if (ok && !source.lastError().isEmpty()) {
        if (error)
            *error = source.lastError();
        return false;
    }
    return ok && writer.flush();
}

bool writeEvents(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, QIODevice& out, QString* error)
{
    BlockWriter writer(out, error);
    bool ok = writer.add(eventsHeader());
    const QList<Event> events = source.events(session, fromMs, toMs);
    if (!source.lastError().isEmpty()) {
        if (error)
            *error = source.lastError();
        return false;
    }
    for (const Event& e : events) {
        if (!ok)
            break;
        ok = writer.add(eventRow(e));
    }
    return ok && writer.flush();
}

std::optional<SessionInfo> pickSession(const QList<SessionInfo>& sessions, std::optional<qint64> wanted)
{
    std::optional<SessionInfo> newest;
    for (const SessionInfo& s : sessions) {
        if (wanted && s.id == *wanted)
            return s;
        if (!wanted && (!newest || s.startedMs > newest->startedMs
                        || (s.startedMs == newest->startedMs && s.id > newest->id)))
            newest = s;
    }
    return wanted ? std::nullopt : newest;
}

QString fileName(qint64 session, qint64 fromMs, const QString& part, const QString& extension)
{
    QString name = QStringLiteral("pump-history-%1_").arg(session)
                   + QDateTime::fromMSecsSinceEpoch(fromMs).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (!part.isEmpty())
        name += QLatin1Char('-') + part;
    return name + QLatin1Char('.') + extension;
}

}  // namespace history::exportcsv
