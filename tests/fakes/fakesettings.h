#pragma once

#include "platform/settings.h"

#include <QMap>

// The settings file in memory: what a test puts in `values` ("group/key" →
// text) is what the panel reads; what the panel sets lands there too.
// `failSync` makes saving fail with that reason.
struct FakeSettings final : platform::Settings {
    QMap<QString, QString> values;
    QString failSync;
    int syncs = 0;

    QString value(const QString& group, const QString& key) const override
    {
        return values.value(group + QLatin1Char('/') + key);
    }
    void setValue(const QString& group, const QString& key, const QString& value) override
    {
        values.insert(group + QLatin1Char('/') + key, value);
    }
    void remove(const QString& group, const QString& key) override { values.remove(group + QLatin1Char('/') + key); }
    bool sync(QString* error) override
    {
        ++syncs;
        if (failSync.isEmpty())
            return true;
        if (error)
            *error = failSync;
        return false;
    }
    QString path() const override { return QStringLiteral("/fake/pump-panel.ini"); }
};
