// Fuzz target for the text-file layer: the input is the bytes of a file.
//
// Decoding must give CR LF line breaks only and account for every byte;
// encoding the text in the encoding it was read in and decoding that again
// must give the same text, since saving an unchanged document must not change
// what the next opening shows; and appending a line must add exactly that line
// and keep the breaks CR LF.

#include "dictation/textfile.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "text file: %s\n", what);
    std::abort();
}

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fail(#condition);                                                                      \
    } while (false)

const QLatin1StringView CrLf("\r\n");

bool hasOnlyCrLf(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r') {
            if (i + 1 >= text.size() || text.at(i + 1) != u'\n')
                return false;
            ++i;
        } else if (text.at(i) == u'\n') {
            return false;
        }
    }
    return true;
}

// The lines of a document whose breaks are CR LF; a final CR LF ends the last
// line rather than starting an empty one.
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextFileContent content = decodeText(bytes);
    const QString &text = content.text;

    REQUIRE((content.encoding == TextFileContent::Encoding::Utf8) == bytes.isValidUtf8());
    REQUIRE(hasOnlyCrLf(text));
    REQUIRE(normalizeLineBreaks(text) == text);
    // No byte is left out: a line break added to the file adds one to the text
    // and changes nothing before it (a line feed never continues a character).
    const QString extended = decodeText(bytes + '\n').text;
    REQUIRE(extended == (bytes.endsWith('\r') ? text : text + CrLf));

    const QByteArray saved = encodeText(text, content.encoding);
    // No byte-order mark is written (in GB18030, those bytes may be text).
    if (content.encoding == TextFileContent::Encoding::Utf8)
        REQUIRE(!saved.startsWith("\xEF\xBB\xBF"));
    const TextFileContent reopened = decodeText(saved);
    REQUIRE(reopened.text == text);

    return 0;
}
