#include "timedrun/programfile.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

namespace program {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("program", text);
}

// A plain decimal number: digits, at most three decimals, an optional minus
// sign; no blanks inside, no exponent, no group separators.
std::optional<double> plainNumber(QString text, const QLocale& locale)
{
    text = text.trimmed();
    const QString point = locale.decimalPoint();
    if (point != QLatin1String("."))
        text.replace(point, QLatin1String("."));
    static const QRegularExpression shape(QStringLiteral("^-?[0-9]{1,9}(\\.[0-9]{1,3})?$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool fail(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

}  // namespace

bool readCell(Column column, const QString& text, Step& step, QString* reason, const QLocale& locale)
{
    const QString t = text.trimmed();
    switch (column) {
    case DurationColumn: {
        static const QRegularExpression minutes(QStringLiteral("^([0-9]{1,6}):([0-5][0-9])$"));
        double seconds = 0;
        if (const auto m = minutes.match(t); m.hasMatch()) {
            seconds = m.captured(1).toDouble() * 60 + m.captured(2).toDouble();
        } else if (const auto s = plainNumber(t, locale)) {
            seconds = *s;
        } else {
            return fail(reason, t.isEmpty() ? tr("缺少时长") : tr("时长不是秒数或 分:秒"));
        }
        const qint64 ms = std::llround(seconds * 1000);
        if (!(seconds > 0) || ms <= 0 || seconds * 1000 > static_cast<double>(kMaxStepMs))
            return fail(reason, tr("时长超出范围（大于 0，最多 100 小时）"));
        step.durationMs = ms;
        return true;
    }
    case FlowColumn: {
        const auto flow = plainNumber(t, locale);
        if (!flow)
            return fail(reason, t.isEmpty() ? tr("缺少流量") : tr("流量不是数字"));
        if (*flow < kFlowMin || *flow > kFlowMax)
            return fail(reason, tr("流量超出范围 1—500 ml/min"));
        step.flow = *flow;
        return true;
    }
    case PressureColumn: {
        if (t.isEmpty()) {
            step.pressure.reset();
            return true;
        }
        const auto pressure = plainNumber(t, locale);
        if (!pressure)
            return fail(reason, tr("压力上限不是数字"));
        if (*pressure < kPressureMin || *pressure > kPressureMax)
            return fail(reason, tr("压力上限超出范围 0—2.0 MPa"));
        step.pressure = *pressure;
        return true;
    }
    case ChangeColumn:
        if (t == QLatin1String("step"))
            step.change = Change::Step;
        else if (t == QLatin1String("ramp"))
            step.change = Change::Ramp;
        else
            return fail(reason, tr("变化方式应为 step 或 ramp"));
        return true;
    case kColumns:
        break;
    }
    return fail(reason, tr("多余的列"));
}

QString placeFault(const Steps& steps, int index)
{
    if (index == 0 && !steps.isEmpty() && steps.first().change == Change::Ramp)
        return tr("第一步不能是线性变化：没有前一步的流量");
    return QString();
}

qint64 totalMs(const Steps& steps)
{
    qint64 total = 0;
    for (const Step& s : steps)
        total += s.durationMs;
    return total;
}

double flowAt(const Steps& steps, qint64 atMs)
{
    double previous = steps.isEmpty() ? 0 : steps.first().flow;
    qint64 start = 0;
    for (const Step& s : steps) {
        if (atMs < start + s.durationMs) {
            if (s.change == Change::Step)
                return s.flow;
            return previous + (s.flow - previous) * static_cast<double>(atMs - start) / s.durationMs;
        }
        start += s.durationMs;
        previous = s.flow;
    }
    return previous;
}

double plannedVolumeMl(const Steps& steps)
{
    double ml = 0;
    double previous = steps.isEmpty() ? 0 : steps.first().flow;
    for (const Step& s : steps) {
        const double mean = s.change == Change::Ramp ? (previous + s.flow) / 2 : s.flow;
        ml += mean * static_cast<double>(s.durationMs) / 60000.0;
        previous = s.flow;
    }
    return ml;
}

QString clockText(qint64 ms)
{
    const qint64 s = std::max<qint64>(0, (ms + 999) / 1000);  // time left rounds up
    const auto two = [](qint64 n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); };
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(two(s / 60 % 60), two(s % 60));
    return QStringLiteral("%1:%2").arg(s / 60).arg(two(s % 60));
}

std::optional<Steps> parse(const QByteArray& bytes, ParseError* error)
{
    const auto refuse = [error](int line, const QString& reason) -> std::optional<Steps> {
        if (error)
            *error = {line, reason};
        return std::nullopt;
    };
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return refuse(1, tr("文件不是 UTF-8 文本"));
    QStringList lines = text.split(QLatin1Char('\n'));
    // One line end after the last line is usual; further empty lines are not.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        lines.first().remove(0, 1);
    if (lines.isEmpty() || lines.first() != QLatin1String(kHeader))
        return refuse(1, tr("第一行应为 %1").arg(QLatin1String(kHeader)));
    Steps steps;
    for (int i = 1; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        if (lines.at(i).trimmed().isEmpty())
            return refuse(lineNo, tr("空行"));
        if (steps.size() == kMaxSteps)
            return refuse(lineNo, tr("步骤过多（最多 1000 步）"));
        const QStringList cells = lines.at(i).split(QLatin1Char(','));
        if (cells.size() != kColumns)
            return refuse(lineNo, tr("应有 4 列，实有 %1 列").arg(cells.size()));
        Step step;
        for (int c = 0; c < kColumns; ++c) {
            QString why;
            if (!readCell(static_cast<Column>(c), cells.at(c), step, &why))
                return refuse(lineNo, why);
        }
        steps << step;
        if (const QString why = placeFault(steps, steps.size() - 1); !why.isEmpty())
            return refuse(lineNo, why);
    }
    if (steps.isEmpty())
        return refuse(lines.size() + 1, tr("程序没有步骤"));
    return steps;
}

QString numberText(double value)
{
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QByteArray toCsv(const Steps& steps)
{
    QByteArray out = kHeader + '\n';
    for (const Step& s : steps) {
        out += numberText(s.durationMs / 1000.0).toUtf8() + ',' + numberText(s.flow).toUtf8() + ','
               + (s.pressure ? numberText(*s.pressure).toUtf8() : QByteArray()) + ','
               + (s.change == Change::Ramp ? "ramp" : "step") + '\n';
    }
    return out;
}

}  // namespace program
