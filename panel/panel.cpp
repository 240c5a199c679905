#include "panel/panel.h"

#include "link/frames.h"
#include "link/numbers.h"
#include "link/portnames.h"
#include "platform/recorded.h"
#include "platform/recordstore.h"

const QStringList& Panel::commandMenus()
{
    static const QStringList menus = {QStringLiteral("file"), QStringLiteral("settime"), QStringLiteral("Pump"),
                                      QStringLiteral("rightkey"), QStringLiteral("seting")};
    return menus;
}

Panel::Panel(const platform::Services& services, QObject* parent)
    : QObject(parent),
      m_dialogs(services.dialogs),
      m_listPorts(services.listPorts),
      m_link(services.makePort, services.clock),
      m_timedRun([this](const QString& frame) { sendFromTimedRun(frame); }, services.dialogs, services.clock),
      m_keypad(m_state, [this](const QString& frame) { sendFromKeypad(frame); }, services.dialogs),
      m_setPoints(m_state, [this](const QString& frame) { send(frame, m_setPointSource); }, services.dialogs),
      m_recorder(services.recordStore, services.printer, services.dialogs),
      m_csvLog(services.logFiles, services.clock, services.wallClock)
{
    // A key press shows its digit before any message box it raises.
    m_keypad.setBoxesChanged([this] { emit boxesChanged(); });
    connect(&m_link, &PumpLink::answerReceived, this, &Panel::handleAnswer);
    connect(&m_link, &PumpLink::portLost, this, &Panel::handlePortLost);
    connect(&m_link, &PumpLink::healthChanged, this, &Panel::connectionChanged);
    connect(&m_link, &PumpLink::frameDropped, this, [this](const QString& frame) {
        emit notice(tr("未连接：%1 未发送").arg(frame));
    });
    m_recorder.setSaveObserver([this, &store = services.recordStore](bool saved, const QString& reason) {
        emit recordSaved(saved, store.path(), reason);
    });
}

QString Panel::connectionText() const
{
    if (!m_link.isOpen())
        return tr("未连接");
    if (m_link.linkLost())
        return tr("通信中断 %1 秒  %2").arg(m_link.silenceMs() / 1000).arg(lineDescription(m_link.device()));
    return lineDescription(m_link.device());
}

void Panel::send(const QString& frame, CommandSource source)
{
    ++m_framesSent;
    const bool written = m_link.send(frame);
    emit commandSent(frame, source, !written);
    if (frame == frames::kStop && !written)
        keepStop();
    else if (written && (frame == frames::kStop || frame == frames::kRun))
        m_stopPending = false;
    if (written && (frame == frames::kStop || frame == frames::kRun))
        m_running = frame == frames::kRun;
}

void Panel::remoteRun(const QString& client, CommandSource source)
{
    m_commandClient = client;
    send(frames::kRun, source);
    m_commandClient.clear();
}

void Panel::remoteStop(const QString& client, CommandSource source)
{
    m_commandClient = client;
    if (m_stopHook)
        m_stopHook();
    send(frames::kStop, source);
    m_commandClient.clear();
}

QString Panel::remoteFlow(double mlMin, const QString& client, CommandSource source)
{
    const QString before = m_state.lqset;
    m_commandClient = client;
    // The frame goes out with the command's source, not the dialog's.
    m_setPointSource = source;
    const QString refused = m_setPoints.setFlow(mlMin);
    m_setPointSource = CommandSource::Dialog;
    if (refused.isEmpty()) {
        emit boxesChanged();
        emit setPointChanged(SetPoint::Flow, before, m_state.lqset, source);
    }
    m_commandClient.clear();
    return refused;
}

QString Panel::remotePressure(double mpa, const QString& client, CommandSource source)
{
    const QString before = m_state.prset;
    m_commandClient = client;
    // The frame goes out with the command's source, not the dialog's.
    m_setPointSource = source;
    const QString refused = m_setPoints.setPressure(mpa);
    m_setPointSource = CommandSource::Dialog;
    if (refused.isEmpty()) {
        emit boxesChanged();
        emit setPointChanged(SetPoint::Pressure, before, m_state.prset, source);
    }
    m_commandClient.clear();
    return refused;
}

void Panel::sendFromKeypad(const QString& frame)
{
    send(frame, CommandSource::Keypad);
    // A completed entry: its frame carries the letter of the box it set.
    const QChar letter = frame.size() > 3 ? frame.at(3) : QChar();
    if (letter == QLatin1Char('L'))
        emit setPointChanged(SetPoint::Flow, m_entryBefore, m_state.lqset, CommandSource::Keypad);
    else if (letter == QLatin1Char('P'))
        emit setPointChanged(SetPoint::Pressure, m_entryBefore, m_state.prset, CommandSource::Keypad);
}

void Panel::sendFromTimedRun(const QString& frame)
{
    send(frame, CommandSource::TimedRun);
    // Outside its commands the timed run sends only the stop at the end of
    // its time.
    if (!m_inTimedCommand)
        emit timedRunStepped(TimedStep::AutoStop);
}

void Panel::keepStop()
{
    // Said once, however many stops fail before one gets through; the status
    // line names each frame that was not sent.
    if (m_stopPending)
        return;
    m_stopPending = true;
    const QString why = m_link.isOpen() ? tr("端口 %1 拒绝写入").arg(m_link.device()) : tr("没有打开的端口");
    m_dialogs.notify(tr("泵可能仍在运行：停止命令 %1 没有送到泵（%2）。\n"
                        "端口再次打开时首先发送停止命令；也可以在泵上直接停泵。")
                         .arg(frames::kStop, why),
                     tr("停止命令未送达"));
}

void Panel::Form_Load()
{
    setMenusEnabled(false);
    m_state.lq = 0;
    m_state.pr = 0;
    m_state.Set_Pump_NO = 0;
    m_state.prtrend[1] = 0;
}

void Panel::Form_Unload()
{
    if (m_link.isOpen())
        emit portChanged(PortChange::Closed, m_link.device(), QString());
    m_link.close();
    m_csvLog.stop();
    emit connectionChanged();
    emit exiting(false);
}

void Panel::Communication()
{
    QStringList ports;
    if (m_listPorts) {
        for (const platform::PortListing& port : m_listPorts())
            ports << portEntry(port);
    }
    const QString answer = m_dialogs.inputBoxWithChoices(QStringLiteral("Input communication port"),
                                                         QStringLiteral("Commport"), m_portDefaultAnswer, ports);
    const auto device = deviceForAnswer(answerOfEntry(answer));
    if (!device)
        return;
    QString error;
    // Opening closes the port open before.
    if (m_link.isOpen())
        emit portChanged(PortChange::Closed, m_link.device(), QString());
    const bool opened = m_link.open(*device, &error);
    emit portChanged(opened ? PortChange::Opened : PortChange::OpenFailed, *device, opened ? QString() : error);
    emit connectionChanged();
    if (!opened) {
        QString text = tr("无法打开端口 %1：%2").arg(*device, recorded::shown(error));
        if (m_link.isOpen())
            text += tr("\n仍在使用端口 %1。").arg(m_link.device());
        m_dialogs.messageBox(text, tr("通信"));
        return;
    }
    // A stop that could not be delivered goes before anything else.
    if (m_stopPending) {
        send(frames::kStop, CommandSource::Kept);
        if (!m_stopPending)
            emit notice(tr("停止命令 %1 已补发到 %2").arg(frames::kStop, *device));
    }
    setMenusEnabled(true);
    m_link.startPolling();
}

void Panel::end()
{
    emit exiting(true);
    emit exitRequested();
}

void Panel::run()
{
    send(frames::kRun, CommandSource::Menu);
}

void Panel::stop()
{
    send(frames::kStop, CommandSource::Menu);
}

QString Panel::command(Command which, double value, const QString& client)
{
    if (which == Command::Acknowledge)
        return m_acknowledge ? m_acknowledge(client) : QStringLiteral("no alarms to acknowledge here");
    if (which != Command::Stop && !m_link.isOpen())
        return QStringLiteral("no port open");
    switch (which) {
    case Command::Run:
        remoteRun(client, CommandSource::Mqtt);
        break;
    case Command::Stop:
        remoteStop(client, CommandSource::Mqtt);
        break;
    case Command::Flow:
        return remoteFlow(value, client, CommandSource::Mqtt);
    case Command::PressureLimit:
        return remotePressure(value, client, CommandSource::Mqtt);
    case Command::Acknowledge:
        break;
    }
    return QString();
}

void Panel::rrun()
{
    send(frames::kRun, CommandSource::Popup);
}

void Panel::rstop()
{
    send(frames::kStop, CommandSource::Popup);
}

void Panel::liquid()
{
    const QString before = m_state.lqset;
    const quint64 sent = m_framesSent;
    m_setPoints.liquid();
    emit boxesChanged();
    if (m_framesSent != sent)
        emit setPointChanged(SetPoint::Flow, before, m_state.lqset, CommandSource::Dialog);
}

void Panel::pressure()
{
    const QString before = m_state.prset;
    const quint64 sent = m_framesSent;
    m_setPoints.pressure();
    emit boxesChanged();
    if (m_framesSent != sent)
        emit setPointChanged(SetPoint::Pressure, before, m_state.prset, CommandSource::Dialog);
}

void Panel::Pump_NO()
{
    const qint16 before = m_state.Set_Pump_NO;
    m_setPoints.Pump_NO();
    if (m_state.Set_Pump_NO != before)
        emit setPointChanged(SetPoint::PumpNumber, QString::number(before), QString::number(m_state.Set_Pump_NO),
                             CommandSource::Dialog);
}

void Panel::Cmd0(int index)
{
    m_keypad.Cmd0(index);
}

void Panel::Cmdl()
{
    entryKey(&Keypad::Cmdl, &PanelState::lqset, &PanelState::lq);
}

void Panel::Cmdp()
{
    entryKey(&Keypad::Cmdp, &PanelState::prset, &PanelState::pr);
}

void Panel::entryKey(void (Keypad::*key)(), QString PanelState::*box, qint16 PanelState::*entry)
{
    const bool idle = m_state.lq == 0 && m_state.pr == 0;
    const QString before = m_state.*box;
    (m_keypad.*key)();
    // An entry began (from idle, or in place of one whose box an answer
    // rewrote): its box is empty now; keep what it showed before.
    if (m_state.*entry == 1 && (m_state.*box).isEmpty() && (idle || before != m_state.*box))
        m_entryBefore = before;
}

void Panel::stset()
{
    const double before = m_timedRun.timeset();
    m_timedRun.stset();
    if (m_timedRun.timeset() != before)
        emit setPointChanged(SetPoint::Duration, numbers::generalText(before), numbers::generalText(m_timedRun.timeset()),
                             CommandSource::Dialog);
}

void Panel::timedCommand(TimedStep step, void (TimedRun::*command)())
{
    emit timedRunStepped(step);
    m_inTimedCommand = true;
    (m_timedRun.*command)();
    m_inTimedCommand = false;
}

void Panel::ststart()
{
    timedCommand(TimedStep::Start, &TimedRun::ststart);
}

void Panel::stzanting()
{
    timedCommand(TimedStep::Pause, &TimedRun::stzanting);
}

void Panel::stcontiune()
{
    timedCommand(TimedStep::Continue, &TimedRun::stcontiune);
}

void Panel::stend()
{
    timedCommand(TimedStep::End, &TimedRun::stend);
}

void Panel::save()
{
    // Where the record went is said once; the viewer reads it from there.
    if (m_recorder.save(m_saveBuffer) && !m_recordPathTold) {
        m_recordPathTold = true;
        emit notice(tr("压力记录文件：%1").arg(m_recorder.path()));
    }
}

void Panel::print()
{
    const int copies = m_recorder.print();
    if (copies > 0)
        emit printed(copies);
}

void Panel::view()
{
    emit viewerRequested();
}

QString Panel::Command2()
{
    return m_recorder.readLastLine();
}

void Panel::csvlog(bool on)
{
    if (on == m_csvLog.isOn()) {
        emit csvLogChanged(on);
        return;
    }
    if (!on) {
        const QString path = m_csvLog.path();
        m_csvLog.stop();
        emit csvLogChanged(false);
        emit csvLogSwitched(false, path, QString());
        emit notice(CsvLog::stoppedNotice(path));
        return;
    }
    QString error;
    const bool started = m_csvLog.start(&error);
    emit csvLogChanged(started);
    if (started) {
        emit csvLogSwitched(true, m_csvLog.path(), QString());
        emit notice(CsvLog::startedNotice(m_csvLog.path()));
    } else {
        m_dialogs.messageBox(recorded::shown(error), CsvLog::caption());
    }
}

void Panel::setMenusEnabled(bool enabled)
{
    for (const QString& menu : commandMenus()) {
        m_menus[menu] = enabled;
        emit menuEnabledChanged(menu, enabled);
    }
}

void Panel::handleAnswer(const QByteArray& frame)
{
    const AnswerOutcome outcome = applyAnswer(m_state, frame);
    // The reading the chart stores is also kept for the record file.
    if (outcome.stored && m_saveBuffer.append(outcome.reading) == SaveBuffer::Append::BecameFull)
        emit notice(Recorder::fullNotice());
    // The CSV log takes the answer with the boxes as it left them. A log that
    // cannot be written switches itself off before the message, so the
    // message comes once however many answers arrive while it is shown.
    QString logError;
    const bool logged = m_csvLog.record(frame, m_state, &logError);
    emit answerApplied(frame, outcome);
    // Still inside the port's signal: a modal box here would hold up every
    // later answer, and its event loop could delete the port under us.
    if (!logged) {
        emit csvLogChanged(false);
        emit csvLogSwitched(false, QString(), logError);
        m_dialogs.notify(recorded::shown(logError), CsvLog::caption());
    }
}

void Panel::handlePortLost(const QString& device, const QString& reason)
{
    emit portChanged(PortChange::Lost, device, reason);
    emit connectionChanged();
    emit notice(tr("端口 %1 已断开").arg(device));
    m_dialogs.notify(tr("端口 %1 已断开：%2\n请用“通信”重新打开端口。").arg(device, recorded::shown(reason)),
                     tr("通信"));
}
