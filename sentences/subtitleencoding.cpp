#include "sentences/subtitleencoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

const QString Utf8 = QStringLiteral("UTF-8");

// Below this many bytes outside ASCII the detector guesses: "Café" alone
// reads as Latin-2, "你好" in GBK as Romanian.
constexpr qsizetype SureNonAsciiBytes = 12;

// UTF-16 without a byte-order mark: text whose every other byte is NUL
// (the high bytes of Latin letters, digits and line breaks).
std::optional<QStringConverter::Encoding> utf16WithoutBom(const QByteArray &bytes)
{
    const qsizetype sample = std::min<qsizetype>(bytes.size(), 4096) & ~qsizetype(1);
    if (sample < 2)
        return std::nullopt;
    qsizetype evenNuls = 0, oddNuls = 0;
    for (qsizetype i = 0; i < sample; i += 2) {
        evenNuls += bytes[i] == '\0';
        oddNuls += bytes[i + 1] == '\0';
    }
    const qsizetype units = sample / 2;
    if (oddNuls * 4 >= units && evenNuls * 16 < units)
        return QStringConverter::Utf16LE;
    if (evenNuls * 4 >= units && oddNuls * 16 < units)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QString utf16Name(QStringConverter::Encoding encoding)
{
    return encoding == QStringConverter::Utf16BE ? QStringLiteral("UTF-16BE")
                                                 : QStringLiteral("UTF-16LE");
}

// The detector's names as the decoder takes them; the Latin-1 and EUC-KR
// the detector reports are, in files made on Windows, their supersets, and
// so is an ISO 8859 encoding when the bytes use the control range that
// Windows fills with letters.
QString decoderName(const QString &detected, bool windowsRange)
{
    const QString upper = detected.toUpper();
    if (upper == QLatin1String("ISO-8859-1") || upper == QLatin1String("ASCII"))
        return QStringLiteral("windows-1252");
    if (windowsRange) {
        if (upper == QLatin1String("ISO-8859-2"))
            return QStringLiteral("windows-1250");
        if (upper == QLatin1String("ISO-8859-7"))
            return QStringLiteral("windows-1253");
        if (upper == QLatin1String("ISO-8859-9"))
            return QStringLiteral("windows-1254");
        if (upper == QLatin1String("ISO-8859-13"))
            return QStringLiteral("windows-1257");
    }
    if (upper == QLatin1String("UHC") || upper == QLatin1String("EUC-KR"))
        return QStringLiteral("windows-949");
    if (upper == QLatin1String("GB2312") || upper == QLatin1String("GBK")
        || upper == QLatin1String("GB18030"))
        return QStringLiteral("GB18030");
    if (upper == QLatin1String("BIG5") || upper == QLatin1String("BIG5-HKSCS"))
        return QStringLiteral("Big5");
    if (upper == QLatin1String("SHIFT_JIS"))
        return QStringLiteral("Shift_JIS");
    if (upper.startsWith(QLatin1String("WINDOWS-")))
        return QStringLiteral("windows-") + upper.mid(8);
    return detected;
}

QString detectedCharset(const QByteArray &bytes)
{
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector
        || uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    const char *name = uchardet_get_charset(detector.get());
    const bool windowsRange = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return quint8(c) >= 0x80 && quint8(c) <= 0x9F; });
    return name ? decoderName(QString::fromLatin1(name), windowsRange) : QString();
}

// The encodings files in a language usually come in, the likeliest first.
QStringList usualEncodings(const QString &language)
{
    const QString code = language.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    if (code == QLatin1String("zh"))
        return {QStringLiteral("GB18030"), QStringLiteral("Big5")};
    if (code == QLatin1String("ja"))
        return {QStringLiteral("Shift_JIS"), QStringLiteral("EUC-JP")};
    if (code == QLatin1String("ko"))
        return {QStringLiteral("windows-949")};
    if (code == QLatin1String("ru") || code == QLatin1String("uk") || code == QLatin1String("bg")
        || code == QLatin1String("sr") || code == QLatin1String("be"))
        return {QStringLiteral("windows-1251")};
    if (code == QLatin1String("cs") || code == QLatin1String("pl") || code == QLatin1String("sk")
        || code == QLatin1String("hu") || code == QLatin1String("hr") || code == QLatin1String("sl")
        || code == QLatin1String("ro"))
        return {QStringLiteral("windows-1250")};
    if (code == QLatin1String("el"))
        return {QStringLiteral("windows-1253")};
    if (code == QLatin1String("tr"))
        return {QStringLiteral("windows-1254")};
    if (code == QLatin1String("he"))
        return {QStringLiteral("windows-1255")};
    if (code == QLatin1String("ar") || code == QLatin1String("fa"))
        return {QStringLiteral("windows-1256")};
    return {QStringLiteral("windows-1252")};
}

// The text in the encoding, or nothing when it has bytes the encoding has no
// character for (or the encoding is unknown).
std::optional<QString> cleanReading(const QByteArray &bytes, const QString &encoding)
{
    QStringDecoder decoder(encoding.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    // C1 controls are never text: a reading with them is the wrong one.
    if (decoder.hasError() || std::any_of(text.cbegin(), text.cend(), [](QChar c) {
            return c == QChar::ReplacementCharacter || (c.unicode() >= 0x80 && c.unicode() <= 0x9F);
        }))
        return std::nullopt;
    return text;
}

bool isLatinEncoding(const QString &encoding)
{
    return encoding == QLatin1String("windows-1250") || encoding == QLatin1String("windows-1252")
           || encoding == QLatin1String("windows-1254")
           || encoding == QLatin1String("windows-1257");
}

// Accented letters in Latin-script text stand among plain ones ("très");
// Chinese, Japanese or Korean bytes read as Latin come in runs ("ÄãºÃ").
bool readsAsLatinText(const QString &text)
{
    qsizetype accented = 0, inRuns = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80)
            continue;
        ++accented;
        inRuns += (i > 0 && text[i - 1].unicode() >= 0x80)
                  || (i + 1 < text.size() && text[i + 1].unicode() >= 0x80);
    }
    return inRuns * 2 <= accented;
}

QString withoutBom(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

DecodedSubtitle chosenReading(const QByteArray &bytes, const QString &encoding)
{
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (!decoder.isValid())
        return {withoutBom(QString::fromUtf8(bytes)), Utf8};
    return {withoutBom(decoder.decode(bytes)), encoding};
}

} // namespace

DecodedSubtitle decodeSubtitleBytes(const QByteArray &bytes, const SubtitleEncodingHints &hints)
{
    if (!hints.chosen.isEmpty())
        return chosenReading(bytes, hints.chosen);
    if (const std::optional<QStringConverter::Encoding> utf16 = utf16WithoutBom(bytes)) {
        QStringDecoder decoder(*utf16, QStringConverter::Flag::ConvertInvalidToNull);
        return {decoder.decode(bytes), utf16Name(*utf16)};
    }
    if (const std::optional<QStringConverter::Encoding> bom =
            QStringConverter::encodingForData(bytes)) {
        if (*bom != QStringConverter::Utf8 || bytes.startsWith("\xEF\xBB\xBF")) {
            QStringDecoder decoder(*bom, QStringConverter::Flag::ConvertInvalidToNull);
            const QString name =
                *bom == QStringConverter::Utf8 ? Utf8
                : *bom == QStringConverter::Utf16LE || *bom == QStringConverter::Utf16BE
                    ? utf16Name(*bom)
                    : QString::fromLatin1(QStringConverter::nameForEncoding(*bom));
            return {decoder.decode(bytes), name};
        }
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {text, Utf8};

    const qsizetype nonAscii =
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    const QString detected = detectedCharset(bytes);
    QStringList hinted;
    for (const QString &language : hints.languages) {
        for (const QString &encoding : usualEncodings(language)) {
            if (!hinted.contains(encoding))
                hinted.append(encoding);
        }
    }
    // The detector when it has enough text, or when it names an encoding the
    // languages use (Big5 beside GB18030 for Chinese); else the languages'
    // own encodings, then GB18030 as before; the detector's guess on a few
    // bytes and Windows' Western last.
    QStringList order;
    if (!detected.isEmpty() && (nonAscii >= SureNonAsciiBytes || hinted.contains(detected)))
        order.append(detected);
    order += hinted;
    order.append(QStringLiteral("GB18030"));
    if (!detected.isEmpty())
        order.append(detected);
    order.append(QStringLiteral("windows-1252"));
    std::optional<DecodedSubtitle> unlikely; // clean, but not like text in its script
    for (const QString &encoding : std::as_const(order)) {
        if (encoding.compare(Utf8, Qt::CaseInsensitive) == 0)
            continue;
        std::optional<QString> reading = cleanReading(bytes, encoding);
        if (!reading)
            continue;
        if (isLatinEncoding(encoding) && !readsAsLatinText(*reading)) {
            if (!unlikely)
                unlikely = DecodedSubtitle{std::move(*reading), encoding};
            continue;
        }
        return {std::move(*reading), encoding};
    }
    if (unlikely)
        return *unlikely;
    // Nothing reads cleanly: UTF-8 keeps the ASCII, which holds the times.
    return {text, Utf8};
}

QStringList subtitleEncodingChoices()
{
    return {Utf8,
            QStringLiteral("UTF-16LE"),
            QStringLiteral("UTF-16BE"),
            QStringLiteral("GB18030"),
            QStringLiteral("Big5"),
            QStringLiteral("Shift_JIS"),
            QStringLiteral("EUC-JP"),
            QStringLiteral("windows-949"),
            QStringLiteral("windows-1250"),
            QStringLiteral("windows-1251"),
            QStringLiteral("windows-1252"),
            QStringLiteral("windows-1253"),
            QStringLiteral("windows-1254"),
            QStringLiteral("windows-1255"),
            QStringLiteral("windows-1256"),
            QStringLiteral("KOI8-R")};
}

QString SubtitleEncodingChoices::choice(const QString &subtitlePath) const
{
    QFile file(m_fileName);
    if (m_fileName.isEmpty() || subtitlePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wanted = subtitlePath.toUtf8();
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0 && line.mid(tab + 1) == wanted)
            return QString::fromLatin1(line.left(tab));
    }
    return {};
}

bool SubtitleEncodingChoices::setChoice(const QString &subtitlePath, const QString &encoding) const
{
    if (m_fileName.isEmpty() || subtitlePath.isEmpty())
        return false;
    QByteArray kept;
    const QByteArray path = subtitlePath.toUtf8();
    if (QFile old(m_fileName); old.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : old.readAll().split('\n')) {
            const qsizetype tab = line.indexOf('\t');
            if (tab > 0 && line.mid(tab + 1) != path)
                kept += line + '\n';
        }
    }
    if (!encoding.isEmpty())
        kept += encoding.toLatin1() + '\t' + path + '\n';
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    QSaveFile file(m_fileName);
    return file.open(QIODevice::WriteOnly) && file.write(kept) == kept.size() && file.commit();
}
