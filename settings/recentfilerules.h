#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The list of recently opened recordings: index 0 is the latest. Entries may
// be empty strings; they keep their places and count towards the ten.

inline constexpr int MaxRecentFiles = 10;
inline const QString LastFilesSection = QStringLiteral("LastFiles");

// "Item01" for index 0 up to "Item10" for index 9.
QString RecentFileKey(int index);

// Two paths are the same entry when they are equal or name the same existing
// file (the same device and inode).
bool SameRecentFile(const QString &a, const QString &b);

// Moves the first entry equal to the path to the top, keeping its stored
// text; or inserts the path at the top and drops entries from the end, empty
// or not, beyond the tenth.
void AddRecentPath(QStringList &list, const QString &path);

// The keys and values a save writes, in order: the keys beyond the list
// first (emptied, from Item10 down), then one key per entry.
QList<QPair<QString, QString>> RecentFileWrites(const QStringList &list);

struct RecentMenuItem {
    enum class Kind { Entry, Separator, Clear, Empty };
    Kind kind;
    QString caption; // as given to the menu, "&" doubled in paths
    int tag;         // an entry's index in the list, else 0
};

// The sub-menu for the list: one item per non-empty entry, numbered by its
// place in the list, then a separator and the clear item; or only the
// disabled "空&" item when no entry is shown.
QList<RecentMenuItem> RecentMenuItems(const QStringList &list);
