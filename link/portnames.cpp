#include "link/portnames.h"

#include "link/numbers.h"

#include <algorithm>

std::optional<QString> deviceForAnswer(const QString& answer)
{
    if (const auto n = numbers::toInt16(answer)) {
#ifdef Q_OS_WIN
        return QStringLiteral("COM%1").arg(*n);
#else
        return QStringLiteral("/dev/ttyS%1").arg(int(*n) - 1);
#endif
    }
    // A number outside the 16-bit range names no port.
    if (numbers::toDouble(answer))
        return std::nullopt;
    const QString word = answer.trimmed();
    // Any blank splits the answer into words, also the no-break and the
    // full-width space an input method may type: trimmed() takes those off
    // the ends, so they count inside too.
    if (word.isEmpty() || std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
#ifndef Q_OS_WIN
    if (!word.startsWith(QLatin1Char('/')) && word.startsWith(QLatin1String("tty")))
        return QStringLiteral("/dev/") + word;
#endif
    return word;
}

QString lineDescription(const QString& device)
{
    return device + QLatin1Char(' ') + QLatin1String(kLineSettings);
}
