#pragma once

#include "history/historysource.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// The run history's journal: every accepted answer and everything the
// operator and the panel did, written to an SQLite file from start-up to exit
// with no operator action.
//
// The panel's thread only appends to a queue; a writer thread of the
// journal's own, with a connection of its own, commits the queue about twice
// a second in one transaction (WAL, synchronous=FULL), so a crash, a kill or
// a power cut loses at most the last second and never damages the file.
// When writing fails (full disk, read-only folder, a file another program
// holds locked) the journal says so once, keeps what came meanwhile (up to a
// limit) and tries again every few seconds by itself.
namespace history {

// What happened, as the `kind` column spells it.
enum class EventKind {
    PortOpened,
    PortOpenFailed,
    PortClosed,
    PortLost,
    LinkLost,
    LinkRestored,
    Command,
    FlowSet,
    PressureSet,
    PumpNumberSet,
    TimedSet,
    TimedStart,
    TimedPause,
    TimedContinue,
    TimedEnd,
    TimedAutoStop,
    RecordSaved,
    RecordSaveFailed,
    Printed,
    CsvLogOn,
    CsvLogOff,
    AppExit,
    UncleanEnd,
    // The file no longer held this panel's session (it was deleted or
    // replaced while writing failed): the rest goes into a new session.
    SessionRestarted,
    // Old sessions were not removed because the clock cannot be trusted.
    RetentionSkipped,
    DoseStarted,
    DoseEnded,
    ProgramStarted,
    ProgramStep,
    ProgramPaused,
    ProgramResumed,
    ProgramEnded,
    AlarmRaised,
    AlarmAcknowledged,
    AlarmCleared,
    AlarmSilenced,
    AlarmStop,
    AlarmCommandFailed,
    RemoteOn,
    RemoteOff,
    RemoteBlocked,
    // The MQTT broker took the panel's connection, or it ended.
    BrokerConnected,
    BrokerDisconnected,
};
QString kindName(EventKind kind);

// Where a command came from, as the `source` column spells it.
enum class Source { None, Keypad, Menu, Popup, Dialog, TimedRun, Program, Alarm, Remote, Mqtt };
QString sourceName(Source source);

// Sessions whose last row is older than this, counted back from the newest
// row in the file (not from the clock), are removed when a panel starts.
inline constexpr int kRetentionDays = 90;

// Readings further apart than this, with no break event between them, still
// break the plot's line (it is four polls: the link counts as lost after three).
inline constexpr qint64 kGapMs = 6000;

// Whether the panel writing `session` into the journal at `path` is still
// running (it holds the session's lock): true or false when that can be
// told, none when it cannot (a folder where no lock can be tried).
std::optional<bool> sessionBeingWritten(const QString& path, qint64 session);

// The answer's pump field as a number when it is two digits, as the file
// stores it (otherwise the file keeps the text).
std::optional<int> pumpNumber(const QByteArray& answer);

// A reading as it was handed in, for those who pass it on as it happens. It
// costs nothing to hand on (the answer's bytes are shared); reading() spells
// it out, its time the journal's, as the file will give it back.
struct TakenReading {
    qint64 tMs = 0;
    QByteArray answer;
    double pressure = 0;
    double flow = 0;
    double limit = 0;  // NaN: the box held no number

    Reading reading() const;
};

class Journal : public QObject {
    Q_OBJECT
public:
    // The journal's time: the wall clock when the session started, then the
    // monotonic clock, so rows of a session never go back when the system
    // clock is set. The system's monotonic clock keeps counting while the
    // computer sleeps. Tests and benchmarks hand in clocks of their own; the
    // functions are called from the writer thread too.
    struct Clocks {
        std::function<qint64()> monotonicMs;
        std::function<qint64()> wallMs;  // ms since the Unix epoch, UTC
    };
    static Clocks systemClocks();

    // Starts a session in the journal file at `path` (the folder and the
    // file are made when missing). Returns at once: the file is opened by
    // the writer thread, and a failure arrives through failed().
    Journal(const QString& path, const QString& appVersion, Clocks clocks = systemClocks(),
            QObject* parent = nullptr);
    // Ends the session (as end() does) if that has not been done.
    ~Journal() override;

    QString path() const { return m_path; }
    // The journal's time now (ms since the Unix epoch): where the session
    // being written ends so far, whatever the wall clock says meanwhile.
    qint64 now() const;

    // One accepted answer (its nine bytes as received) and the three boxes as
    // numbers after it was applied; NaN where a box holds no number.
    void reading(const QByteArray& answer, double pressure, double flow, double limit);
    // One event: what happened, its detail, and where a command came from.
    void record(EventKind kind, const QString& detail = QString(), Source source = Source::None);

    // Writes everything handed in so far at once and waits for it, at most
    // timeoutMs. True when all of it is in the file.
    bool flush(int timeoutMs = 10000);
    // Writes what is left, marks the session as ended cleanly and stops the
    // writer. Nothing is recorded afterwards.
    void end();

    // The session's id in the file; 0 until the file could be opened.
    qint64 sessionId() const;
    // How often the journal went on in a new session because its own was no
    // longer in the file (the file replaced while writing failed). The new
    // session may have the old one's id, in the new file.
    int restarts() const;
    // False from a failed write until a write succeeds again.
    bool isWriting() const;

signals:
    // What was just handed in, for those who pass it on as it happens
    // (remote clients); an event as it will be read back.
    void readingTaken(const history::TakenReading& taken);
    void eventRecorded(const history::Event& event);
    // Rows were committed (after each transaction).
    void committed();
    // Writing stopped working: the message names the file and the reason.
    // Once until writing works again.
    void failed(const QString& message);
    // Writing works again.
    void resumed(const QString& message);
    // The file was not a journal: it was moved aside and a new one started.
    void replaced(const QString& message);

private:
    class Writer;
    const QString m_path;
    std::unique_ptr<Writer> m_writer;
    bool m_ended = false;
};

}  // namespace history
