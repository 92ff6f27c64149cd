#include "platform/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Marks the translators installed here, so that a later call finds them.
const char *const TranslatorName = "QtTranslations";

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
