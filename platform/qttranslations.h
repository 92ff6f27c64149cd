#pragma once

#include <QString>

class QCoreApplication;
class QLocale;

// The languages of the interface: Chinese, the language the texts are
// written in, English, from translations/quillmar_en.ts, and Traditional
// Chinese, from translations/quillmar_zh_TW.ts.
enum class InterfaceLanguage { Chinese, English, TraditionalChinese };

// The stored choice of language: these values, the first the default.
namespace LanguageChoice {
inline const QString System = QStringLiteral("system");
inline const QString Chinese = QStringLiteral("zh_CN");
inline const QString English = QStringLiteral("en");
inline const QString TraditionalChinese = QStringLiteral("zh_TW");
} // namespace LanguageChoice

// The language for a stored choice. Any value but "zh_CN" and "en" follows
// the locale's interface language: a Chinese one gives Chinese, any other
// English.
InterfaceLanguage interfaceLanguage(const QString &choice, const QLocale &system);

// Installs the program's translation and Qt's own for the language; a later
// call replaces what an earlier one installed. True when every translation
// the language needs was found.
bool installTranslations(QCoreApplication &app, InterfaceLanguage language);

// Gives Qt's own texts (the buttons and labels of file dialogs and message
// boxes, context menus of edit fields) in the interface language, from the
// translations Qt installs (Debian: qt6-translations-l10n). An English
// interface needs none. A later call replaces what an earlier one installed,
// so the language can change while the program runs. When the translation
// is not installed, Qt's texts stay English.
void installQtTranslations(QCoreApplication &app, const QLocale &locale);
