#pragma once

#include "platform/clock.h"
#include "platform/logfiles.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

struct PanelState;

// The CSV log's text: one line per accepted answer, in a form any spreadsheet
// reads whatever its locale. UTF-8, comma separated, "." as the decimal point,
// lines ended by CR LF, fields quoted as RFC 4180 has it.
namespace csvlog {

// The header row, naming the columns and their units.
QString headerLine();

// One field: as it stands, or in double quotes with each quote doubled when
// it holds a comma, a quote, a line break or any other control character.
QString field(const QString& text);
// Fields (each as field() has it) joined by commas, ending in CR LF.
QString row(const QStringList& fields);

// Milliseconds as seconds with three decimals: 0 "0.000", 61005 "61.005".
QString seconds(qint64 ms);

// A time as ISO 8601 with milliseconds and its offset from UTC, so the hour
// that repeats when summer time ends stays unambiguous:
// 2026-12-08T13:40:00.123+01:00.
QString timeText(const QDateTime& time);

// What one line holds.
struct Entry {
    QDateTime time;        // local date and time the answer was taken
    qint64 elapsedMs = 0;  // since the log was switched on
    QByteArray frame;      // the nine-character answer as received
    QString pnow;          // the boxes after the answer was applied
    QString prset;
    QString lqset;
};

// The entry's line, ending in CR LF: time (timeText()),
// seconds, the answer's pump number, letter and value characters exactly as
// received, then `pnow`, `prset` and `lqset`.
QString line(const Entry& entry);

// The name of a log started at that time: pump-log-2024-05-01_14-03-22.csv.
// A second file started within the same second gets "-2", and so on.
QString fileName(const QDateTime& start, int attempt = 1);

}  // namespace csvlog

// The CSV log itself: off until switched on; while on, every accepted answer
// becomes one line, written and handed to the system at once. When the file
// cannot be made or written the log switches itself off and says why; the
// caller tells the operator and goes on.
class CsvLog {
    Q_DECLARE_TR_FUNCTIONS(CsvLog)
public:
    CsvLog(platform::LogFiles& files, platform::Clock clock, platform::WallClock wallClock);
    ~CsvLog();

    bool isOn() const { return m_on; }
    // The file being written, as the operator would type it; empty when off.
    QString path() const;

    // Starts a new file named by the time now, with its header row. When that
    // fails the log stays off and *error says why, ready for the operator
    // (kept untranslated: recorded::shown() gives it in the screen's language).
    bool start(QString* error);
    // Closes the file; every line already written stays.
    void stop();

    // When on, writes the line for this accepted answer. False when the line
    // could not be written: the log is then off and *error says why.
    bool record(const QByteArray& frame, const PanelState& state, QString* error);

    // Texts for the operator.
    static QString caption();
    static QString startedNotice(const QString& path);
    static QString stoppedNotice(const QString& path);

private:
    static constexpr int kMaxAttempts = 100;

    platform::LogFiles& m_files;
    platform::Clock m_clock;
    platform::WallClock m_wallClock;
    bool m_on = false;
    qint64 m_startMs = 0;
};
