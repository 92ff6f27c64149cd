// Copies of unsaved dictation: kept while the document has changes, offered
// at the next start when the program ended without saving.
#include "app/tform_main.h"

#include "dictation/dictationdocument.h"
#include "platform/dialogs.h"
#include "playback/recording.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"

#include <QFileInfo>
#include <QStatusBar>

namespace {

TextFileContent::Encoding encodingOf(const QString &name)
{
    return name == RecoveryEntry::Gb18030 ? TextFileContent::Encoding::Gb18030
                                          : TextFileContent::Encoding::Utf8;
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
    connect(m_recoveryWriter, &RecoveryWriter::writeFailed, this, [this](const QString &reason) {
        statusBar()->showMessage(tr("无法保存恢复副本：%1").arg(reason));
    });
}

void TForm_Main::FlushRecovery()
{
    if (m_recoveryWriter && m_document->isModified())
        m_recoveryWriter->flushNow();
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
                tr("以下恢复副本已损坏，已改名保留，没有删除：\n%1").arg(found.damaged.join(u'\n')),
                {Dialogs::Button::Ok}, Dialogs::Icon::Warning, Dialogs::Button::Ok);
        }
        if (found.entries.isEmpty())
            return;
        const Dialogs::Button answer = m_services.dialogs->messageBox(
            messageCaption(),
            tr("上次有尚未保存的听写内容：\n%1\n要恢复吗？").arg(recoveryListText(found.entries)),
            {Dialogs::Button::Yes, Dialogs::Button::No}, Dialogs::Icon::Question,
            Dialogs::Button::Yes);
        if (answer == Dialogs::Button::Yes) {
            // The newest; older copies stay for the next start.
            restoreRecovery(found.entries.first());
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

void TForm_Main::restoreRecovery(const RecoveryEntry &entry)
{
    if (!entry.recording.isEmpty() && QFileInfo(entry.recording).isFile())
        OpenSourceFile(entry.recording);
    else if (!m_document->isOpen())
        OpenDictationFile(QString());
    m_document->restore(entry.text, entry.documentName, encodingOf(entry.encoding));
    // The copy becomes this program's own before the old file goes.
    m_recoveryWriter->adopt(entry);
}
