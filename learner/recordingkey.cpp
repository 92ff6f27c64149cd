#include "learner/recordingkey.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

constexpr qint64 EdgeBytes = 64 * 1024;
constexpr qint64 ChunkBytes = 1024 * 1024;

} // namespace

RecordingKey recordingKeyOf(const QString &path, const std::atomic_bool *cancel)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    // The former key: the first and the last 64 KB.
    QCryptographicHash edges(QCryptographicHash::Sha256);
    edges.addData(file.read(EdgeBytes));
    if (size > EdgeBytes) {
        if (!file.seek(std::max(EdgeBytes, size - EdgeBytes)))
            return {};
        edges.addData(file.read(EdgeBytes));
    }
    if (!file.seek(0))
        return {};
    QCryptographicHash whole(QCryptographicHash::Blake2b_256);
    while (!file.atEnd()) {
        if (cancel && cancel->load())
            return {};
        const QByteArray chunk = file.read(ChunkBytes);
        if (chunk.isEmpty())
            break;
        whole.addData(chunk);
    }
    if (file.error() != QFileDevice::NoError)
        return {};
    RecordingKey key;
    key.digest = QString::fromLatin1(whole.result().toHex());
    key.size = size;
    key.formerDigest = QString::fromLatin1(edges.result().toHex());
    return key;
}
