#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

// The journal file's tables, shared by the writer and the reader.
//
// What users query (the README documents it):
//   sessions(id, started_ms, ended_ms, app_version, last_ms, reading_count, port)
//   readings(session_id, t_ms, pump, letter, value, pressure, flow, limit_mpa, n)
//       a view over reading_rows, which keeps the numbers in tenths
//   events(session_id, t_ms, kind, detail, source, wall_ms)
// Internal: reading_rows, summaries (the plot's rollups), spans (where the
// readings came in without a break).
namespace history::schema {

// The layout this program reads and writes (PRAGMA user_version).
inline constexpr int kVersion = 1;

// The statements that make an empty file a journal, in order.
const QStringList& createStatements();

// A stored number back: tenths (an integer) or the value itself; NaN for NULL.
double number(const QVariant& stored);
// A number to store: NaN becomes NULL, a whole number of tenths that number.
QVariant stored(double value);

// Why SQLite failed, in the operator's words with SQLite's own text in
// brackets: "磁盘已满 (database or disk is full)".
QString reason(const QSqlError& error);
// True when SQLite says the file is not a database or is damaged.
bool isNotADatabase(const QSqlError& error);

// A connection name no other connection of this process has.
QString uniqueConnectionName(const char* purpose);

}  // namespace history::schema
