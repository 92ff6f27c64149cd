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

std::optional<FileVersion> fileVersion(const QString &path)
{
    struct stat s {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &s) != 0
        || !S_ISREG(s.st_mode))
        return std::nullopt;
    FileVersion stamp;
    stamp.device = quint64(s.st_dev);
    stamp.inode = quint64(s.st_ino);
    stamp.size = qint64(s.st_size);
    stamp.modifiedNs = qint64(s.st_mtim.tv_sec) * 1000000000LL + qint64(s.st_mtim.tv_nsec);
    return stamp;
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
