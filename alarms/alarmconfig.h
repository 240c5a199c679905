#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <array>

namespace platform {
class Settings;
}

// What the alarms watch and how, as the [alarms] group of the settings file
// keeps it.
namespace alarms {

// The conditions, in the order the band, the list and the dialog show them.
enum class Condition { HighPressure, LowPressure, PressureDrop, LimitReached, LinkLost, StopUndelivered, JournalFailed };
inline constexpr int kConditionCount = 7;
inline constexpr std::array<Condition, kConditionCount> kConditions = {
    Condition::HighPressure, Condition::LowPressure,     Condition::PressureDrop, Condition::LimitReached,
    Condition::LinkLost,     Condition::StopUndelivered, Condition::JournalFailed};

// warn: show, sound, record. stop: the same, and the stop frame goes out at once.
enum class Action { Warn, Stop };

// The condition's key in the file and the journal ("high_pressure").
QString keyName(Condition condition);
// Its name for the operator, in the interface's language ("压力过高").
QString displayName(Condition condition);
// The condition a key names; false when it names none.
bool conditionOfKey(const QString& key, Condition* condition);

// How one condition is judged. Pressure conditions are off while their
// threshold is 0; the others have a switch of their own.
struct Rule {
    bool enabled = true;
    double mpa = 0;     // threshold, or the fall for pressure_drop
    double delayS = 0;  // how long it must hold before it is raised
    double graceS = 0;  // low_pressure: not judged this long after a start
    double windowS = 0; // pressure_drop: the fall counts within this time
    Action action = Action::Warn;
};

struct Config {
    static constexpr double kMaxMpa = 2.0;
    static constexpr double kMaxSeconds = 3600;
    // A value must come back this far past the threshold before its alarm
    // clears, so a value sitting on the threshold does not flap.
    static constexpr double kHysteresisMpa = 0.05;

    Config();
    std::array<Rule, kConditionCount> rules;
    // A program run with NAME STATE VALUE ISO-TIME on every raise, clear and
    // acknowledge; empty: none.
    QString command;

    Rule& rule(Condition c) { return rules[static_cast<size_t>(c)]; }
    const Rule& rule(Condition c) const { return rules[static_cast<size_t>(c)]; }
    // Whether the condition is judged at all.
    bool watches(Condition c) const;
    // Whether the rule has a threshold, a delay, a grace, a window, an action
    // or a switch in the file.
    static bool hasThreshold(Condition c) { return c <= Condition::PressureDrop; }
    static bool hasDelay(Condition c) { return c == Condition::HighPressure || c == Condition::LowPressure; }
    static bool hasAction(Condition c) { return c <= Condition::LinkLost; }
    static bool hasSwitch(Condition c) { return c >= Condition::LimitReached; }
};

// Reads the [alarms] group. A missing key keeps its default; a bad one (not
// a number, out of range, an unknown action) keeps it too and its
// "alarms/key" goes to *bad.
Config readConfig(const platform::Settings* settings, QStringList* bad);
// Writes every key of the group (not synced).
void writeConfig(platform::Settings& settings, const Config& config);

}  // namespace alarms
