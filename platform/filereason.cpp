#include "platform/filereason.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

std::optional<QString> knownReason(int code)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("FileErrorReason", text);
    };
    switch (code) {
    case ENOSPC:
        return tr("磁盘已满");
    case EDQUOT:
        return tr("超出了磁盘配额");
    case EACCES:
    case EPERM:
        return tr("没有写入权限");
    case EROFS:
        return tr("磁盘是只读的");
    case EFBIG:
        return tr("文件太大");
    case ENOENT:
        return tr("文件夹不存在");
    case ENOTDIR:
        return tr("路径中有一部分不是文件夹");
    case EISDIR:
        return tr("同名的文件夹占了这个位置");
    case ENAMETOOLONG:
        return tr("文件名太长");
    case EIO:
        return tr("读写磁盘时出错");
    default:
        return std::nullopt;
    }
}

} // namespace

QString fileErrorReason(int errorCode, const QString &systemText)
{
    if (const std::optional<QString> reason = knownReason(errorCode))
        return *reason;
    for (const int code :
         {ENOSPC, EDQUOT, EACCES, EPERM, EROFS, EFBIG, ENOENT, ENOTDIR, EISDIR, ENAMETOOLONG, EIO}) {
        if (systemText == QString::fromLocal8Bit(std::strerror(code)))
            return *knownReason(code);
    }
    if (systemText.isEmpty() || systemText == QLatin1String("Unknown error"))
        return QCoreApplication::translate("FileErrorReason", "原因不明");
    return systemText;
}
