#include "platform/userguide.h"

#include <QDir>
#include <QFileInfo>

QString userGuidePath(const QString &programDir)
{
    const QDir dir(programDir);
    const QString chm = dir.filePath(QStringLiteral("Quillmar.chm"));
    if (QFileInfo(chm).isFile())
        return chm;
    // Not under share/doc: minimal installs (containers) leave that folder out.
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/quillmar/guide/index.html")));
    if (QFileInfo(installed).isFile())
        return installed;
    const QString source = QStringLiteral(QUILLMAR_GUIDE_SOURCE);
    if (QFileInfo(source).isFile())
        return source;
    return {};
}
