#pragma once

#include "platform/guard.h"
#include "platform/qttranslations.h"
#include "playback/resumestore.h"
#include "sentences/sentencenavigation.h"
#include "settings/practiceoptions.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class AnswerFollower;
class AnswerPane;
class TranscriptAligner;
class CueWordTimer;
class WordReplayer;
class CueShift;
struct Alignment;
class Dialogs;
class DictationDocument;
class DictationLine;
class FeedbackStrip;
class HelpWindow;
class LoopRegion;
class MediaControls;
class MediaPlayer;
class QAction;
class QActionGroup;
class LearnerDatabase;
class ProgressCenter;
class Lesson;
class LessonController;
class ReviewSession;
class QDockWidget;
class QDragEnterEvent;
class QTableView;
class QTimer;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class RecentFiles;
class PlayCounter;
class Recording;
struct RecoveryEntry;
class RecoveryStore;
class RecoveryWriter;
class SentenceTrack;
class SettingsStore;
class StartPage;
class QStackedWidget;
class Shell;
class TDragTrackBar;
class TerminationSignals;
class Transport;
class VideoPane;
class VideoSource;
class WaveformView;
class WordFeedback;

// What the window needs from outside: the player, the dialogs, the shell and
// the folder of the program (help file, settings file).
struct TForm_MainServices {
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    QString programDir; // with a trailing separator
    // Where copies of unsaved dictation are kept; empty: none are kept.
    QString recoveryFolder;
    // The file that kept where each recording was left; with a learner
    // database its places are taken over once, else it is used as before.
    QString resumeFile;
    // Where the analyses of recordings are kept; empty: none are kept.
    QString analysisCacheFolder = {};
    // The learner's progress (and the resume places); empty: not kept.
    QString learnerDatabase = {};
    // The language the interface was started in; the guide follows it.
    InterfaceLanguage language = InterfaceLanguage::Chinese;
    // The player's picture; null: recordings are only heard.
    VideoSource *video = nullptr;
    // Connection options for it (QSQLITE's); the tests open it read-only,
    // as a read-only disk leaves it.
    QString learnerConnectOptions = {};
    // Starts loading the player, when a recording is about to be chosen (the
    // open dialog, a drag over the window); empty: nothing to load.
    std::function<void()> preparePlayer = {};
};

// The main window. It builds the widgets and the command table, hands each
// feature its widgets, and runs the sequences that span features: start-up,
// opening a recording, applying a dictated line, closing the window. The
// state lives in the feature objects (its children, found by object name).
class TForm_Main : public QMainWindow
{
    Q_OBJECT
public:
    // The window's caption, also the caption of the error boxes.
    static QString applicationTitle();
    // The caption of the window's message boxes.
    static QString messageCaption();

    explicit TForm_Main(const TForm_MainServices &services, QWidget *parent = nullptr);
    ~TForm_Main() override;

    // A recording given as the one argument ("Open with" of a file manager)
    // opens once the event loop runs; arguments as QCoreApplication::arguments().
    void OpenFromCommandLine(const QStringList &arguments);
    // The absolute path of that recording; empty when there is none.
    static QString commandLineRecording(const QStringList &arguments);

    // The clock of the information line and the blocking pause before
    // playback resumes; tests replace both.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    void setWait(std::function<void(int ms)> wait) { m_wait = std::move(wait); }

    // The operations that span features, under the names a reader looks for.
    void FormCreate();
    bool FormCloseQuery();
    void OpenSourceFile(const QString &path);
    void CloseSourceFile();
    void OpenDictationFile(const QString &fileName);
    void CloseDictationFile();
    void CloseAnswerFile();
    // Applies the text (the line, left-trimmed); true when a record was appended.
    bool ApplyDictationLine(const QString &text);
    void AfterApplying();
    void EditOptions();
    // Offers the copies of dictation left unsaved by a program that ended
    // without saving; called once the window shows.
    void OfferRecovery();
    // Writes the copy of unsaved dictation now (the program is being ended).
    void FlushRecovery();
    // The program is told to end (logout, shutdown, kill): what a normal
    // close keeps is kept, the copy of unsaved dictation and the place in
    // the recording.
    void EndOnTermination();
    // The desktop's media controls drive the window from now on; null: none.
    void attachMediaControls(MediaControls *controls);

    // SIGTERM and SIGHUP end the program through EndOnTermination().
    void connectTermination(TerminationSignals &termination);

    // The operations that moved into the feature objects, under their old
    // names, so that a reader who looks for them finds where they went.
    void EnsureSettingsFile();
    void LoadOptions();
    void SaveOptions();
    void LoadRecentFiles();
    void BuildRecentMenu();
    void SaveRecentFiles();
    void AddRecentFile(const QString &path);
    void ClearRecentFiles();
    void SetSourceFileName(const QString &path);
    void SetLoopPoints(double start, double end);
    void PlayOrPause();
    void StopPlayback();
    void UpdatePositionDisplay();
    void SaveDictationFile();
    void SaveDictationFileAs();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A recording dropped onto the window opens as through Ctrl+O.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createComponents();
    void createFeatures();
    void createActions();
    void createMenus();
    void createToolBars();
    // Options > interface language: follow the system, Chinese or English;
    // kept in the settings file, in effect from the next start.
    void createLanguageMenu(QMenu *parent);
    void showLanguageChoice();
    void chooseLanguage(const QString &choice);
    QAction *addAction(const QString &name, const QString &caption, const QKeySequence &shortcut,
                       int imageIndex, const std::function<void()> &handler);
    QAction *action(const QString &name) const;
    bool isWindowShortcut(const QKeySequence &keys) const;

    // Handlers.
    void WindowsMediaPlayer_MainPlayStateChange(int newState);
    void UpdatePlayPauseAction();
    void LabeledEdit_DictationChange();
    void Button_ApplyClick();
    void FormResize();
    void FocusDictationLine();
    void ShowNextPage();
    void ShowHelp();
    // Lines the waveform strip up with the seek bar's time scale.
    void alignWaveform();
    void ShowAbout();
    void SelectSourceFile();
    void ChooseDictationFile();
    void OpenAnswerFile();
    void RecentFileClick(int tag);
    void EnableDictation(bool enabled);
    // Makes the sentence the loop region and plays it from its start.
    void PlaySentence(int index);
    void PreviousSentence();
    void NextSentence();
    void RepeatSentence();

    // Sentence by sentence ("逐句听写"): the lesson controller leads from one
    // sentence to the next; the records written stay those of an ordinary
    // apply. The window wires it to the player, the loop and the line.
    void createLesson();
    // The answer text aligned to the open recording's speech, once both are
    // there and the recording's sentences come from its pauses.
    void alignAnswer();
    void answerAligned(const Alignment &alignment);
    // The first sentences of the text, shown until the whole is aligned.
    void answerAlignedFirst(const Alignment &first);
    // "重听卡住的词": the word the learner is stuck on, then the loop goes on.
    void wireWordReplay();
    void replayWord();
    // Subtitles early or late by the same amount: found once their cues are
    // shown, offered in a bar, kept with the place; and in the track menu.
    void createCueShift();
    void showCueShiftChoice();
    void skipSentence();
    void giveHint();
    void showSentenceAnswer();
    void showProgressNotKept(const QString &reason);
    void showLessonProgress();
    void toggleSentenceMode();
    // Review ("复习"): the due sentences of all recordings, one after another
    // in sentence mode; and the progress window ("学习统计").
    void ShowReview();
    void ShowStats();
    void createProgress();
    void createReview();
    // Practice controls.
    void changeSpeed(int tenths); // 0: back to normal
    void jump(double seconds);
    void changeVolume(int step);
    void applyExactLoop();
    void showSpeed();
    void showVolume();
    PlayPlace currentPlace() const;
    void loadPreferences();
    // The picture and its subtitles: the view menu, the subtitle tracks, the
    // language dictated.
    void createViewMenu();
    void createDictationLanguageMenu(QMenu *parent);
    void showSubtitleTracks();
    void showSubtitleEncodings();
    void loadVideoPreferences();
    void showCaption();
    void wireRecovery();
    // Where the learner stopped in the open recording, kept for its next opening.
    void rememberPlace();
    void resumePlace();
    // Opens the answer file that was open when the recording was last left.
    void reopenAnswerFile();
    // Works out the recording's key for the learner database.
    void identifyRecording(const QString &path);
    // As a new unnamed document when its file was written after the copy.
    void restoreRecovery(const RecoveryEntry &entry, bool asNewDocument);

    // "练习": the sentence commands, the review and the statistics, where a
    // learner looks for them.
    void createPracticeMenu();
    // The practice page of the options dialog: the settings as they stand,
    // and taking the ones confirmed.
    PracticeSettings practiceSettings() const;
    void applyPracticeSettings(const PracticeSettings &practice);
    // Plays per sentence and the rewind on pause.
    void wirePlayCounter();
    void loadPlayPreferences();

    // The start page shows while no recording, document or answer is open.
    void wireStartPage();
    void showStartPageWhenEmpty();
    void refreshStartPage();

    void openLater(const QString &path);
    static void blockingWait(int ms);

    TForm_MainServices m_services;
    Guard m_guard;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    std::function<void(int ms)> m_wait = &TForm_Main::blockingWait;
    bool m_closeConfirmed = false;

    // Widgets the window lays out and coordinates.
    TDragTrackBar *m_seekBar = nullptr;
    WaveformView *m_waveform = nullptr;
    QLabel *m_sentenceLabel = nullptr;
    QLabel *m_speedLabel = nullptr;
    QSlider *m_volume = nullptr;
    FeedbackStrip *m_feedbackStrip = nullptr;
    QLabel *m_loopLabel = nullptr;
    QLabel *m_positionLabel = nullptr;
    QLabel *m_recordingLabel = nullptr;
    QLabel *m_dictationLabel = nullptr;
    QLabel *m_answerLabel = nullptr;
    QLabel *m_answerNotice = nullptr;
    // What became of the open recording's picture (none to decode, damaged,
    // too large), or that it has no sound.
    QLabel *m_pictureNotice = nullptr;
    QLabel *m_volumeLabel = nullptr;
    HelpWindow *m_help = nullptr;
    QTabWidget *m_pages = nullptr;
    QStackedWidget *m_pageStack = nullptr;
    StartPage *m_startPage = nullptr;
    QLineEdit *m_line = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPlainTextEdit *m_dictationEditor = nullptr;
    QPlainTextEdit *m_answerView = nullptr;
    QWidget *m_videoPanel = nullptr;
    QLabel *m_captionLabel = nullptr;
    QMenu *m_recentMenu = nullptr;
    QList<QAction *> m_actions;
    QAction *m_exactLoop = nullptr;
    QAction *m_showFeedback = nullptr;
    QAction *m_sentenceMode = nullptr;
    QAction *m_showSentenceList = nullptr;
    QAction *m_hideAnswer = nullptr;
    QListView *m_cueList = nullptr;
    QLabel *m_progressNotKept = nullptr;
    QDockWidget *m_sentenceDock = nullptr;
    QTableView *m_sentenceList = nullptr;
    QLabel *m_lessonLabel = nullptr;
    QActionGroup *m_languageGroup = nullptr;
    QAction *m_showPicture = nullptr;
    QAction *m_showCaptions = nullptr;
    QMenu *m_trackMenu = nullptr;
    QActionGroup *m_dictationLanguageGroup = nullptr;
    double m_rewindStep = 2.0;
    double m_rewindOnPause = 0.0;
    PlayCounter *m_playCounter = nullptr;

    // Features.
    SettingsStore *m_settings = nullptr;
    RecentFiles *m_recent = nullptr;
    Recording *m_recording = nullptr;
    LoopRegion *m_loop = nullptr;
    Transport *m_transport = nullptr;
    DictationDocument *m_document = nullptr;
    DictationLine *m_dictationLine = nullptr;
    AnswerPane *m_answer = nullptr;
    SentenceTrack *m_sentences = nullptr;
    TranscriptAligner *m_aligner = nullptr;
    QString m_alignedText; // the answer text aligned or being aligned
    CueWordTimer *m_cueWords = nullptr;
    WordReplayer *m_wordReplayer = nullptr;
    CueShift *m_cueShift = nullptr;
    WordFeedback *m_feedback = nullptr;
    VideoPane *m_videoPane = nullptr;
    std::shared_ptr<RecoveryStore> m_recoveryStore;
    RecoveryWriter *m_recoveryWriter = nullptr;
    QLabel *m_recoveryWarning = nullptr;
    LearnerDatabase *m_learner = nullptr;
    LessonController *m_lessonControl = nullptr;
    // The key of the recording being worked out, and which opening it is for.
    std::shared_ptr<std::atomic_bool> m_keyCancel;
    int m_keyGeneration = 0;
    Lesson *m_lesson = nullptr; // the controller's
    ProgressCenter *m_progress = nullptr;
    ReviewSession *m_review = nullptr;
    AnswerFollower *m_answerFollower = nullptr;
    std::unique_ptr<ResumePlaces> m_resume;
    std::optional<ResumePoint> m_pendingResume;
};
