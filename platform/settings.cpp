#include "platform/settings.h"

#include <cmath>

namespace platform {

std::optional<QString> SettingsReader::raw(const QString& key) const
{
    if (!settings)
        return std::nullopt;
    const QString v = settings->value(group, key);
    if (v.isNull())
        return std::nullopt;
    return v.trimmed();
}

void SettingsReader::reject(const QString& key) const
{
    if (bad)
        *bad << group + QLatin1Char('/') + key;
}

double SettingsReader::number(const QString& key, double fallback, double min, double max) const
{
    const auto v = raw(key);
    if (!v)
        return fallback;
    bool ok = false;
    // "." is the decimal point whatever the language, as in the other files.
    const double d = v->toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < min || d > max) {
        reject(key);
        return fallback;
    }
    return d;
}

qint64 SettingsReader::whole(const QString& key, qint64 fallback, qint64 min, qint64 max) const
{
    const auto v = raw(key);
    if (!v)
        return fallback;
    bool ok = false;
    const qint64 n = v->toLongLong(&ok);
    if (!ok || n < min || n > max) {
        reject(key);
        return fallback;
    }
    return n;
}

bool SettingsReader::flag(const QString& key, bool fallback) const
{
    const auto v = raw(key);
    if (!v)
        return fallback;
    const QString s = v->toLower();
    if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("yes") || s == QLatin1String("on"))
        return true;
    if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("no") || s == QLatin1String("off"))
        return false;
    reject(key);
    return fallback;
}

QString SettingsReader::text(const QString& key, const QString& fallback) const
{
    const auto v = raw(key);
    return v ? *v : fallback;
}

QString SettingsReader::choice(const QString& key, const QString& fallback, const QStringList& choices) const
{
    const auto v = raw(key);
    if (!v)
        return fallback;
    for (const QString& c : choices) {
        if (c.compare(*v, Qt::CaseInsensitive) == 0)
            return c;
    }
    reject(key);
    return fallback;
}

}  // namespace platform
