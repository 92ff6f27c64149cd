#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// Bytes that are not UTF-8 come from Simplified Chinese Windows: GBK, of
// which GB18030 is a superset. Qt 6.4's QStringConverter enum has no GB18030;
// the decoder is asked for it by name, which ICU provides.
inline QString decodeGb18030(QByteArrayView bytes)
{
    QStringDecoder decoder("GB18030");
    // The decoder keeps an unfinished character at the end to itself and
    // never reports it; a line feed, never part of a character, flushes it
    // out as a replacement character instead of losing it silently.
    QString text = decoder.decode(bytes.toByteArray() + '\n');
    text.chop(1);
    return text;
}
