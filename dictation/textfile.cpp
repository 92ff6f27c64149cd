#include "dictation/textfile.h"

#include "platform/errors.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

TextFileContent decodeText(const QByteArray &bytes)
{
    TextFileContent content;
    if (bytes.isValidUtf8()) {
        QByteArrayView view(bytes);
        if (view.startsWith("\xEF\xBB\xBF"))
            view = view.sliced(3);
        content.text = normalizeLineBreaks(QString::fromUtf8(view));
        content.encoding = TextFileContent::Encoding::Utf8;
    } else {
        QStringDecoder decoder(Gb18030Name);
        content.text = normalizeLineBreaks(decoder.decode(bytes));
        content.encoding = TextFileContent::Encoding::Gb18030;
    }
    return content;
}

TextFileContent readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("读取文件“%1”时出错：%2").arg(path, file.errorString()));
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

bool writeTextFile(const QString &path, const QString &text,
                   TextFileContent::Encoding encoding)
{
    const QByteArray bytes = encodeText(text, encoding);
    QSaveFile file(path);
    // commit() does not notice a short write (disk full) of buffered data, so
    // the file is unbuffered and every write's count is checked.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // An uncommitted file is discarded when `file` goes.
    return file.write(bytes) == bytes.size() && file.commit();
}

void appendLine(QString &text, const QString &line)
{
    const QLatin1StringView crLf("\r\n");
    if (text.isEmpty() || text.endsWith(crLf))
        text += line + crLf;
    else
        text += crLf + line;
}
