#include "platform/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace platform {

Language chooseLanguage(const QStringList& uiLanguages)
{
    for (const QString& entry : uiLanguages) {
        const QString language = entry.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (language == QLatin1String("en"))
            return Language::English;
        if (language == QLatin1String("zh"))
            return Language::Chinese;
    }
    return Language::Chinese;
}

bool installLanguage(Language language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    auto* translator = new QTranslator(QCoreApplication::instance());
    bool loaded = false;
    if (language == Language::English) {
        // Built into the program (translations/CMakeLists.txt).
        loaded = translator->load(QStringLiteral(":/i18n/pump-panel_en.qm"));
    } else {
        // Qt's own texts: where Qt is installed (Debian: qt6-translations-l10n),
        // or beside the program where windeployqt put them (it ships
        // qt_zh_CN, which loads qtbase_zh_CN and the others beside it).
        for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                      QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
            for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"})
                loaded = loaded || translator->load(QLatin1String(name), folder);
        }
    }
    if (!loaded) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

Language installSystemLanguage()
{
    const Language language = chooseLanguage(QLocale::system().uiLanguages());
    installLanguage(language);
    return language;
}

}  // namespace platform
