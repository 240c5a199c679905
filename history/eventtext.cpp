#include "history/eventtext.h"

#include "alarms/alarmconfig.h"
#include "history/timeaxis.h"
#include "platform/recorded.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QMap>

#include <algorithm>
#include <limits>

#include <utility>

namespace history {

namespace {

// A text marked with QT_TRANSLATE_NOOP("history", ...), in the language on screen.
QString translated(const char* text)
{
    return QCoreApplication::translate("history", text);
}

struct KindText {
    const char* kind;
    const char* text;  // its source text
    Marker marker;
};

const KindText kKinds[] = {
    {"port_opened", QT_TRANSLATE_NOOP("history", "端口打开"), Marker::Session},
    {"port_open_failed", QT_TRANSLATE_NOOP("history", "端口打开失败"), Marker::None},
    {"port_closed", QT_TRANSLATE_NOOP("history", "端口关闭"), Marker::Session},
    {"port_lost", QT_TRANSLATE_NOOP("history", "端口丢失"), Marker::PortLost},
    {"link_lost", QT_TRANSLATE_NOOP("history", "通信中断"), Marker::LinkLost},
    {"link_restored", QT_TRANSLATE_NOOP("history", "通信恢复"), Marker::LinkRestored},
    {"command", QT_TRANSLATE_NOOP("history", "命令"), Marker::None},
    {"flow_set", QT_TRANSLATE_NOOP("history", "流量设定"), Marker::SetPoint},
    {"pressure_set", QT_TRANSLATE_NOOP("history", "压力设定"), Marker::SetPoint},
    {"pump_number_set", QT_TRANSLATE_NOOP("history", "泵编号设定"), Marker::None},
    {"timed_set", QT_TRANSLATE_NOOP("history", "定时设定"), Marker::Timed},
    {"timed_start", QT_TRANSLATE_NOOP("history", "定时开始"), Marker::Timed},
    {"timed_pause", QT_TRANSLATE_NOOP("history", "定时暂停"), Marker::Timed},
    {"timed_continue", QT_TRANSLATE_NOOP("history", "定时继续"), Marker::Timed},
    {"timed_end", QT_TRANSLATE_NOOP("history", "定时结束"), Marker::Timed},
    {"timed_auto_stop", QT_TRANSLATE_NOOP("history", "定时自动停止"), Marker::Timed},
    {"record_saved", QT_TRANSLATE_NOOP("history", "记录已保存"), Marker::None},
    {"record_save_failed", QT_TRANSLATE_NOOP("history", "记录保存失败"), Marker::None},
    {"printed", QT_TRANSLATE_NOOP("history", "已打印"), Marker::None},
    {"csv_log_on", QT_TRANSLATE_NOOP("history", "CSV记录开"), Marker::None},
    {"csv_log_off", QT_TRANSLATE_NOOP("history", "CSV记录关"), Marker::None},
    {"app_exit", QT_TRANSLATE_NOOP("history", "程序退出"), Marker::Session},
    {"unclean_end", QT_TRANSLATE_NOOP("history", "非正常结束"), Marker::Session},
    {"session_restarted", QT_TRANSLATE_NOOP("history", "记录文件已更换，另起运行"), Marker::Session},
    {"retention_skipped", QT_TRANSLATE_NOOP("history", "时钟不可信，未清理旧运行"), Marker::None},
    {"dose_started", QT_TRANSLATE_NOOP("history", "定量输送开始"), Marker::Timed},
    {"dose_ended", QT_TRANSLATE_NOOP("history", "定量输送结束"), Marker::Timed},
    {"program_started", QT_TRANSLATE_NOOP("history", "程序开始"), Marker::Timed},
    {"program_step", QT_TRANSLATE_NOOP("history", "程序步骤"), Marker::Timed},
    {"program_paused", QT_TRANSLATE_NOOP("history", "程序暂停"), Marker::Timed},
    {"program_resumed", QT_TRANSLATE_NOOP("history", "程序继续"), Marker::Timed},
    {"program_ended", QT_TRANSLATE_NOOP("history", "程序结束"), Marker::Timed},
    {"alarm_raised", QT_TRANSLATE_NOOP("history", "报警"), Marker::Alarm},
    {"alarm_acknowledged", QT_TRANSLATE_NOOP("history", "报警已确认"), Marker::Alarm},
    {"alarm_cleared", QT_TRANSLATE_NOOP("history", "报警解除"), Marker::Alarm},
    {"alarm_silenced", QT_TRANSLATE_NOOP("history", "报警静音"), Marker::None},
    {"alarm_stop", QT_TRANSLATE_NOOP("history", "报警停泵"), Marker::Stop},
    {"alarm_command_failed", QT_TRANSLATE_NOOP("history", "报警命令无法启动"), Marker::None},
    {"remote_on", QT_TRANSLATE_NOOP("history", "远程访问开"), Marker::None},
    {"remote_off", QT_TRANSLATE_NOOP("history", "远程访问关"), Marker::None},
    {"remote_blocked", QT_TRANSLATE_NOOP("history", "远程访问拒绝"), Marker::None},
    {"broker_connected", QT_TRANSLATE_NOOP("history", "MQTT已连接"), Marker::None},
    {"broker_disconnected", QT_TRANSLATE_NOOP("history", "MQTT已断开"), Marker::None},
};

const KindText* kindOf(const QString& kind)
{
    for (const KindText& k : kKinds) {
        if (kind == QLatin1String(k.kind))
            return &k;
    }
    return nullptr;
}

// The command letter of a command frame ("Q00R0000Y" → 'R'), or 0.
char commandLetter(const Event& event)
{
    if (event.kind != QLatin1String("command") || event.detail.size() < 9 || event.detail[0] != QLatin1Char('Q'))
        return 0;
    return event.detail[3].toLatin1();
}

// The names of commands, by what their frame does.
const char* const kDropped = QT_TRANSLATE_NOOP("history", "命令未发送（端口未打开）");
// A kept stop that another device did not get: it goes only to its own pump.
const char* const kWithheld = QT_TRANSLATE_NOOP("history", "停止命令未发往其他端口");
const std::pair<char, const char*> kCommands[] = {
    {'R', QT_TRANSLATE_NOOP("history", "启动泵")},
    {'S', QT_TRANSLATE_NOOP("history", "停止泵")},
    {'L', QT_TRANSLATE_NOOP("history", "流量命令")},
    {'P', QT_TRANSLATE_NOOP("history", "压力命令")},
};

const std::pair<const char*, const char*> kSources[] = {
    {"keypad", QT_TRANSLATE_NOOP("history", "键盘")},
    {"menu", QT_TRANSLATE_NOOP("history", "菜单")},
    {"popup", QT_TRANSLATE_NOOP("history", "右键菜单")},
    {"dialog", QT_TRANSLATE_NOOP("history", "对话框")},
    {"timed_run", QT_TRANSLATE_NOOP("history", "定时")},
    {"program", QT_TRANSLATE_NOOP("history", "程序")},
    {"alarm", QT_TRANSLATE_NOOP("history", "报警")},
    {"remote", QT_TRANSLATE_NOOP("history", "远程")},
    {"mqtt", QT_TRANSLATE_NOOP("history", "MQTT")},
};

}  // namespace

QString eventName(const Event& event)
{
    if (event.kind == QLatin1String("command") && event.detail.startsWith(QLatin1String("dropped")))
        return translated(kDropped);
    if (event.kind == QLatin1String("command") && event.detail.startsWith(QLatin1String("kept for")))
        return translated(kWithheld);
    const char letter = commandLetter(event);
    for (const auto& [command, name] : kCommands) {
        if (letter == command)
            return translated(name);
    }
    const KindText* k = kindOf(event.kind);
    return k ? translated(k->text) : event.kind;
}

QString sourceName(const QString& source)
{
    for (const auto& [code, text] : kSources) {
        if (source == QLatin1String(code))
            return translated(text);
    }
    return source;
}

QStringList eventNames()
{
    QStringList names;
    for (const auto& command : kCommands)
        names << translated(command.second);
    for (const KindText& k : kKinds)
        names << translated(k.text);
    return names;
}

QStringList sourceNames()
{
    QStringList names;
    for (const auto& source : kSources)
        names << translated(source.second);
    return names;
}

Marker markerOf(const Event& event)
{
    switch (commandLetter(event)) {
    case 'R':
        return Marker::Run;
    case 'S':
        return Marker::Stop;
    default:
        // A set-point frame is marked by its flow_set or pressure_set event,
        // which carries the old and the new value.
        break;
    }
    const KindText* k = kindOf(event.kind);
    return k ? k->marker : Marker::None;
}

QString detailText(const Event& event)
{
    // Reasons and the CSV log's message are words the journal keeps in the
    // panel's own language; the rest (frames, numbers, paths) reads alike in
    // every language.
    static const char* const kWithWords[] = {"port_open_failed", "port_lost", "record_save_failed", "csv_log_off",
                                             "alarm_command_failed"};
    for (const char* kind : kWithWords) {
        if (event.kind == QLatin1String(kind))
            return recorded::shown(event.detail);
    }
    // The journal keeps these two in English, the same in every language;
    // the event's name already says the command was dropped.
    static const QLatin1String kDroppedPrefix("dropped, no port open: ");
    if (event.kind == QLatin1String("command") && event.detail.startsWith(kDroppedPrefix))
        return event.detail.mid(kDroppedPrefix.size());
    static const QRegularExpression unclean(QStringLiteral("^no clean exit; noticed when session (\\d+) started$"));
    const QRegularExpressionMatch m = unclean.match(event.detail);
    if (event.kind == QLatin1String("unclean_end") && m.hasMatch())
        return QCoreApplication::translate("history", "没有正常退出；运行 %1 开始时发现").arg(m.captured(1));
    return event.detail;
}

QVector<Span> alarmSpans(const QList<Event>& events, qint64 fromMs, qint64 toMs)
{
    // Each alarm by its name (the detail's first word): raised until cleared,
    // or until the session's last event when it never cleared.
    QMap<QString, qint64> standing;
    QVector<Span> spans;
    const auto add = [&](qint64 from, qint64 to) {
        if (to >= fromMs && from <= toMs)
            spans.append({std::max(from, fromMs), std::min(to, toMs)});
    };
    for (const Event& e : events) {
        const QString name = e.detail.section(QLatin1Char(' '), 0, 0);
        if (e.kind == QLatin1String("alarm_raised") && !standing.contains(name))
            standing.insert(name, e.tMs);
        else if (e.kind == QLatin1String("alarm_cleared") && standing.contains(name))
            add(standing.take(name), e.tMs);
    }
    // A session that ended ends its alarms; a live one runs on to the range's end.
    const bool ended = !events.isEmpty()
                       && (events.last().kind == QLatin1String("app_exit") || events.last().kind == QLatin1String("unclean_end"));
    const qint64 end = ended ? events.last().tMs : toMs;
    for (const qint64 from : std::as_const(standing))
        add(from, end);
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.fromMs < b.fromMs; });
    return spans;
}

QString alarmSummary(const QList<Event>& events, const QVector<Span>& spans)
{
    QMap<int, int> counts;  // by condition, in the order of the conditions
    int total = 0;
    for (const Event& e : events) {
        alarms::Condition c;
        if (e.kind == QLatin1String("alarm_raised") && alarms::conditionOfKey(e.detail.section(QLatin1Char(' '), 0, 0), &c)) {
            ++counts[static_cast<int>(c)];
            ++total;
        }
    }
    if (total == 0 && spans.isEmpty())
        return translated(QT_TRANSLATE_NOOP("history", "无报警"));
    QStringList which;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        which << translated(QT_TRANSLATE_NOOP("history", "%1 %2 次"))
                     .arg(alarms::displayName(static_cast<alarms::Condition>(it.key())))
                     .arg(it.value());
    // Overlapping stretches count once.
    qint64 stood = 0;
    qint64 reached = std::numeric_limits<qint64>::min();
    for (const Span& s : spans) {
        const qint64 from = std::max(s.fromMs, reached);
        if (s.toMs > from)
            stood += s.toMs - from;
        reached = std::max(reached, s.toMs);
    }
    return translated(QT_TRANSLATE_NOOP("history", "报警 %1 次：%2；报警持续共 %3"))
        .arg(total)
        .arg(which.isEmpty() ? QStringLiteral("—") : which.join(translated(QT_TRANSLATE_NOOP("history", "，"))),
             durationText(stood));
}

QString eventLine(const Event& event)
{
    QString line = localTimeText(event.tMs, true) + QStringLiteral("  ") + eventName(event);
    if (!event.detail.isEmpty())
        line += QStringLiteral("  ") + detailText(event);
    if (!event.source.isEmpty())
        line += QCoreApplication::translate("history", "（%1）").arg(sourceName(event.source));
    return line;
}

}  // namespace history
