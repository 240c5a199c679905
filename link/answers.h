#pragma once

#include "link/panelstate.h"

#include <QByteArray>

// What one accepted answer did to the panel.
struct AnswerOutcome {
    // The cursor at which this answer's reading is drawn (before it advanced).
    int cursor = 0;
    // True when `pnow` held a number and it was stored as the reading.
    bool stored = false;
    double reading = 0;
    // True when this answer completed a sweep: the cursor went back to 0 and
    // the chart is cleared.
    bool wrapped = false;
};

// Applies one accepted nine-character answer ("Q" first, "Y" ninth) to the
// panel: the letter picks the value box ("N" pnow, "P" prset with its point
// put back at the third place, "L" lqset; any other letter no box), then the
// text `pnow` shows becomes the next reading when it is a number, and the
// chart cursor advances, wrapping after 100 answers.
AnswerOutcome applyAnswer(PanelState& state, const QByteArray& frame);

// The pump stops itself when the pressure reaches its limit; a limit of 0
// stops nothing. NaN for either is never at the limit.
inline bool reachesLimit(double pressure, double limit)
{
    return limit > 0 && pressure >= limit;
}
