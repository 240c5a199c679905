#pragma once

#include "platform/settings.h"

#include <QSettings>

namespace platform {

// The settings file on disk: INI, user scope, organisation and application
// "pump-panel" (~/.config/pump-panel/pump-panel.ini on Linux,
// %APPDATA%\pump-panel\pump-panel.ini on Windows). A missing file reads as
// no keys. `fileName` names another file (tests, a second panel).
class QtSettings final : public Settings {
public:
    QtSettings();
    explicit QtSettings(const QString& fileName);

    QString value(const QString& group, const QString& key) const override;
    void setValue(const QString& group, const QString& key, const QString& value) override;
    void remove(const QString& group, const QString& key) override;
    bool sync(QString* error) override;
    QString path() const override;

private:
    QSettings m_file;
};

}  // namespace platform
