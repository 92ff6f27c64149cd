// The dictation line: typing, applying a line and what follows it.
#include "app/tform_main.h"

#include "dictation/answercheck.h"
#include "dictation/answerlines.h"
#include "platform/dialogs.h"
#include "platform/mediaplayer.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>

namespace {

const QChar CarriageReturn(13);

// Hands Enter to the window's key handler before the line sees it.
class EnterKeyFilter : public QObject
{
public:
    EnterKeyFilter(TForm_Main *window, QObject *parent) : QObject(parent), m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *press = static_cast<QKeyEvent *>(event);
        // Enter types a carriage return, also with Shift; Ctrl+Enter types a
        // line feed and Alt+Enter types nothing.
        const bool carriageReturn =
            (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter)
            && !(press->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (!carriageReturn)
            return QObject::eventFilter(watched, event);
        QChar key = CarriageReturn;
        m_window->guarded([this, &key] { m_window->LabeledEdit_DictationKeyPress(key); });
        return key.isNull();
    }

private:
    TForm_Main *m_window;
};

} // namespace

void TForm_Main::connectDictationLine()
{
    // The program empties the line with its signals blocked, so this runs
    // only for the learner's changes: typing, deleting, pasting.
    connect(LabeledEdit_Dictation, &QLineEdit::textChanged, this,
            [this] { guarded([this] { LabeledEdit_DictationChange(); }); });
    LabeledEdit_Dictation->installEventFilter(new EnterKeyFilter(this, LabeledEdit_Dictation));
    connect(Button_Apply, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_ApplyClick(); }); });
}

void TForm_Main::blockingWait(int ms)
{
    QThread::msleep(ms);
}

void TForm_Main::LabeledEdit_DictationChange()
{
    if (!IsPlaybackActive())
        return;
    // The end point first: it is where the learner started typing.
    if (OptionFlags.SetEndPointWhenWriting && LoopEnd < 0)
        SetLoopPoints(LoopStart, m_services.player->currentPosition());
    if (OptionFlags.PauseWhenWriting)
        m_services.player->pause();
}

void TForm_Main::LabeledEdit_DictationKeyPress(QChar &key)
{
    if (key != CarriageReturn)
        return;
    // Consumed before applying, so the line never sees Enter, even when applying fails.
    key = QChar();
    if (ApplyDictationLine(trimLeftBlanks(LabeledEdit_Dictation->text())))
        AfterApplying();
}

void TForm_Main::Button_ApplyClick()
{
    if (ApplyDictationLine(trimLeftBlanks(LabeledEdit_Dictation->text())))
        AfterApplying();
}

bool TForm_Main::ApplyDictationLine(const QString &text)
{
    if (trimBlanks(text).isEmpty())
        return false;

    QString tail;
    if (OptionFlags.VerifyBeforeApplying) {
        AnswerLines &answer = answerLines();
        const int lineCount = answer.count();
        if (lineCount > 0) {
            const std::optional<CheckHit> hit =
                findInAnswer(text, lineCount, [&answer](int index) { return answer.line(index); });
            if (!hit) {
                m_services.dialogs->messageBox(MessageCaption,
                                               QStringLiteral("没有找到符合条件的内容"),
                                               {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                               Dialogs::Button::Ok);
                return false;
            }
            answer.scrollToTop(hit->line);
            tail = hit->tail;
        }
    }

    QString information;
    if (OptionFlags.RecordRepeatPoints)
        information = trimBlanks(Label_LoopInfo->text());
    if (OptionFlags.RecordDictateTime) {
        if (!information.isEmpty())
            information += QStringLiteral("   ");
        information += QStringLiteral("听写时间: ")
                       + Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    if (!information.isEmpty())
        information = QLatin1Char('(') + information + QLatin1Char(')');

    // Only the learner's own text (and the tail) is written, not the forms compared.
    AppendDictationLine(QString());
    AppendDictationLine(text + tail);
    AppendDictationLine(information);
    return true;
}

void TForm_Main::AfterApplying()
{
    {
        // Emptying the line is the program's doing, not the learner's typing.
        const QSignalBlocker detached(LabeledEdit_Dictation);
        LabeledEdit_Dictation->clear();
    }
    // Shown empty before any wait below blocks the window.
    LabeledEdit_Dictation->repaint();

    if (OptionFlags.SelectAfterApplying && LoopEnd > 0) {
        // The end of this sentence starts the next one.
        SetLoopPoints(LoopEnd, -1.0);
        m_services.player->pause();
        if (!OptionFlags.PlayAfterApplying
            && m_services.dialogs->messageBox(MessageCaption,
                                              QStringLiteral("上一句已完成，您要开始听写下一句吗？"),
                                              {Dialogs::Button::Yes, Dialogs::Button::No},
                                              Dialogs::Icon::Information, Dialogs::Button::Yes)
                   == Dialogs::Button::Yes) {
            Wait(500);
            m_services.player->play();
        }
    }
    if (OptionFlags.PlayAfterApplying) {
        Wait(500);
        m_services.player->play();
    }
    FocusDictationLine();
}
