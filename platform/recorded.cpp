#include "platform/recorded.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <vector>

namespace recorded {

namespace {

struct Form {
    const char* source;
    QRegularExpression pattern;  // the source with each %n as a group
};

const std::vector<Form>& forms()
{
    static const std::vector<Form> all = [] {
        std::vector<Form> made;
        // The longer of two forms that begin alike first.
        for (const char* source : {kNotAFolder, kFolderNotMadeBecause, kFolderNotMade, kCsvNotStarted, kCsvNotWritten,
                                   kSimWrongName}) {
            // A name or a path holds none of the marks that follow it in a
            // form ("：", "”"), so the shortest match is the right one.
            QStringList pieces = QString::fromUtf8(source).split(QRegularExpression(QStringLiteral("%\\d")));
            for (QString& piece : pieces)
                piece = QRegularExpression::escape(piece);
            const QString pattern = QLatin1Char('^') + pieces.join(QStringLiteral("(.+?)")) + QLatin1Char('$');
            made.push_back({source, QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)});
        }
        return made;
    }();
    return all;
}

}  // namespace

QString shown(const QString& kept)
{
    if (kept.isEmpty())
        return kept;
    const QByteArray source = kept.toUtf8();
    const QString words = QCoreApplication::translate("recorded", source.constData());
    if (words != kept)
        return words;
    for (const Form& form : forms()) {
        const QRegularExpressionMatch match = form.pattern.match(kept);
        if (!match.hasMatch())
            continue;
        // Every form has one or two places.
        const QString text = QCoreApplication::translate("recorded", form.source);
        const QString first = shown(match.captured(1));
        return match.lastCapturedIndex() == 1 ? text.arg(first) : text.arg(first, shown(match.captured(2)));
    }
    // "words (the system's text)" and "name: reason".
    if (kept.endsWith(QLatin1Char(')'))) {
        const qsizetype at = kept.indexOf(QLatin1String(" ("));
        if (at > 0) {
            const QString head = kept.left(at);
            const QString translated = shown(head);
            if (translated != head)
                return translated + kept.mid(at);
        }
    }
    const qsizetype colon = kept.indexOf(QLatin1String(": "));
    if (colon > 0) {
        const QString tail = kept.mid(colon + 2);
        const QString translated = shown(tail);
        if (translated != tail)
            return kept.left(colon + 2) + translated;
    }
    return kept;
}

}  // namespace recorded
