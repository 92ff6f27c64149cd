#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// Whether two paths name one file as the file system sees it: the same device
// and inode, however the paths are spelled (links, relative parts, another
// letter case on a case-insensitive file system). Empty when either path
// names no existing file, so the caller decides how to compare the spellings.
std::optional<bool> sameExistingFile(const QString &a, const QString &b);

// What a file was at one moment: whether it existed, its size and the time of
// its last change (to the millisecond). Two stamps of one path differ when the
// file was written in between.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;

    static FileStamp of(const QString &path);
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// What tells one version of a file from another without reading it: the
// device and inode (the same after a rename), the size and the time of the
// last change, in nanoseconds. Empty when the path names no existing file.
struct FileVersion {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileVersion &) const = default;
};
std::optional<FileVersion> fileVersion(const QString &path);
