#include "app/droppedfiles.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>

namespace {

// What opens as the answer when dropped: transcripts and subtitle files.
const QStringList &answerSuffixes()
{
    static const QStringList suffixes{
        QStringLiteral("txt"), QStringLiteral("srt"), QStringLiteral("vtt"),
        QStringLiteral("lrc"), QStringLiteral("ass"), QStringLiteral("ssa"),
    };
    return suffixes;
}

} // namespace

const QStringList &recordingSuffixes()
{
    static const QStringList suffixes{
        QStringLiteral("mp3"), QStringLiteral("wma"),  QStringLiteral("wav"),
        QStringLiteral("m4a"), QStringLiteral("aac"),  QStringLiteral("ogg"),
        QStringLiteral("oga"), QStringLiteral("opus"), QStringLiteral("flac"),
        QStringLiteral("mp4"), QStringLiteral("mkv"),  QStringLiteral("webm"),
    };
    return suffixes;
}

std::pair<DropRole, QString> droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {DropRole::None, {}};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {DropRole::None, {}};
    const QString path = urls.first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix();
    if (recordingSuffixes().contains(suffix, Qt::CaseInsensitive))
        return {DropRole::Recording, path};
    if (answerSuffixes().contains(suffix, Qt::CaseInsensitive) && !QFileInfo(path).isDir())
        return {DropRole::Answer, path};
    return {DropRole::None, {}};
}

bool takeFileDrop(QDropEvent *event)
{
    if (droppedFile(event->mimeData()).first == DropRole::None
        || !event->possibleActions().testFlag(Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}
