// Reading a journal file: the sessions, the plot of a range through the
// summaries, events, the readout, the statistics between two cursors and the
// readings one by one for exports.
#include "history/historysource.h"
#include "history/journal.h"
#include "history/schema.h"
#include "history/summary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace history {

QString defaultJournalPath()
{
    // The application data folder of pump-panel, whichever program asks:
    // pump-history reads the panel's file. (AppLocalDataLocation is this
    // folder plus the application's name; neither program sets an
    // organisation.)
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("pump-panel/history.sqlite3"));
}

namespace {

// How far back the value in force is looked for where the last reading's
// box held no number.
constexpr qint64 kBackLookMs = 3600 * 1000;

// A stretch of readings in key order: a summary, or one raw reading.
struct Piece {
    Summary summary;  // count 1 and no encoding for a raw reading
    bool raw = false;
    std::array<double, kSeriesCount> values{};  // a raw reading's
};

struct Interval {
    Key lo;
    Key hi;
};

class SqliteHistory final : public HistorySource {
public:
    explicit SqliteHistory(const QString& path) : m_connection(schema::uniqueConnectionName("reader"))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        m_db.setDatabaseName(path);
        m_path = path;
    }

    ~SqliteHistory() override
    {
        m_summaries.reset();
        m_raw.reset();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }

    bool open(QString* error);

    QList<SessionInfo> sessions() override;
    PlotData plot(qint64 session, qint64 fromMs, qint64 toMs, int columns) override;
    QList<Event> events(qint64 session, qint64 fromMs, qint64 toMs) override;
    std::optional<Reading> readingAt(qint64 session, qint64 tMs) override;
    RangeStats stats(qint64 session, qint64 fromMs, qint64 toMs) override;
    void forEachReading(qint64 session, qint64 fromMs, qint64 toMs,
                        const std::function<bool(const Reading&)>& fn) override;
    QString lastError() const override { return m_error; }

private:
    // Keeps the first read error of the call at hand; true when `q` met one.
    bool failed(const QSqlQuery& q);
    // Every reading of [lo, hi] once, in as few rows as `fits` allows: a
    // summary lying wholly inside that fits is taken whole, one that does
    // not is opened into the level below, down to the readings themselves.
    std::vector<Piece> pieces(qint64 session, Interval range, const std::function<bool(const Summary&)>& fits);
    void summariesAt(qint64 session, int level, const Interval& in, std::vector<Piece>& out,
                     std::vector<Interval>& finer, const std::function<bool(const Summary&)>& fits);
    void rawReadings(qint64 session, const Interval& in, std::vector<Piece>& out);
    // The last value of each series before `key` (the value in force), and
    // the last flow before it.
    std::array<ColumnStats, kSeriesCount> valuesBefore(qint64 session, const Key& key);
    std::optional<SessionInfo> session(qint64 id);
    QVector<Span> covered(qint64 session, qint64 fromMs, qint64 toMs, qint64 mergeBelowMs);
    QVector<Span> linkLost(qint64 session, qint64 fromMs, qint64 toMs, const QVector<Span>& covered, qint64 endMs);
    void volume(const SessionInfo& session, qint64 fromMs, qint64 toMs, const std::vector<Piece>& pieces,
                RangeStats& out);
    QSqlQuery query(const QString& sql);
    // Prepared, bound to `values` in order and run; inactive when it failed.
    QSqlQuery select(const QString& sql, const QVariantList& values);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_path;
    QString m_error;
    std::unique_ptr<QSqlQuery> m_summaries;
    std::unique_ptr<QSqlQuery> m_raw;
};

QSqlQuery SqliteHistory::query(const QString& sql)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql);
    return q;
}

QSqlQuery SqliteHistory::select(const QString& sql, const QVariantList& values)
{
    QSqlQuery q = query(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        failed(q);
    return q;
}

bool SqliteHistory::failed(const QSqlQuery& q)
{
    if (!q.lastError().isValid())
        return false;
    if (m_error.isEmpty())
        m_error = QCoreApplication::translate("history", "读取 %1 出错：%2")
                      .arg(QDir::toNativeSeparators(m_path), schema::reason(q.lastError()));
    return true;
}

bool SqliteHistory::open(QString* error)
{
    const auto failWith = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QFileInfo(m_db.databaseName()).isFile())
        return failWith(
            QCoreApplication::translate("history", "%1 不存在").arg(QDir::toNativeSeparators(m_db.databaseName())));
    // Read-only beside a panel that writes; a copy on a read-only medium
    // (no -shm can be made there) is read as it stands.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
    if (!m_db.open())
        return failWith(schema::reason(m_db.lastError()));
    const QString path = m_db.databaseName();
    int version = -1;
    QSqlError why;
    const auto readVersion = [this, &version, &why] {
        QSqlQuery check(m_db);
        if (!check.exec(QStringLiteral("PRAGMA user_version")) || !check.next()) {
            why = check.lastError();
            return false;
        }
        version = check.value(0).toInt();
        return true;
    };
    if (!readVersion()) {
        // Read as it stands, the -wal beside it left aside. The URI's host
        // stays empty: a path that begins with "//" (a Windows share) is
        // all path.
        const QString wal = path + QStringLiteral("-wal");
        if (QFileInfo(wal).size() > 0)
            return failWith(QCoreApplication::translate("history", "%1：最近的记录在 %2 中，但在此处无法读取（%3）；"
                                                                   "请把这两个文件一起复制到可写的文件夹后再打开")
                                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(wal), schema::reason(why)));
        m_db.close();
        // "C:/x" becomes file:///C:/x, "//server/share/x" file:////server/share/x.
        const QString uriPath = path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
        m_db.setDatabaseName(QStringLiteral("file://") + QString::fromLatin1(QUrl::toPercentEncoding(uriPath, "/:"))
                             + QStringLiteral("?immutable=1"));
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        if (!m_db.open() || !readVersion())
            return failWith(
                QCoreApplication::translate("history", "%1：%2").arg(QDir::toNativeSeparators(path), schema::reason(why)));
    }
    if (version != schema::kVersion)
        return failWith(
            QCoreApplication::translate("history", "%1 不是本程序的运行历史").arg(QDir::toNativeSeparators(path)));
    m_summaries = std::make_unique<QSqlQuery>(m_db);
    m_summaries->setForwardOnly(true);
    m_raw = std::make_unique<QSqlQuery>(m_db);
    m_raw->setForwardOnly(true);
    if (!m_summaries->prepare(QStringLiteral("SELECT t0, n0, stats FROM summaries WHERE session_id = ? AND level = ?"
                                             " AND (t0, n0) >= (?, ?) AND (t0, n0) <= (?, ?) ORDER BY t0, n0"))
        || !m_raw->prepare(QStringLiteral("SELECT t_ms, n, p, l, f FROM reading_rows WHERE session_id = ?"
                                          " AND (t_ms, n) >= (?, ?) AND (t_ms, n) <= (?, ?) ORDER BY t_ms, n")))
        return failWith(schema::reason(m_summaries->lastError().isValid() ? m_summaries->lastError() : m_raw->lastError()));
    return true;
}

SessionInfo sessionFrom(const QSqlQuery& q)
{
    SessionInfo s;
    s.id = q.value(0).toLongLong();
    s.startedMs = q.value(1).toLongLong();
    if (!q.value(2).isNull())
        s.endedMs = q.value(2).toLongLong();
    s.lastMs = q.value(3).isNull() ? s.startedMs : q.value(3).toLongLong();
    if (s.endedMs)
        s.lastMs = std::max(s.lastMs, *s.endedMs);
    s.readings = q.value(4).toLongLong();
    s.appVersion = q.value(5).toString();
    s.port = q.value(6).toString();
    return s;
}

const QString kSessionColumns =
    QStringLiteral("SELECT id, started_ms, ended_ms, last_ms, reading_count, app_version, port FROM sessions");

QList<SessionInfo> SqliteHistory::sessions()
{
    m_error.clear();
    QList<SessionInfo> out;
    QSqlQuery q = query(kSessionColumns + QStringLiteral(" ORDER BY started_ms DESC, id DESC"));
    if (!q.exec()) {
        failed(q);
        return out;
    }
    while (q.next())
        out.append(sessionFrom(q));
    failed(q);
    return out;
}

std::optional<SessionInfo> SqliteHistory::session(qint64 id)
{
    QSqlQuery q = select(kSessionColumns + QStringLiteral(" WHERE id = ?"), {id});
    if (!q.isActive() || !q.next()) {
        failed(q);
        return std::nullopt;
    }
    return sessionFrom(q);
}

std::vector<Piece> SqliteHistory::pieces(qint64 session, Interval range,
                                         const std::function<bool(const Summary&)>& fits)
{
    std::vector<Piece> out;
    std::vector<Interval> work{range};
    for (int level = kLevels; level >= 1 && !work.empty(); --level) {
        std::vector<Interval> finer;
        for (const Interval& in : work)
            summariesAt(session, level, in, out, finer, fits);
        work.swap(finer);
    }
    for (const Interval& in : work)
        rawReadings(session, in, out);
    std::sort(out.begin(), out.end(), [](const Piece& a, const Piece& b) { return a.summary.first < b.summary.first; });
    return out;
}

void SqliteHistory::summariesAt(qint64 session, int level, const Interval& in, std::vector<Piece>& out,
                                std::vector<Interval>& finer, const std::function<bool(const Summary&)>& fits)
{
    if (in.hi < in.lo)
        return;
    // What is left for the level below; a stretch right after one left
    // already joins it.
    bool extending = false;
    const auto leave = [&](const Key& lo, const Key& hi) {
        if (hi < lo)
            return;
        if (extending)
            finer.back().hi = hi;
        else
            finer.push_back({lo, hi});
        extending = true;
    };
    QSqlQuery& q = *m_summaries;
    q.bindValue(0, session);
    q.bindValue(1, level);
    q.bindValue(2, in.lo.t);
    q.bindValue(3, in.lo.n);
    q.bindValue(4, in.hi.t);
    q.bindValue(5, in.hi.n);
    Key cursor = in.lo;
    bool first = true;
    if (!q.exec())
        failed(q);
    if (q.isActive()) {
        while (q.next()) {
            Piece piece;
            piece.summary.first = Key{q.value(0).toLongLong(), q.value(1).toLongLong()};
            if (!piece.summary.decode(q.value(2).toByteArray()) || in.hi < piece.summary.last)
                break;
            // Summaries of one level follow each other without a reading
            // between them; only before the first may readings be left.
            if (first && cursor < piece.summary.first)
                leave(cursor, piece.summary.first.before());
            first = false;
            cursor = piece.summary.last.after();
            if (fits(piece.summary)) {
                out.push_back(std::move(piece));
                extending = false;
            } else {
                leave(piece.summary.first, piece.summary.last);
            }
        }
        failed(q);
    }
    q.finish();
    leave(cursor, in.hi);
}

void SqliteHistory::rawReadings(qint64 session, const Interval& in, std::vector<Piece>& out)
{
    if (in.hi < in.lo)
        return;
    QSqlQuery& q = *m_raw;
    q.bindValue(0, session);
    q.bindValue(1, in.lo.t);
    q.bindValue(2, in.lo.n);
    q.bindValue(3, in.hi.t);
    q.bindValue(4, in.hi.n);
    if (!q.exec())
        failed(q);
    if (q.isActive()) {
        while (q.next()) {
            Piece piece;
            piece.raw = true;
            const Key key{q.value(0).toLongLong(), q.value(1).toLongLong()};
            for (int s = 0; s < kSeriesCount; ++s)
                piece.values[s] = schema::number(q.value(2 + s));
            piece.summary.add(key, piece.values);
            out.push_back(std::move(piece));
        }
        failed(q);
    }
    q.finish();
}

std::array<ColumnStats, kSeriesCount> SqliteHistory::valuesBefore(qint64 session, const Key& key)
{
    std::array<ColumnStats, kSeriesCount> out;
    QSqlQuery q = select(QStringLiteral("SELECT t_ms, p, l, f FROM reading_rows WHERE session_id = ? AND (t_ms, n) < (?, ?)"
                                        " ORDER BY t_ms DESC, n DESC LIMIT 1"),
                         {session, key.t, key.n});
    if (!q.isActive() || !q.next()) {
        failed(q);
        return out;
    }
    const qint64 t = q.value(0).toLongLong();
    static const char* const kColumns[] = {"p", "l", "f"};
    for (int s = 0; s < kSeriesCount; ++s) {
        const double v = schema::number(q.value(1 + s));
        if (!std::isnan(v)) {
            out[s].add(t, v);
            continue;
        }
        // The box held no number then (an entry on the keypad, an answer
        // that is not one): the last number it held, within the hour.
        QSqlQuery back = select(QStringLiteral("SELECT t_ms, %1 FROM reading_rows WHERE session_id = ? AND t_ms >= ?"
                                               " AND (t_ms, n) < (?, ?) AND %1 IS NOT NULL ORDER BY t_ms DESC, n DESC LIMIT 1")
                                    .arg(QLatin1String(kColumns[s])),
                                {session, t - kBackLookMs, key.t, key.n});
        if (back.isActive() && back.next())
            out[s].add(back.value(0).toLongLong(), schema::number(back.value(1)));
    }
    return out;
}

PlotData SqliteHistory::plot(qint64 sessionId, qint64 fromMs, qint64 toMs, int columns)
{
    m_error.clear();
    PlotData plot = emptyPlot(fromMs, toMs, columns);
    if (plot.columns == 0 || toMs < fromMs)
        return plot;
    const auto info = session(sessionId);
    if (!info)
        return plot;
    plot.before = valuesBefore(sessionId, Key{fromMs, 0});
    // A summary no wider than a column is drawn in the column of its middle:
    // its extremes land at most half a column from where they happened.
    const double columnMs = static_cast<double>(toMs - fromMs) / plot.columns;
    const auto narrow = [columnMs](const Summary& s) { return static_cast<double>(s.last.t - s.first.t) <= columnMs; };
    for (const Piece& piece : pieces(sessionId, Interval{Key{fromMs, 0}, Key{toMs, Key::kMaxN}}, narrow)) {
        if (piece.raw) {
            addReading(plot, piece.summary.first.t, piece.values);
            continue;
        }
        const qint64 middle = piece.summary.first.t + (piece.summary.last.t - piece.summary.first.t) / 2;
        const int column = columnOf(middle, fromMs, toMs, plot.columns);
        for (int s = 0; s < kSeriesCount && column >= 0; ++s)
            plot.series[s][column].merge(piece.summary.series[s]);
    }
    plot.covered = covered(sessionId, fromMs, toMs, static_cast<qint64>(columnMs / 2));
    plot.linkLost = linkLost(sessionId, fromMs, toMs, plot.covered, info->lastMs);
    return plot;
}

QVector<Span> SqliteHistory::covered(qint64 session, qint64 fromMs, qint64 toMs, qint64 mergeBelowMs)
{
    QVector<Span> out;
    QSqlQuery q = select(QStringLiteral("SELECT from_ms, to_ms FROM spans WHERE session_id = ? AND from_ms <= ?"
                                        " AND to_ms >= ? ORDER BY from_ms"),
                         {session, toMs, fromMs});
    if (!q.isActive())
        return out;
    while (q.next()) {
        const Span span{std::max(fromMs, q.value(0).toLongLong()), std::min(toMs, q.value(1).toLongLong())};
        // A break narrower than half a column cannot be seen.
        if (!out.isEmpty() && span.fromMs - out.last().toMs < mergeBelowMs)
            out.last().toMs = span.toMs;
        else
            out.append(span);
    }
    failed(q);
    return out;
}

QVector<Span> SqliteHistory::linkLost(qint64 session, qint64 fromMs, qint64 toMs, const QVector<Span>& covered,
                                      qint64 endMs)
{
    // From the last reading before the pump fell silent to the first event
    // that ends the silence (an answer, the port going, the program ending),
    // or the end of the session.
    QVector<Span> out;
    QSqlQuery q = select(QStringLiteral(
        "SELECT t_ms, kind FROM events INDEXED BY events_by_kind WHERE session_id = ? AND t_ms <= ? AND t_ms >= coalesce("
        "(SELECT max(t_ms) FROM events WHERE session_id = ? AND kind = 'link_lost' AND t_ms <= ?), ?)"
        " AND kind IN ('link_lost', 'link_restored', 'port_opened', 'port_closed', 'port_lost', 'app_exit')"
        " ORDER BY t_ms"), {session, toMs, session, fromMs, fromMs});
    if (!q.isActive())
        return out;
    std::optional<qint64> lostAt;
    int before = 0;  // covered stretches that ended by the event at hand
    const auto close = [&](qint64 endAt) {
        const Span span{std::max(fromMs, *lostAt), std::min(toMs, endAt)};
        if (span.fromMs <= span.toMs)
            out.append(span);
        lostAt.reset();
    };
    while (q.next()) {
        const qint64 t = q.value(0).toLongLong();
        if (q.value(1).toString() == QLatin1String("link_lost")) {
            if (lostAt)
                continue;
            // The end of the covered stretch the silence follows.
            while (before < covered.size() && covered.at(before).toMs <= t)
                ++before;
            lostAt = before > 0 ? covered.at(before - 1).toMs : t;
        } else if (lostAt) {
            close(t);
        }
    }
    failed(q);
    if (lostAt)
        close(endMs);
    return out;
}

QList<Event> SqliteHistory::events(qint64 session, qint64 fromMs, qint64 toMs)
{
    m_error.clear();
    QList<Event> out;
    QSqlQuery q = select(QStringLiteral("SELECT t_ms, kind, detail, source FROM events WHERE session_id = ?"
                                        " AND t_ms >= ? AND t_ms <= ? ORDER BY t_ms, rowid"),
                         {session, fromMs, toMs});
    if (!q.isActive())
        return out;
    while (q.next())
        out.append(Event{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    failed(q);
    return out;
}

Reading readingFrom(const QSqlQuery& q)
{
    Reading r;
    r.tMs = q.value(0).toLongLong();
    const QVariant pump = q.value(1);
    r.pump = pump.typeId() == QMetaType::LongLong ? pump.toInt() : -1;
    if (r.pump < 0)
        r.pumpText = pump.toString();
    const QString answer = q.value(2).toString();
    r.letter = answer.left(1);
    r.value = answer.mid(1);
    const auto number = [](const QVariant& v) -> std::optional<double> {
        const double d = schema::number(v);
        return std::isnan(d) ? std::nullopt : std::optional<double>(d);
    };
    r.pressure = number(q.value(3));
    r.flow = number(q.value(4));
    r.limit = number(q.value(5));
    return r;
}

const QString kReadingColumns = QStringLiteral("SELECT t_ms, pump, answer, p, f, l FROM reading_rows");

std::optional<Reading> SqliteHistory::readingAt(qint64 session, qint64 tMs)
{
    m_error.clear();
    QSqlQuery q = select(kReadingColumns
                         + QStringLiteral(" WHERE session_id = ? AND t_ms <= ? ORDER BY t_ms DESC, n DESC LIMIT 1"),
                         {session, tMs});
    if (!q.isActive() || !q.next()) {
        failed(q);
        return std::nullopt;
    }
    return readingFrom(q);
}

void SqliteHistory::forEachReading(qint64 session, qint64 fromMs, qint64 toMs,
                                   const std::function<bool(const Reading&)>& fn)
{
    m_error.clear();
    QSqlQuery q = select(kReadingColumns
                         + QStringLiteral(" WHERE session_id = ? AND t_ms >= ? AND t_ms <= ? ORDER BY t_ms, n"),
                         {session, fromMs, toMs});
    if (!q.isActive())
        return;
    while (q.next()) {
        if (!fn(readingFrom(q)))
            return;
    }
    failed(q);
}

RangeStats SqliteHistory::stats(qint64 sessionId, qint64 fromMs, qint64 toMs)
{
    m_error.clear();
    RangeStats out;
    const auto info = session(sessionId);
    if (!info)
        return out;
    // Nothing happened outside the session.
    fromMs = std::max(fromMs, info->startedMs);
    toMs = std::min(toMs, info->lastMs);
    if (toMs < fromMs)
        return out;
    // Any summary wholly inside the range is taken whole: it carries the
    // volume between its first and its last reading (unless it was written
    // before the journal left stretches out of the volume).
    const std::vector<Piece> parts = pieces(sessionId, Interval{Key{fromMs, 0}, Key{toMs, Key::kMaxN}},
                                            [](const Summary& s) { return s.leftOutKnown; });
    ColumnStats pressure;
    double sum = 0;
    for (const Piece& piece : parts) {
        out.readings += piece.summary.count;
        const ColumnStats& p = piece.summary.series[Pressure];
        if (p.count == 0)
            continue;
        pressure.merge(p);
        sum += piece.raw ? piece.values[Pressure] : piece.summary.pressureSum;
    }
    if (pressure.count > 0) {
        out.minPressure = pressure.min;
        out.maxPressure = pressure.max;
        out.meanPressure = sum / static_cast<double>(pressure.count);
    }
    volume(*info, fromMs, toMs, parts, out);
    return out;
}

// The flow set point integrated over the time the pump delivered, by the
// same rule the journal's summaries follow (Volume). It is followed from the
// session's start, so the pump's state at the range's start is known; inside
// a summary the journal has done the sum, between the pieces it is done here.
void SqliteHistory::volume(const SessionInfo& session, qint64 fromMs, qint64 toMs, const std::vector<Piece>& parts,
                           RangeStats& out)
{
    QSqlQuery q = select(QStringLiteral(
        "SELECT t_ms, kind, detail FROM events WHERE session_id = ? AND t_ms <= ? AND (kind IN ("
        "'port_opened', 'port_closed', 'port_lost', 'link_lost', 'link_restored') OR (kind = 'command'"
        " AND length(detail) = 9 AND substr(detail, 4, 1) IN ('R', 'S'))) ORDER BY t_ms, rowid"),
        {session.id, toMs});
    struct Change {
        qint64 t;
        QString kind;
        QString detail;
    };
    std::vector<Change> changes;
    if (q.isActive()) {
        while (q.next())
            changes.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
        failed(q);
    }
    Volume v;
    v.from = session.startedMs;
    size_t c = 0;
    // Up to t: events change what counts; `integrate` says whether the time
    // counts here (between pieces) or was counted by a summary or lies
    // before the range.
    const auto advance = [&](qint64 t, bool integrate) {
        for (; c < changes.size() && changes[c].t <= t; ++c)
            v.event(changes[c].t, changes[c].kind, changes[c].detail, integrate);
        v.to(t, integrate);
    };
    const auto take = [&](const Piece& piece, bool inRange) {
        advance(piece.summary.first.t, inRange);
        if (piece.raw) {
            v.reading(piece.values[Pressure], piece.values[Flow], piece.values[Limit]);
            return;
        }
        if (inRange) {
            v.total += piece.summary.volume;
            v.leftOutMs += piece.summary.leftOutMs;
        }
        advance(piece.summary.last.t, false);
        // As the journal left it after the summary's last reading.
        v.linked = true;
        if (piece.summary.series[Flow].count > 0)
            v.flow = piece.summary.series[Flow].last;
        v.stoppedAtLimit = piece.summary.stoppedAtLimit;
    };
    const auto counted = [](const Summary& s) { return s.leftOutKnown; };
    if (session.startedMs < fromMs) {
        for (const Piece& piece : pieces(session.id, Interval{Key{session.startedMs, 0}, Key{fromMs, 0}.before()}, counted))
            take(piece, false);
    }
    advance(fromMs, false);
    for (const Piece& piece : parts)
        take(piece, true);
    advance(toMs, true);
    out.volumeMl = v.total / 60000.0;
    out.leftOutMs = v.leftOutMs;
}

}  // namespace

std::unique_ptr<HistorySource> openJournal(const QString& path, QString* error)
{
    auto source = std::make_unique<SqliteHistory>(path);
    if (!source->open(error))
        return nullptr;
    return source;
}

}  // namespace history
