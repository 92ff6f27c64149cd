#include "dictation/dictationdocument.h"

#include "dictation/samefile.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/filelabel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

DictationDocument::DictationDocument(Dialogs *dialogs, QPlainTextEdit *editor, QLabel *label,
                                     QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_editor(editor), m_label(label)
{
    setObjectName(QStringLiteral("DictationDocument"));
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        m_modified = true;
        if (!m_loading)
            Q_EMIT edited();
    });
}

QString DictationDocument::text() const
{
    // The raw text keeps every character as typed (no-break spaces included);
    // only the block separators and Shift+Enter's line separators become line
    // breaks.
    return fromEditorRawText(m_editor->document()->toRawText());
}

void DictationDocument::appendRecord(const QStringList &lines)
{
    for (const QString &line : lines)
        appendLine(line);
    // The record just written is what the learner looks for.
    m_editor->moveCursor(QTextCursor::End);
    QScrollBar *scroll = m_editor->verticalScrollBar();
    scroll->setValue(scroll->maximum());
}

namespace {

// The first line of a new document in each language.
const QString ChineseTitle = QStringLiteral("听写记录");
const QString EnglishTitle = QStringLiteral("Dictation record");

} // namespace

QStringList DictationDocument::headerLines(const QString &recordingPath, InterfaceLanguage language)
{
    if (language == InterfaceLanguage::English)
        return {EnglishTitle, QStringLiteral("Recording: ") + recordingPath};
    return {ChineseTitle, QStringLiteral("语音文件: ") + recordingPath};
}

QString DictationDocument::timePrefix(InterfaceLanguage language)
{
    return language == InterfaceLanguage::English ? QStringLiteral("Dictated at: ")
                                                  : QStringLiteral("听写时间: ");
}

InterfaceLanguage DictationDocument::recordLanguage() const
{
    const QString first = m_editor->document()->firstBlock().text().trimmed();
    if (first == EnglishTitle)
        return InterfaceLanguage::English;
    if (first == ChineseTitle)
        return InterfaceLanguage::Chinese;
    return m_recordLanguage;
}

void DictationDocument::appendLine(const QString &line)
{
    // The editor holds the CR LF text as blocks: an empty text is one empty
    // block, and a text ending with CR LF ends with an empty block.
    QTextDocument *document = m_editor->document();
    const bool endsWithBreak = document->lastBlock().text().isEmpty();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (document->isEmpty() || (endsWithBreak && document->blockCount() > 1))
        cursor.insertText(line + QLatin1Char('\n'));
    else
        cursor.insertText(QLatin1Char('\n') + line);
}

void DictationDocument::open(const QString &fileName, const QString &recordingPath)
{
    close();
    const QFileInfo info(fileName);
    if (!fileName.isEmpty() && info.exists() && !info.isDir()) {
        const TextFileContent content = readTextFile(fileName);
        if (!content.exact)
            offerBackup(fileName);
        m_loading = true;
        m_editor->setPlainText(toEditorText(content.text));
        m_loading = false;
        m_encoding = content.encoding;
        m_modified = false;
        takeBase(fileName);
    }
    if (m_editor->document()->isEmpty() && !recordingPath.isEmpty()) {
        for (const QString &line : headerLines(recordingPath, m_recordLanguage))
            appendLine(line);
    }
    setFileName(fileName);
    m_open = true;
    Q_EMIT openChanged(true);
}

void DictationDocument::offerBackup(const QString &fileName)
{
    const QString backup = fileName + QStringLiteral(".bak");
    const Dialogs::Button answer = m_dialogs->messageBox(
        tr("系统提示"),
        tr("文件“%1”中有些字节无法按原样读出，保存时您没有编辑过的部分也会被改变。\n"
           "要先在旁边保留一份原文件（%2）吗？")
            .arg(fileName, backup),
        {Dialogs::Button::Yes, Dialogs::Button::No}, Dialogs::Icon::Warning, Dialogs::Button::Yes);
    if (answer != Dialogs::Button::Yes)
        return;
    // An older backup is the learner's too: never overwrite it.
    QString target = backup;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = fileName + QStringLiteral(".%1.bak").arg(n);
    if (!QFile::copy(fileName, target)) {
        m_dialogs->messageBox(tr("系统提示"), tr("无法保留原文件“%1”。").arg(target),
                              {Dialogs::Button::Ok}, Dialogs::Icon::Error, Dialogs::Button::Ok);
        throw Abandon();
    }
}

void DictationDocument::close()
{
    if (m_modified) {
        const Dialogs::Button answer = m_dialogs->messageBox(
            tr("系统提示"), tr("您当前听写的内容要保存吗？"),
            {Dialogs::Button::Yes, Dialogs::Button::No, Dialogs::Button::Cancel},
            Dialogs::Icon::Information, Dialogs::Button::Cancel);
        if (answer == Dialogs::Button::Yes)
            save();
        else if (answer != Dialogs::Button::No)
            throw Abandon();
    }
    m_loading = true;
    m_editor->clear();
    m_loading = false;
    m_modified = false;
    m_encoding = TextFileContent::Encoding::Utf8;
    m_base = FileStamp();
    m_baseVersion.reset();
    setFileName(QString());
    m_open = false;
    Q_EMIT openChanged(false);
}

void DictationDocument::save()
{
    if (m_fileName.isEmpty())
        saveAs();
    else
        saveTo(m_fileName);
}

void DictationDocument::refuseSameFile(const QString &text)
{
    m_dialogs->messageBox(tr("系统提示"), text, {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                          Dialogs::Button::Ok);
    throw Abandon();
}

void DictationDocument::write(const QString &fileName)
{
    QString reason;
    if (!writeTextFile(fileName, text(), m_encoding, &reason)) {
        Q_EMIT saveFailed(fileName, reason);
        m_dialogs->messageBox(tr("系统提示"), tr("保存时发生错误！"), {Dialogs::Button::Ok},
                              Dialogs::Icon::Error, Dialogs::Button::Ok);
        throw Abandon();
    }
    takeBase(fileName);
}

void DictationDocument::takeBase(const QString &fileName)
{
    m_base = FileStamp::of(fileName);
    m_baseVersion = fileVersion(fileName);
}

bool DictationDocument::changedOnDisk() const
{
    const QFileInfo info(m_fileName);
    if (!m_base.exists || !info.isFile())
        return false;
    if (FileStamp::of(m_fileName) != m_base)
        return true;
    return m_baseVersion && fileVersion(m_fileName) != m_baseVersion;
}

void DictationDocument::reload()
{
    const TextFileContent content = readTextFile(m_fileName);
    m_loading = true;
    m_editor->setPlainText(toEditorText(content.text));
    m_loading = false;
    m_encoding = content.encoding;
    m_modified = false;
    takeBase(m_fileName);
}

void DictationDocument::saveTo(const QString &fileName)
{
    if (!m_modified)
        return;
    if (IsSameFile(fileName, m_answerFileName))
        refuseSameFile(tr("听写文件和答案文件相同，请另存！"));
    // Another copy of the program, or an editor, saved the file meanwhile:
    // never replaced without asking.
    if (fileName == m_fileName && changedOnDisk()) {
        const Dialogs::Button answer = m_dialogs->messageBox(
            tr("系统提示"),
            tr("听写文件“%1”在打开或上次保存后已被改动（也许另一个 Quillmar 也打开了它）。\n"
               "是：用当前的听写内容替换它\n"
               "否：保留磁盘上的文件，重新打开它（当前未保存的内容将放弃）\n"
               "取消：另存为其他文件")
                .arg(QDir::toNativeSeparators(fileName)),
            {Dialogs::Button::Yes, Dialogs::Button::No, Dialogs::Button::Cancel},
            Dialogs::Icon::Warning, Dialogs::Button::Cancel);
        if (answer == Dialogs::Button::No) {
            reload();
            Q_EMIT saved();
            return;
        }
        if (answer != Dialogs::Button::Yes) {
            saveAs();
            return;
        }
    }
    write(fileName);
    m_modified = false;
    Q_EMIT saved();
}

void DictationDocument::saveAs()
{
    Dialogs::FileRequest request;
    request.title = tr("另存为");
    request.filter = tr("文本文件 (*.txt)|*.txt");
    request.fileName = m_fileName;
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = m_dialogs->saveFile(request);
    if (!chosen)
        throw Abandon();
    // The name is taken before the checks, even when they then refuse it.
    m_fileName = *chosen;
    if (IsSameFile(m_fileName, m_answerFileName))
        refuseSameFile(tr("听写文件和答案文件名相同，请另存！"));
    write(m_fileName);
    setFileName(m_fileName);
    m_modified = false;
    Q_EMIT saved();
}

void DictationDocument::restore(const QString &text, const QString &fileName,
                                TextFileContent::Encoding encoding, const FileStamp &base)
{
    m_editor->setPlainText(toEditorText(text));
    m_encoding = encoding;
    m_base = base;
    m_baseVersion.reset();
    setFileName(fileName);
    m_modified = true;
}

void DictationDocument::setFileName(const QString &fileName)
{
    m_fileName = fileName;
    m_label->setText(fileLabelText(tr("听写文件"), fileName));
}
