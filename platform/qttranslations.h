#pragma once

class QCoreApplication;
class QLocale;

// Gives Qt's own texts (the buttons and labels of file dialogs and message
// boxes, context menus of edit fields) in the interface language, from the
// translations Qt installs (Debian: qt6-translations-l10n). An English
// interface needs none. A later call replaces what an earlier one installed,
// so the language can change while the program runs. When the translation
// is not installed, Qt's texts stay English.
void installQtTranslations(QCoreApplication &app, const QLocale &locale);
