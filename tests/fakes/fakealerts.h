#pragma once

#include "platform/alerts.h"
#include "platform/launcher.h"

#include <QStringList>

// The alarm's tone as on or off, each change counted.
struct FakeAlarmSound final : platform::AlarmSound {
    bool on = false;
    int changes = 0;
    void setSounding(bool sounding) override
    {
        changes += sounding != on;
        on = sounding;
    }
};

// Every call for attention, as "title: text".
struct FakeAttention final : platform::Attention {
    QStringList calls;
    void call(const QString& title, const QString& text) override { calls << title + QStringLiteral(": ") + text; }
};

// Programs started, each as "program arg… limitMs"; with `failWith` set
// every start fails with that reason.
struct FakeLauncher final : platform::Launcher {
    QStringList started;
    QString failWith;
    void launch(const QString& program, const QStringList& args, int limitMs,
                std::function<void(const QString&)> failed) override
    {
        started << (QStringList{program} + args + QStringList{QString::number(limitMs)}).join(QLatin1Char(' '));
        if (!failWith.isEmpty() && failed)
            failed(failWith);
    }
};
