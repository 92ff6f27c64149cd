#include "learner/recordingkey.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

constexpr qint64 EdgeBytes = 64 * 1024;

} // namespace

RecordingKey recordingKeyOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(file.read(EdgeBytes));
    if (size > EdgeBytes) {
        if (!file.seek(std::max(EdgeBytes, size - EdgeBytes)))
            return {};
        hash.addData(file.read(EdgeBytes));
    }
    if (file.error() != QFileDevice::NoError)
        return {};
    return {QString::fromLatin1(hash.result().toHex()), size};
}
