#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Key-level access to an ini file ("[Section]" lines, "key=value" lines under
// them), in the manner of GetPrivateProfileString/WritePrivateProfileString.
// Every call reads the file afresh; nothing is cached.
//
// Parsing: a UTF-8 byte-order mark at the start of the file belongs to no
// line. Lines end with CR LF, LF or a lone CR. A line whose trimmed text
// starts with "[" and contains "]" is a section header; its name lies between
// the "[" and the last "]". A line with "=" is a key; its name is the text
// before the first "=". Names are trimmed and compared ignoring the case of
// ASCII letters; only the first section of a name and, in it, the first key of
// a name count. Any other line (comments, junk) is kept but never matches.
// Blanks are characters with a code of 32 or less. Names and values are
// decoded as UTF-8 when their bytes are valid UTF-8, otherwise as GB18030.

// The key's value: the text after the first "=", trimmed, without one pair of
// surrounding double or single quotes, cut at 2047 characters. An empty value
// gives the empty string; a missing or unreadable file, a missing section or a
// missing key gives defaultValue.
QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &defaultValue);

// The key's value as an integer: the whole value must be a decimal number with
// an optional sign, or a hexadecimal one with a 0x or 0X prefix; numbers out of
// the int range saturate. Anything else (missing, empty, words, trailing junk)
// gives defaultValue.
int readProfileInt(const QString &path, const QString &section, const QString &key,
                   int defaultValue);

// Sets the key's value. An existing key that already reads as the value is
// left alone (the file is not written at all); another existing key's line
// is replaced in place (keeping the key's spelling from the file); a missing
// key is added after the last non-empty line of its section; a missing
// section is added at the end of the file, after an empty line unless the
// file is empty or already ends with an empty line; a missing file is
// created. The lines written end with CR LF, and every other byte of the file
// (a byte-order mark too) stays as it was. Values are written as UTF-8, in
// double quotes when reading would otherwise trim or unquote them.
// The file is replaced atomically.
//
// Throws AppError: "无法创建文件“<path>”：<reason>" when the file did not
// exist and could not be created; "无法写入文件“<path>”：<reason>" for every
// other failure, including an existing file that cannot be read and names or
// values that cannot be stored on one line.
void writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value);

// Sets several keys of one section with one replacement of the file, each as
// writeProfileString would; nothing is written when any of them fails.
void writeProfileStrings(const QString &path, const QString &section,
                         const QList<QPair<QString, QString>> &keysAndValues);
