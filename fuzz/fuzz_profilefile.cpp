// Fuzz target for the profile-file layer: a file of any bytes, then a few key
// writes.
//
// Input, taken apart with FuzzedDataProvider: whether the file exists and its
// bytes, then one to four writes, each a section name, a key name and a value.
// Names are text in UTF-8 or Latin-1, or names the file already has (as read,
// or with the ASCII case swapped and blanks around); values are text (UTF-16
// too, so unpaired surrogates occur), numbers, texts longer than the
// 2047-character cut, quoted or blank-padded texts, or empty.
//
// After every write: a write that throws AppError was given a name or value
// that cannot be stored on one line, and left the file as it was; any other
// write reads back as written, also with other ASCII case and blanks around
// the names, and writing it again changes no byte. At the end: every pair written reads back its
// last value, every line of the original file that cannot be the line of a written key is still
// there, byte for byte and in order, and no temporary file is left behind.

#include "platform/errors.h"
#include "platform/gb18030.h"
#include "platform/profilefile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

std::string &workDirectory()
{
    static std::string directory;
    return directory;
}

void removeWorkDirectory()
{
    std::error_code ignored;
    if (!workDirectory().empty())
        std::filesystem::remove_all(workDirectory(), ignored);
}

// Ends the run; exit handlers do not run on abort, so the folder goes first.
[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "profile file: %s\n", what);
    removeWorkDirectory();
    std::abort();
}

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fail(#condition);                                                                      \
    } while (false)

constexpr qsizetype MaxValueLength = 2047;

// No stored value can hold a line break, so this never reads back.
const QString Missing = QStringLiteral("\n(missing)");

// Every input works on the same file, in a folder made once per process. A
// folder in memory, where there is one, keeps the disk flush of every atomic
// save from dominating the run time (about six times as many runs).
const QString &profilePath()
{
    static const QString path = [] {
        const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
        std::string pattern = inMemory ? "/dev/shm" : "/tmp";
        pattern += "/quillmar-fuzz-profile-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        workDirectory() = pattern;
        std::atexit(removeWorkDirectory);
        return QString::fromStdString(pattern) + QStringLiteral("/settings.ini");
    }();
    return path;
}

QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray trimmed(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && uchar(bytes.at(begin)) <= 32)
        ++begin;
    while (end > begin && uchar(bytes.at(end - 1)) <= 32)
        --end;
    return bytes.mid(begin, end - begin);
}

QString foldAscii(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

QString swapAsciiCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
        else if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return out;
}

// UTF-8 with a leading U+FEFF kept as a character, so that names and values
// may start with one.
QString utf8KeepingBom(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom
                                                       | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString asReaderSees(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : decodeGb18030(bytes);
}

struct FileLine {
    QByteArray text;
    QByteArray terminator; // CR LF, LF, CR, or empty for an unterminated last line
};

// The lines as the reader sees them: a leading byte-order mark is no text.
std::vector<FileLine> splitLines(const QByteArray &data)
{
    std::vector<FileLine> lines;
    qsizetype pos = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < data.size()) {
        qsizetype end = pos;
        while (end < data.size() && data.at(end) != '\r' && data.at(end) != '\n')
            ++end;
        qsizetype next = end;
        if (next < data.size())
            next += data.mid(next, 2) == "\r\n" ? 2 : 1;
        lines.push_back({data.mid(pos, end - pos), data.mid(end, next - end)});
        pos = next;
    }
    return lines;
}

QByteArray readAll(const QString &path, bool *exists)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return {};
    REQUIRE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QString takeText(FuzzedDataProvider &input, std::size_t maxBytes, bool allowUtf16)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxBytes);
    switch (input.ConsumeIntegralInRange<int>(0, allowUtf16 ? 2 : 1)) {
    case 0:
        return utf8KeepingBom(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    case 1:
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    default: {
        QString text;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
        return text;
    }
    }
}

// A section or key name: new text, or one the file already has, so that
// writes land on existing lines too.
QString takeName(FuzzedDataProvider &input, const QByteArray &file, bool section)
{
    const int mode = input.ConsumeIntegralInRange<int>(0, 3);
    if (mode < 2)
        return takeText(input, 48, false);
    QList<QByteArray> names;
    for (const FileLine &line : splitLines(file)) {
        const QByteArray text = trimmed(line.text);
        const qsizetype close = text.lastIndexOf(']');
        const bool header = text.startsWith('[') && close > 0;
        if (section && header)
            names.append(trimmed(text.mid(1, close - 1)));
        else if (!section && !header && text.contains('='))
            names.append(trimmed(text.left(text.indexOf('='))));
    }
    if (names.isEmpty())
        return {};
    const QString name =
        asReaderSees(names.at(input.ConsumeIntegralInRange<qsizetype>(0, names.size() - 1)));
    return mode == 2 ? name : QStringLiteral(" \t") + swapAsciiCase(name) + u' ';
}

struct Write {
    QString section;
    QString key;
    QString value;
    std::optional<int> number; // the value read as an integer, for number values
};

QString takeValue(FuzzedDataProvider &input, std::optional<int> *number)
{
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        return takeText(input, 256, true);
    case 1: {
        const int n = input.ConsumeIntegral<int>();
        *number = n;
        if (n >= 0 && input.ConsumeBool())
            return QStringLiteral("0x") + QString::number(n, 16);
        return QString::number(n);
    }
    case 2: {
        // Around the cut, so that it may fall inside a surrogate pair.
        QString base = takeText(input, 16, true);
        if (base.isEmpty())
            base = QStringLiteral("x");
        const qsizetype length = input.ConsumeIntegralInRange<qsizetype>(2040, 2060);
        QString value;
        while (value.size() < length)
            value += base;
        value.truncate(length);
        return value;
    }
    case 3: {
        static const char16_t wraps[] = {u'"', u'\'', u' ', u'\t'};
        const QString base = takeText(input, 64, true);
        const QChar wrap(wraps[input.ConsumeIntegralInRange<int>(0, 3)]);
        return wrap + base + wrap;
    }
    default:
        return {};
    }
}

bool fitsOnOneLine(const QString &text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

// What the product must refuse: anything that would split the line, a key
// whose "=" would end its name early, a key that would read as a section.
bool storable(const Write &write)
{
    const QString key = trimmed(write.key);
    return fitsOnOneLine(trimmed(write.section)) && fitsOnOneLine(key) && fitsOnOneLine(write.value)
           && !key.contains(u'=') && !key.startsWith(u'[');
}

// Reading gives the value cut at 2047 characters, never ending in half a
// pair. UTF-8 cannot carry an unpaired surrogate: it comes back as "?" or
// U+FFFD.
bool readsBackAs(const QString &read, const QString &written)
{
    QString expected;
    std::vector<bool> unpaired;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QChar c = written.at(i);
        if (c.isHighSurrogate() && i + 1 < written.size() && written.at(i + 1).isLowSurrogate()) {
            expected += c;
            expected += written.at(++i);
            unpaired.insert(unpaired.end(), 2, false);
        } else {
            expected += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
            unpaired.push_back(c.isSurrogate());
        }
    }
    if (expected.size() > MaxValueLength) {
        expected.truncate(MaxValueLength);
        if (expected.back().isHighSurrogate())
            expected.chop(1);
    }
    if (read.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < read.size(); ++i) {
        const bool same = unpaired[std::size_t(i)]
                              ? read.at(i) == u'?' || read.at(i) == QChar::ReplacementCharacter
                              : read.at(i) == expected.at(i);
        if (!same)
            return false;
    }
    return true;
}

// Whether a line of the original file may be the line of a written key, under
// any decoding of its name: such lines may be replaced.
bool mayBeKeyLineOf(const QByteArray &lineText, const std::vector<Write> &writes)
{
    const qsizetype equals = lineText.indexOf('=');
    if (equals < 0)
        return false;
    const QByteArray name = trimmed(lineText.left(equals));
    const QString decodings[] = {QString::fromUtf8(name), decodeGb18030(name),
                                 utf8KeepingBom(name)};
    for (const QString &decoded : decodings) {
        for (const Write &write : writes) {
            if (foldAscii(trimmed(decoded)) == foldAscii(trimmed(write.key)))
                return true;
        }
    }
    return false;
}

void checkOriginalLinesKept(const QByteArray &original, const QByteArray &result,
                            const std::vector<Write> &writes)
{
    const std::vector<FileLine> before = splitLines(original);
    const std::vector<FileLine> after = splitLines(result);
    std::size_t at = 0;
    for (const FileLine &line : before) {
        if (mayBeKeyLineOf(line.text, writes))
            continue;
        // An unterminated last line may have been ended by what was added.
        const bool open = line.terminator.isEmpty();
        while (
            at < after.size()
            && !(after[at].text == line.text && (open || after[at].terminator == line.terminator)))
            ++at;
        REQUIRE(at < after.size());
        ++at;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString &path = profilePath();
    const QString directory = QString::fromStdString(workDirectory());

    QFile::remove(path);
    const bool missing = input.ConsumeIntegralInRange<int>(0, 15) == 15;
    const std::string originalBytes = input.ConsumeRandomLengthString(size);
    const QByteArray original(originalBytes.data(), qsizetype(originalBytes.size()));
    if (!missing) {
        QFile file(path);
        REQUIRE(file.open(QIODevice::WriteOnly));
        REQUIRE(file.write(original) == original.size());
    }

    std::vector<Write> written;
    const int writeCount = input.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < writeCount; ++i) {
        bool existed = false;
        const QByteArray before = readAll(path, &existed);
        Write write;
        write.section = takeName(input, before, true);
        write.key = takeName(input, before, false);
        write.value = takeValue(input, &write.number);

        bool refused = false;
        try {
            writeProfileString(path, write.section, write.key, write.value);
        } catch (const AppError &) {
            refused = true;
        }
        bool exists = false;
        const QByteArray after = readAll(path, &exists);
        if (refused) {
            REQUIRE(!storable(write));
            REQUIRE(exists == existed);
            REQUIRE(after == before);
            continue;
        }
        REQUIRE(storable(write));
        REQUIRE(exists);

        const QString read = readProfileString(path, write.section, write.key, Missing);
        REQUIRE(readsBackAs(read, write.value));
        // Names are trimmed and compared ignoring the case of ASCII letters.
        REQUIRE(readProfileString(path, QStringLiteral("\t ") + swapAsciiCase(write.section) + u' ',
                                  u' ' + swapAsciiCase(write.key) + QStringLiteral("\t"), Missing)
                == read);
        const int number = readProfileInt(path, write.section, write.key, -7);
        if (write.number)
            REQUIRE(number == *write.number);
        // Writing the value a key already holds changes no byte.
        writeProfileString(path, write.section, write.key, write.value);
        REQUIRE(readAll(path, &exists) == after);
        written.push_back(write);
    }

    // Every pair written reads back the value of its last write.
    for (std::size_t i = 0; i < written.size(); ++i) {
        bool overwritten = false;
        for (std::size_t j = i + 1; j < written.size(); ++j) {
            overwritten =
                overwritten
                || (foldAscii(trimmed(written[j].section)) == foldAscii(trimmed(written[i].section))
                    && foldAscii(trimmed(written[j].key)) == foldAscii(trimmed(written[i].key)));
        }
        if (!overwritten) {
            REQUIRE(
                readsBackAs(readProfileString(path, written[i].section, written[i].key, Missing),
                            written[i].value));
        }
    }

    bool exists = false;
    const QByteArray result = readAll(path, &exists);
    if (!missing)
        checkOriginalLinesKept(original, result, written);

    // Atomic replacement leaves no temporary file behind, even when refused.
    const QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden
                                                          | QDir::System | QDir::NoDotAndDotDot);
    REQUIRE(entries == (exists ? QStringList{QStringLiteral("settings.ini")} : QStringList{}));
    return 0;
}
