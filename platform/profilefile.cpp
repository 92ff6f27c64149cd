#include "platform/profilefile.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/filereason.h"
#include "platform/gb18030.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

namespace {

constexpr qsizetype MaxValueLength = 2047;

bool isBlank(char c)
{
    return uchar(c) <= 32;
}

QByteArrayView trimBlanks(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && isBlank(bytes.front()))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && isBlank(bytes.back()))
        bytes.chop(1);
    return bytes;
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

// A file copied from a Chinese Windows machine holds GBK names and values.
// Decoding never changes the file: lines are only rewritten when their value
// changes.
QString decodeBytes(QByteArrayView bytes)
{
    if (!bytes.isValidUtf8())
        return decodeGb18030(bytes);
    // A leading U+FEFF is part of the name or value, not a byte-order mark.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

bool sameNameIgnoringAsciiCase(QByteArrayView nameBytes, const QString &wanted)
{
    // A name never has fewer bytes than UTF-16 units; this skips most lines
    // without decoding them.
    if (nameBytes.size() < wanted.size())
        return false;
    const QString name = decodeBytes(nameBytes);
    if (name.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char16_t a = name.at(i).unicode();
        char16_t b = wanted.at(i).unicode();
        if (a >= u'A' && a <= u'Z')
            a += u'a' - u'A';
        if (b >= u'A' && b <= u'Z')
            b += u'a' - u'A';
        if (a != b)
            return false;
    }
    return true;
}

// Editors on Windows save UTF-8 with a byte-order mark; it belongs to no line
// and stays where it is when the file is rewritten.
qsizetype bomSize(QByteArrayView data)
{
    return data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

struct Line {
    qsizetype begin = 0; // first byte
    qsizetype end = 0;   // the terminator, or the end of the data
    qsizetype next = 0;  // first byte of the following line
};

Line lineAt(QByteArrayView data, qsizetype begin)
{
    const qsizetype size = data.size();
    Line line{begin, begin, begin};
    while (line.end < size && data[line.end] != '\n' && data[line.end] != '\r')
        ++line.end;
    line.next = line.end;
    if (line.next < size)
        line.next += data.sliced(line.next).startsWith("\r\n") ? 2 : 1;
    return line;
}

// What one scan of the file found for a section and key.
struct Location {
    bool sectionFound = false;
    // Where a missing key goes: after the section's last non-empty line.
    qsizetype insertAt = 0;
    bool insertAfterTerminator = true;
    bool keyFound = false;
    Line keyLine;
    QByteArrayView keyName;
    QByteArrayView value; // trimmed, quotes still on
    bool lastLineBlank = true;
};

Location locate(QByteArrayView data, const QString &section, const QString &key)
{
    Location loc;
    bool inSection = false;
    for (qsizetype pos = bomSize(data); pos < data.size();) {
        const Line line = lineAt(data, pos);
        pos = line.next;
        const QByteArrayView text = trimBlanks(data.sliced(line.begin, line.end - line.begin));
        loc.lastLineBlank = text.isEmpty();
        if (text.startsWith('[')) {
            const qsizetype close = text.lastIndexOf(']');
            if (close > 0) {
                if (inSection)
                    break;
                if (!loc.sectionFound
                    && sameNameIgnoringAsciiCase(trimBlanks(text.sliced(1, close - 1)), section)) {
                    inSection = true;
                    loc.sectionFound = true;
                    loc.insertAt = line.next;
                    loc.insertAfterTerminator = line.next != line.end;
                }
                continue;
            }
        }
        if (!inSection || text.isEmpty())
            continue;
        loc.insertAt = line.next;
        loc.insertAfterTerminator = line.next != line.end;
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArrayView name = trimBlanks(text.first(equals));
        if (sameNameIgnoringAsciiCase(name, key)) {
            loc.keyFound = true;
            loc.keyLine = line;
            loc.keyName = name;
            loc.value = trimBlanks(text.sliced(equals + 1));
            break;
        }
    }
    return loc;
}

QByteArray readFile(const QString &path, bool *ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    QByteArray data = file.readAll();
    *ok = file.error() == QFileDevice::NoError;
    return data;
}

std::optional<int> parseInteger(const QString &value)
{
    const QString trimmed = trimBlanks(value);
    QStringView digits = trimmed;
    int base = 10;
    bool negative = false;
    if (digits.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.sliced(2);
    } else if (digits.startsWith(u'+') || digits.startsWith(u'-')) {
        negative = digits.front() == u'-';
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    // Saturating keeps the sign and whether the value is zero, which is all a
    // flag needs; the length is bounded by the 2047-character cut.
    const qint64 limit = qint64(INT_MAX) + 1;
    qint64 magnitude = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        magnitude = std::min(magnitude * base + digit, limit);
    }
    const qint64 number = negative ? -magnitude : magnitude;
    return int(std::clamp<qint64>(number, INT_MIN, INT_MAX));
}

// Quotes a value that reading would otherwise change (trim or unquote).
QByteArray encodeValue(const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    if (bytes.isEmpty())
        return bytes;
    const bool trimmed = isBlank(bytes.front()) || isBlank(bytes.back());
    const bool unquoted =
        bytes.size() >= 2 && isQuote(bytes.front()) && bytes.back() == bytes.front();
    return trimmed || unquoted ? '"' + bytes + '"' : bytes;
}

// A stored value, quotes removed, before the length cut.
QString decodeValue(QByteArrayView value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return decodeBytes(value);
}

bool fitsOnOneLine(const QString &text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

[[noreturn]] void throwUnableToWrite(const QString &path, const QString &reason)
{
    throw AppError(QCoreApplication::translate("ProfileFile", "无法写入文件“%1”：%2")
                       .arg(QDir::toNativeSeparators(path), reason));
}

QString notOnOneLine()
{
    return QCoreApplication::translate("ProfileFile", "名称或值中有换行，无法写成一行");
}

} // namespace

QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    bool ok = true;
    const QByteArray data = readFile(path, &ok);
    const Location loc = locate(data, trimBlanks(section), trimBlanks(key));
    if (!loc.keyFound)
        return defaultValue;
    QString text = decodeValue(loc.value);
    if (text.size() > MaxValueLength) {
        text.truncate(MaxValueLength);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

int readProfileInt(const QString &path, const QString &section, const QString &key,
                   int defaultValue)
{
    return parseInteger(readProfileString(path, section, key, QString())).value_or(defaultValue);
}

namespace {

// Sets one key in the file's bytes, leaving every other byte as it was;
// false when the key already held the value.
bool setKey(QByteArray &data, const QString &path, const QString &section, const QString &key,
            const QString &value)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    // Such names and values would split or change the line they are written to.
    if (!fitsOnOneLine(sectionName) || !fitsOnOneLine(keyName) || !fitsOnOneLine(value)
        || keyName.contains(u'=') || keyName.startsWith(u'['))
        throwUnableToWrite(path, notOnOneLine());

    const Location loc = locate(data, sectionName, keyName);
    // A key that already holds the value keeps its line as it is, in whatever
    // encoding and spelling: saving the recent list must not rewrite entries
    // another machine stored in GBK.
    if (loc.keyFound && decodeValue(loc.value) == value)
        return false;

    const QByteArray name = loc.keyFound ? loc.keyName.toByteArray() : keyName.toUtf8();
    const QByteArray keyLine = name + '=' + encodeValue(value) + "\r\n";
    // The new bytes are head + added + tail, head and tail being untouched bytes.
    qsizetype headSize = data.size();
    QByteArray added;
    qsizetype tailFrom = data.size();
    if (loc.keyFound) {
        headSize = loc.keyLine.begin;
        added = keyLine;
        tailFrom = loc.keyLine.next;
    } else if (loc.sectionFound) {
        headSize = tailFrom = loc.insertAt;
        if (!loc.insertAfterTerminator)
            added = "\r\n";
        added += keyLine;
    } else {
        if (data.size() > bomSize(data) && !data.endsWith('\n') && !data.endsWith('\r'))
            added = "\r\n";
        if (!loc.lastLineBlank)
            added += "\r\n";
        added += '[' + sectionName.toUtf8() + "]\r\n" + keyLine;
    }
    data.replace(headSize, tailFrom - headSize, added);
    return true;
}

} // namespace

void writeProfileStrings(const QString &path, const QString &section,
                         const QList<QPair<QString, QString>> &keysAndValues)
{
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (info.isDir())
        throwUnableToWrite(path, fileErrorReason(EISDIR));
    QByteArray data;
    if (existed) {
        bool ok = true;
        data = readFile(path, &ok);
        // Never replace a file whose lines could not all be kept.
        if (!ok)
            throwUnableToWrite(path,
                               QCoreApplication::translate("ProfileFile", "无法读出原有内容"));
    }
    bool changed = false;
    for (const auto &[key, value] : keysAndValues)
        changed |= setKey(data, path, section, key, value);
    if (existed && !changed)
        return;

    QString reason;
    if (writeFileAtomically(path, data, &reason))
        return;
    if (!existed)
        throw AppError(QCoreApplication::translate("ProfileFile", "无法创建文件“%1”：%2")
                           .arg(QDir::toNativeSeparators(path), reason));
    throwUnableToWrite(path, reason);
}

void writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value)
{
    writeProfileStrings(path, section, {{key, value}});
}
