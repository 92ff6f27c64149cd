#pragma once

#include <QString>

#include <optional>

// Whether two paths name one file as the file system sees it: the same device
// and inode, however the paths are spelled (links, relative parts, another
// letter case on a case-insensitive file system). Empty when either path
// names no existing file, so the caller decides how to compare the spellings.
std::optional<bool> sameExistingFile(const QString &a, const QString &b);
