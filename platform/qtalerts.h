#pragma once

#include "platform/alerts.h"
#include "platform/launcher.h"

#include <QPointer>

#include <memory>

class QSoundEffect;
class QSystemTrayIcon;
class QTemporaryFile;
#include <QWidget>

namespace platform {

// The tone through Qt Multimedia: a short beep and a pause, made here as a
// small WAV file, played in a loop. Without a sound device Qt reports an
// error status and nothing plays; nothing else happens.
class QtAlarmSound final : public AlarmSound {
public:
    QtAlarmSound();
    ~QtAlarmSound() override;
    void setSounding(bool on) override;

private:
    std::unique_ptr<QTemporaryFile> m_file;
    std::unique_ptr<QSoundEffect> m_effect;
    bool m_on = false;
};

// QApplication::alert on the window, and a tray message where a tray exists.
class QtAttention final : public Attention {
public:
    QtAttention();
    ~QtAttention() override;
    void setWindow(QWidget* window) { m_window = window; }
    void call(const QString& title, const QString& text) override;

private:
    QPointer<QWidget> m_window;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

// A QProcess per program, ended after its limit, deleted when done.
class QtLauncher final : public Launcher {
public:
    void launch(const QString& program, const QStringList& arguments, int limitMs,
                std::function<void(const QString& reason)> failed) override;
};

}  // namespace platform
