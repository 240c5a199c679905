#include "history/journal.h"

#include "history/schema.h"
#include "history/summary.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QWaitCondition>

#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace history {

namespace {

// The writer commits what came in this often, or sooner once this many rows
// wait. Half a second keeps "at most the last second lost" with room for a
// slow disk.
constexpr int kCommitIntervalMs = 500;
constexpr size_t kBatchRows = 256;
// While writing fails: how often to try again, and how many rows to keep for
// then (about 8 minutes at the line's full rate, 20 hours at the poll).
constexpr int kRetryIntervalMs = 2000;
constexpr size_t kBacklogLimit = 50000;
// With nothing to write, the session's last time is still brought up to date
// this often, so a live view and a later start see how long it ran.
constexpr qint64 kHeartbeatMs = 10000;
// How long a write waits for another panel's transaction.
constexpr int kBusyTimeoutMs = 2000;
// Pages given back to the file system per commit after old sessions went.
constexpr int kVacuumPages = 1024;

constexpr qint64 kMsPerDay = 24 * 3600 * 1000LL;

const char* const kKindNames[] = {
    "port_opened", "port_open_failed", "port_closed", "port_lost", "link_lost", "link_restored",
    "command", "flow_set", "pressure_set", "pump_number_set", "timed_set", "timed_start",
    "timed_pause", "timed_continue", "timed_end", "timed_auto_stop", "record_saved",
    "record_save_failed", "printed", "csv_log_on", "csv_log_off", "app_exit", "unclean_end",
    "session_restarted", "retention_skipped",
    "dose_started", "dose_ended", "program_started", "program_step", "program_paused", "program_resumed",
    "program_ended", "alarm_raised", "alarm_acknowledged", "alarm_cleared", "alarm_silenced",
    "alarm_stop", "alarm_command_failed", "remote_on", "remote_off", "remote_blocked", "broker_connected",
    "broker_disconnected",
};
static_assert(std::size(kKindNames) == static_cast<size_t>(EventKind::BrokerDisconnected) + 1);

const char* const kSourceNames[] = {"", "keypad", "menu", "popup", "dialog", "timed_run", "program", "alarm", "remote", "mqtt"};

// After these the line breaks until the next reading.
bool breaksTheLine(EventKind kind)
{
    switch (kind) {
    case EventKind::PortOpened:
    case EventKind::PortClosed:
    case EventKind::PortLost:
    case EventKind::LinkLost:
    case EventKind::AppExit:
        return true;
    default:
        return false;
    }
}

// One row waiting to be written.
struct Item {
    qint64 tMs = 0;
    qint64 wallMs = 0;
    std::optional<EventKind> kind;  // none: a reading
    QByteArray answer;
    std::array<double, kSeriesCount> values{};
    QString detail;
    Source source = Source::None;
};

QString lockPath(const QString& journal, qint64 session)
{
    return journal + QStringLiteral(".session-%1.lock").arg(session);
}

// Whether the panel writing the session still runs: it holds its lock.
bool sessionRuns(const QString& journal, qint64 session)
{
    QLockFile lock(lockPath(journal, session));
    lock.setStaleLockTime(0);
    return !lock.tryLock(0);
}

// A free name beside `path` with the local time in it, for a file moved aside.
QString asideName(const QString& path, qint64 wallMs)
{
    const QString stamp = QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = path + QLatin1Char('.') + stamp;
    for (int k = 2; QFileInfo::exists(name); ++k)
        name = path + QLatin1Char('.') + stamp + QLatin1Char('-') + QString::number(k);
    return name;
}

}  // namespace

std::optional<int> pumpNumber(const QByteArray& answer)
{
    const QByteArray pump = answer.mid(1, 2);
    if (pump.size() == 2 && std::isdigit(static_cast<unsigned char>(pump[0])) && std::isdigit(static_cast<unsigned char>(pump[1])))
        return pump.toInt();
    return std::nullopt;
}

QString kindName(EventKind kind)
{
    return QLatin1String(kKindNames[static_cast<int>(kind)]);
}

QString sourceName(Source source)
{
    return QLatin1String(kSourceNames[static_cast<int>(source)]);
}

Journal::Clocks Journal::systemClocks()
{
    // Counts through a suspend: a laptop that slept for eight hours does not
    // stamp what follows eight hours early.
    return Clocks{platform::steadyClock(), [] { return QDateTime::currentMSecsSinceEpoch(); }};
}

// ---- the writer thread -------------------------------------------------------

class Journal::Writer : public QThread {
public:
    Writer(Journal* journal, QString path, QString appVersion, Clocks clocks)
        : m_journal(journal), m_path(std::move(path)), m_appVersion(std::move(appVersion)),
          m_clocks(std::move(clocks))
    {
        setObjectName(QStringLiteral("journal writer"));
        m_startWall = m_clocks.wallMs();
        m_startMono = m_clocks.monotonicMs();
    }

    // The journal's time now, and the wall clock as it reads now.
    qint64 now() const { return m_startWall + (m_clocks.monotonicMs() - m_startMono); }
    qint64 wallNow() const { return m_clocks.wallMs(); }

    void push(Item&& item)
    {
        QMutexLocker lock(&m_mutex);
        if (m_ending)
            return;
        m_incoming.push_back(std::move(item));
        // The first row wakes the writer to start its interval, a full
        // batch to commit at once.
        if (m_incoming.size() == 1 || m_incoming.size() >= kBatchRows)
            m_wake.wakeOne();
    }

    bool flush(int timeoutMs)
    {
        QMutexLocker lock(&m_mutex);
        const quint64 needed = m_attemptsStarted + 1;
        m_flushRequested = true;
        m_wake.wakeOne();
        QDeadlineTimer deadline(timeoutMs);
        while (m_attemptsFinished < needed && isRunning()) {
            if (!m_done.wait(&m_mutex, deadline))
                return false;
        }
        return m_attemptsFinished >= needed && m_lastAttemptOk;
    }

    // Asks for the last commit and waits for the thread, at most timeoutMs.
    bool finish(int timeoutMs)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_ending = true;
            m_wake.wakeOne();
        }
        return wait(QDeadlineTimer(timeoutMs));
    }

    std::atomic<qint64> sessionId{0};
    std::atomic<int> restarts{0};
    std::atomic<bool> writing{true};

protected:
    void run() override;

private:
    struct State {
        Key last{-1, 0};
        std::array<Summary, kLevels> open;
        std::array<int, kLevels> parts{};  // summaries (readings at level 1) in each open one
        bool spanOpen = false;
        qint64 spanFrom = 0;
        qint64 spanTo = 0;
        qint64 readings = 0;
        QString port;
        qint64 lastMs = 0;
        // For the summaries' volumes: the flow integrated since the last
        // reading.
        Volume volume;
    };

    bool attempt(bool ending);
    bool open(QString* reason);
    bool prepareFile(QString* reason);
    bool startSession(QString* reason);
    void noticeUncleanEnds();
    void removeOldSessions();
    bool insertEvent(qint64 session, qint64 tMs, EventKind kind, const QString& detail);
    bool writeBatch(bool ending);
    bool writeReading(const Item& item, std::vector<std::pair<qint64, qint64>>& spans);
    bool writeSummary(int level);
    bool exec(QSqlQuery& query);
    bool exec(const QString& sql);
    void close();
    void fail(const QString& reason);
    void moveAside();
    // Hands a step to the journal's own thread, unless the journal let go.
    template <class F> void post(F&& f)
    {
        if (Journal* journal = m_journal.load())
            QMetaObject::invokeMethod(journal, std::forward<F>(f), Qt::QueuedConnection);
    }

public:
    // The journal no longer waits for this thread (a disk that hangs at exit).
    void detach() { m_journal = nullptr; }

private:
    std::atomic<Journal*> m_journal;
    const QString m_path;
    const QString m_appVersion;
    const Clocks m_clocks;
    qint64 m_startWall = 0;
    qint64 m_startMono = 0;
    qint64 m_sessionStartMs = 0;  // started_ms of the session in the file

    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_done;
    std::vector<Item> m_incoming;
    bool m_ending = false;
    bool m_flushRequested = false;
    quint64 m_attemptsStarted = 0;
    quint64 m_attemptsFinished = 0;
    bool m_lastAttemptOk = false;

    // Only the writer thread touches what follows.
    QString m_connection;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_insertReading;
    std::unique_ptr<QSqlQuery> m_insertEvent;
    std::unique_ptr<QSqlQuery> m_insertSummary;
    std::unique_ptr<QSqlQuery> m_upsertSpan;
    std::unique_ptr<QSqlQuery> m_updateSession;
    std::unique_ptr<QLockFile> m_sessionLock;
    std::deque<Item> m_backlog;
    State m_state;
    QSqlError m_lastError;
    bool m_failing = false;
    bool m_disabled = false;   // a file this program must not write
    bool m_movedAside = false;
    qint64 m_dropped = 0;       // readings not kept while writing failed
    qint64 m_lastWriteMono = 0;
    bool m_freePages = true;  // the file may have pages to give back
};

void Journal::Writer::run()
{
    m_connection = schema::uniqueConnectionName("writer");
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    std::vector<Item> spare;
    for (;;) {
        bool ending = false;
        {
            QMutexLocker lock(&m_mutex);
            const auto waiting = [this] { return !m_ending && !m_flushRequested && m_incoming.size() < kBatchRows; };
            // Once the file is open, with nothing to write the writer
            // sleeps until a row comes (or the session's last time is due
            // again); then it gathers rows for one interval.
            if (waiting() && m_db.isOpen() && m_incoming.empty() && m_backlog.empty())
                m_wake.wait(&m_mutex, QDeadlineTimer(kHeartbeatMs));
            if (waiting())
                m_wake.wait(&m_mutex, QDeadlineTimer(m_failing ? kRetryIntervalMs : kCommitIntervalMs));
            spare.swap(m_incoming);
            ending = m_ending;
            m_flushRequested = false;
            ++m_attemptsStarted;
        }
        for (Item& item : spare)
            m_backlog.push_back(std::move(item));
        spare.clear();
        const bool ok = attempt(ending);
        {
            QMutexLocker lock(&m_mutex);
            m_lastAttemptOk = ok;
            ++m_attemptsFinished;
            m_done.wakeAll();
        }
        if (ending)
            break;
    }
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    if (m_sessionLock)
        m_sessionLock->unlock();
}

bool Journal::Writer::attempt(bool ending)
{
    if (m_disabled) {
        m_backlog.clear();
        return false;
    }
    QString reason;
    if (!m_db.isOpen() && !open(&reason)) {
        fail(reason);
        return false;
    }
    const bool heartbeat = m_clocks.monotonicMs() - m_lastWriteMono >= kHeartbeatMs;
    if (m_backlog.empty() && !ending && !heartbeat)
        return true;
    const State saved = m_state;
    if (!writeBatch(ending)) {
        m_state = saved;
        reason = schema::reason(m_lastError);
        exec(QStringLiteral("ROLLBACK"));
        // A connection that met a full disk or an I/O error is not trusted
        // again: the next attempt opens the file afresh.
        close();
        fail(reason);
        return false;
    }
    m_backlog.clear();
    m_lastWriteMono = m_clocks.monotonicMs();
    if (m_failing) {
        m_failing = false;
        writing = true;
        QString message = QCoreApplication::translate("history", "运行历史恢复记录：%1")
                              .arg(QDir::toNativeSeparators(m_path));
        if (m_dropped > 0)
            message += QCoreApplication::translate("history", "（其间 %1 个读数未能记录）").arg(m_dropped);
        m_dropped = 0;
        post([j = m_journal.load(), message] { emit j->resumed(message); });
    }
    post([j = m_journal.load()] { emit j->committed(); });
    // Space freed by removed sessions goes back a little at a time.
    if (m_freePages) {
        QSqlQuery freePages(m_db);
        m_freePages = freePages.exec(QStringLiteral("PRAGMA freelist_count")) && freePages.next()
                      && freePages.value(0).toLongLong() > 0;
        if (m_freePages)
            freePages.exec(QStringLiteral("PRAGMA incremental_vacuum(%1)").arg(kVacuumPages));
    }
    return true;
}

void Journal::Writer::fail(const QString& reason)
{
    // Keep what came for the next attempt, within bounds: the oldest
    // readings go first, events (what the operator did) last.
    while (m_backlog.size() > kBacklogLimit) {
        auto it = std::find_if(m_backlog.begin(), m_backlog.end(), [](const Item& i) { return !i.kind; });
        if (it == m_backlog.end())
            it = m_backlog.begin();
        if (!it->kind)
            ++m_dropped;
        m_backlog.erase(it);
    }
    if (m_failing)
        return;
    m_failing = true;
    writing = false;
    const QString message =
        QCoreApplication::translate("history", "运行历史无法写入 %1：%2\n面板照常工作；能够写入时自动继续记录。")
            .arg(QDir::toNativeSeparators(m_path), reason);
    post([j = m_journal.load(), message] { emit j->failed(message); });
}

bool Journal::Writer::open(QString* reason)
{
    const QFileInfo file(m_path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder)) {
        *reason = QCoreApplication::translate("history", "无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    for (int tries = 0; tries < 2; ++tries) {
        if (!m_db.open()) {
            *reason = schema::reason(m_db.lastError());
            return false;
        }
        if (prepareFile(reason))
            return startSession(reason);
        const bool notADatabase = schema::isNotADatabase(m_lastError) && !m_disabled;
        close();
        if (!notADatabase || m_movedAside)
            return false;
        moveAside();
    }
    return false;
}

bool Journal::Writer::prepareFile(QString* reason)
{
    // Where the file or the folder cannot be written, SQLite only says it
    // cannot open the file; say which.
    const auto explain = [this, reason] {
        *reason = schema::reason(m_lastError);
        const QFileInfo file(m_path);
        const QFileInfo folder(file.absolutePath());
        if (!folder.isWritable())
            *reason += QCoreApplication::translate("history", "；文件夹 %1 为只读")
                           .arg(QDir::toNativeSeparators(folder.filePath()));
        else if (file.exists() && !file.isWritable())
            *reason += QCoreApplication::translate("history", "；文件为只读");
        return false;
    };
    QSqlQuery q(m_db);
    const QString look = QStringLiteral("SELECT (SELECT user_version FROM pragma_user_version),"
                                        " (SELECT count(*) FROM sqlite_schema)");
    if (!q.exec(look) || !q.next()) {
        m_lastError = q.lastError();
        return explain();
    }
    int version = q.value(0).toInt();
    const auto notOurs = [this] {
        // An SQLite file, but not a journal.
        m_lastError = QSqlError(QString(), QStringLiteral("file is not a database"), QSqlError::StatementError,
                                QStringLiteral("26"));
        return false;
    };
    if (version == 0 && q.value(1).toLongLong() > 0)
        return notOurs();
    if (version == 0) {
        // A new file: make the tables, unless another panel just did.
        q.finish();
        // Space freed by the retention is given back a little at a time;
        // this must come before the first table.
        if (!exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL")) || !exec(QStringLiteral("PRAGMA journal_mode = WAL"))
            || !exec(QStringLiteral("BEGIN IMMEDIATE")))
            return explain();
        if (!q.exec(look) || !q.next()) {
            m_lastError = q.lastError();
            exec(QStringLiteral("ROLLBACK"));
            return explain();
        }
        version = q.value(0).toInt();
        const qint64 objects = q.value(1).toLongLong();
        q.finish();
        if (version == 0 && objects > 0) {
            exec(QStringLiteral("ROLLBACK"));
            return notOurs();
        }
        for (int k = 0; version == 0 && k < schema::createStatements().size(); ++k) {
            if (!exec(schema::createStatements().at(k))) {
                exec(QStringLiteral("ROLLBACK"));
                return explain();
            }
        }
        if (!exec(QStringLiteral("COMMIT"))) {
            exec(QStringLiteral("ROLLBACK"));
            return explain();
        }
        version = schema::kVersion;
    }
    q.finish();
    if (version != schema::kVersion) {
        m_disabled = true;
        *reason =
            QCoreApplication::translate("history", "文件由另一版本的程序建立（格式 %1），本程序不写入").arg(version);
        return false;
    }
    // One commit twice a second: a full sync each time keeps the rows of a
    // power cut too, and costs a few milliseconds on this thread only.
    if (!exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !exec(QStringLiteral("PRAGMA synchronous = FULL"))
        || !exec(QStringLiteral("PRAGMA journal_size_limit = 4194304")))
        return explain();

    const auto prepare = [this](std::unique_ptr<QSqlQuery>& query, const QString& sql) {
        query = std::make_unique<QSqlQuery>(m_db);
        if (query->prepare(sql))
            return true;
        m_lastError = query->lastError();
        return false;
    };
    if (!prepare(m_insertReading, QStringLiteral("INSERT INTO reading_rows (session_id, t_ms, n, pump, answer, p, f, l)"
                                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))
        || !prepare(m_insertEvent, QStringLiteral("INSERT INTO events (session_id, t_ms, kind, detail, source, wall_ms)"
                                                  " VALUES (?, ?, ?, ?, ?, ?)"))
        || !prepare(m_insertSummary,
                    QStringLiteral("INSERT INTO summaries (session_id, level, t0, n0, stats) VALUES (?, ?, ?, ?, ?)"))
        || !prepare(m_upsertSpan,
                    QStringLiteral("INSERT OR REPLACE INTO spans (session_id, from_ms, to_ms) VALUES (?, ?, ?)"))
        || !prepare(m_updateSession, QStringLiteral("UPDATE sessions SET last_ms = ?, reading_count = ?, port = ?,"
                                                    " ended_ms = ? WHERE id = ?")))
        return explain();
    return true;
}

bool Journal::Writer::startSession(QString* reason)
{
    qint64 lost = 0;
    if (sessionId != 0) {
        // The file may have been replaced while it was closed (deleted to
        // free a full disk, moved aside): this session must still be in it,
        // and not another panel's of the same number.
        QSqlQuery check(m_db);
        check.prepare(QStringLiteral("SELECT 1 FROM sessions WHERE id = ? AND started_ms = ?"));
        check.addBindValue(sessionId.load());
        check.addBindValue(m_sessionStartMs);
        if (!check.exec()) {
            m_lastError = check.lastError();
            *reason = schema::reason(m_lastError);
            close();
            return false;
        }
        if (check.next())
            return true;
        check.finish();
        lost = sessionId.exchange(0);
        if (m_sessionLock)
            m_sessionLock->unlock();
        // A new session: its own readings, summaries and spans. The port
        // stays open and the pump runs on as before.
        State fresh;
        fresh.port = m_state.port;
        fresh.volume = m_state.volume;
        m_state = fresh;
    }
    // A new session after a break holds what was kept meanwhile.
    qint64 startMs = m_startWall;
    if (lost != 0) {
        startMs = now();
        for (const Item& item : m_backlog)
            startMs = std::min(startMs, item.tMs);
    }
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO sessions (started_ms, app_version, last_ms) VALUES (?, ?, ?)"));
    q.addBindValue(startMs);
    q.addBindValue(m_appVersion);
    q.addBindValue(startMs);
    if (!q.exec()) {
        m_lastError = q.lastError();
        *reason = schema::reason(m_lastError);
        close();
        return false;
    }
    sessionId = q.lastInsertId().toLongLong();
    m_sessionStartMs = startMs;
    m_state.lastMs = startMs;
    // Held while the session runs: a panel starting later tells a session
    // still being written from one whose program died.
    m_sessionLock = std::make_unique<QLockFile>(lockPath(m_path, sessionId));
    m_sessionLock->setStaleLockTime(0);
    m_sessionLock->tryLock(0);
    if (lost != 0) {
        ++restarts;
        insertEvent(sessionId, startMs, EventKind::SessionRestarted,
                    QStringLiteral("session %1 is no longer in the file; continued as session %2").arg(lost).arg(sessionId.load()));
        return true;
    }
    noticeUncleanEnds();
    removeOldSessions();
    return true;
}

bool Journal::Writer::insertEvent(qint64 session, qint64 tMs, EventKind kind, const QString& detail)
{
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("INSERT INTO events (session_id, t_ms, kind, detail, source, wall_ms)"
                                  " VALUES (?, ?, ?, ?, NULL, ?)"));
    insert.addBindValue(session);
    insert.addBindValue(tMs);
    insert.addBindValue(kindName(kind));
    insert.addBindValue(detail);
    insert.addBindValue(m_clocks.wallMs());
    return insert.exec();
}

void Journal::Writer::noticeUncleanEnds()
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, coalesce(last_ms, started_ms) FROM sessions"
                             " WHERE ended_ms IS NULL AND id <> ? AND NOT EXISTS"
                             " (SELECT 1 FROM events e WHERE e.session_id = sessions.id AND e.kind = 'unclean_end')"));
    q.addBindValue(sessionId.load());
    if (!q.exec())
        return;
    std::vector<std::pair<qint64, qint64>> dead;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (sessionRuns(m_path, id))
            continue;
        dead.emplace_back(id, q.value(1).toLongLong());
    }
    q.finish();
    for (const auto& [id, lastMs] : dead)
        insertEvent(id, lastMs, EventKind::UncleanEnd,
                    QStringLiteral("no clean exit; noticed when session %1 started").arg(sessionId.load()));
}

void Journal::Writer::removeOldSessions()
{
    // Age is counted back from the newest row in the file, never from the
    // clock: a clock set a year ahead at start-up must not remove every run.
    // And no session is older than one made before it: a day recorded while
    // a reset clock said 2000 takes the age of the runs around it.
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, coalesce(ended_ms, last_ms, started_ms), ended_ms IS NULL FROM sessions"
                             " WHERE id <> ? ORDER BY id"));
    q.addBindValue(sessionId.load());
    if (!q.exec())
        return;
    struct Row {
        qint64 id;
        qint64 ageMs;  // the newest time of it and every session before it
        bool open;
    };
    std::vector<Row> rows;
    qint64 newest = std::numeric_limits<qint64>::min();
    while (q.next()) {
        newest = std::max(newest, q.value(1).toLongLong());
        rows.push_back({q.value(0).toLongLong(), newest, q.value(2).toBool()});
    }
    q.finish();
    if (rows.empty())
        return;
    if (m_startWall < newest) {
        // The clock is behind the file: it cannot say what is old.
        insertEvent(sessionId, m_startWall, EventKind::RetentionSkipped,
                    QStringLiteral("the clock (%1) is earlier than the newest row (%2); no session removed")
                        .arg(QDateTime::fromMSecsSinceEpoch(m_startWall, Qt::UTC).toString(Qt::ISODate),
                             QDateTime::fromMSecsSinceEpoch(newest, Qt::UTC).toString(Qt::ISODate)));
        return;
    }
    const qint64 cutoff = newest - kRetentionDays * kMsPerDay;
    std::vector<qint64> old;
    for (const Row& row : rows) {
        if (row.ageMs >= cutoff || (row.open && sessionRuns(m_path, row.id)))
            continue;
        old.push_back(row.id);
    }
    for (const qint64 id : old) {
        if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
            return;
        bool ok = true;
        for (const char* table : {"reading_rows", "summaries", "spans", "events"})
            ok = ok && exec(QStringLiteral("DELETE FROM %1 WHERE session_id = %2").arg(QLatin1String(table)).arg(id));
        ok = ok && exec(QStringLiteral("DELETE FROM sessions WHERE id = %1").arg(id));
        if (!ok || !exec(QStringLiteral("COMMIT"))) {
            exec(QStringLiteral("ROLLBACK"));
            return;
        }
        QFile::remove(lockPath(m_path, id));
    }
}

bool Journal::Writer::writeBatch(bool ending)
{
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    const qint64 session = sessionId;
    std::vector<std::pair<qint64, qint64>> spans;
    for (const Item& item : m_backlog) {
        if (!item.kind) {
            if (!writeReading(item, spans))
                return false;
            continue;
        }
        QSqlQuery& q = *m_insertEvent;
        q.bindValue(0, session);
        q.bindValue(1, item.tMs);
        q.bindValue(2, kindName(*item.kind));
        q.bindValue(3, item.detail.isEmpty() ? QVariant() : QVariant(item.detail));
        q.bindValue(4, item.source == Source::None ? QVariant() : QVariant(sourceName(item.source)));
        q.bindValue(5, item.wallMs);
        if (!exec(q))
            return false;
        if (breaksTheLine(*item.kind))
            m_state.spanOpen = false;
        m_state.volume.event(item.tMs, kindName(*item.kind), item.detail);
        if (*item.kind == EventKind::PortOpened)
            m_state.port = item.detail;
        m_state.lastMs = std::max(m_state.lastMs, item.tMs);
    }
    for (const auto& [from, to] : spans) {
        m_upsertSpan->bindValue(0, session);
        m_upsertSpan->bindValue(1, from);
        m_upsertSpan->bindValue(2, to);
        if (!exec(*m_upsertSpan))
            return false;
    }
    const qint64 nowMs = now();
    m_state.lastMs = std::max(m_state.lastMs, nowMs);
    QSqlQuery& s = *m_updateSession;
    s.bindValue(0, m_state.lastMs);
    s.bindValue(1, m_state.readings);
    s.bindValue(2, m_state.port.isEmpty() ? QVariant() : QVariant(m_state.port));
    s.bindValue(3, ending ? QVariant(m_state.lastMs) : QVariant());
    s.bindValue(4, session);
    return exec(s) && exec(QStringLiteral("COMMIT"));
}

bool Journal::Writer::writeReading(const Item& item, std::vector<std::pair<qint64, qint64>>& spans)
{
    // Readings of one millisecond keep their order through n; a clock that
    // went back (it should not) cannot put a reading before an older one.
    Key key{std::max(item.tMs, m_state.last.t), 0};
    if (m_state.readings > 0 && key.t == m_state.last.t)
        key.n = m_state.last.n + 1;
    m_state.last = key;

    const QByteArray& a = item.answer;
    QSqlQuery& q = *m_insertReading;
    q.bindValue(0, sessionId.load());
    q.bindValue(1, key.t);
    q.bindValue(2, key.n);
    if (const auto pump = pumpNumber(a))
        q.bindValue(3, *pump);
    else
        q.bindValue(3, QString::fromLatin1(a.mid(1, 2)));
    q.bindValue(4, QString::fromLatin1(a.mid(3, 5)));
    q.bindValue(5, schema::stored(item.values[Pressure]));
    q.bindValue(6, schema::stored(item.values[Flow]));
    q.bindValue(7, schema::stored(item.values[Limit]));
    if (!exec(q))
        return false;
    ++m_state.readings;
    m_state.lastMs = std::max(m_state.lastMs, key.t);

    Summary& open = m_state.open[0];
    Volume& volume = m_state.volume;
    volume.to(key.t);
    (open.count == 0 ? open.lead : open.volume) += std::exchange(volume.total, 0.0);
    (open.count == 0 ? open.leadLeftOutMs : open.leftOutMs) += std::exchange(volume.leftOutMs, 0);
    volume.reading(item.values[Pressure], item.values[Flow], item.values[Limit]);
    open.add(key, item.values);
    open.stoppedAtLimit = volume.stoppedAtLimit;
    if (++m_state.parts[0] == kFanout && !writeSummary(0))
        return false;

    if (!m_state.spanOpen || key.t - m_state.spanTo > kGapMs) {
        m_state.spanOpen = true;
        m_state.spanFrom = key.t;
        spans.emplace_back(key.t, key.t);
    } else if (spans.empty() || spans.back().first != m_state.spanFrom) {
        spans.emplace_back(m_state.spanFrom, key.t);
    }
    m_state.spanTo = key.t;
    spans.back().second = key.t;
    return true;
}

// The open summary of `level` is complete: stored, and taken into the level above.
bool Journal::Writer::writeSummary(int level)
{
    Summary& done = m_state.open[level];
    QSqlQuery& q = *m_insertSummary;
    q.bindValue(0, sessionId.load());
    q.bindValue(1, level + 1);
    q.bindValue(2, done.first.t);
    q.bindValue(3, done.first.n);
    q.bindValue(4, done.encode());
    if (!exec(q))
        return false;
    if (level + 1 < kLevels) {
        m_state.open[level + 1].merge(done);
        if (++m_state.parts[level + 1] == kFanout && !writeSummary(level + 1))
            return false;
    }
    done = Summary{};
    m_state.parts[level] = 0;
    return true;
}

bool Journal::Writer::exec(QSqlQuery& query)
{
    if (query.exec())
        return true;
    m_lastError = query.lastError();
    return false;
}

bool Journal::Writer::exec(const QString& sql)
{
    QSqlQuery q(m_db);
    if (q.exec(sql))
        return true;
    m_lastError = q.lastError();
    return false;
}

void Journal::Writer::close()
{
    m_insertReading.reset();
    m_insertEvent.reset();
    m_insertSummary.reset();
    m_upsertSpan.reset();
    m_updateSession.reset();
    if (m_db.isOpen())
        m_db.close();
}

void Journal::Writer::moveAside()
{
    m_movedAside = true;
    const QString aside = asideName(m_path, m_clocks.wallMs());
    if (!QFile::rename(m_path, aside))
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        if (QFileInfo::exists(m_path + QLatin1String(suffix)))
            QFile::rename(m_path + QLatin1String(suffix), aside + QLatin1String(suffix));
    }
    const QString message =
        QCoreApplication::translate("history", "运行历史 %1 不是有效的数据库，已改名为 %2 保留；新的运行历史从现在开始。")
            .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside));
    post([j = m_journal.load(), message] { emit j->replaced(message); });
}

std::optional<bool> sessionBeingWritten(const QString& path, qint64 session)
{
    QLockFile lock(lockPath(path, session));
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return false;
    if (lock.error() == QLockFile::LockFailedError)
        return true;
    return std::nullopt;
}

// ---- the panel's side --------------------------------------------------------

Journal::Journal(const QString& path, const QString& appVersion, Clocks clocks, QObject* parent)
    : QObject(parent), m_path(path), m_writer(std::make_unique<Writer>(this, path, appVersion, std::move(clocks)))
{
    m_writer->start();
}

Journal::~Journal()
{
    end();
}

void Journal::reading(const QByteArray& answer, double pressure, double flow, double limit)
{
    if (m_ended)
        return;
    Item item;
    item.tMs = m_writer->now();
    item.answer = answer;
    item.values = {pressure, limit, flow};
    const TakenReading taken{item.tMs, answer, pressure, flow, limit};
    m_writer->push(std::move(item));
    emit readingTaken(taken);
}

Reading TakenReading::reading() const
{
    Reading shown;
    shown.tMs = tMs;
    const auto pump = pumpNumber(answer);
    shown.pump = pump.value_or(-1);
    if (!pump)
        shown.pumpText = QString::fromLatin1(answer.mid(1, 2));
    shown.letter = QString::fromLatin1(answer.mid(3, 1));
    shown.value = QString::fromLatin1(answer.mid(4, 4));
    const auto given = [](double v) { return std::isnan(v) ? std::optional<double>() : std::optional<double>(v); };
    shown.pressure = given(pressure);
    shown.flow = given(flow);
    shown.limit = given(limit);
    return shown;
}

void Journal::record(EventKind kind, const QString& detail, Source source)
{
    if (m_ended)
        return;
    Item item;
    item.tMs = m_writer->now();
    item.wallMs = m_writer->wallNow();
    item.kind = kind;
    item.detail = detail;
    item.source = source;
    const Event shown{item.tMs, kindName(kind), detail, source == Source::None ? QString() : sourceName(source)};
    m_writer->push(std::move(item));
    emit eventRecorded(shown);
}

bool Journal::flush(int timeoutMs)
{
    return !m_ended && m_writer->flush(timeoutMs);
}

void Journal::end()
{
    if (m_ended)
        return;
    m_ended = true;
    // A disk that hangs must not hang the program's exit for long: past
    // this the writer is left to the end of the process.
    if (!m_writer->finish(15000)) {
        m_writer->detach();
        (void)m_writer.release();
    }
}

qint64 Journal::now() const
{
    return m_writer ? m_writer->now() : 0;
}

qint64 Journal::sessionId() const
{
    return m_writer ? m_writer->sessionId.load() : 0;
}

int Journal::restarts() const
{
    return m_writer ? m_writer->restarts.load() : 0;
}

bool Journal::isWriting() const
{
    return m_writer && m_writer->writing.load();
}

}  // namespace history
