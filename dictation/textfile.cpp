#include "dictation/textfile.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/filereason.h"
#include "platform/gb18030.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>

namespace {

const char *const Gb18030Name = "GB18030";

} // namespace

QString normalizeLineBreaks(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 16);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
            result += u"\r\n";
        } else if (c == u'\n') {
            result += u"\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

// One pass each: QString::replace with a longer or shorter replacement moves
// the rest of the string again and again, which takes seconds on a large file.
QString toEditorText(const QString &crlfText)
{
    QString result;
    result.reserve(crlfText.size());
    const qsizetype size = crlfText.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = crlfText.at(i);
        if (c == QLatin1Char('\r') && i + 1 < size && crlfText.at(i + 1) == QLatin1Char('\n'))
            continue;
        result.append(c);
    }
    return result;
}

QString fromEditorRawText(const QString &rawText)
{
    QString result;
    result.reserve(rawText.size() + rawText.size() / 16);
    for (const QChar c : rawText) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            result.append(QLatin1String("\r\n"));
        else
            result.append(c);
    }
    return result;
}

TextFileContent decodeText(const QByteArray &bytes)
{
    TextFileContent content;
    if (bytes.isValidUtf8()) {
        // Byte-order marks at the start are dropped, all of them: the file
        // is saved without one, so a text may not begin with U+FEFF or it
        // would read back differently.
        QByteArrayView view(bytes);
        while (view.startsWith("\xEF\xBB\xBF"))
            view = view.sliced(3);
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        content.text = normalizeLineBreaks(utf8.decode(view));
        content.encoding = TextFileContent::Encoding::Utf8;
    } else {
        const QString text = decodeGb18030(bytes);
        content.text = normalizeLineBreaks(text);
        content.encoding = TextFileContent::Encoding::Gb18030;
        // Bytes that are neither UTF-8 nor GB18030 (a stray byte in a UTF-8
        // file) do not come back from the text: saving would change them.
        content.exact = encodeText(text, content.encoding) == bytes;
    }
    return content;
}

TextFileContent readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = errno;
        throw AppError(QCoreApplication::translate("TextFile", "无法打开文件“%1”：%2")
                           .arg(path, fileErrorReason(code, file.errorString(), FileUse::Read)));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int code = errno;
        throw AppError(QCoreApplication::translate("TextFile", "读取文件“%1”时出错：%2")
                           .arg(path, fileErrorReason(code, file.errorString(), FileUse::Read)));
    }
    return decodeText(bytes);
}

QByteArray encodeText(const QString &text, TextFileContent::Encoding encoding)
{
    if (encoding == TextFileContent::Encoding::Gb18030) {
        QStringEncoder encoder(Gb18030Name);
        const QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError())
            return bytes;
    }
    // Flag::Default writes no byte-order mark.
    QStringEncoder encoder(QStringConverter::Utf8);
    return encoder.encode(text);
}

bool writeTextFile(const QString &path, const QString &text, TextFileContent::Encoding encoding,
                   QString *error)
{
    return writeFileAtomically(path, encodeText(text, encoding), error);
}
