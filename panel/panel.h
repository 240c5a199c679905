#pragma once

#include "alarms/alarms.h"
#include "link/answers.h"
#include "link/pumplink.h"
#include "panel/keypad.h"
#include "link/panelstate.h"
#include "panel/setpoints.h"
#include "platform/services.h"
#include "timedrun/program.h"
#include "remote/pumpcommands.h"
#include "timedrun/timedrun.h"
#include "record/csvlog.h"
#include "record/recorder.h"
#include "record/savebuffer.h"

#include <QMap>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>


// Where a command came from, what was set, what happened to the port and
// which step of the timed run was taken: what the panel tells about itself
// (the run history records it).
// Kept: the stop frame that could not be written, sent again by the panel
// itself when the port it was meant for opens again.
// Program: a volume delivery or a program. Alarm: the stop of an alarm's stop
// action. Remote: a client of the remote access, Mqtt: a command from the
// MQTT broker (commandClient() names who sent it).
enum class CommandSource { Keypad, Menu, Popup, Dialog, TimedRun, Kept, Program, Alarm, Remote, Mqtt };
enum class SetPoint { Flow, Pressure, PumpNumber, Duration };
enum class PortChange { Opened, OpenFailed, Closed, Lost };
enum class TimedStep { Start, Pause, Continue, End, AutoStop };

// What a value box shows, as far as the pump is concerned. The texts stay as
// they are; only their look and what a screen reader hears change.
//   Live         the pump answered within the link-lost time
//   NoAnswerYet, LinkLost, NoPort
//                not live: the port is open but nothing answered yet, the
//                pump fell silent, or no port is open
//   Typing       digits of a keypad entry still being typed
//   Refused      a completed keypad entry that was refused and not sent
enum class BoxState { Live, NoAnswerYet, LinkLost, NoPort, Typing, Refused };
enum class Box { Pnow, Prset, Lqset };
// The pump as the panel last knew it: from the last run or stop that reached
// it, while the link is alive; a pressure that reaches the limit stops it.
enum class PumpState { Unknown, Running, Stopped };

// The main window without its widgets: the panel's state, the link to the
// pump, and one handler per command, named after the command's menu item or
// key. The window only forwards clicks here and shows what the signals say,
// so tests drive the whole panel through this class and scripted fakes.
class Panel : public QObject, public remote::PumpCommands, private alarms::PumpStopper {
    Q_OBJECT
public:
    // The command menus, in the order start-up disables them and a
    // successful port command enables them.
    static const QStringList& commandMenus();

    explicit Panel(const platform::Services& services, QObject* parent = nullptr);

    const PanelState& state() const { return m_state; }
    PumpLink& link() { return m_link; }
    const PumpLink& link() const { return m_link; }
    // The timed run: its count, duration, display and Timer1.
    TimedRun& timedRun() { return m_timedRun; }
    const TimedRun& timedRun() const { return m_timedRun; }
    // The volume delivery or program that runs, if any.
    ProgramRun& program() { return m_program; }
    const ProgramRun& program() const { return m_program; }
    // The file name of the program started last.
    QString programName() const { return m_programName; }
    bool menuEnabled(const QString& menu) const { return m_menus.value(menu, false); }

    // What the status line shows about the port: its line settings while
    // open, that the pump has gone silent, or that nothing is connected.
    QString connectionText() const;

    // The pre-filled answer of the port prompt: "1", or "sim" when the panel
    // was started to run on the simulated pump. The prompt also lists the
    // ports the system reports at that moment.
    void setPortDefaultAnswer(const QString& answer) { m_portDefaultAnswer = answer; }

    // `saveprdata` and `saveprcout`: every reading taken from an accepted
    // answer, up to the buffer's capacity.
    const SaveBuffer& saveBuffer() const { return m_saveBuffer; }

    // The send operation every command frame goes through. A stop frame that
    // cannot be written is kept (see stopPending()). True when the port took it.
    bool send(const QString& frame, CommandSource source = CommandSource::Menu);
    // A stop frame could not be written and has not been delivered since. It
    // belongs to the device it was meant for (the port open then, or the one
    // last open) and goes out first thing when that device opens again; any
    // other device gets nothing, since stopping another pump's run is itself
    // a fault. A later stop or run that reaches that device settles it. A
    // stop with no device ever opened is not kept: no pump was started.
    bool stopPending() const { return !m_stopKeptFor.isEmpty(); }
    QString stopKeptFor() const { return m_stopKeptFor; }
    // The warning shown while a stop is kept; empty when none is.
    QString stopWarning() const;

    // The set points the pump has, as far as the panel knows: the box text of
    // the last set-point frame written to the port, or the last value the
    // pump reported. Empty until either happened. Never a refused or
    // half-typed entry, nor a box's start text.
    QString pumpFlow() const { return m_pumpFlow; }
    QString pumpPressure() const { return m_pumpPressure; }
    BoxState boxState(Box box) const;
    // The words for a state: the boxes' tooltip and accessible description.
    static QString boxStateText(BoxState state);
    PumpState pumpState() const;
    static QString pumpStateText(PumpState state);
    // The timed run beside its elapsed time: the duration set, the time left
    // and whether it runs, is paused or is done; empty while its display is
    // hidden.
    QString timedRunText() const;

    // The alarms, judged on every accepted answer; a stop action stops the
    // pump through send(). Their settings are read from the settings file at
    // Form_Load (a bad key: a notice naming it, its default stands).
    alarms::AlarmCore& alarms() { return m_alarms; }
    const alarms::AlarmCore& alarms() const { return m_alarms; }
    // Takes new alarm settings and writes them to the settings file; false
    // with the reason in *error when the file cannot be written (they are
    // in force all the same).
    bool setAlarmConfig(const alarms::Config& config, QString* error);

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Communication();
    void end();
    // The system asks the program to end (`why`: "SIGTERM", a logoff…): the
    // steps of "退出", with the reason recorded.
    void endBy(const QString& why);
    void run();
    void stop();
    void rrun();
    void rstop();
    // "设定(S)": the flow and pressure dialogs and the pump number.
    void liquid();
    void pressure();
    void Pump_NO();
    // The keypad. The 0 key and both arrow keys share Cmd0, which is given
    // the key's member index and does not use it.
    void Cmd0(int index);
    const Keypad& keypad() const { return m_keypad; }
    void Cmd1() { m_keypad.Cmd1(); }
    void Cmd2() { m_keypad.Cmd2(); }
    void Cmd3() { m_keypad.Cmd3(); }
    void Cmd4() { m_keypad.Cmd4(); }
    void Cmd5() { m_keypad.Cmd5(); }
    void Cmd6() { m_keypad.Cmd6(); }
    void Cmd7() { m_keypad.Cmd7(); }
    void Cmd8() { m_keypad.Cmd8(); }
    void Cmd9() { m_keypad.Cmd9(); }
    void Cmdl() { m_keypad.Cmdl(); }
    void Cmdp() { m_keypad.Cmdp(); }
    void Cmdr() { m_keypad.Cmdr(); }
    void Cmds() { m_keypad.Cmds(); }
    void stset();
    void ststart();
    void stzanting();
    void stcontiune();
    void stend();
    void save();
    void print();
    // "查看记录": shows the viewer in place of the main window.
    void view();
    // The viewer's `Command2`: the text for its `Text1`.
    QString Command2();
    // "CSV记录": switches the CSV log on (a new file) or off. Whatever
    // happens, csvLogChanged() tells the item what the log now is.
    void csvlog(bool on);
    const CsvLog& csvLog() const { return m_csvLog; }
    // "定量输送": asks for the volume and the flow, checked as the set-point
    // dialogs check, says how long it takes, and starts the delivery.
    void dose();
    // Starts checked steps; `name` is the file's name for the history.
    void startProgram(const program::Steps& steps, const QString& name, bool keepRunning);
    // Pause, Continue and End of the volume delivery or program, by the operator.
    void runPause();
    void runContinue();
    void runEnd();
    // The volumes a delivery takes (ml).
    static constexpr double kDoseMinMl = 0.1;
    static constexpr double kDoseMaxMl = 100000;
    // The one sentence that says the volume is an estimate.
    static QString estimateNote();

    // Commands of a remote client at `client` (its address), through the same
    // send operation, frames and range checks as the menu and the dialogs.
    // The set points answer empty when sent, else the dialog's message (and
    // send nothing). A stop also calls the stop hook (it ends a program).
    // `source`: Remote, or Mqtt for the broker's commands.
    void remoteRun(const QString& client, CommandSource source = CommandSource::Remote);
    void remoteStop(const QString& client, CommandSource source = CommandSource::Remote);
    QString remoteFlow(double mlMin, const QString& client, CommandSource source = CommandSource::Remote);
    QString remotePressure(double mpa, const QString& client, CommandSource source = CommandSource::Remote);
    void setStopHook(std::function<void()> hook) { m_stopHook = std::move(hook); }
    // The client whose command is being handled; empty for the operator's own.
    const QString& commandClient() const { return m_commandClient; }
    // What the panel last got to the pump: run (true) or stop (false).
    bool running() const { return m_running; }
    // A command from the MQTT broker: the remote commands above with the
    // source Mqtt. Run and set points are refused with no port open; a stop
    // is kept like any other. Acknowledge goes to the hook given (refused
    // without one).
    QString command(Command which, double value, const QString& client) override;
    void setAcknowledge(std::function<QString(const QString& client)> acknowledge)
    {
        m_acknowledge = std::move(acknowledge);
    }

signals:
    void menuEnabledChanged(const QString& menu, bool enabled);
    // A value box's text changed by a command, the keypad or a dialog.
    void boxesChanged();
    // An accepted answer (as received) has been applied to the boxes and the
    // reading store; the window shows its texts and the chart draws its
    // step, the run history records it.
    void answerApplied(const QByteArray& frame, const AnswerOutcome& outcome);
    void connectionChanged();
    // A short notice for the status line.
    void notice(const QString& text);
    // The viewer is to be shown and the main window hidden.
    void viewerRequested();
    // "退出": end the program at once, without the unload step.
    void exitRequested();
    // The CSV log was switched on or off, by the operator or by a failure.
    void csvLogChanged(bool on);
    // A stop was kept or settled: stopWarning() changed.
    void stopKeptChanged();
    // The pump's state may have changed (a run or stop reached it, it
    // reached its limit, the port opened or went away).
    void pumpStateChanged();

    // What happened, as it happened, for the run history.
    // A command frame went out, or was dropped with no port open.
    void commandSent(const QString& frame, CommandSource source, bool dropped);
    // A set point was given: the box's text (the number for the pump number
    // and the duration) before and after.
    void setPointChanged(SetPoint which, const QString& before, const QString& after, CommandSource source);
    // `reason` only for OpenFailed and Lost.
    void portChanged(PortChange change, const QString& device, const QString& reason);
    // A stop kept for `keptFor` was not sent to `opened`, a different device.
    void stopWithheld(const QString& keptFor, const QString& opened);
    // Sent before the step's frame; AutoStop after the stop frame.
    void timedRunStepped(TimedStep step);
    void recordSaved(bool saved, const QString& path, const QString& reason);
    void printed(int copies);
    // `failure` (the message the operator saw) when a failed write switched it off.
    void csvLogSwitched(bool on, const QString& path, const QString& failure);
    // The program ends: by "退出" (byMenu), by closing the window, or at the
    // system's request (`why` says which).
    void exiting(bool byMenu, const QString& why = QString());
    // The operator gave a flow or pressure set point while a volume delivery
    // or program runs: its next frame overrides it.
    void setPointDuringRun();

private:
    bool stopPump() override;
    void loadAlarms();
    void setMenusEnabled(bool enabled);
    void handleAnswer(const QByteArray& frame);
    void handlePortLost(const QString& device, const QString& reason);
    void keepStop();
    void sendFromKeypad(const QString& frame);
    void sendFromTimedRun(const QString& frame);
    // A set-point frame reached the pump: the box's text is its set point now.
    QString remoteSetPoint(SetPoint which, double value, const QString& client, CommandSource source);
    void setPointSent(SetPoint which, const QString& text, CommandSource source);
    void setPumpRunning(std::optional<bool> running);
    // Runs one of the timed run's commands, telling its step first.
    void timedCommand(TimedStep step, void (TimedRun::*command)());
    // Nothing else runs, or the operator agreed to end what runs. `what` is
    // what is about to start.
    bool othersEnded(const QString& what, bool timedRunToo);
    void followLinkForRun();

    platform::Dialogs& m_dialogs;
    platform::PortLister m_listPorts;
    PanelState m_state;
    PumpLink m_link;
    TimedRun m_timedRun;
    ProgramRun m_program;
    QString m_programName;
    QMap<QString, bool> m_menus;
    Keypad m_keypad;
    SetPoints m_setPoints;
    SaveBuffer m_saveBuffer;
    Recorder m_recorder;
    CsvLog m_csvLog;
    QString m_portDefaultAnswer = QStringLiteral("1");
    QString m_stopKeptFor;
    // The device of the port open last, open or not now.
    QString m_lastDevice;
    QString m_pumpFlow;
    QString m_pumpPressure;
    // Whether the last run or stop written reached a running pump; none
    // since the port opened or when it went away.
    std::optional<bool> m_pumpRunning;
    // Whether the frame last handed to send() was written.
    bool m_lastWritten = false;
    bool m_recordPathTold = false;
    // Frames handed to send() so far.
    quint64 m_framesSent = 0;
    bool m_inTimedCommand = false;
    platform::Settings* m_settings = nullptr;
    alarms::AlarmCore m_alarms;
    bool m_running = false;
    QString m_commandClient;
    std::function<void()> m_stopHook;
    std::function<QString(const QString&)> m_acknowledge;
    // The source a set point's frame is sent with.
    CommandSource m_setPointSource = CommandSource::Dialog;
};
