#include "history/schema.h"

#include "history/summary.h"

#include <QAtomicInteger>
#include <QCoreApplication>

#include <cmath>
#include <limits>

namespace history::schema {

const QStringList& createStatements()
{
    static const QStringList statements = {
        QStringLiteral("CREATE TABLE sessions ("
                       " id INTEGER PRIMARY KEY,"
                       " started_ms INTEGER NOT NULL,"
                       " ended_ms INTEGER,"
                       " app_version TEXT,"
                       " last_ms INTEGER,"
                       " reading_count INTEGER NOT NULL DEFAULT 0,"
                       " port TEXT)"),
        // One row per accepted answer. p, f and l are the boxes in tenths
        // (or the number itself when it is not a whole number of tenths);
        // answer is the letter and the four value characters.
        QStringLiteral("CREATE TABLE reading_rows ("
                       " session_id INTEGER NOT NULL,"
                       " t_ms INTEGER NOT NULL,"
                       " n INTEGER NOT NULL,"
                       " pump INTEGER,"
                       " answer TEXT NOT NULL,"
                       " p, f, l,"
                       " PRIMARY KEY (session_id, t_ms, n)) WITHOUT ROWID"),
        QStringLiteral("CREATE VIEW readings AS SELECT"
                       " session_id, t_ms, pump,"
                       " substr(answer, 1, 1) AS letter,"
                       " substr(answer, 2) AS value,"
                       " CASE typeof(p) WHEN 'integer' THEN p / 10.0 ELSE p END AS pressure,"
                       " CASE typeof(f) WHEN 'integer' THEN f / 10.0 ELSE f END AS flow,"
                       " CASE typeof(l) WHEN 'integer' THEN l / 10.0 ELSE l END AS limit_mpa,"
                       " n"
                       " FROM reading_rows"),
        QStringLiteral("CREATE TABLE events ("
                       " session_id INTEGER NOT NULL,"
                       " t_ms INTEGER NOT NULL,"
                       " kind TEXT NOT NULL,"
                       " detail TEXT,"
                       " source TEXT,"
                       " wall_ms INTEGER)"),
        QStringLiteral("CREATE INDEX events_by_time ON events (session_id, t_ms)"),
        // Covers the queries of the shading and of the volume.
        QStringLiteral("CREATE INDEX events_by_kind ON events (session_id, kind, t_ms, detail)"),
        QStringLiteral("CREATE TABLE summaries ("
                       " session_id INTEGER NOT NULL,"
                       " level INTEGER NOT NULL,"
                       " t0 INTEGER NOT NULL,"
                       " n0 INTEGER NOT NULL,"
                       " stats BLOB NOT NULL,"
                       " PRIMARY KEY (session_id, level, t0, n0)) WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE spans ("
                       " session_id INTEGER NOT NULL,"
                       " from_ms INTEGER NOT NULL,"
                       " to_ms INTEGER NOT NULL,"
                       " PRIMARY KEY (session_id, from_ms)) WITHOUT ROWID"),
        QStringLiteral("PRAGMA user_version = %1").arg(kVersion),
    };
    return statements;
}

double number(const QVariant& stored)
{
    if (stored.isNull())
        return std::numeric_limits<double>::quiet_NaN();
    if (stored.typeId() == QMetaType::LongLong || stored.typeId() == QMetaType::Int)
        return static_cast<double>(stored.toLongLong()) / 10.0;
    return stored.toDouble();
}

QVariant stored(double value)
{
    if (std::isnan(value))
        return QVariant();
    if (const auto tenths = exactTenths(value))
        return QVariant(static_cast<qlonglong>(*tenths));
    return QVariant(value);
}

QString reason(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    // SQLite's primary result code in the operator's words; SQLite's own
    // text follows in brackets for whoever supports the operator.
    static const std::pair<int, const char*> kWords[] = {
        {5, QT_TRANSLATE_NOOP("history", "文件正被其他程序占用")},        // SQLITE_BUSY
        {6, QT_TRANSLATE_NOOP("history", "文件正被其他程序占用")},        // SQLITE_LOCKED
        {8, QT_TRANSLATE_NOOP("history", "文件或文件夹为只读")},          // SQLITE_READONLY
        {10, QT_TRANSLATE_NOOP("history", "读写出错（设备故障或已拔出）")},  // SQLITE_IOERR
        {11, QT_TRANSLATE_NOOP("history", "不是有效的运行历史数据库")},    // SQLITE_CORRUPT
        {13, QT_TRANSLATE_NOOP("history", "磁盘已满")},                   // SQLITE_FULL
        {14, QT_TRANSLATE_NOOP("history", "无法打开文件")},               // SQLITE_CANTOPEN
        {26, QT_TRANSLATE_NOOP("history", "不是有效的运行历史数据库")},    // SQLITE_NOTADB
    };
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    QString plain;
    for (const auto& [known, words] : kWords) {
        if (ok && code == known)
            plain = QCoreApplication::translate("history", words);
    }
    if (!ok || plain.isEmpty())
        return text;
    return text.isEmpty() ? plain : plain + QStringLiteral(" (") + text + QLatin1Char(')');
}

bool isNotADatabase(const QSqlError& error)
{
    // SQLITE_CORRUPT (11) and SQLITE_NOTADB (26), with or without their
    // extended codes.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == 11 || code == 26);
}

QString uniqueConnectionName(const char* purpose)
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("pump-history-%1-%2").arg(QLatin1String(purpose)).arg(++counter);
}

}  // namespace history::schema
