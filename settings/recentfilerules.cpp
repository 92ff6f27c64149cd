#include "settings/recentfilerules.h"

#include "platform/fileidentity.h"

#include <algorithm>

#include <QCoreApplication>

QString RecentFileKey(int index)
{
    return QStringLiteral("Item%1").arg(index + 1, 2, 10, QLatin1Char('0'));
}

bool SameRecentFile(const QString &a, const QString &b)
{
    // Letter case alone says nothing on Linux: "Song.mp3" and "song.mp3" may
    // be two recordings, or one on a case-insensitive disk.
    return a == b || sameExistingFile(a, b).value_or(false);
}

void AddRecentPath(QStringList &list, const QString &path)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (SameRecentFile(list.at(i), path)) {
            list.move(i, 0);
            return;
        }
    }
    list.prepend(path);
    while (list.size() > MaxRecentFiles)
        list.removeLast();
}

QList<QPair<QString, QString>> RecentFileWrites(const QStringList &list)
{
    const int count = int(std::min<qsizetype>(list.size(), MaxRecentFiles));
    QList<QPair<QString, QString>> writes;
    for (int i = MaxRecentFiles - 1; i >= count; --i)
        writes.append({RecentFileKey(i), QString()});
    for (int i = 0; i < count; ++i)
        writes.append({RecentFileKey(i), list.at(i)});
    return writes;
}

QList<RecentMenuItem> RecentMenuItems(const QStringList &list)
{
    using Kind = RecentMenuItem::Kind;
    QList<RecentMenuItem> items;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).isEmpty())
            continue;
        // A single "&" would mark a shortcut letter and vanish from the caption.
        QString path = list.at(i);
        path.replace(QLatin1Char('&'), QStringLiteral("&&"));
        items.append({Kind::Entry, QStringLiteral("%1 ").arg(i + 1, 2, 10, QLatin1Char('0')) + path,
                      int(i)});
    }
    if (items.isEmpty()) {
        items.append({Kind::Empty, QCoreApplication::translate("RecentFiles", "空&"), 0});
    } else {
        items.append({Kind::Separator, QStringLiteral("-"), 0});
        items.append(
            {Kind::Clear, QCoreApplication::translate("RecentFiles", "清空最近播放列表"), 0});
    }
    return items;
}
