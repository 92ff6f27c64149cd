#include "platform/userguide.h"

#include <QDir>
#include <QFileInfo>

QString helpFilePath(const QString &programDir)
{
    const QString chm = QDir(programDir).filePath(QStringLiteral("Quillmar.chm"));
    return QFileInfo(chm).isFile() ? chm : QString();
}

QString guideLanguageFolder(InterfaceLanguage language)
{
    return language == InterfaceLanguage::English ? QStringLiteral("en") : QStringLiteral("zh_CN");
}

QString userGuidePath(const QString &programDir, InterfaceLanguage language)
{
    const QDir dir(programDir);
    // Not under share/doc: minimal installs (containers) leave that folder out.
    const QStringList guides{
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/quillmar/guide"))),
        QStringLiteral(QUILLMAR_GUIDE_SOURCE),
    };
    const InterfaceLanguage other = language == InterfaceLanguage::English
                                        ? InterfaceLanguage::Chinese
                                        : InterfaceLanguage::English;
    for (const InterfaceLanguage wanted : {language, other}) {
        for (const QString &guide : guides) {
            const QString index = guide + QLatin1Char('/') + guideLanguageFolder(wanted)
                                  + QStringLiteral("/index.html");
            if (QFileInfo(index).isFile())
                return index;
        }
    }
    return {};
}
