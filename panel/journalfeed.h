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
// answer with the pressure and the set points the pump has as numbers, and the events with their details
// and where a command came from. The panel knows nothing of the journal; the
// window makes this when it is given one.
//
// Details, as the `detail` column holds them:
//   port_opened, port_closed      the device ("COM4", "/dev/ttyUSB0", "sim")
//   port_open_failed, port_lost   "device: reason"
//   command                       the frame ("Q00R0000Y"), or
//                                 "dropped, no port open: Q00R0000Y", or a
//                                 kept stop another device did not get:
//                                 "kept for COM4, not sent to sim: Q00S0000Y";
//                                 from a remote client ", client 10.0.0.5"
//                                 follows (flow_set and pressure_set too)
//   flow_set, pressure_set        "before → after", the box's text of a frame
//                                 written to the port ("0150 → 200"); before
//                                 is the pump's last known set point, "?"
//                                 when none is known
//   pump_number_set, timed_set    "before → after", the number (minutes for timed_set)
//   timed_start, timed_auto_stop  the duration set ("30 min")
//   timed_pause, timed_continue,
//   timed_end                     the seconds counted so far ("125 s")
//   record_saved                  the record file's path
//   record_save_failed            "path: reason"
//   printed                       the copies printed ("2 copies")
//   csv_log_on, csv_log_off       the log file's path; when a failed write
//                                 switched it off, the message shown
//   dose_started                  "2 ml at 120 ml/min"
//   program_started               "file name, 2 steps, 0:05"
//   program_step                  "2: 3 s, 160 ml/min, ramp, limit 1.5 MPa"
//   program_paused,
//   program_resumed               the reason, "dose, " first for a delivery
//   dose_ended, program_ended     "reason, volume ml" (done, operator, alarm, link)
//   alarm_raised                  the alarm's key, its value and threshold when it
//                                 has them ("high_pressure 2.13 MPa, threshold 2.00 MPa")
//   alarm_acknowledged,
//   alarm_cleared                 the alarm's key (acknowledged: with its source)
//   alarm_silenced                how long ("120 s")
//   alarm_stop                    "key Q00S0000Y", or "key not delivered"
//   alarm_command_failed          "key: reason"
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
    void followProgram();

    Panel& m_panel;
    history::Journal& m_journal;
    bool m_linkLost = false;
};
