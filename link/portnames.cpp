#include "link/portnames.h"

#include "link/numbers.h"

#include <QRegularExpression>

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
    if (word.isEmpty() || word.contains(QRegularExpression(QStringLiteral("\\s"))))
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
