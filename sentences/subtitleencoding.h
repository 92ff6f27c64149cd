#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How the bytes of a subtitle file become text, as players read them.
struct SubtitleEncodingHints {
    // The encoding the learner chose for the file; empty to detect it.
    QString chosen;
    // Languages the text is likely in, most likely first (the language
    // dictated, then the interface's): ISO 639-1 codes such as "en", "zh".
    QStringList languages;
};

struct DecodedSubtitle {
    QString text;
    QString encoding; // the name it was read with: "UTF-8", "GB18030", "windows-1252"...
};

// A byte-order mark, or UTF-16 told by its NUL bytes, wins; then UTF-8 when
// the bytes are valid UTF-8; then what the charset detector makes of the
// whole file, when it has enough to go on; then the usual encodings of the
// hinted languages. A reading with replacement characters is taken only when
// every other one has them too.
DecodedSubtitle decodeSubtitleBytes(const QByteArray &bytes,
                                    const SubtitleEncodingHints &hints = {});

// The encodings a learner may choose from, by the names decodeSubtitleBytes()
// reports.
QStringList subtitleEncodingChoices();

// The encodings chosen by the learner, one per subtitle file, kept in a small
// file of "encoding<TAB>path" lines. An empty file name keeps nothing.
class SubtitleEncodingChoices
{
public:
    explicit SubtitleEncodingChoices(const QString &fileName) : m_fileName(fileName) {}
    QString choice(const QString &subtitlePath) const;
    // An empty encoding forgets the choice (detection again). False when the
    // file could not be written.
    bool setChoice(const QString &subtitlePath, const QString &encoding) const;

private:
    QString m_fileName;
};
