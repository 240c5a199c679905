#pragma once

#include "fakes/fakealerts.h"
#include "fakes/fakedialogs.h"
#include "fakes/fakelogfiles.h"
#include "fakes/fakeprinter.h"
#include "fakes/fakerecordstore.h"
#include "fakes/fakeserialport.h"
#include "fakes/fakesettings.h"
#include "platform/services.h"

// Every outside thing a panel needs, faked: scripted dialogs, fake ports
// (each one made is kept in `ports`; `port` is the newest), a clock the test
// steps, the record file in memory, a counting printer, the CSV log's folder
// in memory, a local time the test sets, a scripted list of ports and the
// settings file in memory, and the alarms' tone, attention and command.
struct FakeServices {
    FakeDialogs dialogs;
    FakeRecordStore store;
    FakePrinter printer;
    FakeLogFiles logFiles;
    FakeSettings settings;
    FakeAlarmSound alarmSound;
    FakeAttention attention;
    FakeLauncher launcher;
    QList<FakeSerialPort*> ports;
    FakeSerialPort* port = nullptr;
    QString refuseOpen;  // non-empty: the next ports refuse to open, saying this
    qint64 now = 0;
    QDateTime localNow{QDate(2024, 5, 1), QTime(14, 3, 22, 125), Qt::OffsetFromUTC, 8 * 3600};
    QList<platform::PortListing> portList;  // the ports the system is said to report

    // The services for a Panel or Form1; `dialogs` may stand in for the fake
    // dialogs above.
    platform::Services services(platform::Dialogs* otherDialogs = nullptr)
    {
        platform::Services made{otherDialogs ? *otherDialogs : dialogs,
                                  [this](const QString&) -> std::unique_ptr<platform::SerialPort> {
                                      auto made = std::make_unique<FakeSerialPort>();
                                      if (!refuseOpen.isEmpty())
                                          made->refuseOpen(refuseOpen);
                                      ports << made.get();
                                      port = made.get();
                                      return made;
                                  },
                                  [this] { return now; }, store, printer, logFiles,
                                  [this] { return localNow; }, [this] { return portList; }, &settings};
        made.alarmSound = &alarmSound;
        made.attention = &attention;
        made.launcher = &launcher;
        return made;
    }

    // Every device name a port was asked to open, in order.
    QStringList openedDevices() const
    {
        QStringList out;
        for (const FakeSerialPort* p : ports)
            out += p->openedDevices;
        return out;
    }
};
