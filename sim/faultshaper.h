#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>
#include <random>

namespace pumpsim {

// Which faults the line shows, and how often. Shares are 0 (never) to 1
// (every answer).
struct FaultOptions {
    double split = 0.0;    // answers sent in two pieces
    double merge = 0.0;    // answers held back and sent with the next one in one piece
    double garbage = 0.0;  // answers preceded by noise bytes or a broken-off frame
    double drop = 0.0;     // answers never sent
    qint64 silentAfter = -1;  // answers let through before the pump falls silent; -1: never
    double delayMs = 0.0;     // extra time before each answer goes out
    quint32 seed = 1;
};

// One write to the line at a given time. `answers` is how many answers are
// complete once these bytes are out (0 for a first piece or pure noise).
struct TimedWrite {
    double atMs = 0.0;
    QByteArray bytes;
    int answers = 0;
};

// Turns the pump's answers into the writes a faulty 9600-baud line would
// deliver. Writes never overlap: each one goes out when its last character
// would have arrived, after the previous one, so the pieces of a split answer
// always follow each other directly. Noise never contains "Q" or "Y" and a
// broken-off frame is shorter than nine characters and has no "Y", so a reader
// that resynchronises on "Q" finds every answer that was sent and nothing else.
// Repeatable for a given seed.
class FaultShaper {
public:
    // An answer held for merging goes out alone if no other follows within
    // this time (longer than the panel's 1.5 s poll, so polled answers pair up).
    static constexpr double kMergeHoldMs = 2000.0;
    // The second piece of a split answer comes at least this long after the
    // first, so that a reader sees two chunks.
    static constexpr double kMinSplitGapMs = 3.0;

    explicit FaultShaper(const FaultOptions& options = {});

    // An answer the pump has ready at `readyMs`. Returns the writes it causes,
    // in time order: none when it is dropped, silenced or held back for merging.
    QList<TimedWrite> shape(const QByteArray& answer, double readyMs);

    // The time a held answer goes out alone, if one is held.
    std::optional<double> heldUntil() const;
    // Sends the held answer alone (its merge partner did not come in time).
    QList<TimedWrite> releaseHeld(double nowMs);

    qint64 dropped() const { return m_dropped; }
    qint64 silenced() const { return m_silenced; }

private:
    QList<TimedWrite> emitWrite(QByteArray bytes, int answers, double readyMs, const QByteArray& sample);
    bool chance(double share);
    QByteArray garbageBefore(const QByteArray& sample);

    FaultOptions m_options;
    std::mt19937 m_random;
    QByteArray m_held;
    double m_heldSinceMs = 0.0;
    double m_lineFreeMs = 0.0;
    qint64 m_passed = 0;
    qint64 m_dropped = 0;
    qint64 m_silenced = 0;
};

}  // namespace pumpsim
