#pragma once

#include "history/journal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>

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
