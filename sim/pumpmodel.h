#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <random>

namespace pumpsim {

// A metering pump as the panel sees it over the line: a flow set point, a
// pressure limit, running or stopped, and the pressure at its outlet.
//
// While running, the pressure approaches a value proportional to the flow
// (kPressurePerFlow) with a first-order lag; when stopped it falls back towards
// zero. When the pressure reaches the limit the pump stops itself. Reported
// pressures carry a little noise while the pump runs. Everything random comes
// from the seed, so a model run is repeatable.
//
// Commands are nine-character frames "Q", pump number, letter, value, "Y";
// every pump number is served and echoed back in the answer:
//   F (status)        -> "Q<nn>N<pp.p>Y", the current pressure
//   R (run), S (stop) -> the same pressure answer, after starting/stopping
//   L (flow)          -> "Q<nn>L<vvvv>Y", the flow set point now held
//   P (limit)         -> "Q<nn>P<pp.p>Y", the pressure limit now held
// A set point that is not a number or lies outside what the pump can do is
// refused: the old one stays, and the answer shows it.
class PumpModel {
public:
    static constexpr double kMaxFlow = 500.0;           // ml/min
    static constexpr double kMaxPressureLimit = 2.0;    // MPa
    static constexpr double kPressurePerFlow = 0.005;   // MPa per ml/min, steady state
    static constexpr double kRiseTimeConstant = 3.0;    // s, while running
    static constexpr double kFallTimeConstant = 2.0;    // s, once stopped
    static constexpr double kDefaultNoise = 0.02;       // MPa, +- on reported pressure
    static constexpr double kStartPressureLimit = 2.0;  // MPa at power-on

    explicit PumpModel(quint32 seed = 1);

    double flow() const { return m_flow; }
    double pressureLimit() const { return m_limit; }
    bool isRunning() const { return m_running; }
    // The outlet pressure without noise.
    double pressure() const { return m_pressure; }
    // Where the pressure settles while running at the current flow.
    double targetPressure() const { return m_flow * kPressurePerFlow; }

    // Set points, clamped to what the pump can do.
    void setFlow(double mlPerMin);
    void setPressureLimit(double mpa);
    void run();
    void stop();
    // Amplitude of the uniform noise on reported pressures (0 turns it off).
    void setNoise(double amplitude) { m_noise = amplitude; }

    // Lets `seconds` of pump time pass. The lag is integrated exactly, so the
    // result does not depend on how time is cut into steps; reaching the limit
    // stops the pump at the moment it happens.
    void advance(double seconds);

    // The pressure as the pump reports it now: noise added while running,
    // never below zero.
    double reportedPressure();

    // Handles one command frame and returns the answer, or nothing for a frame
    // the pump does not understand (wrong shape, pump number not two digits,
    // unknown letter).
    QByteArray answer(const QByteArray& frame);

private:
    void stopAtLimit();

    double m_flow = 0.0;
    double m_limit = kStartPressureLimit;
    bool m_running = false;
    double m_pressure = 0.0;
    double m_noise = kDefaultNoise;
    std::mt19937 m_random;
};

}  // namespace pumpsim
