#include "record/csvlog.h"

#include "link/panelstate.h"
#include "platform/recorded.h"

#include <QStringList>

#include <utility>

namespace csvlog {

QString headerLine()
{
    return QStringLiteral("time (local ISO 8601),elapsed (s),pump,letter,value,"
                          "pnow (MPa),prset (MPa),lqset (ml/min)\r\n");
}

QString field(const QString& text)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c.unicode() < 0x20 || c.unicode() == 0x7f) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString seconds(qint64 ms)
{
    // Whole numbers only: no locale and no rounding can touch the text.
    const QString sign = ms < 0 ? QStringLiteral("-") : QString();
    const quint64 magnitude = ms < 0 ? 0 - static_cast<quint64>(ms) : static_cast<quint64>(ms);
    return sign + QString::number(magnitude / 1000) + QLatin1Char('.')
           + QStringLiteral("%1").arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QString timeText(const QDateTime& time)
{
    // Qt writes a zero offset as "Z"; "+00:00" keeps every line alike.
    QString text = time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
    if (text.endsWith(QLatin1Char('Z')))
        text.replace(text.size() - 1, 1, QStringLiteral("+00:00"));
    return text;
}

QString line(const Entry& entry)
{
    // The answer's characters are shown byte for byte, as the boxes show them.
    const auto part = [&](int from, int length) { return QString::fromLatin1(entry.frame.mid(from, length)); };
    const QStringList fields = {
        timeText(entry.time),
        seconds(entry.elapsedMs),
        part(1, 2),
        part(3, 1),
        part(4, 4),
        entry.pnow,
        entry.prset,
        entry.lqset,
    };
    return row(fields);
}

QString row(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields)
        out << field(f);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString fileName(const QDateTime& start, int attempt)
{
    QString name = QStringLiteral("pump-log-") + start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (attempt > 1)
        name += QLatin1Char('-') + QString::number(attempt);
    return name + QStringLiteral(".csv");
}

}  // namespace csvlog

CsvLog::CsvLog(platform::LogFiles& files, platform::Clock clock, platform::WallClock wallClock)
    : m_files(files)
    , m_clock(std::move(clock))
    , m_wallClock(std::move(wallClock))
{
}

CsvLog::~CsvLog()
{
    stop();
}

QString CsvLog::path() const
{
    return m_on ? m_files.path() : QString();
}

bool CsvLog::start(QString* error)
{
    stop();
    const auto fail = [&](const QString& what) {
        m_files.close();
        if (error)
            *error = recorded::text(recorded::kCsvNotStarted).arg(m_files.folder(), what);
        return false;
    };

    const QDateTime startTime = m_wallClock();
    QString reason;
    bool created = false;
    for (int attempt = 1; attempt <= kMaxAttempts && !created; ++attempt) {
        switch (m_files.create(csvlog::fileName(startTime, attempt), &reason)) {
        case platform::LogFiles::Create::Created:
            created = true;
            break;
        case platform::LogFiles::Create::Exists:
            reason = recorded::text(QT_TRANSLATE_NOOP("recorded", "同名文件已存在"));
            break;
        case platform::LogFiles::Create::Failed:
            return fail(reason);
        }
    }
    if (!created)
        return fail(reason);
    if (!m_files.append(csvlog::headerLine().toUtf8(), &reason))
        return fail(reason);
    m_startMs = m_clock();
    m_on = true;
    return true;
}

void CsvLog::stop()
{
    if (!m_on)
        return;
    m_on = false;
    m_files.close();
}

bool CsvLog::record(const QByteArray& frame, const PanelState& state, QString* error)
{
    if (!m_on)
        return true;
    csvlog::Entry entry;
    entry.time = m_wallClock();
    entry.elapsedMs = m_clock() - m_startMs;
    entry.frame = frame;
    entry.pnow = state.pnow;
    entry.prset = state.prset;
    entry.lqset = state.lqset;
    QString reason;
    if (m_files.append(csvlog::line(entry).toUtf8(), &reason))
        return true;
    const QString path = m_files.path();
    stop();
    if (error)
        *error = recorded::text(recorded::kCsvNotWritten).arg(path, reason);
    return false;
}

QString CsvLog::caption()
{
    return tr("CSV记录");
}

QString CsvLog::startedNotice(const QString& path)
{
    return tr("CSV记录开始：%1").arg(path);
}

QString CsvLog::stoppedNotice(const QString& path)
{
    return tr("CSV记录已关闭：%1").arg(path);
}
