#include "link/answers.h"

#include "link/numbers.h"

namespace {
constexpr int kSweepLength = 100;
}

AnswerOutcome applyAnswer(PanelState& state, const QByteArray& frame)
{
    Q_ASSERT(frame.size() >= 9);
    // Value characters are shown as they came; anything not ASCII is shown
    // byte for byte rather than rejected.
    const QString value = QString::fromLatin1(frame.mid(4, 4));
    switch (frame.at(3)) {
    case 'N':
        state.pnow = value;
        break;
    case 'P':
        // The pressure limit's point always sits at the third place, whatever
        // the pump sent there.
        state.prset = value.left(2) + QLatin1Char('.') + value.mid(3, 1);
        break;
    case 'L':
        state.lqset = value;
        break;
    default:
        break;
    }

    AnswerOutcome outcome;
    outcome.cursor = state.itime;
    if (const auto reading = numbers::toDouble(state.pnow)) {
        state.prtrend[state.itime + 1] = *reading;
        outcome.stored = true;
        outcome.reading = *reading;
    }
    state.itime += 1;
    if (state.itime >= kSweepLength) {
        state.itime = 0;
        outcome.wrapped = true;
    }
    return outcome;
}
