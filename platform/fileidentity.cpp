#include "platform/fileidentity.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

std::optional<bool> sameExistingFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return std::nullopt;
    struct stat sa {
    };
    struct stat sb {
    };
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0
        || ::stat(QFile::encodeName(b).constData(), &sb) != 0) {
        return std::nullopt;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    if (path.isEmpty())
        return stamp;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.modified = info.lastModified().toUTC();
    return stamp;
}
