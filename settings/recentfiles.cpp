// The list of recently opened recordings and its menu.
#include "app/tform_main.h"

void TForm_Main::LoadRecentFiles(QStringList &) {}

void TForm_Main::SaveRecentFiles(const QStringList &) {}

void TForm_Main::AddRecentFile(QStringList &, const QString &) {}

void TForm_Main::BuildRecentMenu(const QStringList &) {}
