// The settings file and the option flags.
#include "app/tform_main.h"

#include "platform/errors.h"
#include "platform/profilefile.h"
#include "settings/settingsrules.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Writes on after a short write, so that the failing write reports the
// system's reason (a full disk, a size limit).
bool writeAll(QIODevice &device, const QByteArray &data)
{
    for (qsizetype done = 0; done < data.size();) {
        const qint64 written = device.write(data.constData() + done, data.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

QString TForm_Main::SettingsFilePath() const
{
    const QString programDir = m_services.programDir;
    const QFileInfo programFolder(programDir);
    const QString folder = SettingsFolder(
        programDir, programFolder.isDir() && programFolder.isWritable(),
        QFileInfo::exists(programDir + SettingsFileName),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    // Every operation writes through this path, so the user's folder must exist.
    if (folder != programDir)
        QDir().mkpath(folder);
    return folder + SettingsFileName;
}

void TForm_Main::EnsureSettingsFile()
{
    const QString path = SettingsFilePath();
    // An existing file is the user's, whatever it holds.
    if (QFileInfo::exists(path))
        return;
    const QByteArray text = DefaultSettingsText();
    QSaveFile file(path);
    // commit() does not notice a short write (disk full) of buffered data, so
    // the file is unbuffered and every write's count is checked.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeAll(file, text)
        && file.commit()) {
        return;
    }
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

void TForm_Main::LoadOptions()
{
    const QString path = SettingsFilePath();
    for (const OptionKey &key : OptionKeys)
        OptionFlags.*key.flag = readProfileInt(path, OptionsSection, key.name, 0) != 0;
}

void TForm_Main::SaveOptions()
{
    // A file deleted meanwhile comes back with the full layout first.
    EnsureSettingsFile();
    const QString path = SettingsFilePath();
    for (const OptionKey &key : OptionKeys)
        writeProfileString(path, OptionsSection, key.name,
                           FlagText(OptionFlags.*key.flag));
}
