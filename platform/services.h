#pragma once

#include "platform/alerts.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/logfiles.h"
#include "platform/mqttclient.h"
#include "platform/portlister.h"
#include "platform/printer.h"
#include "platform/recordstore.h"
#include "platform/serialport.h"
#include "platform/settings.h"

namespace platform {

// Everything the panel reaches outside itself: dialogs, serial ports, the
// clock, the record file, the printer, and the CSV log's files with the local
// time for its time stamps; and the list of ports the port prompt offers
// (none when not set); and the settings file (none when not set: every
// setting at its default); and connections to an MQTT broker. The program
// hands in the real ones; tests hand in scripted fakes. The objects must
// outlive the panel.
struct Services {
    Dialogs& dialogs;
    PortMaker makePort;
    Clock clock;
    RecordStore& recordStore;
    Printer& printer;
    LogFiles& logFiles;
    WallClock wallClock;
    PortLister listPorts = {};
    Settings* settings = nullptr;
    // The alarms' tone, call for attention and outside command (none: silent,
    // nothing called, nothing run).
    AlarmSound* alarmSound = nullptr;
    Attention* attention = nullptr;
    Launcher* launcher = nullptr;
    // Connections to an MQTT broker; none: the panel has no MQTT at all.
    MqttMaker makeMqtt = {};
};

}  // namespace platform
