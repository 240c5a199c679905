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

platform::PortLister portLister(platform::SystemPorts system)
{
    return [system = std::move(system)] {
        QList<platform::PortListing> ports;
        for (const platform::SystemPort& p : system())
            ports.append(portListing(p.name, p.description, p.manufacturer, p.serialNumber));
        std::stable_sort(ports.begin(), ports.end(), [](const platform::PortListing& a, const platform::PortListing& b) {
            bool aNumber = false;
            bool bNumber = false;
            const int an = a.answer.toInt(&aNumber);
            const int bn = b.answer.toInt(&bNumber);
            if (aNumber != bNumber)
                return aNumber;
            return aNumber ? an < bn : a.answer < b.answer;
        });
        return ports;
    };
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
