#include "platform/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace {

// Marks the translators installed here, so that a later call finds them.
const char *const TranslatorName = "QtTranslations";
const char *const ProgramTranslatorName = "ProgramTranslation";

} // namespace

void installQtTranslations(QCoreApplication &app, const QLocale &locale)
{
    // Deleting a translator removes it from the application.
    qDeleteAll(
        app.findChildren<QTranslator *>(QLatin1String(TranslatorName), Qt::FindDirectChildrenOnly));
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return;
    auto *translator = new QTranslator(&app);
    translator->setObjectName(QLatin1String(TranslatorName));
    // Tries the locale's UI languages in turn: qtbase_zh_CN.qm, qtbase_zh.qm ...
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    app.installTranslator(translator);
}

InterfaceLanguage interfaceLanguage(const QString &choice, const QLocale &system)
{
    if (choice == LanguageChoice::Chinese)
        return InterfaceLanguage::Chinese;
    if (choice == LanguageChoice::English)
        return InterfaceLanguage::English;
    if (choice == LanguageChoice::TraditionalChinese)
        return InterfaceLanguage::TraditionalChinese;
    // The language of messages (LANGUAGE, LC_MESSAGES, LANG) rather than of
    // numbers and dates.
    const QStringList languages = system.uiLanguages();
    const QLocale first = languages.isEmpty() ? system : QLocale(languages.first());
    if (first.language() != QLocale::Chinese)
        return InterfaceLanguage::English;
    // Taiwan, Hong Kong and Macau write the traditional characters, and so
    // does anyone who asks for them by script.
    const bool traditional =
        first.script() == QLocale::TraditionalChineseScript || first.territory() == QLocale::Taiwan
        || first.territory() == QLocale::HongKong || first.territory() == QLocale::Macao;
    return traditional ? InterfaceLanguage::TraditionalChinese : InterfaceLanguage::Chinese;
}

bool installTranslations(QCoreApplication &app, InterfaceLanguage language)
{
    qDeleteAll(app.findChildren<QTranslator *>(QLatin1String(ProgramTranslatorName),
                                               Qt::FindDirectChildrenOnly));
    if (language == InterfaceLanguage::Chinese) {
        installQtTranslations(app, QLocale(QLocale::Chinese, QLocale::China));
        return true;
    }
    const bool traditional = language == InterfaceLanguage::TraditionalChinese;
    installQtTranslations(app, traditional ? QLocale(QLocale::Chinese, QLocale::Taiwan)
                                           : QLocale(QLocale::English, QLocale::UnitedStates));
    auto *translator = new QTranslator(&app);
    translator->setObjectName(QLatin1String(ProgramTranslatorName));
    if (!translator->load(traditional ? QStringLiteral(":/i18n/quillmar_zh_TW.qm")
                                      : QStringLiteral(":/i18n/quillmar_en.qm"))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}
