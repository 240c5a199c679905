#pragma once

#include <QObject>

class Panel;

namespace history {
class Journal;
}
namespace platform {
class Dialogs;
}

// Hands what the panel does to the run history's journal: every accepted
// answer with the three boxes as numbers, and the events with their details
// and where a command came from. The panel knows nothing of the journal; the
// window makes this when it is given one.
//
// Details, as the `detail` column holds them:
//   port_opened, port_closed      the device ("COM4", "/dev/ttyUSB0", "sim")
//   port_open_failed, port_lost   "device: reason"
//   command                       the frame ("Q00R0000Y"), or
//                                 "dropped, no port open: Q00R0000Y"; from a
//                                 remote client ", client 10.0.0.5" follows
//                                 (flow_set and pressure_set too)
//   flow_set, pressure_set        "before → after", the box's text ("0150 → 200")
//   pump_number_set, timed_set    "before → after", the number (minutes for timed_set)
//   timed_start, timed_auto_stop  the duration set ("30 min")
//   timed_pause, timed_continue,
//   timed_end                     the seconds counted so far ("125 s")
//   record_saved                  the record file's path
//   record_save_failed            "path: reason"
//   printed                       the copies printed ("2 copies")
//   csv_log_on, csv_log_off       the log file's path; when a failed write
//                                 switched it off, the message shown
//   broker_connected              the broker ("host:1883")
//   broker_disconnected           the reason
//   link_lost, link_restored,
//   app_exit                      nothing
// A command or set point from the MQTT broker ends in " (client id)" when
// the command named one.
class JournalFeed : public QObject {
    Q_OBJECT
public:
    // Failures of the journal are told through `dialogs`, never from inside
    // the handling of an answer.
    JournalFeed(Panel& panel, history::Journal& journal, platform::Dialogs& dialogs, QObject* parent = nullptr);

private:
    void followLink();

    Panel& m_panel;
    history::Journal& m_journal;
    bool m_linkLost = false;
};
