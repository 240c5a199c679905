#include "alarms/alarmconfig.h"

#include "platform/settings.h"

namespace alarms {

namespace {

const char* const kKeys[kConditionCount] = {"high_pressure", "low_pressure",     "pressure_drop", "limit_reached",
                                            "link_lost",     "stop_undelivered", "journal_failed"};
const char* const kNames[kConditionCount] = {
    QT_TRANSLATE_NOOP("alarms", "压力过高"),   QT_TRANSLATE_NOOP("alarms", "压力过低"),
    QT_TRANSLATE_NOOP("alarms", "压力骤降"),   QT_TRANSLATE_NOOP("alarms", "达到压力上限"),
    QT_TRANSLATE_NOOP("alarms", "通信中断"),   QT_TRANSLATE_NOOP("alarms", "停止命令未送达"),
    QT_TRANSLATE_NOOP("alarms", "运行记录中断")};

const QString kWarn = QStringLiteral("warn");
const QString kStopText = QStringLiteral("stop");

QString key(Condition c, const char* suffix)
{
    return keyName(c) + QLatin1String(suffix);
}

}  // namespace

QString keyName(Condition condition)
{
    return QLatin1String(kKeys[static_cast<int>(condition)]);
}

QString displayName(Condition condition)
{
    return QCoreApplication::translate("alarms", kNames[static_cast<int>(condition)]);
}

bool conditionOfKey(const QString& key, Condition* condition)
{
    for (Condition c : kConditions) {
        if (keyName(c) == key) {
            *condition = c;
            return true;
        }
    }
    return false;
}

Config::Config()
{
    rule(Condition::HighPressure) = {true, 0, 2, 0, 0, Action::Stop};
    rule(Condition::LowPressure) = {true, 0, 10, 60, 0, Action::Warn};
    rule(Condition::PressureDrop) = {true, 0, 0, 0, 10, Action::Warn};
}

bool Config::watches(Condition c) const
{
    const Rule& r = rule(c);
    return hasThreshold(c) ? r.mpa > 0 : r.enabled;
}

Config readConfig(const platform::Settings* settings, QStringList* bad)
{
    Config config;
    const platform::SettingsReader read{settings, QStringLiteral("alarms"), bad};
    for (Condition c : kConditions) {
        Rule& r = config.rule(c);
        if (Config::hasThreshold(c))
            r.mpa = read.number(key(c, "_mpa"), r.mpa, 0, Config::kMaxMpa);
        if (Config::hasDelay(c))
            r.delayS = read.number(key(c, "_delay_s"), r.delayS, 0, Config::kMaxSeconds);
        if (c == Condition::LowPressure)
            r.graceS = read.number(key(c, "_grace_s"), r.graceS, 0, Config::kMaxSeconds);
        if (c == Condition::PressureDrop)
            r.windowS = read.number(key(c, "_window_s"), r.windowS, 1, Config::kMaxSeconds);
        if (Config::hasSwitch(c))
            r.enabled = read.flag(key(c, "_enabled"), r.enabled);
        if (Config::hasAction(c)) {
            const QString fallback = r.action == Action::Stop ? kStopText : kWarn;
            r.action = read.choice(key(c, "_action"), fallback, {kWarn, kStopText}) == kStopText ? Action::Stop
                                                                                                   : Action::Warn;
        }
    }
    config.command = read.text(QStringLiteral("command"), QString());
    return config;
}

void writeConfig(platform::Settings& settings, const Config& config)
{
    const QString group = QStringLiteral("alarms");
    for (Condition c : kConditions) {
        const Rule& r = config.rule(c);
        if (Config::hasThreshold(c))
            settings.setValue(group, key(c, "_mpa"), QString::number(r.mpa));
        if (Config::hasDelay(c))
            settings.setValue(group, key(c, "_delay_s"), QString::number(r.delayS));
        if (c == Condition::LowPressure)
            settings.setValue(group, key(c, "_grace_s"), QString::number(r.graceS));
        if (c == Condition::PressureDrop)
            settings.setValue(group, key(c, "_window_s"), QString::number(r.windowS));
        if (Config::hasSwitch(c))
            settings.setValue(group, key(c, "_enabled"), platform::flagText(r.enabled));
        if (Config::hasAction(c))
            settings.setValue(group, key(c, "_action"), r.action == Action::Stop ? kStopText : kWarn);
    }
    settings.setValue(group, QStringLiteral("command"), config.command);
}

}  // namespace alarms
