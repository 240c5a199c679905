#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

// A program of steps: what each step holds, the checks of its values (the
// same ranges as the set-point dialogs), its totals, and its CSV file.
//
// The file is UTF-8 (a byte-order mark is allowed), with lines ending in LF
// or CRLF, "." as the decimal point and no quoting:
//
//   duration_s,flow_ml_min,pressure_limit_mpa,change
//   120,100,1.5,step
//   60,160,,ramp
//
// A file with any fault is refused whole, with the first faulty line and why.
namespace program {

enum class Change { Step, Ramp };

struct Step {
    qint64 durationMs = 0;
    double flow = 0;                  // ml/min
    std::optional<double> pressure;   // MPa; none leaves the limit as it is
    Change change = Change::Step;

    bool operator==(const Step& o) const
    {
        return durationMs == o.durationMs && flow == o.flow && pressure == o.pressure && change == o.change;
    }
};
using Steps = QList<Step>;

inline constexpr double kFlowMin = 1;
inline constexpr double kFlowMax = 500;
inline constexpr double kPressureMin = 0;
inline constexpr double kPressureMax = 2;
// A step lasts at most 100 hours; a program holds at most 1000 steps.
inline constexpr qint64 kMaxStepMs = 100LL * 3600 * 1000;
inline constexpr int kMaxSteps = 1000;

inline const QByteArray kHeader = QByteArrayLiteral("duration_s,flow_ml_min,pressure_limit_mpa,change");

// The columns of a step, in the file's order.
enum Column { DurationColumn, FlowColumn, PressureColumn, ChangeColumn, kColumns };

// Reads one value into `step`. Durations are seconds ("90", "2.5") or
// minutes and seconds ("1:30"); flow and pressure are numbers in `locale`
// ("." is always understood) and the pressure may be empty; the change is
// "step" or "ramp". On a fault returns false and says why in *reason.
bool readCell(Column column, const QString& text, Step& step, QString* reason,
              const QLocale& locale = QLocale::c());
// A ramp starts from the step before it, so the first step cannot be one.
// The reason why step `index` cannot stand where it is, or empty.
QString placeFault(const Steps& steps, int index);

// Sum of the durations.
qint64 totalMs(const Steps& steps);
// The planned flow `atMs` into the program (the ramps linear).
double flowAt(const Steps& steps, qint64 atMs);
// The integral of the planned flow, in ml.
double plannedVolumeMl(const Steps& steps);

// A value as the file and the table write it: "." and at most three decimals.
QString numberText(double value);
// "0:05", "12:30", "1:02:03".
QString clockText(qint64 ms);

struct ParseError {
    int line = 0;  // 1 is the header
    QString reason;
};

// Reads a whole program file; nothing on any fault, with *error set.
std::optional<Steps> parse(const QByteArray& bytes, ParseError* error);
// The program as a file that parse() reads back to the same steps.
QByteArray toCsv(const Steps& steps);

}  // namespace program
