#pragma once

#include <QByteArray>
#include <QString>

// A plain text file as the editor holds it: lines end with CR LF, and the
// encoding it was read in is kept so that saving writes the same bytes back.
struct TextFileContent {
    // Files that are not valid UTF-8 are taken as GB18030, a superset of GBK,
    // the code page of Simplified Chinese Windows. New documents are UTF-8.
    enum class Encoding { Utf8, Gb18030 };

    QString text;
    Encoding encoding = Encoding::Utf8;
    // Whether encoding the text gives the file's bytes back (line breaks
    // aside): false when saving would change parts nobody edited.
    bool exact = true;
};

// Decodes file bytes: UTF-8 (without its byte-order mark) when the bytes are
// valid UTF-8, otherwise GB18030. CR LF, a lone CR and a lone LF all become
// CR LF; a final line break is neither added nor removed.
TextFileContent decodeText(const QByteArray &bytes);

// Turns every CR LF, lone CR and lone LF into CR LF.
QString normalizeLineBreaks(const QString &text);

// The CR LF text as a text editor holds it: lines separated by a lone LF.
QString toEditorText(const QString &crlfText);

// The text of an editor's document as it is saved: block and line separators
// (U+2029, U+2028) become CR LF, every other character stays as it is.
QString fromEditorRawText(const QString &rawText);

// Reads and decodes a whole file. Throws AppError naming the file when it
// cannot be opened or read.
TextFileContent readTextFile(const QString &path);

// Encodes text without a byte-order mark. GB18030 represents every Unicode
// character; text it cannot encode (an unpaired UTF-16 surrogate) is written
// as UTF-8 instead, so that no character is swapped for a substitute.
QByteArray encodeText(const QString &text, TextFileContent::Encoding encoding);

// Writes the text as it stands (no line-break conversion) through QSaveFile:
// the file is replaced only once all bytes are on disk, so a failed save leaves
// the old file intact. Returns false on any failure, with the reason in *error.
bool writeTextFile(const QString &path, const QString &text, TextFileContent::Encoding encoding,
                   QString *error = nullptr);
