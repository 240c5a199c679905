#include "remote/messages.h"

#include <QJsonDocument>

#include <cmath>

namespace remote::messages {

namespace {

QJsonValue number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return QJsonValue::Null;
    return *value;
}

QJsonValue whole(std::optional<qint64> value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// A null QJsonValue stays null; QJsonValue() is Null too.
QJsonValue orNull(const QJsonValue& value)
{
    return value.isUndefined() ? QJsonValue(QJsonValue::Null) : value;
}

}  // namespace

QString linkName(LinkState link)
{
    switch (link) {
    case LinkState::Open:
        return QStringLiteral("open");
    case LinkState::Lost:
        return QStringLiteral("lost");
    case LinkState::Closed:
        break;
    }
    return QStringLiteral("closed");
}

QJsonObject status(const Status& s)
{
    return QJsonObject{
        {QStringLiteral("type"), QStringLiteral("status")},
        {QStringLiteral("port"), s.port.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s.port)},
        {QStringLiteral("link"), linkName(s.link)},
        {QStringLiteral("pressure_mpa"), number(s.pressureMpa)},
        {QStringLiteral("pressure_limit_mpa"), number(s.pressureLimitMpa)},
        {QStringLiteral("flow_ml_min"), number(s.flowMlMin)},
        {QStringLiteral("running"), s.running},
        {QStringLiteral("timed_run"), orNull(s.timedRun)},
        {QStringLiteral("dose"), orNull(s.dose)},
        {QStringLiteral("program"), orNull(s.program)},
        {QStringLiteral("alarms"), s.alarms},
        {QStringLiteral("last_answer_ms"), whole(s.lastAnswerMs)},
        {QStringLiteral("panel_version"), s.panelVersion},
    };
}

QJsonObject reading(const history::Reading& r)
{
    return QJsonObject{
        {QStringLiteral("type"), QStringLiteral("reading")},
        {QStringLiteral("t_ms"), r.tMs},
        {QStringLiteral("pump"), r.pump},
        {QStringLiteral("letter"), r.letter},
        {QStringLiteral("value"), r.value},
        {QStringLiteral("pressure_mpa"), number(r.pressure)},
        {QStringLiteral("flow_ml_min"), number(r.flow)},
        {QStringLiteral("pressure_limit_mpa"), number(r.limit)},
    };
}

QJsonObject event(const history::Event& e)
{
    return QJsonObject{
        {QStringLiteral("type"), QStringLiteral("event")},
        {QStringLiteral("t_ms"), e.tMs},
        {QStringLiteral("kind"), e.kind},
        {QStringLiteral("detail"), e.detail},
        {QStringLiteral("source"), e.source.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(e.source)},
    };
}

QJsonValue timedRun(bool counting, bool shown, qint64 elapsedS, double durationMin)
{
    // End hides the display; a pause keeps it and the count, and the stop at
    // the end of the time keeps it with the count back at 0.
    if (!counting && !shown)
        return QJsonValue::Null;
    const QString state = counting ? QStringLiteral("counting")
                          : elapsedS > 0 ? QStringLiteral("paused")
                                         : QStringLiteral("ended");
    return QJsonObject{
        {QStringLiteral("state"), state},
        {QStringLiteral("elapsed_s"), elapsedS},
        {QStringLiteral("duration_min"), durationMin},
    };
}

QByteArray text(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

}  // namespace remote::messages
