#include "recovery/recoverystore.h"

#include "platform/atomicfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace {

const QByteArray Magic = QByteArrayLiteral("Quillmar recovery copy 1");
const QString Suffix = QStringLiteral(".recovery");
const QString LockSuffix = QStringLiteral(".lock");
const QString DamagedSuffix = QStringLiteral(".damaged");

// Text that is not valid UTF-16 (an unpaired surrogate) would not survive
// UTF-8; such text is stored as its UTF-16 code units instead.
const QByteArray FormatUtf8 = QByteArrayLiteral("utf-8");
const QByteArray FormatUtf16 = QByteArrayLiteral("utf-16le");

QByteArray escape(const QString &value)
{
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<QString> unescape(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return QString::fromUtf8(out);
}

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray textBytes(const QString &text, QByteArray *format)
{
    if (text.isValidUtf16()) {
        *format = FormatUtf8;
        return text.toUtf8();
    }
    *format = FormatUtf16;
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        bytes[2 * i] = char(unit & 0xff);
        bytes[2 * i + 1] = char(unit >> 8);
    }
    return bytes;
}

QString fromUtf16Le(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8)));
    return text;
}

// Renames a damaged copy aside, never over another file.
QString moveAside(const QString &path)
{
    QString target = path + DamagedSuffix;
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = path + QStringLiteral(".%1").arg(n) + DamagedSuffix;
    return QFile::rename(path, target) ? target : QString();
}

// Damaged copies are kept for a look at them, but only the newest few.
void pruneDamaged(const QDir &dir)
{
    const QFileInfoList damaged = dir.entryInfoList({QLatin1Char('*') + DamagedSuffix},
                                                    QDir::Files | QDir::Hidden, QDir::Time);
    for (qsizetype i = RecoveryStore::KeptDamagedCopies; i < damaged.size(); ++i)
        QFile::remove(damaged.at(i).filePath());
}

// True when a running program holds the lock beside the copy. A lock left
// behind by a program that has ended is removed on the way.
bool heldByRunningProgram(const QString &lockPath)
{
    if (!QFileInfo::exists(lockPath))
        return false;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return lock.error() == QLockFile::LockFailedError;
    lock.unlock();
    return false;
}

} // namespace

QByteArray encodeRecoveryCopy(const RecoveryEntry &entry)
{
    QByteArray format;
    const QByteArray text = textBytes(entry.text, &format);
    QByteArray out = Magic + '\n';
    const auto add = [&out](const char *key, const QByteArray &value) {
        out += key;
        out += '=';
        out += value;
        out += '\n';
    };
    add("time", entry.time.toUTC().toString(Qt::ISODateWithMs).toLatin1());
    add("document", escape(entry.documentName));
    add("recording", escape(entry.recording));
    add("encoding", escape(entry.encoding));
    if (entry.baseKnown) {
        add("base-size", QByteArray::number(entry.baseExists ? entry.baseSize : -1));
        if (entry.baseExists)
            add("base-modified", entry.baseModified.toUTC().toString(Qt::ISODateWithMs).toLatin1());
    }
    add("text-format", format);
    add("text-bytes", QByteArray::number(text.size()));
    add("text-sha1", checksum(text));
    out += '\n';
    out += text;
    return out;
}

namespace {

struct Header {
    RecoveryEntry entry;
    QByteArray format;
    QByteArray sha1;
    qsizetype textBytes = -1;
    qsizetype size = 0; // of the header, with its empty last line
};

// The header of a copy, from its first bytes; std::nullopt when they do not
// start a copy or the header does not end within them.
std::optional<Header> decodeHeader(QByteArrayView bytes)
{
    qsizetype pos = 0;
    const auto nextLine = [&bytes, &pos]() -> std::optional<QByteArrayView> {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            return std::nullopt;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        pos = end + 1;
        return line;
    };
    if (nextLine() != QByteArrayView(Magic))
        return std::nullopt;

    Header header;
    RecoveryEntry &entry = header.entry;
    bool haveTime = false, haveDocument = false, haveRecording = false, haveEncoding = false;
    for (;;) {
        const std::optional<QByteArrayView> line = nextLine();
        if (!line)
            return std::nullopt;
        if (line->isEmpty())
            break;
        const qsizetype eq = line->indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArrayView key = line->first(eq);
        const QByteArrayView value = line->sliced(eq + 1);
        if (key == "time") {
            entry.time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
            haveTime = entry.time.isValid();
        } else if (key == "text-format") {
            header.format = value.toByteArray();
        } else if (key == "text-bytes") {
            bool ok = false;
            header.textBytes = value.toByteArray().toLongLong(&ok);
            if (!ok)
                header.textBytes = -1;
        } else if (key == "text-sha1") {
            header.sha1 = value.toByteArray();
        } else if (key == "base-size") {
            bool ok = false;
            entry.baseSize = value.toByteArray().toLongLong(&ok);
            entry.baseKnown = ok;
            entry.baseExists = ok && entry.baseSize >= 0;
        } else if (key == "base-modified") {
            entry.baseModified =
                QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        } else if (key == "document" || key == "recording" || key == "encoding") {
            std::optional<QString> text = unescape(value);
            if (!text)
                return std::nullopt;
            if (key == "document") {
                entry.documentName = *text;
                haveDocument = true;
            } else if (key == "recording") {
                entry.recording = *text;
                haveRecording = true;
            } else {
                entry.encoding = *text;
                haveEncoding = true;
            }
        }
        // Other keys come from a later version and are passed over.
    }
    if (!haveTime || !haveDocument || !haveRecording || !haveEncoding || header.textBytes < 0)
        return std::nullopt;
    if (entry.encoding != RecoveryEntry::Utf8 && entry.encoding != RecoveryEntry::Gb18030)
        return std::nullopt;
    if (entry.baseExists && !entry.baseModified.isValid())
        return std::nullopt;
    if (!entry.baseExists)
        entry.baseSize = -1;
    header.size = pos;
    return header;
}

// A header never comes near this; a file without its end in these bytes is
// no copy, however large it is.
constexpr qsizetype MaxHeaderBytes = 64 * 1024;

} // namespace

std::optional<RecoveryEntry> decodeRecoveryCopy(const QByteArray &bytes)
{
    std::optional<Header> header = decodeHeader(bytes);
    if (!header || bytes.size() - header->size != header->textBytes)
        return std::nullopt;
    const QByteArrayView text = QByteArrayView(bytes).sliced(header->size);
    if (checksum(text) != header->sha1)
        return std::nullopt;
    RecoveryEntry entry = std::move(header->entry);
    if (header->format == FormatUtf8)
        entry.text = QString::fromUtf8(text);
    else if (header->format == FormatUtf16 && header->textBytes % 2 == 0)
        entry.text = fromUtf16Le(text);
    else
        return std::nullopt;
    return entry;
}

FileAgainstCopy compareFileWithCopy(const RecoveryEntry &entry, bool exists, qint64 size,
                                    const QDateTime &modified)
{
    if (entry.documentName.isEmpty() || !exists)
        return FileAgainstCopy::Unchanged;
    if (entry.baseKnown && entry.baseExists && size == entry.baseSize
        && modified == entry.baseModified)
        return FileAgainstCopy::Unchanged;
    if (modified > entry.time)
        return FileAgainstCopy::Newer;
    // A copy of an earlier version says nothing of its base; a file older
    // than the copy is then taken as the one it was made from.
    return entry.baseKnown ? FileAgainstCopy::Older : FileAgainstCopy::Unchanged;
}

QString recoveryListText(const QList<RecoveryEntry> &entries)
{
    QStringList lines;
    for (const RecoveryEntry &entry : entries) {
        const QString document = entry.documentName.isEmpty()
                                     ? QCoreApplication::translate("RecoveryStore", "未命名")
                                     : QFileInfo(entry.documentName).fileName();
        const QString recording = entry.recording.isEmpty()
                                      ? QCoreApplication::translate("RecoveryStore", "无录音")
                                      : QFileInfo(entry.recording).fileName();
        lines += document + QStringLiteral("，") + recording + QStringLiteral("，")
                 + entry.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    return lines.join(QLatin1Char('\n'));
}

RecoveryStore::RecoveryStore(QString folder) : m_folder(std::move(folder))
{
    // The pid tells programs apart while they run; the random part keeps a
    // later program that gets the same pid from taking over an old copy.
    const QString id = QStringLiteral("%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    m_ownPath = QDir(m_folder).filePath(QStringLiteral("quillmar-") + id + Suffix);
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
           + QStringLiteral("/recovery");
}

bool RecoveryStore::holdLock(QString *error)
{
    QMutexLocker locker(&m_lockMutex);
    if (m_lock)
        return true;
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = QCoreApplication::translate("RecoveryStore", "无法创建文件夹 %1")
                         .arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(m_ownPath + LockSuffix);
    // The name is this process's own; an old lock under it can only be stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (error)
            *error = QCoreApplication::translate("RecoveryStore", "无法写入 %1")
                         .arg(QDir::toNativeSeparators(m_ownPath + LockSuffix));
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

bool RecoveryStore::write(const RecoveryEntry &entry, QString *error)
{
    if (!holdLock(error))
        return false;
    QString reason;
    if (writeFileAtomically(m_ownPath, encodeRecoveryCopy(entry), &reason))
        return true;
    if (error)
        *error = QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(m_ownPath), reason);
    return false;
}

RecoveryListResult RecoveryStore::list() const
{
    RecoveryListResult result;
    const QDir dir(m_folder);
    const QFileInfoList files =
        dir.entryInfoList({QLatin1Char('*') + Suffix}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &info : files) {
        const QString path = info.filePath();
        if (path == m_ownPath || heldByRunningProgram(path + LockSuffix))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue; // unreadable now, perhaps not later: left as it is
        // The header first: a file that is no copy, or far too large for
        // one, is never read whole.
        std::optional<RecoveryEntry> entry;
        const qint64 size = file.size();
        if (size <= MaxCopyBytes) {
            const std::optional<Header> header = decodeHeader(file.peek(MaxHeaderBytes));
            if (header && header->size + header->textBytes == size)
                entry = decodeRecoveryCopy(file.readAll());
        }
        file.close();
        if (entry) {
            entry->path = path;
            result.entries += std::move(*entry);
        } else {
            // Left in place (and named as it is) when it cannot be renamed.
            const QString aside = moveAside(path);
            result.damaged += aside.isEmpty() ? path : aside;
        }
    }
    pruneDamaged(dir);
    // Locks left by programs that ended without a copy.
    for (const QFileInfo &info :
         dir.entryInfoList({QLatin1Char('*') + Suffix + LockSuffix}, QDir::Files | QDir::Hidden)) {
        const QString copy = info.filePath().chopped(LockSuffix.size());
        if (copy != m_ownPath && !QFileInfo::exists(copy))
            heldByRunningProgram(info.filePath());
    }
    std::sort(result.entries.begin(), result.entries.end(),
              [](const RecoveryEntry &a, const RecoveryEntry &b) {
                  return a.time != b.time ? a.time > b.time : a.path < b.path;
              });
    return result;
}

bool RecoveryStore::remove(const QString &path) const
{
    if (path.isEmpty())
        return false;
    return QFile::remove(path) || !QFileInfo::exists(path);
}

bool RecoveryStore::removeOwn() const
{
    return remove(m_ownPath);
}
