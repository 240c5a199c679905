#include "sim/pumpsimoptions.h"

#include "sim/serialline.h"

#include <cmath>
#include <limits>

namespace pumpsim {

namespace {

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> count(const QString& text)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < 0)
        return std::nullopt;
    return v;
}

}  // namespace

QString pumpSimHelp()
{
    return QStringLiteral(
        "Usage: pump-sim [options]\n"
        "\n"
        "Plays a pump on a new pseudo-terminal. Prints the terminal's path on the\n"
        "first line of its output; give that path at the panel's port prompt.\n"
        "When it ends (also on Ctrl+C or SIGTERM) it prints \"answers sent: N\".\n"
        "\n"
        "Faults (SHARE is 0 to 1; without it every answer is affected):\n"
        "  --split[=SHARE]      send answers in two pieces\n"
        "  --merge[=SHARE]      hold an answer back and send it with the next one in\n"
        "                       one piece (alone after 2 s if none follows)\n"
        "  --garbage[=SHARE]    put noise bytes or a broken-off frame before answers\n"
        "  --drop=SHARE         leave this share of answers unsent\n"
        "  --silent             never answer\n"
        "  --silent-after=N     answer N times, then fall silent\n"
        "  --delay=MS           answer MS milliseconds later than the line needs\n"
        "\n"
        "Ending and load:\n"
        "  --exit-after=N       close the terminal and exit after N answers\n"
        "  --duration=SECONDS   close the terminal and exit SECONDS after the first\n"
        "                       command (the far end vanishes mid-run)\n"
        "  --flood=RATE         from the first command on, also send RATE status\n"
        "                       answers per second unasked (a 9600-baud line carries\n"
        "                       at most 106.6)\n"
        "\n"
        "Other:\n"
        "  --seed=N             seed of the fault choices and the pressure noise\n"
        "                       (default 1)\n"
        "  --link=PATH          also make PATH a symbolic link to the terminal\n"
        "  --verbose            log every command and answer on stderr\n"
        "  -h, --help           show this text\n");
}

ParsedPumpSimOptions parsePumpSimOptions(const QStringList& arguments)
{
    ParsedPumpSimOptions parsed;
    PumpSimOptions& o = parsed.options;
    const auto fail = [&parsed](const QString& why) {
        parsed.error = why;
        return parsed;
    };

    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            parsed.help = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        const qsizetype eq = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, eq < 0 ? -1 : eq - 2);
        const bool hasValue = eq >= 0;
        const QString value = hasValue ? argument.mid(eq + 1) : QString();

        const auto share = [&](double& target) -> bool {
            if (!hasValue) {
                target = 1.0;
                return true;
            }
            const auto v = number(value);
            if (!v || *v < 0.0 || *v > 1.0)
                return false;
            target = *v;
            return true;
        };
        const auto needsValue = [&]() { return hasValue && !value.isEmpty(); };
        const QString badValue = QStringLiteral("bad value \"%1\" for --%2").arg(value, name);

        if (name == QLatin1String("split")) {
            if (!share(o.faults.split))
                return fail(badValue);
        } else if (name == QLatin1String("merge")) {
            if (!share(o.faults.merge))
                return fail(badValue);
        } else if (name == QLatin1String("garbage")) {
            if (!share(o.faults.garbage))
                return fail(badValue);
        } else if (name == QLatin1String("drop")) {
            if (!needsValue() || !share(o.faults.drop))
                return fail(badValue);
        } else if (name == QLatin1String("silent")) {
            if (hasValue)
                return fail(QStringLiteral("--silent takes no value (see --silent-after=N)"));
            o.faults.silentAfter = 0;
        } else if (name == QLatin1String("silent-after")) {
            const auto n = needsValue() ? count(value) : std::nullopt;
            if (!n)
                return fail(badValue);
            o.faults.silentAfter = *n;
        } else if (name == QLatin1String("delay")) {
            const auto v = needsValue() ? number(value) : std::nullopt;
            if (!v || *v < 0.0)
                return fail(badValue);
            o.faults.delayMs = *v;
        } else if (name == QLatin1String("exit-after")) {
            const auto n = needsValue() ? count(value) : std::nullopt;
            if (!n || *n == 0)
                return fail(badValue);
            o.exitAfterAnswers = *n;
        } else if (name == QLatin1String("duration")) {
            const auto v = needsValue() ? number(value) : std::nullopt;
            if (!v || *v <= 0.0)
                return fail(badValue);
            o.durationS = *v;
        } else if (name == QLatin1String("flood")) {
            const auto v = needsValue() ? number(value) : std::nullopt;
            if (!v || *v <= 0.0 || *v > kLineRateAnswersPerSecond)
                return fail(QStringLiteral("--flood needs a rate above 0 and at most %1 answers/s")
                                .arg(std::floor(kLineRateAnswersPerSecond * 10.0) / 10.0, 0, 'f', 1));
            o.floodRate = *v;
        } else if (name == QLatin1String("seed")) {
            const auto n = needsValue() ? count(value) : std::nullopt;
            if (!n || *n > std::numeric_limits<quint32>::max())
                return fail(badValue);
            o.faults.seed = static_cast<quint32>(*n);
        } else if (name == QLatin1String("link")) {
            if (!needsValue())
                return fail(QStringLiteral("--link needs a path"));
            o.link = value;
        } else if (name == QLatin1String("verbose")) {
            if (hasValue)
                return fail(QStringLiteral("--verbose takes no value"));
            o.verbose = true;
        } else {
            return fail(QStringLiteral("unknown option \"%1\"").arg(argument));
        }
    }
    return parsed;
}

}  // namespace pumpsim
