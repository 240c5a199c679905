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

namespace {
const QString kEntrySeparator = QStringLiteral(" — ");
}

QString answerForPort(const QString& portName)
{
#ifdef Q_OS_WIN
    const QString prefix = QStringLiteral("COM");
    const int offset = 0;
#else
    const QString prefix = QStringLiteral("ttyS");
    const int offset = 1;
#endif
    if (portName.startsWith(prefix)) {
        bool ok = false;
        const QString n = QString::number(portName.mid(prefix.size()).toInt(&ok) + offset);
        // Only where the number opens this very port again ("ttyS01" is not
        // ttyS1, and numbers are 16-bit).
        if (ok && deviceForAnswer(n).value_or(QString()).endsWith(portName))
            return n;
    }
    return portName;
}

platform::PortListing portListing(const QString& portName, const QString& description,
                                  const QString& manufacturer, const QString& serialNumber)
{
    platform::PortListing port;
    port.answer = answerForPort(portName);
    QStringList maker;
    for (const QString& part : {manufacturer.trimmed(), serialNumber.trimmed()})
        if (!part.isEmpty())
            maker << part;
    QStringList parts;
    if (port.answer != portName)
        parts << portName;
    if (!description.trimmed().isEmpty())
        parts << description.trimmed();
    if (!maker.isEmpty())
        parts << (parts.isEmpty() ? maker.join(QStringLiteral(", "))
                                  : QLatin1Char('(') + maker.join(QStringLiteral(", ")) + QLatin1Char(')'));
    port.description = parts.join(QLatin1Char(' '));
    return port;
}

QString portEntry(const platform::PortListing& port)
{
    return port.description.isEmpty() ? port.answer : port.answer + kEntrySeparator + port.description;
}

QString answerOfEntry(const QString& text)
{
    const int at = text.indexOf(kEntrySeparator);
    return at < 0 ? text : text.left(at);
}

QString lineDescription(const QString& device)
{
    return device + QLatin1Char(' ') + QLatin1String(kLineSettings);
}
