#include "platform/fileidentity.h"

#include <QFile>

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
