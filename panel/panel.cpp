#include "panel/panel.h"

#include "link/frames.h"
#include "link/numbers.h"
#include "link/portnames.h"
#include "platform/recorded.h"
#include "platform/recordstore.h"

#include <QLocale>

#include <cmath>
#include <limits>

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
      m_program([this](const QString& frame) { send(frame, CommandSource::Program); }, services.clock),
      m_keypad(m_state, [this](const QString& frame) { sendFromKeypad(frame); }, services.dialogs),
      m_setPoints(m_state, [this](const QString& frame) { send(frame, m_setPointSource); }, services.dialogs),
      m_recorder(services.recordStore, services.printer, services.dialogs),
      m_csvLog(services.logFiles, services.clock, services.wallClock),
      m_settings(services.settings),
      m_alarms(*this, services.clock, services.wallClock, services.launcher)
{
    // A key press shows its digit before any message box it raises.
    m_keypad.setBoxesChanged([this] { emit boxesChanged(); });
    connect(&m_link, &PumpLink::answerReceived, this, &Panel::handleAnswer);
    connect(&m_link, &PumpLink::portLost, this, &Panel::handlePortLost);
    connect(&m_link, &PumpLink::healthChanged, this, &Panel::connectionChanged);
    connect(&m_link, &PumpLink::healthChanged, this, &Panel::followLinkForRun);
    connect(this, &Panel::setPointChanged, this, [this](SetPoint which) {
        if (m_program.active() && (which == SetPoint::Flow || which == SetPoint::Pressure))
            emit setPointDuringRun();
    });
    connect(&m_link, &PumpLink::healthChanged, this, [this] { m_alarms.setLinkLost(m_link.isOpen() && m_link.linkLost()); });
    connect(&m_link, &PumpLink::frameDropped, this, [this](const QString& frame) {
        emit notice(tr("未连接：%1 未发送").arg(frame));
    });
    connect(this, &Panel::stopKeptChanged, this, [this] { m_alarms.setStopUndelivered(stopPending()); });
    // The broker's acknowledge: every alarm shown, as a remote client's.
    m_acknowledge = [this](const QString&) {
        return m_alarms.acknowledgeAll(alarms::AckSource::Remote) > 0 ? QString()
                                                                       : QStringLiteral("no alarms to acknowledge");
    };
    // An alarm's stop ends a volume delivery or program with its reason, and
    // a timed run (with the run's own stop frame), so its count stops with
    // the pump.
    connect(&m_alarms, &alarms::AlarmCore::stopRequested, this, [this] {
        m_program.end(ProgramRun::Reason::Alarm);
        if (!m_timedRun.timer1().isActive())
            return;
        m_inTimedCommand = true;
        m_timedRun.stend();
        m_inTimedCommand = false;
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

bool Panel::send(const QString& frame, CommandSource source)
{
    ++m_framesSent;
    const bool written = m_link.send(frame);
    m_lastWritten = written;
    emit commandSent(frame, source, !written);
    const bool stop = frame == frames::kStop;
    if (stop && !written) {
        keepStop();
    } else if (written && (stop || frame == frames::kRun)) {
        m_running = !stop;
        setPumpRunning(!stop);
        m_alarms.setRunning(!stop);
        // Only the pump the kept stop was meant for is settled by it.
        if (!m_stopKeptFor.isEmpty() && m_link.device() == m_stopKeptFor) {
            m_stopKeptFor.clear();
            emit stopKeptChanged();
        }
    }
    return written;
}

bool Panel::stopPump()
{
    return send(frames::kStop, CommandSource::Alarm);
}

void Panel::loadAlarms()
{
    QStringList bad;
    m_alarms.setConfig(alarms::readConfig(m_settings, &bad));
    for (const QString& key : bad)
        emit notice(tr("设置文件 %1：%2 的值无效，使用默认值").arg(m_settings ? m_settings->path() : QString(), key));
}

bool Panel::setAlarmConfig(const alarms::Config& config, QString* error)
{
    m_alarms.setConfig(config);
    if (!m_settings)
        return true;
    alarms::writeConfig(*m_settings, config);
    return m_settings->sync(error);
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
    // A remote stop also ends a volume delivery or program.
    m_program.end(ProgramRun::Reason::Operator);
    send(frames::kStop, source);
    m_commandClient.clear();
}

QString Panel::remoteFlow(double mlMin, const QString& client, CommandSource source)
{
    return remoteSetPoint(SetPoint::Flow, mlMin, client, source);
}

QString Panel::remotePressure(double mpa, const QString& client, CommandSource source)
{
    return remoteSetPoint(SetPoint::Pressure, mpa, client, source);
}

QString Panel::remoteSetPoint(SetPoint which, double value, const QString& client, CommandSource source)
{
    const bool flow = which == SetPoint::Flow;
    const quint64 sent = m_framesSent;
    m_commandClient = client;
    // The frame goes out with the command's source, not the dialog's.
    m_setPointSource = source;
    const QString refused = flow ? m_setPoints.setFlow(value) : m_setPoints.setPressure(value);
    m_setPointSource = CommandSource::Dialog;
    if (refused.isEmpty()) {
        emit boxesChanged();
        if (m_framesSent != sent)
            setPointSent(which, flow ? m_state.lqset : m_state.prset, source);
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
        setPointSent(SetPoint::Flow, m_state.lqset, CommandSource::Keypad);
    else if (letter == QLatin1Char('P'))
        setPointSent(SetPoint::Pressure, m_state.prset, CommandSource::Keypad);
}

void Panel::setPointSent(SetPoint which, const QString& text, CommandSource source)
{
    // A frame that went nowhere set nothing.
    if (!m_lastWritten)
        return;
    QString& known = which == SetPoint::Flow ? m_pumpFlow : m_pumpPressure;
    const QString before = known.isEmpty() ? QStringLiteral("?") : known;
    known = text;
    emit setPointChanged(which, before, text, source);
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
    const QString device = m_link.isOpen() ? m_link.device() : m_lastDevice;
    if (!m_stopKeptFor.isEmpty() || device.isEmpty())
        return;
    m_stopKeptFor = device;
    emit stopKeptChanged();
    const QString why = m_link.isOpen() ? tr("端口 %1 拒绝写入").arg(m_link.device()) : tr("没有打开的端口");
    m_dialogs.notify(tr("泵可能仍在运行：停止命令 %1 没有送到泵（%2）。\n"
                        "端口 %3 再次打开时首先发送停止命令；也可以在泵上直接停泵。")
                         .arg(frames::kStop, why, device),
                     tr("停止命令未送达"));
}

QString Panel::stopWarning() const
{
    return m_stopKeptFor.isEmpty() ? QString() : tr("泵（端口 %1）可能仍在运行：停止命令没有送到。").arg(m_stopKeptFor);
}

BoxState Panel::boxState(Box box) const
{
    if (box == Box::Lqset && m_keypad.typingFlow())
        return BoxState::Typing;
    if (box == Box::Prset && m_keypad.typingPressure())
        return BoxState::Typing;
    if ((box == Box::Lqset && m_keypad.refusedFlow()) || (box == Box::Prset && m_keypad.refusedPressure()))
        return BoxState::Refused;
    if (!m_link.isOpen())
        return BoxState::NoPort;
    if (!m_link.answeredSinceOpen())
        return BoxState::NoAnswerYet;
    if (m_link.linkLost())
        return BoxState::LinkLost;
    return BoxState::Live;
}

QString Panel::boxStateText(BoxState state)
{
    switch (state) {
    case BoxState::Live:
        return tr("泵的实时值");
    case BoxState::NoAnswerYet:
        return tr("不是实时值：泵尚未回答");
    case BoxState::LinkLost:
        return tr("不是实时值：通信中断");
    case BoxState::NoPort:
        return tr("不是实时值：未连接");
    case BoxState::Typing:
        return tr("正在输入，尚未发送");
    case BoxState::Refused:
        return tr("设定错误，未发送到泵");
    }
    return QString();
}

PumpState Panel::pumpState() const
{
    if (!m_link.isOpen() || m_link.linkLost() || !m_pumpRunning)
        return PumpState::Unknown;
    return *m_pumpRunning ? PumpState::Running : PumpState::Stopped;
}

QString Panel::pumpStateText(PumpState state)
{
    switch (state) {
    case PumpState::Running:
        return tr("运行中");
    case PumpState::Stopped:
        return tr("已停止");
    case PumpState::Unknown:
        break;
    }
    return tr("未知");
}

QString Panel::timedRunText() const
{
    const TimedRun& run = m_timedRun;
    if (!run.labelsVisible())
        return QString();
    const qint64 left = run.secondsLeft();
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    const QString leftText = left >= 3600 ? QStringLiteral("%1:%2:%3").arg(left / 3600).arg(two(left / 60 % 60), two(left % 60))
                                          : QStringLiteral("%1:%2").arg(left / 60).arg(two(left % 60));
    QString phase;
    switch (run.phase()) {
    case TimedRun::Phase::Running:
        phase = tr("运行中");
        break;
    case TimedRun::Phase::Paused:
        phase = tr("已暂停");
        break;
    case TimedRun::Phase::Done:
        phase = tr("已完成");
        break;
    case TimedRun::Phase::Idle:
        break;
    }
    return tr("目标 %1 分  剩余 %2\n%3").arg(numbers::generalText(run.timeset()), leftText, phase);
}

void Panel::setPumpRunning(std::optional<bool> running)
{
    if (m_pumpRunning == running)
        return;
    m_pumpRunning = running;
    emit pumpStateChanged();
}

void Panel::Form_Load()
{
    setMenusEnabled(false);
    m_state.lq = 0;
    m_state.pr = 0;
    m_state.Set_Pump_NO = 0;
    m_state.prtrend[1] = 0;
    loadAlarms();
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
    // The port open before closes once the new one has opened; the same
    // device is let go before it is opened again. A port that fails to open
    // leaves the old one in use, and nothing is recorded as closed.
    const QString before = m_link.isOpen() ? m_link.device() : QString();
    if (before == *device)
        emit portChanged(PortChange::Closed, before, QString());
    // The device used last, open or not: set points known from it stay
    // known when the same device opens again.
    const QString previous = m_link.device();
    const bool opened = m_link.open(*device, &error);
    if (opened && !before.isEmpty() && before != *device)
        emit portChanged(PortChange::Closed, before, QString());
    emit portChanged(opened ? PortChange::Opened : PortChange::OpenFailed, *device, opened ? QString() : error);
    if (opened) {
        m_lastDevice = *device;
        // A pump newly reached has told nothing about itself yet.
        m_pumpRunning.reset();
        emit pumpStateChanged();
        if (previous != *device) {
            m_pumpFlow.clear();
            m_pumpPressure.clear();
        }
    }
    emit connectionChanged();
    if (!opened) {
        QString text = tr("无法打开端口 %1：%2").arg(*device, recorded::shown(error));
        if (m_link.isOpen())
            text += tr("\n仍在使用端口 %1。").arg(m_link.device());
        m_dialogs.messageBox(text, tr("通信"));
        return;
    }
    // A stop that could not be delivered goes before anything else, to the
    // pump it was meant for and no other.
    if (m_stopKeptFor == *device) {
        send(frames::kStop, CommandSource::Kept);
        if (!stopPending())
            emit notice(tr("停止命令 %1 已补发到 %2").arg(frames::kStop, *device));
    } else if (stopPending()) {
        emit stopWithheld(m_stopKeptFor, *device);
        m_dialogs.notify(stopWarning() + QLatin1Char('\n')
                             + tr("停止命令只发往端口 %1，不发往 %2。请重新打开端口 %1，或在泵上直接停泵。")
                                   .arg(m_stopKeptFor, *device),
                         tr("停止命令未送达"));
    }
    setMenusEnabled(true);
    m_link.startPolling();
}

void Panel::end()
{
    emit exiting(true);
    emit exitRequested();
}

void Panel::endBy(const QString& why)
{
    emit exiting(false, why);
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
    const quint64 sent = m_framesSent;
    m_setPoints.liquid();
    emit boxesChanged();
    if (m_framesSent != sent)
        setPointSent(SetPoint::Flow, m_state.lqset, CommandSource::Dialog);
}

void Panel::pressure()
{
    const quint64 sent = m_framesSent;
    m_setPoints.pressure();
    emit boxesChanged();
    if (m_framesSent != sent)
        setPointSent(SetPoint::Pressure, m_state.prset, CommandSource::Dialog);
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
    if (!othersEnded(tr("定时运行"), false))
        return;
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

bool Panel::othersEnded(const QString& what, bool timedRunToo)
{
    QString running;
    if (m_program.active())
        running = m_program.kind() == ProgramRun::Kind::Dose ? tr("定量输送") : tr("程序");
    else if (timedRunToo && m_timedRun.timer1().isActive())
        running = tr("定时运行");
    if (running.isEmpty())
        return true;
    if (!m_dialogs.question(tr("%1正在运行。结束它，开始%2吗？").arg(running, what), what))
        return false;
    if (m_program.active())
        m_program.end(ProgramRun::Reason::Operator);
    else
        stend();
    return true;
}

QString Panel::estimateNote()
{
    return tr("输送量是按设定流量乘以泵运行的时间估算的，泵不报告实际输送了多少。");
}

void Panel::dose()
{
    const QLocale locale;
    const QString title = tr("定量输送");
    const auto volume = numbers::toDouble(
        m_dialogs.inputBox(tr("请输入要输送的体积 单位 ml\r\n体积范围为0.1—100000ml"), title, QStringLiteral("0")), locale);
    if (!volume)
        return;
    if (*volume < kDoseMinMl || *volume > kDoseMaxMl) {
        m_dialogs.messageBox(tr("体积设定错误!"), tr("错误"));
        return;
    }
    const double ml = std::round(*volume * 10) / 10;
    const auto flow = numbers::toDouble(
        m_dialogs.inputBox(tr("请输入输送流量 单位 ml/min\r\n流量范围为1—500ml/min"), title, QStringLiteral("0")), locale);
    if (!flow)
        return;
    if (*flow < SetPoints::kFlowMin || *flow > SetPoints::kFlowMax) {
        m_dialogs.messageBox(tr("流量设定错误!"), tr("错误"));
        return;
    }
    const QString plan = tr("以 %1 ml/min 输送 %2 ml，需时 %3。")
                             .arg(numbers::generalText(*flow, locale.decimalPoint().at(0)),
                                  numbers::generalText(ml, locale.decimalPoint().at(0)),
                                  program::clockText(ProgramRun::doseMs(ml, *flow)));
    if (!m_dialogs.question(plan + QLatin1Char('\n') + estimateNote() + QLatin1Char('\n') + tr("开始输送吗？"), title))
        return;
    if (!othersEnded(title, true))
        return;
    m_program.startDose(ml, *flow);
}

void Panel::startProgram(const program::Steps& steps, const QString& name, bool keepRunning)
{
    if (steps.isEmpty() || !othersEnded(tr("程序"), true))
        return;
    m_programName = name;
    m_program.start(steps, keepRunning);
}

void Panel::runPause()
{
    m_program.pause(ProgramRun::Reason::Operator);
}

void Panel::runContinue()
{
    m_program.resume();
}

void Panel::runEnd()
{
    m_program.end(ProgramRun::Reason::Operator);
}

void Panel::followLinkForRun()
{
    // After the link counts as lost a delivery or program pauses, and waits
    // for the operator to continue it.
    if (m_link.isOpen() && m_link.linkLost() && m_program.state() == ProgramRun::State::Running) {
        m_program.pause(ProgramRun::Reason::Link);
        emit notice(tr("通信中断：已暂停，通信恢复后请按“继续”"));
    }
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
    // What the pump reports of its set points is what it has.
    const char letter = frame.size() > 3 ? frame.at(3) : 0;
    if (letter == 'L')
        m_pumpFlow = m_state.lqset;
    else if (letter == 'P')
        m_pumpPressure = m_state.prset;
    // The pump stops itself when the pressure reaches its limit.
    const auto limit = numbers::toDouble(m_pumpPressure);
    if (outcome.stored && m_pumpRunning == true && limit && reachesLimit(outcome.reading, *limit))
        setPumpRunning(false);
    // The reading the chart stores is also kept for the record file.
    if (outcome.stored && m_saveBuffer.append(outcome.reading) == SaveBuffer::Append::BecameFull)
        emit notice(Recorder::fullNotice());
    // The alarms see the boxes as the answer left them (a box being typed
    // into holds no set point yet), first: a stop they send goes out before
    // the log and the window take their turn.
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    const auto number = [](const QString& text) {
        const auto v = numbers::toDouble(text);
        return v ? *v : kNone;
    };
    m_alarms.answer(outcome.stored ? outcome.reading : kNone, m_keypad.typingPressure() ? kNone : number(m_state.prset),
                    m_keypad.typingFlow() ? kNone : number(m_state.lqset));
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
    setPumpRunning(std::nullopt);
    // A port gone for good ends what runs on it.
    m_program.end(ProgramRun::Reason::Link);
    emit portChanged(PortChange::Lost, device, reason);
    emit connectionChanged();
    emit notice(tr("端口 %1 已断开").arg(device));
    // The reason may itself say that the port went away: then only what the
    // system added to it follows.
    const QString gone = recorded::text(QT_TRANSLATE_NOOP("recorded", "端口已断开"));
    const QString text = reason.startsWith(gone)
                             ? tr("端口 %1 已断开%2\n请用“通信”重新打开端口。").arg(device, reason.mid(gone.size()))
                             : tr("端口 %1 已断开：%2\n请用“通信”重新打开端口。").arg(device, recorded::shown(reason));
    m_dialogs.notify(text, tr("通信"));
}
