#pragma once

#include "remote/pumpcontrol.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

namespace history {
class HistorySource;
}

// What the web API does, without HTTP: each action a plain method that
// returns its answer or throws an ApiError, which the server alone turns
// into a status code.
namespace remote {

struct ApiError {
    enum Kind { BadRequest, Unauthorized, Forbidden, NotFound, Conflict, TooLarge, OutOfRange, TooMany };
    Kind kind;
    QString message;
};

// Parts of the status given apart from the pump side's own: each returns
// its JSON (the alarms an array, dose and program null when idle). Unset:
// the pump side's status stands.
struct StatusProviders {
    std::function<QJsonValue()> alarms;
    std::function<QJsonValue()> dose;
    std::function<QJsonValue()> program;
    // Acknowledges the active alarms for `client`; false when there were none.
    std::function<bool(const QString& client)> acknowledge;
};

class StatusController {
public:
    StatusController(const PumpControl& pump, const StatusProviders& providers) : m_pump(pump), m_providers(providers) {}
    QJsonObject status() const;

private:
    const PumpControl& m_pump;
    const StatusProviders& m_providers;
};

// The run history: where it is read from, and the run being written now.
struct HistoryAccess {
    std::function<history::HistorySource*()> source;  // null when there is no history
    std::function<qint64()> currentRun;
};

class HistoryController {
public:
    static constexpr int kMaxRows = 100000;

    explicit HistoryController(HistoryAccess access) : m_access(std::move(access)) {}
    // {"run":…,"readings":[…],"next":MS|null}: rows with from ≤ t ≤ to; `next`
    // is the `from` that continues after the last row given.
    QJsonObject readings(std::optional<qint64> run, qint64 fromMs, qint64 toMs, int limit = kMaxRows);
    QJsonObject events(std::optional<qint64> run, qint64 fromMs, qint64 toMs, int limit = kMaxRows);
    QJsonArray runs();
    // The run's readings as the history program's CSV export writes them.
    QByteArray readingsCsv(qint64 run);

private:
    history::HistorySource& source();
    qint64 runOrCurrent(std::optional<qint64> run);

    HistoryAccess m_access;
};

class ControlController {
public:
    ControlController(PumpControl& pump, const StatusProviders& providers) : m_pump(pump), m_providers(providers) {}
    void run(const QString& client) { m_pump.run(client); }
    void stop(const QString& client) { m_pump.stop(client); }
    // {"ml_min": …} and {"mpa": …}.
    void flow(const QByteArray& body, const QString& client);
    void pressureLimit(const QByteArray& body, const QString& client);
    void acknowledge(const QString& client);

private:
    PumpControl& m_pump;
    const StatusProviders& m_providers;
};

}  // namespace remote
