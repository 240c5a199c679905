#pragma once

#include "platform/clock.h"
#include "platform/portlister.h"
#include "platform/serialport.h"
#include "sim/commandframer.h"
#include "sim/pumpmodel.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>

class QTimer;

namespace pumpsim {

// The device name that selects the simulated pump at the port prompt.
inline constexpr char kSimDeviceName[] = "sim";

// True for the simulated pump's device name (blanks and case do not matter).
bool isSimulatedDevice(const QString& device);

// A pump inside the program, behind the same serial port interface as a real
// line. Frames written to it reach the pump model after the time nine
// characters take at 9600 baud, and its answer is readable (and received() is
// emitted) after the answer's own wire time, so a command is answered about
// 19 ms after it was written. Frames written back to back queue on the line as
// they would on a real one.
//
// Time comes from the clock given at construction: the program uses the steady
// clock and a timer that calls deliverDue() when the next answer is due; tests
// step their own clock and call deliverDue() themselves.
class SimSerialPort : public platform::SerialPort {
    Q_OBJECT
public:
    explicit SimSerialPort(platform::Clock clock = platform::steadyClock(), quint32 seed = 1,
                           QObject* parent = nullptr);
    ~SimSerialPort() override;

    // Succeeds for the device name "sim" only.
    bool open(const QString& device) override;
    // Drops answers still on their way and bytes not yet read.
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    QString errorString() const override { return m_error; }

    // Makes every answer whose wire time has passed readable; emits received()
    // once if it made any. Also lets the pump's time catch up with the clock.
    void deliverDue();

    PumpModel& model() { return m_model; }
    // Answers made readable since construction.
    qint64 answersDelivered() const { return m_answersDelivered; }

private:
    struct Pending {
        double dueMs;
        QByteArray bytes;
    };

    void advanceModelTo(double ms);
    void scheduleDelivery();

    platform::Clock m_clock;
    PumpModel m_model;
    CommandFramer m_framer;
    QTimer* m_deliveryTimer = nullptr;
    std::deque<Pending> m_pending;
    QByteArray m_waiting;
    QString m_error;
    bool m_open = false;
    double m_modelMs = 0.0;         // how far the pump's time has run
    double m_commandLineFreeMs = 0.0;  // when the line to the pump is idle again
    double m_answerLineFreeMs = 0.0;   // when the line from the pump is idle again
    qint64 m_answersDelivered = 0;
};

// A simulated pump port on the steady clock.
std::unique_ptr<platform::SerialPort> makeSimulatedPort(QObject* parent = nullptr);

// Wraps the maker of real ports so that the device name "sim" gives the
// simulated pump and every other name goes to `realPorts`.
platform::PortMaker withSimulatedPump(platform::PortMaker realPorts);

// Puts the simulated pump first among the ports `realPorts` lists.
platform::PortLister withSimulatedPumpListed(platform::PortLister realPorts);

}  // namespace pumpsim
