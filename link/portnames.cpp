#include "link/portnames.h"

#include "link/numbers.h"

#include <QRegularExpression>

#include <algorithm>

std::optional<QString> deviceForAnswer(const QString& answer, PortNaming naming)
{
    const bool windows = naming == PortNaming::Windows;
    if (const auto n = numbers::toInt16(answer))
        return windows ? QStringLiteral("COM%1").arg(*n) : QStringLiteral("/dev/ttyS%1").arg(int(*n) - 1);
    // A number outside the 16-bit range names no port.
    if (numbers::toDouble(answer))
        return std::nullopt;
    const QString word = answer.trimmed();
    // Any blank splits the answer into words, also the no-break and the
    // full-width space an input method may type: trimmed() takes those off
    // the ends, so they count inside too.
    if (word.isEmpty() || std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
    if (windows) {
        // Qt finds ports above COM9 only by an upper-case "COM" prefix.
        static const QRegularExpression comPort(QStringLiteral("^com([0-9]+)$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch com = comPort.match(word);
        return com.hasMatch() ? QStringLiteral("COM") + com.captured(1) : word;
    }
    if (!word.startsWith(QLatin1Char('/')) && word.startsWith(QLatin1String("tty")))
        return QStringLiteral("/dev/") + word;
    return word;
}

QString lineDescription(const QString& device)
{
    return device + QLatin1Char(' ') + QLatin1String(kLineSettings);
}
