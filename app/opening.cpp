// Opening and closing the recording, the dictation document and the answer
// file, by command, recent-files menu, argument and drop.
#include "app/tform_main.h"

#include "align/cueshift.h"
#include "app/droppedfiles.h"
#include "dictation/answerpane.h"
#include "dictation/dictationdocument.h"
#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "playback/recording.h"
#include "playback/sourcefilerules.h"
#include "playback/transport.h"
#include "sentences/sentencetrack.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"
#include "video/videopane.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace {

QString recordingFilter()
{
    QStringList patterns;
    for (const QString &suffix : recordingSuffixes())
        patterns.append(QStringLiteral("*.") + suffix);
    const QString all = patterns.join(u';');
    return QCoreApplication::translate(
               "TForm_Main",
               "音频文件 (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav|所有支持的文件 (%1)|%1")
        .arg(all);
}

QString answerFilter()
{
    return QCoreApplication::translate(
        "TForm_Main", "文本文件 (*.txt)|*.txt|字幕文件 (*.srt;*.vtt;*.lrc)|*.srt;*.vtt;*.lrc|"
                      "所有支持的文件 (*.txt;*.srt;*.vtt;*.lrc)|*.txt;*.srt;*.vtt;*.lrc");
}

} // namespace

void TForm_Main::SelectSourceFile()
{
    // The player loads while the learner chooses.
    if (m_services.preparePlayer)
        m_services.preparePlayer();
    Dialogs::FileRequest request;
    request.title = tr("请选择语音文件");
    request.filter = recordingFilter();
    request.fileName = m_recording->path();
    request.fileMustExist = true;
    request.filterIndex = m_settings->whole(Preferences::RecordingFilter);
    int chosenFilter = request.filterIndex;
    request.chosenFilterIndex = &chosenFilter;
    if (const std::optional<QString> chosen = m_services.dialogs->openFile(request)) {
        m_settings->setWhole(Preferences::RecordingFilter, chosenFilter);
        OpenSourceFile(*chosen);
    }
}

void TForm_Main::OpenSourceFile(const QString &path)
{
    // A folder named like a recording is no recording either.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        m_services.dialogs->messageBox(messageCaption(), tr("文件“%1”不存在！").arg(path),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Error,
                                       Dialogs::Button::Ok);
        throw Abandon();
    }
    CloseSourceFile();
    m_services.player->setUrl(path);
    m_recording->setPath(path);
    m_recent->add(path);
    OpenDictationFile(CompanionDictationPath(path));
    m_feedback->reset();
    m_lessonControl->openRecording({}, path);
    if (m_learner)
        identifyRecording(path);
    m_sentences->open(path);
    if (m_resume)
        m_pendingResume = m_resume->find(path);
    KeptCueShift kept;
    if (m_pendingResume)
        kept = {m_pendingResume->cueShift, m_pendingResume->cueShiftFor,
                m_pendingResume->cueShiftDeclined};
    m_cueShift->open(path, kept, m_settings->text(Preferences::DictationLanguage));
    reopenAnswerFile();
    m_transport->playOrPause();
}

void TForm_Main::identifyRecording(const QString &path)
{
    // The whole file is read for its key: off the window's thread, dropped
    // when another recording is opened first.
    m_lessonControl->awaitKey();
    auto cancel = std::make_shared<std::atomic_bool>(false);
    m_keyCancel = cancel;
    const int generation = ++m_keyGeneration;
    auto *watcher = new QFutureWatcher<RecordingKey>(this);
    connect(watcher, &QFutureWatcher<RecordingKey>::finished, this,
            m_guard.wrap([this, watcher, generation, path] {
                watcher->deleteLater();
                if (generation != m_keyGeneration)
                    return;
                const RecordingKey key = watcher->result();
                if (key.isValid())
                    m_learner->noteRecording(key, path, 0.0);
                m_lessonControl->setRecordingKey(key);
            }));
    watcher->setFuture(
        QtConcurrent::run([path, cancel] { return recordingKeyOf(path, cancel.get()); }));
}

void TForm_Main::reopenAnswerFile()
{
    // The answer comes back with the recording; one that has gone or cannot
    // be read is left out, with a word in the status bar rather than a
    // message box: the recording itself opened.
    m_answerNotice->clear();
    if (!m_pendingResume || m_pendingResume->answerFile.isEmpty())
        return;
    const QString answer = m_pendingResume->answerFile;
    if (!QFileInfo(answer).isFile()) {
        m_answerNotice->setText(tr("上次的答案文件“%1”已不在，没有打开。").arg(answer));
        return;
    }
    try {
        m_answer->open(answer);
    } catch (const AppError &error) {
        m_answerNotice->setText(tr("上次的答案文件没有打开：%1").arg(error.text()));
    }
}

void TForm_Main::rememberPlace()
{
    const QString path = m_recording->path();
    if (!m_resume || path.isEmpty())
        return;
    ResumePoint point;
    point.loopStart = m_loop->start();
    point.loopEnd = m_loop->end();
    MediaPlayer *player = m_services.player;
    point.position = isPlaybackActive(*player) ? player->currentPosition() : 0.0;
    point.answerFile = m_answer->fileName();
    const KeptCueShift &kept = m_cueShift->kept();
    point.cueShift = kept.seconds;
    point.cueShiftFor = kept.cues;
    point.cueShiftDeclined = kept.declined;
    m_resume->remember(path, point);
}

void TForm_Main::resumePlace()
{
    // Once the player knows the recording's length, it takes the place back.
    MediaPlayer *player = m_services.player;
    if (!m_pendingResume || player->duration() <= 0)
        return;
    // The recording may have been replaced by a shorter one since: what no
    // longer fits is dropped.
    const ResumePoint point =
        fitToLength(*std::exchange(m_pendingResume, std::nullopt), player->duration());
    // In a lesson the first sentence not yet done is the place to start.
    if (m_lessonControl->isPending() && m_lessonControl->isOn())
        return;
    if (point.position > 0)
        player->setCurrentPosition(point.position);
    m_loop->setPoints(point.loopStart, point.loopEnd);
}

void TForm_Main::CloseSourceFile()
{
    rememberPlace();
    m_cueShift->open({}, {}, {});
    m_pendingResume.reset();
    if (m_keyCancel)
        m_keyCancel->store(true);
    ++m_keyGeneration;
    m_lessonControl->closeRecording();
    CloseDictationFile();
    CloseAnswerFile();
    m_loop->clear();
    m_recording->setPath(QString());
    m_sentences->open(QString());
    // What was done on this recording's sentences stays with it.
    m_lesson->clear();
    m_answerNotice->clear();
    m_pictureNotice->clear();
    // The picture's render context goes before the recording.
    m_videoPane->setRecordingHasVideo(false);
    m_services.player->stop();
    m_services.player->close();
    showStartPageWhenEmpty();
}

void TForm_Main::OpenDictationFile(const QString &fileName)
{
    m_document->open(fileName, m_recording->path());
}

void TForm_Main::CloseDictationFile()
{
    m_document->close();
}

void TForm_Main::ChooseDictationFile()
{
    Dialogs::FileRequest request;
    request.title = tr("请选择听写文件");
    request.filter = tr("文本文件 (*.txt)|*.txt");
    request.fileMustExist = true;
    const std::optional<QString> chosen = m_services.dialogs->openFile(request);
    if (chosen && QFileInfo(*chosen).isFile())
        OpenDictationFile(*chosen);
}

void TForm_Main::OpenAnswerFile()
{
    Dialogs::FileRequest request;
    request.title = tr("请选择答案文件");
    request.filter = answerFilter();
    request.fileMustExist = true;
    // The recording's folder, with its final separator; none without a recording.
    const QString recording = m_recording->path();
    request.initialDir = recording.left(recording.lastIndexOf(QLatin1Char('/')) + 1);
    request.filterIndex = m_settings->whole(Preferences::AnswerFilter);
    int chosenFilter = request.filterIndex;
    request.chosenFilterIndex = &chosenFilter;
    const std::optional<QString> chosen = m_services.dialogs->openFile(request);
    if (chosen)
        m_settings->setWhole(Preferences::AnswerFilter, chosenFilter);
    if (chosen && QFileInfo(*chosen).isFile())
        m_answer->open(*chosen);
}

void TForm_Main::CloseAnswerFile()
{
    m_answer->close();
}

void TForm_Main::RecentFileClick(int tag)
{
    // A copy: opening reorders the list, and with it the entry's string.
    const QString path = m_recent->pathAt(tag);
    OpenSourceFile(path);
}

void TForm_Main::openLater(const QString &path)
{
    // From the event loop: start-up completes first, and a drag source is not
    // kept waiting while a message about the file is up.
    QTimer::singleShot(0, this, [this, path] {
        auto open = m_guard.wrap([this, path] { OpenSourceFile(path); });
        // A player still loading is waited for here rather than inside
        // setUrl(), which would hold up the window's first paint.
        MediaPlayer *player = m_services.player;
        if (player->isStarting())
            connect(player, &MediaPlayer::started, this, open, Qt::SingleShotConnection);
        else
            open();
    });
}

QString TForm_Main::commandLineRecording(const QStringList &arguments)
{
    return arguments.size() == 2 ? QFileInfo(arguments.at(1)).absoluteFilePath() : QString();
}

void TForm_Main::OpenFromCommandLine(const QStringList &arguments)
{
    const QString recording = commandLineRecording(arguments);
    if (!recording.isEmpty())
        openLater(recording);
}

void TForm_Main::dragEnterEvent(QDragEnterEvent *event)
{
    if (takeFileDrop(event) && m_services.preparePlayer
        && droppedFile(event->mimeData()).first == DropRole::Recording)
        m_services.preparePlayer();
}

void TForm_Main::dragMoveEvent(QDragMoveEvent *event)
{
    takeFileDrop(event);
}

void TForm_Main::dropEvent(QDropEvent *event)
{
    if (!takeFileDrop(event))
        return;
    const auto [role, path] = droppedFile(event->mimeData());
    if (role == DropRole::Recording) {
        openLater(path);
        return;
    }
    // After the drop has finished, as a recording is.
    QTimer::singleShot(0, this, m_guard.wrap([this, path] { m_answer->open(path); }));
}
