#pragma once

#include <QString>

// Why a file operation failed, as a learner reads it: the common causes by
// name ("磁盘已满", "没有写入权限" ...), anything else as the system puts it.
// `errorCode` is the errno of the failing call (0 when unknown); the system's
// text is recognised too, since it is what Qt keeps of the errno.
enum class FileUse { Write, Read };
QString fileErrorReason(int errorCode, const QString &systemText = QString(),
                        FileUse use = FileUse::Write);
