#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QLockFile;

// One recovery copy: the unsaved text of a dictation document and what is
// needed to put it back as it was.
struct RecoveryEntry {
    QString path;         // the copy's own file (set by RecoveryStore::list())
    QString documentName; // the document's file, empty for a new document
    QString recording;    // the recording it belongs to, may be empty
    QString encoding;     // RecoveryEntry::Utf8 or RecoveryEntry::Gb18030
    QDateTime time;       // when the snapshot was taken
    QString text;
    // The document's file as the text was based on it (when it was loaded or
    // last saved): a file that differs now was written after it. Unknown in
    // copies of earlier versions.
    bool baseKnown = false;
    bool baseExists = false;
    qint64 baseSize = -1;
    QDateTime baseModified;

    static constexpr QLatin1StringView Utf8{"utf-8"};
    static constexpr QLatin1StringView Gb18030{"gb18030"};

    friend bool operator==(const RecoveryEntry &, const RecoveryEntry &) = default;
};

struct RecoveryListResult {
    QList<RecoveryEntry> entries; // readable copies, newest first
    QStringList damaged;          // unreadable copies, as renamed aside
};

// The file format: a first line naming it, "key=value" lines (values escape
// backslash, CR and LF), an empty line, then the text bytes. The header gives
// the text's length and checksum, so a truncated or altered copy is noticed.
// The text may contain anything; it is never scanned for the header's end.
QByteArray encodeRecoveryCopy(const RecoveryEntry &entry);
// std::nullopt when the bytes are not a complete, intact copy. `path` is left empty.
std::optional<RecoveryEntry> decodeRecoveryCopy(const QByteArray &bytes);

// How the document's file stands against a copy, given what the file is now.
enum class FileAgainstCopy {
    Unchanged, // as the copy found it, or gone, or no file: restoring loses nothing
    Newer,     // written after the copy was taken
    Older,     // written by someone else after the copy's text was loaded
};
FileAgainstCopy compareFileWithCopy(const RecoveryEntry &entry, bool exists, qint64 size,
                                    const QDateTime &modified);

// The lines of the start-up question, one per copy in the given order:
// document file name (or 未命名), recording file name, local time.
QString recoveryListText(const QList<RecoveryEntry> &entries);

// The folder of recovery copies. Each store (one per running program) writes
// only its own file, named after the process and a random id, and holds a lock
// beside it while the program runs, so that another program's list() leaves
// a live copy alone. Safe to use from several threads.
class RecoveryStore
{
public:
    explicit RecoveryStore(QString folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // AppDataLocation + "/recovery".
    static QString defaultFolder();

    QString folder() const { return m_folder; }
    QString ownFilePath() const { return m_ownPath; }

    // Replaces the own copy atomically. On failure the previous copy (if
    // any) stays, and `error` (if given) says why.
    bool write(const RecoveryEntry &entry, QString *error = nullptr);

    // Copies left by other programs (not the own one, nor one a running
    // program still holds). Damaged copies (also any larger than
    // MaxCopyBytes, which are never read) are renamed with ".damaged" and
    // reported once; only the newest KeptDamagedCopies of those are kept.
    RecoveryListResult list() const;

    static constexpr qint64 MaxCopyBytes = 256 * 1024 * 1024;
    static constexpr int KeptDamagedCopies = 5;

    bool remove(const QString &path) const;
    bool remove(const RecoveryEntry &entry) const { return remove(entry.path); }
    // Deletes the own copy; true when none is left.
    bool removeOwn() const;

private:
    bool holdLock(QString *error);

    QString m_folder;
    QString m_ownPath;
    QMutex m_lockMutex;
    std::unique_ptr<QLockFile> m_lock;
};
