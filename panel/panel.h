#pragma once

#include "link/answers.h"
#include "link/pumplink.h"
#include "panel/keypad.h"
#include "link/panelstate.h"
#include "panel/setpoints.h"
#include "platform/services.h"
#include "remote/pumpcommands.h"
#include "timedrun/timedrun.h"
#include "record/csvlog.h"
#include "record/recorder.h"
#include "record/savebuffer.h"

#include <QMap>
#include <QObject>
#include <QStringList>

#include <functional>


// Where a command came from, what was set, what happened to the port and
// which step of the timed run was taken: what the panel tells about itself
// (the run history records it).
// Kept: the stop frame that could not be written, sent again by the panel
// itself when a port opens.
// Remote: a client of the remote access, Mqtt: a command from the MQTT
// broker (commandClient() names who sent it).
enum class CommandSource { Keypad, Menu, Popup, Dialog, TimedRun, Kept, Remote, Mqtt };
enum class SetPoint { Flow, Pressure, PumpNumber, Duration };
enum class PortChange { Opened, OpenFailed, Closed, Lost };
enum class TimedStep { Start, Pause, Continue, End, AutoStop };

// The main window without its widgets: the panel's state, the link to the
// pump, and one handler per command, named after the command's menu item or
// key. The window only forwards clicks here and shows what the signals say,
// so tests drive the whole panel through this class and scripted fakes.
class Panel : public QObject, public remote::PumpCommands {
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
    // cannot be written is kept (see stopPending()).
    void send(const QString& frame, CommandSource source = CommandSource::Menu);
    // A stop frame could not be written and has not been delivered since: it
    // goes out first thing when a port opens. A later stop or run that
    // reaches the pump settles it.
    bool stopPending() const { return m_stopPending; }

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Communication();
    void end();
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
    void Cmdl();
    void Cmdp();
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

    // What happened, as it happened, for the run history.
    // A command frame went out, or was dropped with no port open.
    void commandSent(const QString& frame, CommandSource source, bool dropped);
    // A set point was given: the box's text (the number for the pump number
    // and the duration) before and after.
    void setPointChanged(SetPoint which, const QString& before, const QString& after, CommandSource source);
    // `reason` only for OpenFailed and Lost.
    void portChanged(PortChange change, const QString& device, const QString& reason);
    // Sent before the step's frame; AutoStop after the stop frame.
    void timedRunStepped(TimedStep step);
    void recordSaved(bool saved, const QString& path, const QString& reason);
    void printed(int copies);
    // `failure` (the message the operator saw) when a failed write switched it off.
    void csvLogSwitched(bool on, const QString& path, const QString& failure);
    // The program ends: by "退出" (byMenu) or by closing the window.
    void exiting(bool byMenu);

private:
    void setMenusEnabled(bool enabled);
    void handleAnswer(const QByteArray& frame);
    void handlePortLost(const QString& device, const QString& reason);
    void keepStop();
    void sendFromKeypad(const QString& frame);
    void sendFromTimedRun(const QString& frame);
    // L or P on the keypad, noting the box's text when an entry begins.
    void entryKey(void (Keypad::*key)(), QString PanelState::*box, qint16 PanelState::*entry);
    // Runs one of the timed run's commands, telling its step first.
    void timedCommand(TimedStep step, void (TimedRun::*command)());

    platform::Dialogs& m_dialogs;
    platform::PortLister m_listPorts;
    PanelState m_state;
    PumpLink m_link;
    TimedRun m_timedRun;
    QMap<QString, bool> m_menus;
    Keypad m_keypad;
    SetPoints m_setPoints;
    SaveBuffer m_saveBuffer;
    Recorder m_recorder;
    CsvLog m_csvLog;
    QString m_portDefaultAnswer = QStringLiteral("1");
    bool m_stopPending = false;
    bool m_recordPathTold = false;
    // Frames handed to send() so far.
    quint64 m_framesSent = 0;
    // The box's text when the keypad entry in progress began.
    QString m_entryBefore;
    bool m_inTimedCommand = false;
    bool m_running = false;
    QString m_commandClient;
    std::function<void()> m_stopHook;
    std::function<QString(const QString&)> m_acknowledge;
    // The source a set point's frame is sent with.
    CommandSource m_setPointSource = CommandSource::Dialog;
};
