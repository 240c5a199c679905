#pragma once

#include "history/historysource.h"

#include <QString>

#include <optional>

class QIODevice;

// The run history's CSV exports, in the CSV log's form: UTF-8, comma
// separated, "." as the decimal point, lines ended by CR LF, fields quoted as
// RFC 4180 has it, local time in ISO 8601 with milliseconds and the offset
// from UTC. Streamed from
// the journal: nothing holds a whole run in memory.
namespace history::exportcsv {

// A number as plain decimals, never with an exponent or a locale's comma:
// 0.5 "0.5", 120 "120", 1.25 "1.25". Empty when there is none.
QString number(std::optional<double> value);

// The readings file: the CSV log's columns (time, seconds since the first
// reading of the file, the answer's pump number, letter and value as
// received, then pnow, prset and lqset in the boxes' digit patterns as the
// CSV log writes them: "01.5", "02.0", "0150").
QString readingsHeader();
QString readingLine(const Reading& reading, qint64 firstMs);

// The events file: time, kind (as the journal stores it), event (as the
// window names it), detail, source.
QString eventsHeader();
QString eventRow(const Event& event);

// Writes the readings of the range to `out`. False, with the reason in
// *error, when the device refuses a write or the journal cannot be read
// to the end (the reason then names the journal file).
bool writeReadings(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, QIODevice& out,
                   QString* error, qint64* written = nullptr);
bool writeEvents(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, QIODevice& out,
                 QString* error);

// The session a command line means: `wanted` when it exists, the newest
// without one. Nothing when there is no such session.
std::optional<SessionInfo> pickSession(const QList<SessionInfo>& sessions, std::optional<qint64> wanted);

// A file name that says what was exported:
// "pump-history-12_2024-05-01_14-03-22.csv" for session 12 from that time on;
// `part` ("events", "view") is added before the extension when given.
QString fileName(qint64 session, qint64 fromMs, const QString& part, const QString& extension);

}  // namespace history::exportcsv
