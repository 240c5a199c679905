#include "history/eventtext.h"

#include "history/timeaxis.h"

namespace history {

namespace {

struct KindText {
    const char* kind;
    const char* text;
    Marker marker;
};

const KindText kKinds[] = {
    {"port_opened", "端口打开", Marker::Session},
    {"port_open_failed", "端口打开失败", Marker::None},
    {"port_closed", "端口关闭", Marker::Session},
    {"port_lost", "端口丢失", Marker::PortLost},
    {"link_lost", "通信中断", Marker::LinkLost},
    {"link_restored", "通信恢复", Marker::LinkRestored},
    {"command", "命令", Marker::None},
    {"flow_set", "流量设定", Marker::SetPoint},
    {"pressure_set", "压力设定", Marker::SetPoint},
    {"pump_number_set", "泵编号设定", Marker::None},
    {"timed_set", "定时设定", Marker::Timed},
    {"timed_start", "定时开始", Marker::Timed},
    {"timed_pause", "定时暂停", Marker::Timed},
    {"timed_continue", "定时继续", Marker::Timed},
    {"timed_end", "定时结束", Marker::Timed},
    {"timed_auto_stop", "定时自动停止", Marker::Timed},
    {"record_saved", "记录已保存", Marker::None},
    {"record_save_failed", "记录保存失败", Marker::None},
    {"printed", "已打印", Marker::None},
    {"csv_log_on", "CSV记录开", Marker::None},
    {"csv_log_off", "CSV记录关", Marker::None},
    {"app_exit", "程序退出", Marker::Session},
    {"unclean_end", "非正常结束", Marker::Session},
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

}  // namespace

QString eventName(const Event& event)
{
    if (event.kind == QLatin1String("command") && event.detail.startsWith(QLatin1String("dropped")))
        return QStringLiteral("命令未发送（端口未打开）");
    switch (commandLetter(event)) {
    case 'R':
        return QStringLiteral("启动泵");
    case 'S':
        return QStringLiteral("停止泵");
    case 'L':
        return QStringLiteral("流量命令");
    case 'P':
        return QStringLiteral("压力命令");
    default:
        break;
    }
    const KindText* k = kindOf(event.kind);
    return k ? QString::fromUtf8(k->text) : event.kind;
}

QString sourceName(const QString& source)
{
    static const std::pair<const char*, const char*> names[] = {
        {"keypad", "键盘"}, {"menu", "菜单"}, {"popup", "右键菜单"}, {"dialog", "对话框"}, {"timed_run", "定时"},
    };
    for (const auto& [code, text] : names) {
        if (source == QLatin1String(code))
            return QString::fromUtf8(text);
    }
    return source;
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

QString eventLine(const Event& event)
{
    QString line = localTimeText(event.tMs, true) + QStringLiteral("  ") + eventName(event);
    if (!event.detail.isEmpty())
        line += QStringLiteral("  ") + event.detail;
    if (!event.source.isEmpty())
        line += QStringLiteral("（") + sourceName(event.source) + QStringLiteral("）");
    return line;
}

}  // namespace history
