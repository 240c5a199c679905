#include "remote/controllers.h"

#include "history/export.h"
#include "history/historysource.h"
#include "remote/commands.h"

#include <QBuffer>

#include <limits>

namespace remote {

QJsonObject StatusController::status() const
{
    messages::Status s = m_pump.status();
    // A provider that is set stands in for what the pump side gave.
    if (m_providers.alarms)
        s.alarms = m_providers.alarms().toArray();
    if (m_providers.dose)
        s.dose = m_providers.dose();
    if (m_providers.program)
        s.program = m_providers.program();
    return messages::status(s);
}

history::HistorySource& HistoryController::source()
{
    history::HistorySource* source = m_access.source ? m_access.source() : nullptr;
    if (!source)
        throw ApiError{ApiError::NotFound, QStringLiteral("no run history")};
    return *source;
}

qint64 HistoryController::runOrCurrent(std::optional<qint64> run)
{
    if (run)
        return *run;
    return m_access.currentRun ? m_access.currentRun() : 0;
}

QJsonObject HistoryController::readings(std::optional<qint64> run, qint64 fromMs, qint64 toMs, int limit)
{
    const qint64 id = runOrCurrent(run);
    QJsonArray rows;
    QJsonValue next = QJsonValue::Null;
    source().forEachReading(id, fromMs, toMs, [&](const history::Reading& reading) {
        if (rows.size() == limit) {
            next = reading.tMs;
            return false;
        }
        QJsonObject row = messages::reading(reading);
        row.remove(QStringLiteral("type"));
        rows.append(row);
        return true;
    });
    return {{QStringLiteral("run"), id}, {QStringLiteral("readings"), rows}, {QStringLiteral("next"), next}};
}

QJsonObject HistoryController::events(std::optional<qint64> run, qint64 fromMs, qint64 toMs, int limit)
{
    const qint64 id = runOrCurrent(run);
    QJsonArray rows;
    QJsonValue next = QJsonValue::Null;
    for (const history::Event& event : source().events(id, fromMs, toMs)) {
        if (rows.size() == limit) {
            next = event.tMs;
            break;
        }
        QJsonObject row = messages::event(event);
        row.remove(QStringLiteral("type"));
        rows.append(row);
    }
    return {{QStringLiteral("run"), id}, {QStringLiteral("events"), rows}, {QStringLiteral("next"), next}};
}

QJsonArray HistoryController::runs()
{
    QJsonArray list;
    for (const history::SessionInfo& s : source().sessions()) {
        list.append(QJsonObject{
            {QStringLiteral("id"), s.id},
            {QStringLiteral("started_ms"), s.startedMs},
            {QStringLiteral("ended_ms"), s.endedMs ? QJsonValue(*s.endedMs) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("last_ms"), s.lastMs},
            {QStringLiteral("readings"), s.readings},
            {QStringLiteral("panel_version"), s.appVersion},
            {QStringLiteral("port"), s.port},
        });
    }
    return list;
}

QByteArray HistoryController::readingsCsv(qint64 run)
{
    history::HistorySource& from = source();
    const auto session = history::exportcsv::pickSession(from.sessions(), run);
    if (!session || session->id != run)
        throw ApiError{ApiError::NotFound, QStringLiteral("no run %1").arg(run)};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    const qint64 end = std::numeric_limits<qint64>::max() / 4;
    history::exportcsv::writeReadings(from, session->id, session->startedMs, end, out, &error);
    return out.data();
}

void ControlController::flow(const QByteArray& body, const QString& client)
{
    const commands::NumberField value = commands::numberField(body, QStringLiteral("ml_min"));
    if (!value.value)
        throw ApiError{ApiError::BadRequest, value.error};
    const QString refused = m_pump.setFlow(*value.value, client);
    if (!refused.isEmpty())
        throw ApiError{ApiError::OutOfRange, refused};
}

void ControlController::pressureLimit(const QByteArray& body, const QString& client)
{
    const commands::NumberField value = commands::numberField(body, QStringLiteral("mpa"));
    if (!value.value)
        throw ApiError{ApiError::BadRequest, value.error};
    const QString refused = m_pump.setPressureLimit(*value.value, client);
    if (!refused.isEmpty())
        throw ApiError{ApiError::OutOfRange, refused};
}

void ControlController::acknowledge(const QString& client)
{
    if (!m_providers.acknowledge || !m_providers.acknowledge(client))
        throw ApiError{ApiError::Conflict, QStringLiteral("no alarms")};
}

}  // namespace remote
