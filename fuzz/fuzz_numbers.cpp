// Every text-to-number conversion and number-to-text pattern under arbitrary
// input: the conversions themselves, the dialogs that read set points, the
// pump number and the run's duration from typed text, the port answer, and
// the frames built from the numbers.
//
// Input: the whole of it as text (UTF-8 and Latin-1); its first ten bytes also
// as a double with a digit pattern's shape.
//
// Invariants:
//  - a text converts to a finite number or to nothing, in every locale;
//  - toInt16 is the number rounded half to even, or nothing out of range;
//  - a pattern's text has its shape (sign, at least the minimum of integer
//    digits with no needless leading zero, exactly the decimals), reads back
//    within half a unit of its last place, is symmetric in the sign, and is
//    the same for the number read back from the general text;
//  - the general text has its shape (at most 15 significant digits, no
//    trailing zeros, exponent form exactly outside 1E-04..1E+15), reads back
//    to the number within 15 digits, and is its own fixed point;
//  - a dialog keeps a value only when it is a number in range, shows the box
//    text the patterns give and sends a well-formed frame; a duration it keeps
//    is finite in seconds; a port answer gives a single word or nothing.
#include "fakes/fakedialogs.h"
#include "fuzzcheck.h"
#include "link/frames.h"
#include "link/numbers.h"
#include "link/portnames.h"
#include "link/panelstate.h"
#include "panel/setpoints.h"
#include "timedrun/timedrun.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

const QList<QLocale>& locales()
{
    static const QList<QLocale> all = {
        QLocale::c(),
        QLocale(QLocale::German, QLocale::Germany),          // "," point, "." groups
        QLocale(QLocale::French, QLocale::France),           // "," point, narrow space groups
        QLocale(QLocale::Chinese, QLocale::China),
        QLocale(QLocale::Arabic, QLocale::Egypt),            // its own digits and point
        QLocale(QLocale::English, QLocale::UnitedStates),
    };
    return all;
}

QString describeValue(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return QString::fromLatin1(buffer);
}

// Up to this magnitude the 15-digit text is still a double. Above it the text
// may round up past the largest double and then reads back as no number.
constexpr double kLargest15Digits = 1.79769313486231e308;

bool fitsIn15Digits(double value)
{
    return std::fabs(value) <= kLargest15Digits;
}

double readBack(const QString& text)
{
    const auto value = numbers::toDouble(text, QLocale::c());
    FUZZ_CHECK(value.has_value(), text);
    return *value;
}

// A digit pattern's text for a finite value.
void checkPattern(double value, int minIntDigits, int decimals)
{
    const QString text = numbers::formatPattern(value, minIntDigits, decimals);
    const QString what = QStringLiteral("%1 (%2,%3) -> %4").arg(describeValue(value)).arg(minIntDigits).arg(decimals).arg(text);

    static const QRegularExpression shape(QStringLiteral("^(-?)([0-9]+)(?:\\.([0-9]+))?$"));
    const auto m = shape.match(text);
    FUZZ_CHECK(m.hasMatch(), what);
    const QString intPart = m.captured(2);
    FUZZ_CHECK(intPart.size() >= qMax(1, minIntDigits), what);
    FUZZ_CHECK(intPart.size() <= qMax(1, minIntDigits) || intPart.front() != QLatin1Char('0'), what);
    FUZZ_CHECK(m.captured(3).size() == decimals && text.contains(QLatin1Char('.')) == (decimals > 0), what);

    const auto read = numbers::toDouble(text, QLocale::c());
    if (!read) {
        // Only a text rounded up past the largest double reads as no number.
        FUZZ_CHECK(!fitsIn15Digits(value), what);
        return;
    }
    const double back = *read;
    const double unit = std::pow(10.0, -decimals);
    FUZZ_CHECK(std::fabs(back - value) <= 0.5 * unit * (1 + 1e-9) + std::fabs(value) * 1e-14, what);
    // The sign only adds a minus in front, and never to a text of zeros.
    const bool zeros = std::none_of(text.cbegin(), text.cend(),
                                    [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
    FUZZ_CHECK(!(zeros && m.captured(1) == QLatin1String("-")), what);
    const QString mirrored = numbers::formatPattern(-value, minIntDigits, decimals);
    if (zeros)
        FUZZ_CHECK(mirrored == text, what + QStringLiteral(" / ") + mirrored);
    else if (value < 0)
        FUZZ_CHECK(QLatin1Char('-') + mirrored == text, what + QStringLiteral(" / ") + mirrored);
    else
        FUZZ_CHECK(mirrored == QLatin1Char('-') + text, what + QStringLiteral(" / ") + mirrored);
}

// The general text for a finite value, with "." and with ",".
void checkGeneral(double value)
{
    const QString text = numbers::generalText(value);
    const QString what = describeValue(value) + QStringLiteral(" -> ") + text;
    static const QRegularExpression shape(
        QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?(E[+-]([0-9]{2,3}))?$"));
    const auto m = shape.match(text);
    FUZZ_CHECK(m.hasMatch(), what);
    // Significant digits: those of the mantissa, without leading zeros.
    QString digits = text.left(text.indexOf(QLatin1Char('E')));
    digits.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    FUZZ_CHECK(digits.size() <= 15, what);
    if (m.hasCaptured(3)) {
        FUZZ_CHECK(m.captured(1).size() == 1 && m.captured(1) != QLatin1String("0"), what);
        const int exponent = (text.contains(QLatin1String("E-")) ? -1 : 1) * m.captured(4).toInt();
        FUZZ_CHECK(exponent >= 15 || exponent < -4, what);
    }
    const auto read = numbers::toDouble(text, QLocale::c());
    if (!read) {
        FUZZ_CHECK(!fitsIn15Digits(value), what);
        return;
    }
    const double back = *read;
    if (!m.hasCaptured(3) && value != 0)
        FUZZ_CHECK(std::fabs(back) >= 1e-4 && std::fabs(back) < 1e15, what);

    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 1e-14, what);
    FUZZ_CHECK(numbers::generalText(back) == text, what);
    FUZZ_CHECK(numbers::generalText(value, QLatin1Char(',')) == QString(text).replace(QLatin1Char('.'), QLatin1Char(',')),
               what);
    for (const auto& [minInt, decimals] : {std::pair{2, 0}, std::pair{4, 0}, std::pair{2, 1}})
        FUZZ_CHECK(numbers::formatPattern(back, minInt, decimals) == numbers::formatPattern(value, minInt, decimals),
                   what);
}

void checkNumber(double value, int minIntDigits, int decimals)
{
    if (!std::isfinite(value)) {
        FUZZ_CHECK(numbers::formatPattern(value, minIntDigits, decimals).isEmpty(), describeValue(value));
        FUZZ_CHECK(numbers::generalText(value).isEmpty(), describeValue(value));
        return;
    }
    checkPattern(value, minIntDigits, decimals);
    checkPattern(value, 2, 0);
    checkPattern(value, 4, 0);
    checkPattern(value, 2, 1);
    checkGeneral(value);
}

void checkText(const QString& text)
{
    for (const QLocale& locale : locales()) {
        const auto value = numbers::toDouble(text, locale);
        if (!value)
            continue;
        FUZZ_CHECK(std::isfinite(*value), text);
        checkNumber(*value, 2, 1);
        const auto whole = numbers::toInt16(text, locale);
        const double rounded = std::nearbyint(*value);
        if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max()) {
            FUZZ_CHECK(!whole, text);
            continue;
        }
        FUZZ_CHECK(whole.has_value(), text);
        const double off = std::fabs(*value - *whole);
        FUZZ_CHECK(off < 0.5 || (off == 0.5 && *whole % 2 == 0), text);
    }
    // Without a number anywhere, the whole-number reading has none either.
    bool anyLocale = false;
    for (const QLocale& locale : locales())
        anyLocale = anyLocale || numbers::toDouble(text, locale).has_value();
    if (!anyLocale)
        for (const QLocale& locale : locales())
            FUZZ_CHECK(!numbers::toInt16(text, locale), text);

    if (const auto device = deviceForAnswer(text)) {
        FUZZ_CHECK(!device->isEmpty(), text);
        FUZZ_CHECK(std::none_of(device->cbegin(), device->cend(), [](QChar c) { return c.isSpace(); }), text);
    }
}

void checkFrame(const QString& frame, QChar letter)
{
    FUZZ_CHECK(frame.size() == 9 && frame.startsWith(QLatin1String("Q00")) && frame.at(3) == letter
                   && frame.endsWith(QLatin1Char('Y')),
               frame);
}

// The dialogs that read typed text, with the locale the system would use.
void checkDialogs(const QString& text, const QLocale& locale)
{
    QLocale::setDefault(locale);
    const auto value = numbers::toDouble(text, locale);

    FakeDialogs dialogs;
    PanelState state;
    QStringList sent;
    SetPoints setPoints(state, [&](const QString& frame) { sent << frame; }, dialogs);

    dialogs.answer(text);
    setPoints.liquid();
    if (value && *value >= SetPoints::kFlowMin && *value <= SetPoints::kFlowMax) {
        FUZZ_CHECK(sent.size() == 1 && dialogs.messages.isEmpty(), text);
        checkFrame(sent.last(), QLatin1Char('L'));
        FUZZ_CHECK(sent.last() == frames::flowDialogFrame(*value), text);
        FUZZ_CHECK(state.lqset == numbers::generalText(*value, locale.decimalPoint().at(0)), text);
        const double field = readBack(sent.last().mid(4, 4));
        FUZZ_CHECK(field >= 1 && field <= 500 && std::fabs(field - *value) <= 0.5, text);
    } else {
        FUZZ_CHECK(sent.isEmpty() && state.lqset == QLatin1String("0000"), text);
        FUZZ_CHECK(dialogs.messages.size() == (value ? 1 : 0), text);
    }
    FUZZ_CHECK(state.setliq == value.value_or(0), text);

    sent.clear();
    dialogs.messages.clear();
    dialogs.answer(text);
    setPoints.pressure();
    if (value && *value >= SetPoints::kPressureMin && *value <= SetPoints::kPressureMax) {
        FUZZ_CHECK(sent.size() == 1 && dialogs.messages.isEmpty(), text);
        checkFrame(sent.last(), QLatin1Char('P'));
        FUZZ_CHECK(state.prset == sent.last().mid(4, 4), text);
        const double field = readBack(state.prset);
        FUZZ_CHECK(field >= 0 && field <= 2 && std::fabs(field - *value) <= 0.05 + 1e-12, text);
    } else {
        FUZZ_CHECK(sent.isEmpty() && state.prset == QLatin1String("02.0"), text);
    }

    dialogs.answer(text);
    setPoints.Pump_NO();
    FUZZ_CHECK(state.Set_Pump_NO >= SetPoints::kPumpMin && state.Set_Pump_NO <= SetPoints::kPumpMax, text);
    const QString body = frames::keypadFlowBody(state.Set_Pump_NO, 120);
    FUZZ_CHECK(body.size() == 8, body);

    TimedRun run([&](const QString& frame) { sent << frame; }, dialogs, [] { return qint64(0); });
    dialogs.answer(text);
    run.stset();
    FUZZ_CHECK(std::isfinite(run.timeset() * 60), text);
    if (value && std::isfinite(*value * 60))
        FUZZ_CHECK(run.timeset() == *value, text);
    else
        FUZZ_CHECK(run.timeset() == 0, text);
    QLocale::setDefault(QLocale::c());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzcheck::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    if (size >= 10) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkNumber(value, data[8] % 7, data[9] % 5);
    }
    const QString utf8 = QString::fromUtf8(bytes, qsizetype(size));
    checkText(utf8);
    checkText(QString::fromLatin1(bytes, qsizetype(size)));
    checkDialogs(utf8, locales().at(size % locales().size()));
    return 0;
}
