#pragma once

#include "panel/panel.h"

#include <QMainWindow>
#include <QMap>

#include <memory>
#include <optional>

namespace history {
class Journal;
}

class AlarmBand;
class AlarmListWindow;
class ChartWidget;
class DoseWindow;
class ProgramWindow;
class Form2;
class HistoryWindow;
class JournalFeed;
class MqttDialog;
class MqttFeed;
class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class RefreshPacer;
class RemoteAccess;
class RemoteDialog;
struct AnswerOutcome;

namespace history {
class HistorySource;
class Journal;
}  // namespace history
namespace platform {
class ExportFiles;
}  // namespace platform
namespace remote {
class MqttPublisher;
}  // namespace remote

// `Form1`, the main window: the value boxes, the keypad, the elapsed-time
// labels, the chart, the menus and the pop-up menu. It holds no state of its
// own; every click goes to the Panel and every change comes back from it.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(const platform::Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    Panel& panel() { return *m_panel; }

    // The menu item, top-level menu or submenu of that name ("save",
    // "Communication", "file", "rightkey" ...), for wiring and tests.
    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* rightkey() const { return m_rightkey; }
    // The key with that face: "0" … "9", "L", "P", "RUN", "STOP", "▲", "▼".
    QToolButton* key(const QString& face) const { return m_keys.value(face); }
    QLineEdit* pnow() const { return m_pnow; }
    QLineEdit* prset() const { return m_prset; }
    QLineEdit* lqset() const { return m_lqset; }
    ChartWidget* Picture1() const { return m_chart; }
    // Paints the boxes and the chart for the answers about once per screen
    // refresh.
    RefreshPacer& pacer() const { return *m_pacer; }
    QWidget* surface() const { return m_surface; }
    // The six elapsed-time labels: lhour, Label1, lmin, Label2, lsed, Label3.
    QLabel* label(const QString& name) const { return m_labels.value(name); }
    QLabel* connectionLabel() const { return m_connection; }
    // The pump's state, the timed run's state and a kept stop's warning.
    QLabel* pumpStateLabel() const { return m_pumpState; }
    QLabel* timedStateLabel() const { return m_timedState; }
    QLabel* stopWarningLabel() const { return m_stopWarning; }
    // The record viewer `Form2`, a window of its own shown in place of this
    // one by "查看记录"; made on first use.
    Form2* viewer();

    // The run history's journal: from now on it records what the panel does
    // (the program gives it at start-up; tests may not). Not owned; it must
    // outlive the window. Its troubles are told in message boxes, its
    // recovery on the status line.
    void setJournal(history::Journal* journal);
    // The journal given, for the history window: its file (path()) and a
    // signal after each commit (committed()). Null when none.
    history::Journal* journal() const { return m_journal; }
    // Where the history window's exports go (the save dialog and files);
    // "运行历史" opens that window on the journal's file, following the
    // session being written. Must outlive the window.
    void setExportFiles(platform::ExportFiles* files) { m_exportFiles = files; }
    // Remote access (通信 › 远程访问…) and its dialog, made on first use.
    RemoteAccess& remoteAccess() { return *m_remote; }
    RemoteDialog* remoteDialog();
    QLabel* remoteLabel() const { return m_remoteLabel; }
    // Starts remote access when the settings say it is on (after setJournal());
    // a failure is told on the status line.
    void startRemote();
    // The history window; none until "运行历史" was first chosen.
    HistoryWindow* historyWindow() const { return m_history.get(); }
    // "运行程序" and the volume delivery's display; made on first use.
    ProgramWindow* programWindow();
    DoseWindow* doseWindow();
    // Shows the program window with the file open in it, not running.
    bool openProgram(const QString& path);
    // The alarm band in the status line, and the alarm list and settings
    // windows ("报警记录…", "报警设置…"; none until first chosen).
    AlarmBand* alarmBand() const { return m_alarmBand; }
    AlarmListWindow* alarmList() const { return m_alarmList.get(); }
    QWidget* alarmSettings() const { return m_alarmSettings; }

    // The MQTT publisher and what feeds it; none when the services bring no
    // MQTT connections. It starts with the [mqtt] settings.
    remote::MqttPublisher* mqtt() const { return m_mqtt.get(); }
    MqttFeed* mqttFeed() const { return m_mqttFeed.get(); }
    // "通信 › MQTT…": shown without blocking; OK saves the settings and
    // starts the publisher anew. Null when it is not shown.
    MqttDialog* mqttDialog() const { return m_mqttDialog; }
    QLabel* mqttLabel() const { return m_mqttLabel; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void wire();
    void showBoxes();
    // While `hold`, a box whose text changes is not repainted before the
    // pacer paints.
    void setBoxTexts(bool hold);
    void showAnswer(const QByteArray& frame, const AnswerOutcome& outcome);
    void paintHeld();
    void showConnection();
    void showPumpState();
    void showRemote();
    void showRemoteDialog();
    void showElapsedTime();
    void showViewer();
    void showHistory();
    // Points the history window at the journal file and its session now.
    bool openHistorySource();
    void buildAlarms(const platform::Services& services);
    void showAlarmList();
    void showAlarmSettings();
    void showMqttDialog();
    void applyMqtt();
    void showMqttState();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    QMenu* addMenu(QMenu* parentMenu, const QString& name, const QString& caption);

    Panel* m_panel = nullptr;
    platform::Dialogs& m_dialogs;
    history::Journal* m_journal = nullptr;
    std::unique_ptr<JournalFeed> m_journalFeed;
    QWidget* m_surface = nullptr;
    QLineEdit* m_pnow = nullptr;
    QLineEdit* m_prset = nullptr;
    QLineEdit* m_lqset = nullptr;
    ChartWidget* m_chart = nullptr;
    RefreshPacer* m_pacer = nullptr;
    QList<QLineEdit*> m_heldBoxes;
    QMenu* m_rightkey = nullptr;
    QLabel* m_connection = nullptr;
    QLabel* m_stopWarning = nullptr;
    QLabel* m_pumpState = nullptr;
    QLabel* m_timedState = nullptr;
    std::optional<PumpState> m_shownPumpState;
    QLabel* m_remoteLabel = nullptr;
    RemoteAccess* m_remote = nullptr;
    std::unique_ptr<RemoteDialog> m_remoteDialog;
    std::unique_ptr<Form2> m_viewer;
    platform::Printer& m_printer;
    platform::ExportFiles* m_exportFiles = nullptr;
    // The window reads through its own connection; it goes before the reader.
    std::unique_ptr<history::HistorySource> m_historySource;
    int m_historyRestarts = 0;  // the journal's restarts when the history window was pointed at it
    std::unique_ptr<HistoryWindow> m_history;
    std::unique_ptr<ProgramWindow> m_program;
    std::unique_ptr<DoseWindow> m_dose;
    AlarmBand* m_alarmBand = nullptr;
    std::unique_ptr<AlarmListWindow> m_alarmList;
    QWidget* m_alarmSettings = nullptr;
    platform::Settings* m_settings = nullptr;
    std::unique_ptr<remote::MqttPublisher> m_mqtt;
    std::unique_ptr<MqttFeed> m_mqttFeed;
    MqttDialog* m_mqttDialog = nullptr;
    QLabel* m_mqttLabel = nullptr;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QToolButton*> m_keys;
    QMap<QString, QLabel*> m_labels;
};
