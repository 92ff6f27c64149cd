// The settings file and the option flags.
#include "app/tform_main.h"

QString TForm_Main::SettingsFilePath() const
{
    return m_services.programDir + QStringLiteral("Quillmar.ini");
}

void TForm_Main::EnsureSettingsFile() {}

void TForm_Main::LoadOptions() {}

void TForm_Main::SaveOptions() {}

void TForm_Main::EditOptions() {}
