#pragma once

#include "alarms/alarmconfig.h"
#include "platform/clock.h"
#include "platform/logfiles.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>

#include <array>
#include <deque>
#include <limits>
#include <optional>
#include <utility>

namespace platform {
class Launcher;
}

namespace alarms {

// An alarm's state, as the alarm-management standards name them.
enum class State { Normal, ActiveUnacknowledged, ActiveAcknowledged, ReturnedUnacknowledged };
// Where an acknowledgement came from, as the journal's `source` spells it.
enum class AckSource { Keypad, Menu, Dialog, Remote };

inline constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

struct Alarm {
    Condition condition = Condition::HighPressure;
    State state = State::Normal;
    double value = kNone;      // the value that raised it, then the latest while active
    double threshold = kNone;  // NaN for the conditions without one
    QDateTime raised, cleared, acknowledged;  // wall time; null until it happened
    int count = 0;  // how often it was raised while shown

    bool active() const { return state == State::ActiveUnacknowledged || state == State::ActiveAcknowledged; }
    bool unacknowledged() const { return state == State::ActiveUnacknowledged || state == State::ReturnedUnacknowledged; }
};

// One step of an alarm, for the journal, the band and the command hook.
struct Transition {
    enum Kind { Raised, Acknowledged, Cleared, Silenced, Stopped, CommandFailed };
    Kind kind = Raised;
    Alarm alarm;                   // as it is after the step
    AckSource source = AckSource::Keypad;  // Acknowledged only
    bool delivered = false;        // Stopped: the stop frame was written
    QString reason;                // CommandFailed: why
};

// The stop the stop action sends; the panel implements it. True when the
// stop frame was handed to the port (otherwise the panel keeps it).
class PumpStopper {
public:
    virtual ~PumpStopper() = default;
    virtual bool stopPump() = 0;
};

// The alarm layer without widgets: judges the conditions on every accepted
// answer and on its own tick (where time alone decides), keeps each alarm's
// state, and says every step through transitioned(). The band, the sound,
// the journal and the list only follow it.
//
// States: a raised alarm is active and unacknowledged; acknowledged and still
// active it stays shown without sound; cleared before it was acknowledged it
// stays shown until it is. Raised again while shown it counts, it does not
// pile up. Silencing pauses the sound for two minutes; an alarm raised
// meanwhile ends the pause.
class AlarmCore : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kSilenceMs = 120000;
    static constexpr int kTickMs = 250;
    static constexpr int kPastKept = 500;
    static constexpr int kCommandLimitMs = 10000;

    // `stopper` and `launcher` (may be null: no command runs) must outlive this.
    AlarmCore(PumpStopper& stopper, platform::Clock clock, platform::WallClock wallClock,
              platform::Launcher* launcher = nullptr, QObject* parent = nullptr);

    void setConfig(const Config& config);
    const Config& config() const { return m_config; }

    // What the pump says and does. NaN: not known now (the box holds no
    // number, or is being typed into); the condition stays as it is.
    void answer(double pressure, double limit, double flow);
    // A run frame reached the pump (true) or a stop did (false).
    void setRunning(bool running);
    bool running() const { return m_runningSince >= 0; }
    void setLinkLost(bool lost) { setFlag(Condition::LinkLost, lost); }
    void setStopUndelivered(bool kept) { setFlag(Condition::StopUndelivered, kept); }
    void setJournalFailed(bool failed) { setFlag(Condition::JournalFailed, failed); }
    // The step of timer(): delays that ran out between answers, the end of
    // a silence.
    void tick();
    const QTimer& timer() const { return m_timer; }

    // The operator. False / 0 when there was nothing to acknowledge.
    bool acknowledge(Condition condition, AckSource source);
    int acknowledgeAll(AckSource source);
    // Pauses the sound for kSilenceMs; false when nothing sounds.
    bool silence();

    const Alarm& alarm(Condition condition) const { return m_slots[static_cast<size_t>(condition)].alarm; }
    // Alarms shown now, the newest raised first; alarms no longer shown,
    // newest first (at most kPastKept).
    QList<Alarm> shown() const;
    const QList<Alarm>& past() const { return m_past; }
    // The alarm the band names: the newest unacknowledged, else the newest shown.
    const Alarm* foremost() const;
    int activeCount() const;
    bool anyUnacknowledged() const;
    bool silenced() const { return m_silencedUntil >= 0; }
    // A tone should repeat: an unacknowledged alarm stands and no silence.
    bool soundWanted() const { return anyUnacknowledged() && !silenced(); }

signals:
    void transitioned(const alarms::Transition& transition);
    // Something shown changed (state, value, count, silence).
    void changed();
    // An alarm with the stop action was raised: whatever runs the pump (a
    // timed run, a program) ends too. `reason` names the alarm.
    void stopRequested(const QString& reason);

private:
    struct Slot {
        Alarm alarm;
        qint64 pendingSince = -1;  // the condition has held since then (clock ms)
    };
    Slot& slot(Condition c) { return m_slots[static_cast<size_t>(c)]; }
    void judgePressure();
    void judgeDrop(double pressure);
    // Whether the condition holds now; nullopt when it cannot be told.
    void settle(Condition c, std::optional<bool> holds, double value, double threshold);
    void setFlag(Condition c, bool on);
    void raise(Condition c, double value, double threshold);
    void clear(Condition c);
    void retire(Condition c);
    void announce(Transition::Kind kind, const Alarm& alarm, AckSource source = AckSource::Keypad);

    PumpStopper& m_stopper;
    platform::Clock m_clock;
    platform::WallClock m_wallClock;
    platform::Launcher* m_launcher;
    Config m_config;
    std::array<Slot, kConditionCount> m_slots;
    QList<Alarm> m_past;
    QTimer m_timer;
    qint64 m_runningSince = -1;
    qint64 m_silencedUntil = -1;
    double m_pressure = kNone;
    double m_limit = kNone;
    double m_flow = kNone;
    std::array<bool, kConditionCount> m_flags{};  // what setFlag() was told last
    std::deque<std::pair<qint64, double>> m_recent;  // (ms, MPa) within the drop window
};

}  // namespace alarms

Q_DECLARE_METATYPE(alarms::Transition)
