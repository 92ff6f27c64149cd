#include "dictation/samefile.h"

#include "platform/fileidentity.h"

#include <QDir>
#include <QFileInfo>

bool IsSameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a == b)
        return true;
    // The file system knows best: the same device and inode is the same file.
    if (const std::optional<bool> same = sameExistingFile(a, b))
        return *same;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
           == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}
