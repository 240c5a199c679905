#pragma once

#include "link/frames.h"

#include <QCoreApplication>
#include <QString>

struct PanelState;

namespace platform {
class Dialogs;
}

// The three commands of the "设定(S)" menu: the flow set point and the
// pressure limit typed into an input box, and the pump number that the
// keypad's set-point frames address.
//
// Flow and pressure are read as numbers in the operator's locale, kept in
// `setliq` / `setpresure` (even when out of range), tested on the unrounded
// number, shown in `lqset` / `prset` and sent to pump 00, whatever pump number
// is selected. Cancel or an answer that is not a number ends a command quietly
// with nothing changed. None of them touches the keypad's entry state.
class SetPoints {
    Q_DECLARE_TR_FUNCTIONS(SetPoints)
public:
    static constexpr double kFlowMin = 1;
    static constexpr double kFlowMax = 500;
    static constexpr double kPressureMin = 0;
    static constexpr double kPressureMax = 2;
    // The frames' pump field holds two digits.
    static constexpr int kPumpMin = 0;
    static constexpr int kPumpMax = 99;

    SetPoints(PanelState& state, frames::SendFrame send, platform::Dialogs& dialogs);

    // Asks for the flow set point (1 to 500 ml/min). On success the flow box
    // shows the number as typed (plain decimal text) and "Q00L" + "0000" + "Y"
    // is sent.
    void liquid();
    // Asks for the pressure limit (0 to 2.0 MPa). On success the pressure box
    // shows the number formatted "00.0" and "Q00P" + that text + "Y" is sent.
    void pressure();
    // Asks for the pump number: a whole number (halves to even) from 0 to 99.
    // Outside that range a message box says so and the old number stays.
    // Nothing is sent.
    void Pump_NO();

    // The checks and frames of liquid() and pressure() for a number given
    // without the input box (a remote client): empty when sent, else the
    // message the dialog shows, with nothing sent and the box unchanged.
    QString setFlow(double flow, QChar decimalPoint = QLatin1Char('.'));
    QString setPressure(double pressure);

private:
    PanelState& m_state;
    frames::SendFrame m_send;
    platform::Dialogs& m_dialogs;
};
