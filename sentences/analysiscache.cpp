#include "sentences/analysiscache.h"

#include "platform/atomicfile.h"
#include "platform/fileidentity.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>

// The levels are kept as the machine holds them, read and written in one go.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN && sizeof(float) == 4);

namespace {

constexpr char Magic[] = "QMAC";
constexpr char ExtraMagic[] = "QMAX";
constexpr quint32 Version = 1;
const QString Suffix = QStringLiteral(".analysis");
// An hour at 10 ms frames is 360,000; a day is far more than anyone practises with.
constexpr quint32 MaxFrames = 24u * 3600u * 1000u;
constexpr quint32 MaxSentences = 10'000'000;

QByteArray keyOf(const FileVersion &stamp)
{
    return QByteArray::number(stamp.device) + ':' + QByteArray::number(stamp.inode) + ':'
           + QByteArray::number(stamp.size) + ':' + QByteArray::number(stamp.modifiedNs);
}

// FNV-1a over 64-bit words: enough to tell a damaged entry, cheap on a few
// megabytes.
quint64 checksum(const char *data, qsizetype size)
{
    quint64 hash = 1469598103934665603ULL;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word = 0;
        std::memcpy(&word, data + i, 8);
        hash = (hash ^ word) * 1099511628211ULL;
    }
    for (; i < size; ++i)
        hash = (hash ^ quint8(data[i])) * 1099511628211ULL;
    return hash;
}

// An entry's contents without their checksum; an entry whose checksum does
// not hold is removed.
std::optional<QByteArray> readEntry(const QString &entry)
{
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype body = bytes.size() - qsizetype(sizeof(quint64));
    quint64 stored = 0;
    if (body >= 0)
        std::memcpy(&stored, bytes.constData() + body, sizeof stored);
    if (body < 0 || stored != checksum(bytes.constData(), body)) {
        QFile::remove(entry);
        return std::nullopt;
    }
    bytes.truncate(body);
    return bytes;
}

// Used now: the last to be dropped.
void markUsed(const QString &entry)
{
    QFile file(entry);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

} // namespace

AnalysisCache::AnalysisCache(const QString &folder, qint64 limitBytes)
    : m_folder(folder), m_limit(limitBytes)
{}

QString AnalysisCache::defaultFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/analyses");
}

QString AnalysisCache::entryFor(const QString &recording) const
{
    if (m_folder.isEmpty())
        return {};
    const std::optional<FileVersion> stamp = fileVersion(recording);
    if (!stamp)
        return {};
    const QByteArray name =
        QCryptographicHash::hash(keyOf(*stamp), QCryptographicHash::Sha1).toHex();
    return m_folder + QLatin1Char('/') + QString::fromLatin1(name) + Suffix;
}

std::optional<CachedAnalysis> AnalysisCache::load(const QString &recording) const
{
    const QString entry = entryFor(recording);
    if (entry.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = readEntry(entry);
    if (!bytes)
        return std::nullopt;
    const auto damaged = [&]() -> std::optional<CachedAnalysis> {
        QFile::remove(entry);
        return std::nullopt;
    };

    QDataStream in(*bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    char magic[4] = {};
    quint32 version = 0;
    QByteArray key;
    in.readRawData(magic, 4);
    in >> version >> key;
    const std::optional<FileVersion> stamp = fileVersion(recording);
    if (std::memcmp(magic, Magic, 4) != 0 || version != Version || !stamp || key != keyOf(*stamp))
        return damaged();
    CachedAnalysis cached;
    quint32 frames = 0;
    in >> cached.envelope.frameSeconds >> cached.envelope.duration >> frames;
    if (in.status() != QDataStream::Ok || frames > MaxFrames || !(cached.envelope.frameSeconds > 0))
        return damaged();
    cached.envelope.levels.resize(frames);
    const auto levelBytes = int(frames * sizeof(float));
    if (in.readRawData(reinterpret_cast<char *>(cached.envelope.levels.data()), levelBytes)
        != levelBytes)
        return damaged();
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > MaxSentences)
        return damaged();
    cached.sentences.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        Sentence sentence;
        in >> sentence.start >> sentence.end;
        cached.sentences.append(sentence);
    }
    in >> cached.detectorKey;
    if (in.status() != QDataStream::Ok || in.device()->pos() != bytes->size())
        return damaged();
    markUsed(entry);
    return cached;
}

bool AnalysisCache::store(const QString &recording, const Envelope &envelope,
                          const QList<Sentence> &sentences, const QByteArray &detectorKey) const
{
    const QString entry = entryFor(recording);
    const std::optional<FileVersion> stamp = fileVersion(recording);
    if (entry.isEmpty() || !stamp || !QDir().mkpath(m_folder))
        return false;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData(Magic, 4);
        out << Version << keyOf(*stamp);
        out << envelope.frameSeconds << envelope.duration << quint32(envelope.levels.size());
        out.writeRawData(reinterpret_cast<const char *>(envelope.levels.data()),
                         int(envelope.levels.size() * sizeof(float)));
        out << quint32(sentences.size());
        for (const Sentence &sentence : sentences)
            out << sentence.start << sentence.end;
        out << detectorKey;
    }
    const quint64 sum = checksum(bytes.constData(), bytes.size());
    bytes.append(reinterpret_cast<const char *>(&sum), sizeof sum);
    if (!writeFileAtomically(entry, bytes))
        return false;
    trim();
    return true;
}

QString AnalysisCache::extraEntryFor(const QString &recording, const QByteArray &key) const
{
    if (m_folder.isEmpty())
        return {};
    const std::optional<FileVersion> stamp = fileVersion(recording);
    if (!stamp)
        return {};
    const QByteArray name =
        QCryptographicHash::hash(keyOf(*stamp) + '|' + key, QCryptographicHash::Sha1).toHex();
    return m_folder + QLatin1Char('/') + QString::fromLatin1(name) + Suffix;
}

std::optional<QByteArray> AnalysisCache::loadExtra(const QString &recording,
                                                   const QByteArray &key) const
{
    const QString entry = extraEntryFor(recording, key);
    if (entry.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = readEntry(entry);
    if (!bytes)
        return std::nullopt;
    const auto damaged = [&]() -> std::optional<QByteArray> {
        QFile::remove(entry);
        return std::nullopt;
    };
    QDataStream in(*bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    char magic[4] = {};
    quint32 version = 0;
    QByteArray stamp;
    QByteArray storedKey;
    QByteArray data;
    in.readRawData(magic, 4);
    in >> version >> stamp >> storedKey >> data;
    const std::optional<FileVersion> now = fileVersion(recording);
    if (in.status() != QDataStream::Ok || in.device()->pos() != bytes->size()
        || std::memcmp(magic, ExtraMagic, 4) != 0 || version != Version || !now
        || stamp != keyOf(*now) || storedKey != key)
        return damaged();
    markUsed(entry);
    return data;
}

bool AnalysisCache::storeExtra(const QString &recording, const QByteArray &key,
                               const QByteArray &data) const
{
    const QString entry = extraEntryFor(recording, key);
    const std::optional<FileVersion> stamp = fileVersion(recording);
    if (entry.isEmpty() || !stamp || !QDir().mkpath(m_folder))
        return false;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData(ExtraMagic, 4);
        out << Version << keyOf(*stamp) << key << data;
    }
    const quint64 sum = checksum(bytes.constData(), bytes.size());
    bytes.append(reinterpret_cast<const char *>(&sum), sizeof sum);
    if (!writeFileAtomically(entry, bytes))
        return false;
    trim();
    return true;
}

void AnalysisCache::trim() const
{
    QFileInfoList entries =
        QDir(m_folder).entryInfoList({QLatin1Char('*') + Suffix}, QDir::Files, QDir::Time);
    // Newest first: keep them while they fit.
    qint64 total = 0;
    for (const QFileInfo &info : entries) {
        total += info.size();
        if (total > m_limit)
            QFile::remove(info.filePath());
    }
}
