#pragma once

#include <QString>

// Whether two paths name the same file, however they are spelled: the same
// file reached through a link, a relative spelling or another letter case on
// a case-insensitive file system. Paths of files that do not exist are
// compared as cleaned absolute paths. An empty path is never the same file.
bool IsSameFile(const QString &a, const QString &b);
