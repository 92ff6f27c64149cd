// Subtitles timed for another cut of the recording: the offer to move them
// onto its speech, and the learner's choice kept with the recording's place.
#include "align/cueshift.h"
#include "app/tform_main.h"
#include "lesson/lessoncontroller.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

void TForm_Main::createCueShift()
{
    // A bar above the rest that waits for an answer without stopping anything.
    auto *bar = new QFrame(centralWidget());
    bar->setObjectName(QStringLiteral("Bar_CueShift"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 2, 6, 2);
    auto *text = new QLabel(bar);
    text->setObjectName(QStringLiteral("Label_CueShift"));
    text->setTextFormat(Qt::PlainText);
    auto *accept = new QPushButton(tr("移动字幕"), bar);
    accept->setObjectName(QStringLiteral("Button_CueShiftAccept"));
    auto *decline = new QPushButton(tr("不用"), bar);
    decline->setObjectName(QStringLiteral("Button_CueShiftDecline"));
    row->addWidget(text, 1);
    row->addWidget(accept);
    row->addWidget(decline);
    if (auto *column = qobject_cast<QVBoxLayout *>(centralWidget()->layout()))
        column->insertWidget(0, bar);
    m_cueShift = new CueShift(bar, text, accept, decline, this, m_services.analysisCacheFolder);
    // Beside the status line, which keeps what the analysis said.
    auto *checking = new QLabel(statusBar());
    checking->setObjectName(QStringLiteral("Label_CueCheck"));
    checking->hide();
    statusBar()->addPermanentWidget(checking);
    connect(m_cueShift, &CueShift::checking, checking, [checking](int percent) {
        checking->setText(tr("正在核对字幕时间 %1%").arg(percent));
        checking->setVisible(percent >= 0);
    });

    connect(m_sentences, &SentenceTrack::sentencesChanged, this, m_guard.wrap([this] {
        m_cueShift->sentencesShown(m_sentences->sentences(), m_sentences->source(),
                                   m_sentences->isComplete(), m_waveform->envelope());
    }));
    // After everything else has heard of the cues the moved ones replace.
    connect(m_cueShift, &CueShift::replaced, this,
            [this](const QList<Sentence> &sentences, const SentenceSource &source) {
                QMetaObject::invokeMethod(this, m_guard.wrap([this, sentences, source] {
                    if (m_sentences->source().unshifted() == source.unshifted())
                        m_sentences->useTranscript(sentences, source);
                }),
                                          Qt::QueuedConnection);
            });
    connect(m_cueShift, &CueShift::recordsMove, this,
            m_guard.wrap([this](double seconds) { m_lessonControl->shiftRecords(seconds); }));
    connect(m_cueShift, &CueShift::keptChanged, this, m_guard.wrap([this] { rememberPlace(); }));
    connect(m_cueShift, &CueShift::stateChanged, this, [this] { showSubtitleTracks(); });
    connect(m_cueShift, &CueShift::statusChanged, statusBar(),
            [this](const QString &text) { statusBar()->showMessage(text); });
}

void TForm_Main::showCueShiftChoice()
{
    if (!m_cueShift || m_cueShift->offset() == 0.0)
        return;
    QAction *shift = m_trackMenu->addAction(
        tr("把字幕移到声音上（%1）").arg(CueShift::offsetText(m_cueShift->offset())));
    shift->setObjectName(QStringLiteral("Action_CueShift"));
    shift->setCheckable(true);
    shift->setChecked(m_cueShift->isShifted());
    connect(shift, &QAction::triggered, this,
            m_guard.wrap([this](bool checked) { m_cueShift->setShifted(checked); }));
    m_trackMenu->addSeparator();
}
