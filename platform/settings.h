#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// The panel's settings: one INI file, in groups ("alarms", "remote", "mqtt")
// of plain keys. Every part that keeps a setting reads and writes it through
// this one interface; the program hands in the file on disk, tests a map.
class Settings {
public:
    virtual ~Settings() = default;

    // The text stored under group/key; a null QString when there is none.
    virtual QString value(const QString& group, const QString& key) const = 0;
    virtual void setValue(const QString& group, const QString& key, const QString& value) = 0;
    virtual void remove(const QString& group, const QString& key) = 0;

    // Hands what was set to the disk. False, with the reason in plain words in
    // *error, when the file cannot be written.
    virtual bool sync(QString* error) = 0;

    // The file as the operator would type it, for messages.
    virtual QString path() const = 0;
};

// Typed reading with checks. A missing key gives the fallback quietly; a
// value that is not of the kind or outside [min, max] gives the fallback too
// and adds "group/key" to *bad (when given), so the caller can say which key
// it ignored.
struct SettingsReader {
    const Settings* settings = nullptr;  // null: every key is missing
    QString group;
    QStringList* bad = nullptr;

    double number(const QString& key, double fallback, double min, double max) const;
    qint64 whole(const QString& key, qint64 fallback, qint64 min, qint64 max) const;
    bool flag(const QString& key, bool fallback) const;  // true/false, 1/0, yes/no, on/off
    QString text(const QString& key, const QString& fallback) const;
    // One of `choices` (compared without regard to case, returned as listed).
    QString choice(const QString& key, const QString& fallback, const QStringList& choices) const;

private:
    std::optional<QString> raw(const QString& key) const;
    void reject(const QString& key) const;
};

// Writes a flag as "true" or "false", the way SettingsReader::flag reads it.
inline QString flagText(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }

}  // namespace platform
