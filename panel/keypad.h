#pragma once

#include "link/frames.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

struct PanelState;

namespace platform {
class Dialogs;
}

// The on-screen keypad: sixteen keys that enter the flow set point or the
// pressure limit digit by digit, and start or stop the pump.
//
// A state machine over the panel's own variables: idle (lq = 0, pr = 0), flow
// entry (lq = 1) and pressure entry (pr = 1). The flow box `lqset` and the
// pressure box `prset` are the entry buffers; the digits appear there as they
// are typed. A flow entry is three digits (000 to 500 accepted); a pressure
// entry is three digits with the point put in after the second (00.0 to 02.0
// accepted). A completed entry is sent as a set-point frame that carries the
// selected pump number `Set_Pump_NO`; its body is kept in `setliqstr`.
//
// A pump answer or a dialog may rewrite a box while an entry is in progress.
// The keypad remembers what the operator has typed so far; at the next press
// of L, P or a digit, a box that no longer holds exactly that ends the entry
// without sending anything or showing a message. The box keeps the new value,
// the digit is not typed, and the next L or P starts a new entry. So a
// completed entry is always the operator's own digits.
//
// Keys are accepted at any time; nothing is disabled. Each method runs one key
// press to completion. The caller refreshes the window from PanelState after
// each press (and before a message box, through boxesChanged).
class Keypad {
    Q_DECLARE_TR_FUNCTIONS(Keypad)
public:
    // Entry lengths: a flow entry ends at three characters; a pressure entry
    // gets its point at two characters and ends at four.
    static constexpr int kFlowLength = 3;
    static constexpr int kPressurePointAt = 2;
    static constexpr int kPressureLength = 4;
    // Accepted ranges of a completed entry.
    static constexpr double kFlowMax = 500;
    static constexpr double kPressureMax = 2;

    Keypad(PanelState& state, frames::SendFrame send, platform::Dialogs& dialogs);

    // Called whenever a key press changes a box text, before any message box
    // of that press, so the window can show the rejected text behind it.
    void setBoxesChanged(std::function<void()> boxesChanged);

    // The 0 key and the up and down arrow keys share this action; each of them
    // types a 0. The member index is not used.
    void Cmd0(int index);
    void Cmd1() { digit(1); }
    void Cmd2() { digit(2); }
    void Cmd3() { digit(3); }
    void Cmd4() { digit(4); }
    void Cmd5() { digit(5); }
    void Cmd6() { digit(6); }
    void Cmd7() { digit(7); }
    void Cmd8() { digit(8); }
    void Cmd9() { digit(9); }
    // L: in the idle state, clears the flow box and starts a flow entry.
    void Cmdl();
    // P: in the idle state, clears the pressure box and starts a pressure entry.
    void Cmdp();
    // RUN and STOP: send the run or stop frame (always pump 00) in any state,
    // leaving the entry and the boxes as they are.
    void Cmdr();
    void Cmds();

    // Types digit d (0 to 9): appends it to the buffer of the entry in
    // progress and ends the entry once the buffer is long enough.
    void digit(int d);

    // True while the flow (pressure) box holds digits the operator is still
    // typing, not a set point: an entry is in progress and nothing has
    // rewritten its box since.
    bool typingFlow() const;
    bool typingPressure() const;
    // True while the flow (pressure) box still holds a completed entry that
    // was refused and so never sent: the box keeps the refused text until
    // something else is written into it.
    bool refusedFlow() const;
    bool refusedPressure() const;

private:
    void completeFlow();
    void completePressure();
    void notifyBoxes();
    // Ends an entry whose box was rewritten since its last key press.
    void dropOverwrittenEntry();

    PanelState& m_state;
    frames::SendFrame m_send;
    platform::Dialogs& m_dialogs;
    std::function<void()> m_boxesChanged;
    // The text the entry in progress has put into its box.
    QString m_typed;
    // The text of the last refused entry of each box; null when none.
    QString m_refusedFlow;
    QString m_refusedPressure;
};
