#pragma once

#include "history/historysource.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QtGlobal>

#include <optional>

// The JSON messages the panel gives to clients outside the program: the
// status, one reading and one event. The web API answers with them, its
// WebSocket stream sends them, and a broker publisher can send the very same
// texts. Every message carries its `type` ("status", "reading", "event").
// Times are milliseconds since the Unix epoch (UTC); numbers are what the
// panel shows, null where a box holds no number.
namespace remote::messages {

// The link as the status names it.
enum class LinkState { Open, Lost, Closed };
QString linkName(LinkState link);

struct Status {
    QString port;  // the device open now, or the last one; empty when none was opened
    LinkState link = LinkState::Closed;
    std::optional<double> pressureMpa;
    std::optional<double> pressureLimitMpa;
    std::optional<double> flowMlMin;
    bool running = false;         // what the panel last commanded (run or stop)
    QJsonValue timedRun;          // null, or the timed run's state
    QJsonValue dose;              // null, or the dose's state
    QJsonValue program;           // null, or the program's state
    QJsonArray alarms;            // the active alarms
    std::optional<qint64> lastAnswerMs;  // when the last answer was accepted
    QString panelVersion;
};

// {"type":"status","port":…,"link":"open"|"lost"|"closed","pressure_mpa":…,
//  "pressure_limit_mpa":…,"flow_ml_min":…,"running":…,"timed_run":…,"dose":…,
//  "program":…,"alarms":[…],"last_answer_ms":…,"panel_version":…}
QJsonObject status(const Status& status);

// {"type":"reading","t_ms":…,"pump":…,"letter":"N","value":"0012",
//  "pressure_mpa":…,"flow_ml_min":…,"pressure_limit_mpa":…}
QJsonObject reading(const history::Reading& reading);

// {"type":"event","t_ms":…,"kind":"command","detail":"Q00R0000Y","source":"remote"}
// `source` is null when the event has none.
QJsonObject event(const history::Event& event);

// The state of a timed run for the status: null when its display is hidden
// (none started, or ended), else {"state":"counting"|"paused"|"ended",
// "elapsed_s":…,"duration_min":…} ("ended": stopped at the end of its time).
QJsonValue timedRun(bool counting, bool shown, qint64 elapsedS, double durationMin);

// One message as the stream sends it: compact JSON text.
QByteArray text(const QJsonObject& message);

}  // namespace remote::messages
