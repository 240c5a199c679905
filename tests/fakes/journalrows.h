#pragma once

#include "history/journal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <functional>

// Clocks a test steps, the wall clock from `start` on; the journal's writer
// thread reads them too.
struct TestClocks {
    explicit TestClocks(qint64 start) : wall(start) {}
    std::atomic<qint64> mono{0};
    std::atomic<qint64> wall;
    history::Journal::Clocks clocks() { return {[this] { return mono.load(); }, [this] { return wall.load(); }}; }
};

// A journal file in a temporary folder of its own.
struct JournalFile {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
};

// A session of the real journal written at chosen times: at(t) sets the
// clocks so that what is handed over next is stamped t. NaN: the box held
// no number.
struct SessionAt {
    SessionAt(const QString& path, qint64 startMs)
        : clock(startMs), start(startMs), journal(path, QStringLiteral("2.0"), clock.clocks()) {}
    history::Journal& at(qint64 tMs)
    {
        clock.mono = tMs - start;
        return journal;
    }
    void reading(qint64 tMs, double pressure, double limit = 2.0, double flow = 100)
    {
        at(tMs).reading("Q00N00.5Y", pressure, flow, limit);
    }
    void event(qint64 tMs, history::EventKind kind, const QString& detail = {},
               history::Source source = history::Source::None)
    {
        at(tMs).record(kind, detail, source);
    }
    TestClocks clock;
    const qint64 start;
    history::Journal journal;
};

// The rows a plain SQL query gives on a journal file, as a user's SQLite
// tool would see them: each row's columns joined by "|", NULL as "NULL".
inline QStringList journalRows(const QString& path, const QString& sql)
{
    QStringList out;
    const QString name = QStringLiteral("journal-rows");
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (!db.open())
            out << QStringLiteral("cannot open: ") + db.lastError().text();
        else if (!q.exec(sql))
            out << q.lastError().text();
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            out << fields.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

// Runs `meanwhile` while another program holds the file for writing; false
// when the file could not be held.
inline bool whileLocked(const QString& path, const std::function<void()>& meanwhile)
{
    bool held = false;
    {
        auto holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(path);
        QSqlQuery hold(holder);
        held = holder.open() && hold.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (held) {
            meanwhile();
            held = hold.exec(QStringLiteral("ROLLBACK"));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    return held;
}
