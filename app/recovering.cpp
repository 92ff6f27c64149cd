// Copies of unsaved dictation: kept while the document has changes, offered
// at the next start when the program ended without saving.
#include "app/tform_main.h"

#include "dictation/dictationdocument.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/terminationsignals.h"
#include "playback/recording.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>

namespace {

TextFileContent::Encoding encodingOf(const QString &name)
{
    return name == RecoveryEntry::Gb18030 ? TextFileContent::Encoding::Gb18030
                                          : TextFileContent::Encoding::Utf8;
}

FileStamp baseOf(const RecoveryEntry &entry)
{
    FileStamp stamp;
    stamp.exists = entry.baseKnown && entry.baseExists;
    if (stamp.exists) {
        stamp.size = entry.baseSize;
        stamp.modified = entry.baseModified;
    }
    return stamp;
}

// Lines as the learner counts them in the editor.
int lineCount(const QString &crlfText)
{
    if (crlfText.isEmpty())
        return 0;
    return int(crlfText.count(QLatin1String("\r\n"))) + (crlfText.endsWith(u'\n') ? 0 : 1);
}

// How the copy stands against its document's file, and what that file holds.
struct Standing {
    FileAgainstCopy age = FileAgainstCopy::Unchanged;
    int fileLines = -1; // -1: could not be read
};

Standing standingOf(const RecoveryEntry &entry)
{
    Standing standing;
    const FileStamp now = FileStamp::of(entry.documentName);
    standing.age = compareFileWithCopy(entry, now.exists, now.size, now.modified);
    if (standing.age == FileAgainstCopy::Unchanged)
        return standing;
    try {
        const QString text = readTextFile(entry.documentName).text;
        // A file that holds what the copy holds loses nothing either way.
        if (text == entry.text)
            standing.age = FileAgainstCopy::Unchanged;
        standing.fileLines = lineCount(text);
    } catch (const AppError &) {
    }
    return standing;
}

} // namespace

void TForm_Main::wireRecovery()
{
    if (m_services.recoveryFolder.isEmpty())
        return;
    m_recoveryStore = std::make_shared<RecoveryStore>(m_services.recoveryFolder);
    m_recoveryWriter = new RecoveryWriter(m_recoveryStore, this);
    m_recoveryWriter->setSnapshotSource([this] {
        RecoveryEntry entry;
        entry.documentName = m_document->fileName();
        entry.recording = m_recording->path();
        entry.encoding = m_document->encoding() == TextFileContent::Encoding::Gb18030
                             ? QString(RecoveryEntry::Gb18030)
                             : QString(RecoveryEntry::Utf8);
        entry.time = QDateTime::currentDateTime();
        entry.text = m_document->text();
        const FileStamp base = m_document->baseStamp();
        entry.baseKnown = true;
        entry.baseExists = base.exists;
        entry.baseSize = base.size;
        entry.baseModified = base.modified;
        return entry;
    });
    connect(m_document, &DictationDocument::edited, m_recoveryWriter, [this] {
        if (m_document->isModified())
            m_recoveryWriter->documentChanged();
    });
    // Saved, or closed (saved, not kept, or unchanged): nothing left to recover.
    connect(m_document, &DictationDocument::saved, m_recoveryWriter, &RecoveryWriter::discard);
    connect(m_document, &DictationDocument::openChanged, m_recoveryWriter,
            &RecoveryWriter::discard);

    // While copies fail, a warning sign stays in the status bar, its tool tip
    // saying why; it goes once a copy is written again.
    m_recoveryWarning = new QLabel(this);
    m_recoveryWarning->setObjectName(QStringLiteral("RecoveryWarning"));
    m_recoveryWarning->hide();
    statusBar()->addPermanentWidget(m_recoveryWarning);
    connect(m_recoveryWriter, &RecoveryWriter::writeFailed, this, [this](const QString &reason) {
        const QString text = tr("无法保存恢复副本：%1").arg(reason);
        // The sign is drawn when first needed: looking up the icon theme
        // would hold up the window's first showing by several milliseconds.
        if (m_recoveryWarning->pixmap().isNull()) {
            const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
            m_recoveryWarning->setPixmap(
                style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size));
        }
        m_recoveryWarning->setToolTip(text);
        m_recoveryWarning->setAccessibleName(text);
        m_recoveryWarning->show();
        statusBar()->showMessage(text);
    });
    connect(m_recoveryWriter, &RecoveryWriter::copyWritten, m_recoveryWarning, &QWidget::hide);
}

void TForm_Main::FlushRecovery()
{
    if (m_recoveryWriter && m_document->isModified())
        m_recoveryWriter->flushNow();
}

void TForm_Main::EndOnTermination()
{
    FlushRecovery();
    m_guard.run([this] { rememberPlace(); });
}

void TForm_Main::connectTermination(TerminationSignals &termination)
{
    connect(&termination, &TerminationSignals::terminationRequested, this, [this] {
        EndOnTermination();
        QCoreApplication::exit(0);
    });
}

void TForm_Main::OfferRecovery()
{
    if (!m_recoveryStore)
        return;
    m_guard.run([this] {
        const RecoveryListResult found = m_recoveryStore->list();
        if (!found.damaged.isEmpty()) {
            m_services.dialogs->messageBox(
                messageCaption(),
                tr("以下恢复副本已损坏，已改名保留（损坏的副本只留最近的 %1 个）：\n%2")
                    .arg(RecoveryStore::KeptDamagedCopies)
                    .arg(found.damaged.join(u'\n')),
                {Dialogs::Button::Ok}, Dialogs::Icon::Warning, Dialogs::Button::Ok);
        }
        if (found.entries.isEmpty())
            return;
        // The newest is the one restored; older copies stay for the next start.
        const RecoveryEntry &newest = found.entries.first();
        const Standing standing = standingOf(newest);
        QString question =
            tr("上次有尚未保存的听写内容：\n%1\n要恢复吗？").arg(recoveryListText(found.entries));
        if (standing.age != FileAgainstCopy::Unchanged) {
            const QString name = QFileInfo(newest.documentName).fileName();
            const QString fileLines =
                standing.fileLines < 0 ? QStringLiteral("?") : QString::number(standing.fileLines);
            const QString copyLines = QString::number(lineCount(newest.text));
            const QString which =
                standing.age == FileAgainstCopy::Newer
                    ? tr("听写文件“%1”在副本之后又保存过，文件比副本新（文件 %2 行，副本 %3 行）。")
                          .arg(name, fileLines, copyLines)
                    : tr("听写文件“%1”在副本所依据的版本之后被改过，副本比文件新（副本 %3 "
                         "行，文件 %2 行）。")
                          .arg(name, fileLines, copyLines);
            question += QStringLiteral("\n\n") + which + u'\n'
                        + tr("选“是”把副本作为未命名的新文档打开，文件保持不变；选“否”保留文件。");
        }
        const Dialogs::Button answer = m_services.dialogs->messageBox(
            messageCaption(), question, {Dialogs::Button::Yes, Dialogs::Button::No},
            Dialogs::Icon::Question, Dialogs::Button::Yes);
        if (answer == Dialogs::Button::Yes) {
            restoreRecovery(newest, standing.age != FileAgainstCopy::Unchanged);
            return;
        }
        if (m_services.dialogs->messageBox(messageCaption(), tr("恢复的内容将被删除，确定吗？"),
                                           {Dialogs::Button::Yes, Dialogs::Button::No},
                                           Dialogs::Icon::Warning, Dialogs::Button::No)
            == Dialogs::Button::Yes) {
            for (const RecoveryEntry &entry : found.entries)
                m_recoveryStore->remove(entry);
        }
    });
}

void TForm_Main::restoreRecovery(const RecoveryEntry &entry, bool asNewDocument)
{
    if (!entry.recording.isEmpty() && QFileInfo(entry.recording).isFile())
        OpenSourceFile(entry.recording);
    else if (!m_document->isOpen())
        OpenDictationFile(QString());
    // Beside a file written after it, the copy never takes the file's name:
    // a save then asks where it goes.
    if (asNewDocument)
        m_document->restore(entry.text, QString(), encodingOf(entry.encoding), FileStamp());
    else
        m_document->restore(entry.text, entry.documentName, encodingOf(entry.encoding),
                            baseOf(entry));
    // The copy becomes this program's own before the old file goes.
    m_recoveryWriter->adopt(entry);
}
