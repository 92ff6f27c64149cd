#include "platform/atomicfile.h"

#include "platform/filereason.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// QSaveFile replaces an existing file through a name seven bytes longer than
// the file's own (".XXXXXX" appended), which a name near the file system's
// limit has no room for: such a file could be written once, never again.
bool needsShortTemporaryName(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const QString name = QFileInfo(info.canonicalFilePath()).fileName();
    return QFile::encodeName(name).size() > NAME_MAX - 7;
}

// Called straight after the failing call, while errno still tells why.
bool fail(QString *error, const QString &systemText)
{
    const int code = errno;
    if (error)
        *error = fileErrorReason(code, systemText);
    return false;
}

// Replaces the file as QSaveFile does, through a short temporary name in its
// folder: the old file stays until the new one is completely on disk.
bool replaceThroughShortName(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo target(QFileInfo(path).canonicalFilePath());
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.quillmar-XXXXXX"));
    if (!file.open())
        return fail(error, file.errorString());
    file.setPermissions(target.permissions());
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
        return fail(error, file.errorString());
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData())
        != 0) {
        return fail(error, QString());
    }
    file.setAutoRemove(false);
    return true;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    if (needsShortTemporaryName(path))
        return replaceThroughShortName(path, bytes, error);
    QSaveFile file(path);
    // commit() does not notice a short write (disk full) of buffered data, so
    // the file is unbuffered and every write's count is checked; writing on
    // after a short write lets the failing write report the system's reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return fail(error, file.errorString());
        done += written;
    }
    // An uncommitted file is discarded when `file` goes.
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
