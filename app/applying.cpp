// Typing into the dictation line and applying it: the check against the
// answer, the record appended to the document, and what follows.
#include "app/tform_main.h"

#include "dictation/answerpane.h"
#include "dictation/dictationdocument.h"
#include "dictation/dictationline.h"
#include "feedback/wordfeedback.h"
#include "lesson/lessoncontroller.h"
#include "platform/blanks.h"
#include "platform/dialogs.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "recovery/recoverywriter.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"

void TForm_Main::LabeledEdit_DictationChange()
{
    if (!isPlaybackActive(*m_services.player))
        return;
    const TOptionFlags &options = m_settings->options();
    // The end point first: it is where the learner started typing.
    if (options.SetEndPointWhenWriting && m_loop->end() < 0)
        m_loop->setPoints(m_loop->start(), m_services.player->currentPosition());
    if (options.PauseWhenWriting)
        m_services.player->pause();
}

void TForm_Main::Button_ApplyClick()
{
    // A line applied while the lesson waits to move on is for the next sentence.
    m_lessonControl->finishPendingAdvance();
    const QString text = m_dictationLine->text();
    const bool lesson = m_lessonControl->applies();
    if (!ApplyDictationLine(text))
        return;
    // The sentence has been answered: its subtitle may show now.
    m_lessonControl->noteAnswered(m_loop->start(), m_loop->end());
    showCaption();
    if (lesson) {
        m_lessonControl->takeLine(text);
        FocusDictationLine();
    } else {
        AfterApplying();
    }
}

bool TForm_Main::ApplyDictationLine(const QString &text)
{
    if (isBlankLine(text))
        return false;
    const TOptionFlags &options = m_settings->options();

    // Word by word against what was said; the answer check below decides,
    // as before, whether the line is taken. A lesson compares once the line
    // is taken, against its sentence.
    if (!m_lessonControl->applies()) {
        const QString cue = m_sentences->cueTextFor(m_loop->start(), m_loop->end());
        if (const std::optional<Passage> passage = m_feedback->compare(text, cue))
            m_answer->highlight(passage->start, passage->end);
    }

    QString tail;
    if (options.VerifyBeforeApplying && m_answer->lineCount() > 0) {
        const std::optional<CheckHit> hit = m_answer->find(text);
        if (!hit) {
            m_services.dialogs->messageBox(messageCaption(), tr("没有找到符合条件的内容"),
                                           {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                           Dialogs::Button::Ok);
            return false;
        }
        tail = hit->tail;
    }

    QString information;
    const InterfaceLanguage records = m_document->recordLanguage();
    if (options.RecordRepeatPoints)
        information = m_loop->infoText(records);
    if (options.RecordDictateTime) {
        if (!information.isEmpty())
            information += QStringLiteral("   ");
        information += DictationDocument::timePrefix(records)
                       + m_now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    if (!information.isEmpty())
        information = QLatin1Char('(') + information + QLatin1Char(')');

    // Only the learner's own text (and the tail) is written, not the forms compared.
    m_document->appendRecord({QString(), text + tail, information});
    // An applied line is finished work: into the copy now, not after the
    // quiet time that typing gets.
    if (m_recoveryWriter)
        m_recoveryWriter->writeSoon();
    return true;
}

void TForm_Main::AfterApplying()
{
    // Shown empty before any wait below blocks the window.
    m_dictationLine->clearNow();

    const TOptionFlags &options = m_settings->options();
    MediaPlayer *player = m_services.player;
    if (options.SelectAfterApplying && m_loop->end() > 0) {
        // The end of this sentence starts the next one.
        m_loop->setPoints(m_loop->end(), -1.0);
        player->pause();
        if (!options.PlayAfterApplying
            && m_services.dialogs->messageBox(messageCaption(),
                                              tr("上一句已完成，您要开始听写下一句吗？"),
                                              {Dialogs::Button::Yes, Dialogs::Button::No},
                                              Dialogs::Icon::Information, Dialogs::Button::Yes)
                   == Dialogs::Button::Yes) {
            m_wait(500);
            player->play();
        }
    }
    if (options.PlayAfterApplying) {
        m_wait(500);
        player->play();
    }
    FocusDictationLine();
}
