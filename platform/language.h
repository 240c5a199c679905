#pragma once

#include <QStringList>

// The language of the interface. The texts are written in Chinese; English
// comes from the translation built into the programs (translations/), Qt's
// own dialog buttons from Qt's translations where the system has them.
namespace platform {

enum class Language { Chinese, English };

// The language for the user's preferred interface languages, most wanted
// first, as QLocale::uiLanguages() lists them ("en-US", "zh-Hans-CN", "de",
// "C"): English where an English one comes before any Chinese one, Chinese
// otherwise (also when neither is listed, as for the C locale).
Language chooseLanguage(const QStringList& uiLanguages);

// Makes the application speak `language`: the panel's English translation,
// or Qt's Chinese for its own dialogs (OK, Cancel, the print and file
// dialogs). Replaces what an earlier call installed. False when the
// translation could not be loaded; the texts are then the Chinese ones and
// Qt's stay English.
bool installLanguage(Language language);

// Both, for the system's preferred languages (LANGUAGE and LANG on Linux,
// the display language on Windows). Called once before the first window.
Language installSystemLanguage();

}  // namespace platform
