#include "platform/imagelist.h"

#include <QString>

#include <array>

// Q_INIT_RESOURCE must be used at global scope: it declares a function
// named after the resource file.
void initImageListResources()
{
    Q_INIT_RESOURCE(icons);
}

QIcon imageListIcon(int index)
{
    if (index < 0 || index >= ImageListCount)
        return {};
    // A read-only cache: QIcon shares its data, and every caller gets the
    // same icon for the same index.
    static const std::array<QIcon, ImageListCount> icons = [] {
        std::array<QIcon, ImageListCount> list;
        for (int i = 0; i < ImageListCount; ++i)
            list[i] = QIcon(QStringLiteral(":/icons/%1.svg").arg(i, 2, 10, QLatin1Char('0')));
        return list;
    }();
    return icons[index];
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/quillmar.svg"));
}
