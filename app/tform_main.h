#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;

class AnswerLines;
class Dialogs;
class MediaPlayer;
class Shell;
class TDragTrackBar;

// The seven option flags, named after their keys in the settings file.
struct TOptionFlags {
    bool PauseWhenWriting = false;
    bool SetEndPointWhenWriting = false;
    bool RecordDictateTime = false;
    bool RecordRepeatPoints = false;
    bool VerifyBeforeApplying = false;
    bool PlayAfterApplying = false;
    bool SelectAfterApplying = false;
};

// What the window needs from outside: the player, the dialogs, the shell and
// the folder of the program (help file, settings file).
struct TForm_MainServices {
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    QString programDir; // with a trailing separator
};

// The main window. It owns all state of the program; the operations of each
// feature are defined in that feature's folder.
class TForm_Main : public QMainWindow
{
    Q_OBJECT
public:
    static const QString ApplicationTitle; // "Quillmar奎尔玛"
    static const QString MessageCaption;   // "系统提示"

    explicit TForm_Main(const TForm_MainServices &services, QWidget *parent = nullptr);
    ~TForm_Main() override;

    // Runs a command or event handler: an abandoned chain ends silently, an
    // unexpected error is shown in a message box captioned with the title.
    void guarded(const std::function<void()> &handler);
    void ShowError(const QString &text);

    // --- State (plain fields, read by tests) ---
    bool SeekBarDragging = false;
    TOptionFlags OptionFlags;
    double LoopStart = -1.0;
    double LoopEnd = -1.0;
    QString SourceFileName;
    bool DictationModified = false;
    bool DictationOpen = false;
    QString DictationFileName;
    QString AnswerFileName;
    QStringList *RecentFiles = nullptr;

    // --- Components ---
    QToolBar *ToolBar_File = nullptr;
    QFrame *Panel3 = nullptr;
    TDragTrackBar *DragTrackBar1 = nullptr;
    QFrame *Panel4 = nullptr;
    QLabel *Label_LoopInfo = nullptr;
    QLabel *Label_CurrentPostion = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QFrame *Panel_Label = nullptr;
    QLabel *Label_SourceFileName = nullptr;
    QLabel *Label_DictationFileName = nullptr;
    QLabel *Label_AnswerFileName = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QLabel *LabeledEdit_DictationLabel = nullptr;
    QLineEdit *LabeledEdit_Dictation = nullptr;
    QPushButton *Button_Apply = nullptr;
    QPlainTextEdit *Memo_Dictation = nullptr;
    QPlainTextEdit *Memo_Answer = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *Menu_RecentplayList = nullptr;
    QList<QAction *> ActionList_Main;

    MediaPlayer *WindowsMediaPlayer_Main() const { return m_services.player; }
    QAction *action(const QString &name) const;

    // --- Start-up and main window ---
    void FormCreate();
    bool FormCanResize(int newWidth, int newHeight) const;
    void FormResize();
    bool FormCloseQuery();
    void FocusDictationLine();
    void ShowNextPage();
    void ShowHelp();
    void ShowAbout();
    QString HelpFilePath() const;
    void Action_CloseExecute();

    // --- Source file ---
    void SelectSourceFile();
    // A recording given as the one argument ("Open with" of a file manager)
    // opens once the event loop runs; arguments as QCoreApplication::arguments().
    void OpenFromCommandLine(const QStringList &arguments);
    void OpenSourceFile(const QString &path);
    void CloseSourceFile();
    void SetSourceFileName(const QString &path);

    // --- Transport, tick and position display ---
    void PlayOrPause();
    void StopPlayback();
    void WindowsMediaPlayer_MainPlayStateChange(int newState);
    void UpdatePlayPauseAction();
    void Timer1Timer();
    void UpdatePositionDisplay();

    // --- Loop region ---
    bool IsPlaybackActive() const;
    void SetLoopPoints(double start, double end);
    void UpdateLoopInfo(double start, double end);
    void Action_SetStartPointExecute();
    void Action_SetEndPointExecute();
    void Action_SetEndPointAndPauseExecute();
    void Action_SetEndpointAsStartpointExecute();
    void Action_DeleteStartPointExecute();
    void Action_DeleteEndPointExecute();
    void Action_ClearLoopPointExecute();
    void Action_MicroBackStartPointExecute();
    void Action_MicroForwardStartPointExecute();
    void Action_MicroBackEndPointExecute();
    void Action_MicroForwardEndPointExecute();

    // --- Seek bar ---
    void DragTrackBar1MouseDown();
    void DragTrackBar1MouseMove(bool leftButtonHeld);
    void DragTrackBar1MouseUp();

    // --- Dictation document and file ---
    void Memo_DictationChange();
    void OpenDictationFile(const QString &fileName);
    void ChooseDictationFile();
    void CloseDictationFile();
    void SaveDictationFile(const QString &fileName, const QString &answerFileName);
    void SaveDictationFileAs(QString &fileName, const QString &answerFileName);
    void SetDictationFileName(const QString &fileName);
    void EnableDictation(bool enabled);
    // The document as it is saved: lines separated by CR LF.
    QString DictationText() const;
    // Adds a line at the end of the document by the append rule.
    void AppendDictationLine(const QString &line);
    void Action_CreateDictationFileExecute();
    void Action_SaveDictationFileExecute();
    void Action_SaveAsDictationFileExecute();

    // --- Dictation line ---
    void LabeledEdit_DictationChange();
    // key is the character typed into the line; setting it to the null
    // character consumes it, so the line never sees it.
    void LabeledEdit_DictationKeyPress(QChar &key);
    void Button_ApplyClick();
    // Applies the text (the line, left-trimmed); true when a record was appended.
    bool ApplyDictationLine(const QString &text);
    void AfterApplying();
    // The clock of the information line and the blocking pause before
    // playback resumes; tests replace both.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    std::function<void(int ms)> Wait = &TForm_Main::blockingWait;

    // --- Answer file ---
    void OpenAnswerFile();
    void CloseAnswerFile();
    void SetAnswerFileName(const QString &fileName);
    // The answer lines: the display lines of Memo_Answer at its current width,
    // without the empty line after a final line break.
    int AnswerLineCount();
    QString AnswerLine(int index);
    // Scrolls Memo_Answer so that the given answer line is its top line.
    void ScrollAnswerToLine(int index);

    // --- Settings and recent files ---
    QString SettingsFilePath() const;
    void EnsureSettingsFile();
    void LoadOptions();
    void SaveOptions();
    void LoadRecentFiles(QStringList &list);
    void SaveRecentFiles(const QStringList &list);
    void AddRecentFile(QStringList &list, const QString &path);
    void BuildRecentMenu(const QStringList &list);
    // Click handlers of the recent-files items; the tag is the entry's index.
    void RecentFileClick(int tag);
    void ClearRecentFiles();
    void EditOptions();

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
    void createActions();
    void createMenus();
    void createToolBars();
    void connectHandlers();
    QAction *addAction(const QString &name, const QString &caption,
                       const QKeySequence &shortcut, int imageIndex,
                       void (TForm_Main::*handler)());
    bool isWindowShortcut(const QKeySequence &keys) const;
    void openLater(const QString &path);
    // The one local recording (mp3, wma, wav) a drag carries; empty for anything else.
    static QString droppedRecording(const QMimeData *data);
    bool takeRecordingDrop(QDropEvent *event);

    void writeDictation(const QString &fileName);
    void connectDictationLine();
    static void blockingWait(int ms);
    AnswerLines &answerLines();

    TForm_MainServices m_services;
    // The encoding the document was read in; saving writes it back the same way.
    bool m_dictationIsGb18030 = false;
    bool m_closeConfirmed = false;
    AnswerLines *m_answerLines = nullptr; // made on first use
};
