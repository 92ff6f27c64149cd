#include "settings/settingsrules.h"

QByteArray DefaultSettingsText()
{
    static const char *const lines[] = {
        "[Options]",
        "PauseWhenWriting=0",
        "SetEndPointWhenWriting=0",
        "VerifyBeforeApplying=0",
        "SelectAfterApplying=0",
        "PlayAfterApplying=0",
        "RecordRepeatPoints=1",
        "RecordDictateTime=1",
        "",
        "[LastFiles]",
        "Item01=",
        "Item02=",
        "Item03=",
        "Item04=",
        "Item05=",
        "Item06=",
        "Item07=",
        "Item08=",
        "Item09=",
        "Item10=",
    };
    QByteArray text;
    for (const char *line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString SettingsFolder(const QString &programDir, bool programDirWritable, bool iniExistsThere,
                       const QString &userConfigDir)
{
    // Without a configuration folder the program's folder is the only place
    // left; writing there then reports its error.
    if (iniExistsThere || programDirWritable || userConfigDir.isEmpty())
        return programDir;
    return userConfigDir.endsWith(QLatin1Char('/')) ? userConfigDir
                                                    : userConfigDir + QLatin1Char('/');
}
