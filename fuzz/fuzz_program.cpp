// The program file reader under arbitrary bytes, and the engine on what it
// accepts.
//
// Invariants:
//  - a file gives steps or a refusal naming a line (1 to one past the last)
//    and a reason, never both;
//  - accepted steps are 1 to 1000, each within the ranges, the first not a
//    ramp; written out and read again they are the same steps;
//  - run (when it lasts at most ten minutes), the engine sends only
//    well-formed frames, the run frame once, ends on its time with the stop
//    frame, and counts a volume near the planned one.
#include "fuzzcheck.h"
#include "timedrun/program.h"
#include "timedrun/programfile.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdint>

namespace {

FUZZ_UNGUIDED void checkSteps(const program::Steps& steps, const QByteArray& input)
{
    FUZZ_CHECK(!steps.isEmpty() && steps.size() <= program::kMaxSteps, input);
    for (const program::Step& s : steps) {
        FUZZ_CHECK(s.durationMs > 0 && s.durationMs <= program::kMaxStepMs, input);
        FUZZ_CHECK(s.flow >= program::kFlowMin && s.flow <= program::kFlowMax, input);
        FUZZ_CHECK(!s.pressure || (*s.pressure >= program::kPressureMin && *s.pressure <= program::kPressureMax), input);
    }
    FUZZ_CHECK(steps.first().change == program::Change::Step, input);
    program::ParseError error;
    FUZZ_CHECK(program::parse(program::toCsv(steps), &error) == steps, program::toCsv(steps));
}

FUZZ_UNGUIDED void checkRun(const program::Steps& steps, const QByteArray& input)
{
    const qint64 total = program::totalMs(steps);
    if (total > 10 * 60 * 1000)
        return;
    static const QRegularExpression frame(QStringLiteral("^Q00(L0([0-4][0-9][0-9]|500)|P[0-9][0-9]\\.[0-9]|R0000|S0000)Y$"));
    qint64 now = 0;
    QStringList sent;
    ProgramRun run([&](const QString& f) { sent << f; }, [&] { return now; });
    run.start(steps, false);
    while (run.state() == ProgramRun::State::Running) {
        now += run.timer().interval();
        run.tick();
        FUZZ_CHECK(now <= total + ProgramRun::kDisplayMs, input);
    }
    for (const QString& f : sent)
        FUZZ_CHECK(frame.match(f).hasMatch(), f);
    FUZZ_CHECK(sent.count(frames::kRun) == 1 && sent.last() == frames::kStop, sent.join(QLatin1Char(' ')));
    FUZZ_CHECK(run.elapsedMs() == total && now <= total, input);
    // Whole numbers and ramp frames 1.5 s apart keep the count near the plan.
    const double slack = steps.size() * 500 * 1.5 / 60 + total / 60000.0 + 1e-6;
    FUZZ_CHECK(std::abs(run.volumeMl() - program::plannedVolumeMl(steps)) <= slack, input);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzcheck::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    program::ParseError error;
    const auto steps = program::parse(input, &error);
    if (!steps) {
        FUZZ_CHECK(error.line >= 1 && error.line <= input.count('\n') + 2 && !error.reason.isEmpty(), input);
        return 0;
    }
    checkSteps(*steps, input);
    checkRun(*steps, input);
    return 0;
}
