#pragma once

#include "alarms/alarms.h"

#include <QDialog>
#include <QFrame>
#include <QTimer>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

// What the alarm band, the list and the announcement say of an alarm:
// "压力过高 1.62 MPa（阈值 1.50 MPa）" in the interface's language.
QString alarmText(const alarms::Alarm& alarm);

// The band in the status line: hidden while no alarm is shown (the window
// looks as it always did), otherwise the foremost alarm with its value,
// threshold and start, how many are active, and the buttons to acknowledge
// and to silence. Red, flashing about once a second while an alarm is
// unacknowledged; steady once all are acknowledged.
class AlarmBand : public QFrame {
    Q_OBJECT
public:
    static constexpr int kFlashMs = 500;

    explicit AlarmBand(alarms::AlarmCore& core, QWidget* parent = nullptr);

    // Follows the core (called on its changed()).
    void refresh();
    // One step of the flashing (the timer's tick; tests call it).
    void flashTick();
    bool lit() const { return m_lit; }
    const QTimer& flashTimer() const { return m_flash; }
    QLabel* textLabel() const { return m_text; }
    QPushButton* acknowledgeButton() const { return m_acknowledge; }
    QPushButton* silenceButton() const { return m_silence; }

private:
    void paintLook();

    alarms::AlarmCore& m_core;
    QLabel* m_text = nullptr;
    QPushButton* m_acknowledge = nullptr;
    QPushButton* m_silence = nullptr;
    QTimer m_flash;
    bool m_lit = true;
};

// "报警记录": the alarms shown now and the past ones, with their state,
// times, value and count; acknowledges the chosen one or all.
class AlarmListWindow : public QWidget {
    Q_OBJECT
public:
    explicit AlarmListWindow(alarms::AlarmCore& core, QWidget* parent = nullptr);
    void refresh();
    QTableWidget* table() const { return m_table; }

private:
    void acknowledgeSelected();

    alarms::AlarmCore& m_core;
    QTableWidget* m_table = nullptr;
};

// "报警设置": every threshold, delay, grace, window, action and switch, and
// the command. The fields take only values in range (thresholds 0–2.0 MPa,
// times 0–3600 s). OK hands the settings to `apply`.
class AlarmSettingsDialog : public QDialog {
    Q_OBJECT
public:
    AlarmSettingsDialog(const alarms::Config& config, std::function<void(const alarms::Config&)> apply,
                        QWidget* parent = nullptr);
    // The settings as the fields hold them.
    alarms::Config config() const;

private:
    alarms::Config m_base;
};
