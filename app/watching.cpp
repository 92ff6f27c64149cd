// Watching: the picture of a recording, the subtitle under it, the subtitle
// track its sentences come from and the language dictated.
#include "app/tform_main.h"

#include "feedback/wordfeedback.h"
#include "lesson/lessoncontroller.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "sentences/sentencetrack.h"
#include "sentences/subtitleencoding.h"
#include "settings/settingsstore.h"
#include "video/videopane.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

void TForm_Main::createViewMenu()
{
    QMenu *view = menuBar()->addMenu(tr("查看"));
    view->setObjectName(QStringLiteral("Menu_View"));

    m_showPicture = view->addAction(tr("显示画面"));
    m_showPicture->setObjectName(QStringLiteral("Action_ShowPicture"));
    m_showPicture->setCheckable(true);
    m_showPicture->setChecked(true);
    connect(m_showPicture, &QAction::triggered, this, m_guard.wrap([this](bool on) {
        m_videoPane->setPictureShown(on);
        m_settings->setFlag(Preferences::ShowPicture, on);
    }));

    m_showCaptions = view->addAction(tr("显示字幕"));
    m_showCaptions->setObjectName(QStringLiteral("Action_ShowSubtitles"));
    m_showCaptions->setCheckable(true);
    connect(m_showCaptions, &QAction::triggered, this, m_guard.wrap([this](bool on) {
        m_videoPane->setCaptionsShown(on);
        showCaption();
        m_settings->setFlag(Preferences::ShowSubtitles, on);
    }));

    view->addSeparator();
    m_trackMenu = view->addMenu(tr("字幕轨道"));
    m_trackMenu->setObjectName(QStringLiteral("Menu_SubtitleTrack"));
}

void TForm_Main::createDictationLanguageMenu(QMenu *parent)
{
    QMenu *menu = parent->addMenu(tr("听写语言"));
    menu->setObjectName(QStringLiteral("Menu_DictationLanguage"));
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    // Each in its own name, as learners look for it.
    const struct {
        const char *code;
        const char *name;
    } languages[] = {
        {"en", "English"},   {"zh", "中文"},    {"ja", "日本語"},  {"ko", "한국어"},
        {"fr", "Français"},  {"de", "Deutsch"}, {"es", "Español"}, {"it", "Italiano"},
        {"pt", "Português"}, {"ru", "Русский"},
    };
    for (const auto &language : languages) {
        QAction *choice = menu->addAction(QString::fromUtf8(language.name));
        choice->setObjectName(QStringLiteral("Action_DictationLanguage_")
                              + QLatin1String(language.code));
        choice->setCheckable(true);
        choice->setData(QLatin1String(language.code));
        group->addAction(choice);
    }
    m_dictationLanguageGroup = group;
    connect(group, &QActionGroup::triggered, this, m_guard.wrap([this](QAction *choice) {
        const QString code = choice->data().toString();
        m_sentences->setLanguage(code);
        m_feedback->setLanguage(code);
        m_settings->setText(Preferences::DictationLanguage, code);
    }));
}

void TForm_Main::loadVideoPreferences()
{
    m_showPicture->setChecked(m_settings->flag(Preferences::ShowPicture));
    m_videoPane->setPictureShown(m_showPicture->isChecked());
    m_showCaptions->setChecked(m_settings->flag(Preferences::ShowSubtitles));
    m_videoPane->setCaptionsShown(m_showCaptions->isChecked());

    const QString stored = m_settings->text(Preferences::DictationLanguage);
    // An unknown stored language falls back to English, the first.
    QAction *checked = m_dictationLanguageGroup->actions().first();
    for (QAction *choice : m_dictationLanguageGroup->actions()) {
        if (choice->data().toString() == stored)
            checked = choice;
    }
    checked->setChecked(true);
    m_sentences->setLanguage(checked->data().toString());
    m_feedback->setLanguage(checked->data().toString());
    showSubtitleTracks();
}

// The encodings the subtitle file beside the recording can be read again in.
void TForm_Main::showSubtitleEncodings()
{
    const QString file = m_sentences->subtitleFile();
    if (file.isEmpty())
        return;
    m_trackMenu->addSeparator();
    QMenu *menu = m_trackMenu->addMenu(tr("字幕文件编码"));
    menu->setObjectName(QStringLiteral("Menu_SubtitleEncoding"));
    auto *group = new QActionGroup(menu);
    const QString used = m_sentences->subtitleEncoding();
    const bool chosen = m_sentences->encodingChosen();
    QAction *detect =
        menu->addAction(used.isEmpty() || chosen ? tr("自动识别") : tr("自动识别（%1）").arg(used));
    detect->setObjectName(QStringLiteral("Action_SubtitleEncoding_Auto"));
    detect->setCheckable(true);
    detect->setChecked(!chosen);
    group->addAction(detect);
    connect(detect, &QAction::triggered, this,
            m_guard.wrap([this] { m_sentences->chooseEncoding(QString()); }));
    menu->addSeparator();
    for (const QString &encoding : subtitleEncodingChoices()) {
        QAction *choice = menu->addAction(encoding);
        choice->setObjectName(QStringLiteral("Action_SubtitleEncoding_") + encoding);
        choice->setCheckable(true);
        choice->setChecked(chosen && encoding == used);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this,
                m_guard.wrap([this, encoding] { m_sentences->chooseEncoding(encoding); }));
    }
}

void TForm_Main::showSubtitleTracks()
{
    m_trackMenu->clear();
    showCueShiftChoice();
    const QList<SubtitleTrack> &tracks = m_sentences->subtitleTracks();
    if (tracks.isEmpty()) {
        m_trackMenu->addAction(tr("（没有字幕轨道）"))->setEnabled(false);
        showSubtitleEncodings();
        return;
    }
    auto *group = new QActionGroup(m_trackMenu);
    group->setExclusive(true);
    const QString shownIn = m_services.language == InterfaceLanguage::English
                                ? QStringLiteral("en")
                                : QStringLiteral("zh");
    for (const SubtitleTrack &track : tracks) {
        // The language by its name, and the track's own title ("SDH", "简体").
        QString caption = languageName(track.language, shownIn);
        if (caption.isEmpty())
            caption = tr("轨道 %1").arg(track.stream);
        if (!track.title.isEmpty())
            caption += QStringLiteral(" – ") + track.title;
        if (!track.isText)
            caption += tr("（图像字幕，无法读取）");
        QAction *choice = m_trackMenu->addAction(caption);
        choice->setObjectName(QStringLiteral("Action_SubtitleTrack_%1").arg(track.stream));
        choice->setCheckable(true);
        choice->setChecked(track.stream == m_sentences->subtitleStream());
        choice->setEnabled(track.isText);
        group->addAction(choice);
        const int stream = track.stream;
        connect(choice, &QAction::triggered, this,
                m_guard.wrap([this, stream] { m_sentences->chooseTrack(stream); }));
    }
    showSubtitleEncodings();
}

void TForm_Main::showCaption()
{
    if (!m_videoPane->areCaptionsShown())
        return;
    MediaPlayer *player = m_services.player;
    const double position = isPlaybackActive(*player) ? player->currentPosition() : -1.0;
    QString text;
    if (m_sentences->fromSubtitles()) {
        const int index = sentenceAt(m_sentences->sentences(), position);
        if (index >= 0)
            text = m_sentences->sentences().at(index).text;
    }
    const double start = m_loop->start();
    const double end = m_loop->end();
    const bool answered = m_lessonControl->isAnswered(start, end);
    m_videoPane->setCaption(text, captionHidden(start, end, position, answered));
}
