#include "platform/filereason.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

const char *knownReasonText(int code, FileUse use)
{
    switch (code) {
    case ENOSPC:
        return QT_TRANSLATE_NOOP("FileErrorReason", "磁盘已满");
    case EDQUOT:
        return QT_TRANSLATE_NOOP("FileErrorReason", "超出了磁盘配额");
    case EACCES:
    case EPERM:
        return use == FileUse::Read ? QT_TRANSLATE_NOOP("FileErrorReason", "没有读取权限")
                                    : QT_TRANSLATE_NOOP("FileErrorReason", "没有写入权限");
    case EROFS:
        return QT_TRANSLATE_NOOP("FileErrorReason", "磁盘是只读的");
    case EFBIG:
        return QT_TRANSLATE_NOOP("FileErrorReason", "文件太大");
    case ENOENT:
        return use == FileUse::Read ? QT_TRANSLATE_NOOP("FileErrorReason", "文件不存在")
                                    : QT_TRANSLATE_NOOP("FileErrorReason", "文件夹不存在");
    case ENOTDIR:
        return QT_TRANSLATE_NOOP("FileErrorReason", "路径中有一部分不是文件夹");
    case EISDIR:
        return QT_TRANSLATE_NOOP("FileErrorReason", "同名的文件夹占了这个位置");
    case ENAMETOOLONG:
        return QT_TRANSLATE_NOOP("FileErrorReason", "文件名太长");
    case EIO:
        return QT_TRANSLATE_NOOP("FileErrorReason", "读写磁盘时出错");
    default:
        return nullptr;
    }
}

std::optional<QString> knownReason(int code, FileUse use)
{
    if (const char *text = knownReasonText(code, use))
        return QCoreApplication::translate("FileErrorReason", text);
    return std::nullopt;
}

} // namespace

QString fileErrorReason(int errorCode, const QString &systemText, FileUse use)
{
    if (const std::optional<QString> reason = knownReason(errorCode, use))
        return *reason;
    for (const int code : {ENOSPC, EDQUOT, EACCES, EPERM, EROFS, EFBIG, ENOENT, ENOTDIR, EISDIR,
                           ENAMETOOLONG, EIO}) {
        if (systemText == QString::fromLocal8Bit(std::strerror(code)))
            return *knownReason(code, use);
    }
    if (systemText.isEmpty() || systemText == QLatin1String("Unknown error"))
        return QCoreApplication::translate("FileErrorReason", "原因不明");
    return systemText;
}
