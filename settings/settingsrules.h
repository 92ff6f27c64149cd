#pragma once

#include "settings/optionflags.h"

#include <QByteArray>
#include <QString>

#include <array>

// The settings file: its name, sections, option keys and default content, and
// the folder it lives in.

inline const QString SettingsFileName = QStringLiteral("Quillmar.ini");
inline const QString OptionsSection = QStringLiteral("Options");

struct OptionKey {
    QLatin1String name;
    bool TOptionFlags::*flag;
};

// The seven option keys in the order they are read, written and laid out in
// the default file.
inline constexpr std::array<OptionKey, 7> OptionKeys{{
    {QLatin1String("PauseWhenWriting"), &TOptionFlags::PauseWhenWriting},
    {QLatin1String("SetEndPointWhenWriting"), &TOptionFlags::SetEndPointWhenWriting},
    {QLatin1String("VerifyBeforeApplying"), &TOptionFlags::VerifyBeforeApplying},
    {QLatin1String("SelectAfterApplying"), &TOptionFlags::SelectAfterApplying},
    {QLatin1String("PlayAfterApplying"), &TOptionFlags::PlayAfterApplying},
    {QLatin1String("RecordRepeatPoints"), &TOptionFlags::RecordRepeatPoints},
    {QLatin1String("RecordDictateTime"), &TOptionFlags::RecordDictateTime},
}};

// The file written when none exists: 20 lines, each ending with CR LF.
QByteArray DefaultSettingsText();

// How a flag is stored.
QString FlagText(bool on);

// The folder (with a trailing separator) that holds the settings file. The
// program's own folder when the file is already there or the folder may be
// written, as in a portable copy; otherwise the user's configuration folder,
// as in an installed copy whose folder belongs to the system.
QString SettingsFolder(const QString &programDir, bool programDirWritable, bool iniExistsThere,
                       const QString &userConfigDir);
