#include "app/tform_main.h"

#include "about/tform_about.h"
#include "align/transcriptaligner.h"
#include "dictation/answerpane.h"
#include "dictation/dictationdocument.h"
#include "dictation/dictationline.h"
#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "help/helpwindow.h"
#include "learner/learnerdatabase.h"
#include "learner/learnerresumeplaces.h"
#include "lesson/answerfollower.h"
#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "lesson/sentencelistmodel.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/filelabel.h"
#include "platform/mediaplayer.h"
#include "platform/shell.h"
#include "platform/userguide.h"
#include "platform/videosource.h"
#include "platform/windowfont.h"
#include "playback/loopregion.h"
#include "playback/recording.h"
#include "playback/tdragtrackbar.h"
#include "playback/transport.h"
#include "progress/progresscenter.h"
#include "progress/reviewsession.h"
#include "progress/startpage.h"
#include "recovery/recoverywriter.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"
#include "sentences/waveformzoom.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"
#include "video/videopane.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

// Functions rather than constants: the texts are translated, and only once
// the translator is installed.
QString TForm_Main::applicationTitle()
{
    return tr("Quillmar奎尔玛");
}

QString TForm_Main::messageCaption()
{
    return tr("系统提示");
}

namespace {

constexpr int MinimumOuterWidth = 640;
constexpr int MinimumOuterHeight = 480;
constexpr int WaveformHeight = 44;
constexpr int ZoomHeight = 76;

QFrame *makePanel(QWidget *parent, const QString &name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

QFont memoFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    return font;
}

} // namespace

TForm_Main::TForm_Main(const TForm_MainServices &services, QWidget *parent)
    : QMainWindow(parent), m_services(services), m_guard(services.dialogs, applicationTitle())
{
    Q_ASSERT(m_services.player && m_services.dialogs && m_services.shell);
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(applicationTitle());
    setFont(WindowFont());
    resize(800, 600);
    // The design size, centred; the window comes up maximised, and this is
    // where it goes when it is restored.
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    setAcceptDrops(true);

    // Components, command table, timer and player first; then the creation handler.
    createComponents();
    createActions();
    createMenus();
    createToolBars();
    createFeatures();
    qApp->installEventFilter(this);
    FormCreate();
}

TForm_Main::~TForm_Main()
{
    qApp->removeEventFilter(this);
    // Nothing may reach a half-destroyed window.
    disconnect(m_services.player, nullptr, this, nullptr);
    // The features go before the guard their handlers run under.
    for (QObject *feature : std::initializer_list<QObject *>{
             m_transport, m_loop, m_recent, m_document, m_dictationLine, m_answer, m_sentences,
             m_feedback, m_recoveryWriter, m_lessonControl, m_answerFollower, m_progress, m_review,
             m_videoPane})
        delete feature;
}

void TForm_Main::createComponents()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The picture, above the transport panel; hidden for recordings without one.
    m_videoPanel = new QWidget(central);
    m_videoPanel->setObjectName(QStringLiteral("VideoPanel"));
    m_videoPanel->setAutoFillBackground(true);
    QPalette videoPalette = m_videoPanel->palette();
    videoPalette.setColor(QPalette::Window, Qt::black);
    videoPalette.setColor(QPalette::WindowText, Qt::white);
    m_videoPanel->setPalette(videoPalette);
    // The picture itself goes on top once a recording has one.
    auto *videoColumn = new QVBoxLayout(m_videoPanel);
    videoColumn->setContentsMargins(0, 0, 0, 0);
    videoColumn->setSpacing(0);
    m_captionLabel = new QLabel(m_videoPanel);
    m_captionLabel->setObjectName(QStringLiteral("Label_Subtitle"));
    m_captionLabel->setTextFormat(Qt::PlainText);
    m_captionLabel->setAlignment(Qt::AlignCenter);
    m_captionLabel->setWordWrap(true);
    m_captionLabel->setMinimumHeight(2 * m_captionLabel->fontMetrics().height() + 8);
    QFont captionFont = m_captionLabel->font();
    captionFont.setPixelSize(18);
    m_captionLabel->setFont(captionFont);
    videoColumn->addWidget(m_captionLabel);
    column->addWidget(m_videoPanel, 1);

    // Transport panel: seek bar, loop and position labels, transport tool bar.
    // The waveform strip sits on top; what is below it keeps its own sizes.
    QFrame *transportPanel = makePanel(central, QStringLiteral("Panel3"));
    transportPanel->setFixedHeight(89 + WaveformHeight + ZoomHeight);
    auto *transport = new QVBoxLayout(transportPanel);
    transport->setContentsMargins(2, 2, 2, 2);
    transport->setSpacing(0);
    // The close view around the sentence over the strip of the whole.
    auto *zoom = new WaveformZoom(transportPanel);
    zoom->setObjectName(QStringLiteral("WaveformZoom"));
    zoom->setFixedHeight(ZoomHeight);
    transport->addWidget(zoom);
    m_waveform = new WaveformView(transportPanel);
    m_waveform->setObjectName(QStringLiteral("WaveformView"));
    m_waveform->setFixedHeight(WaveformHeight);
    transport->addWidget(m_waveform);
    m_seekBar = new TDragTrackBar(transportPanel);
    m_seekBar->setObjectName(QStringLiteral("DragTrackBar1"));
    // It takes no keys: a click or drag must leave the typing in the line.
    m_seekBar->setFocusPolicy(Qt::NoFocus);
    auto *barBorder = new QHBoxLayout;
    barBorder->setContentsMargins(5, 5, 5, 5);
    barBorder->addWidget(m_seekBar);
    transport->addLayout(barBorder);

    auto *labelStrip = new QFrame(transportPanel);
    labelStrip->setObjectName(QStringLiteral("Panel4"));
    labelStrip->setFixedHeight(22);
    auto *strip = new QHBoxLayout(labelStrip);
    strip->setContentsMargins(0, 0, 0, 0);
    m_loopLabel = new QLabel(tr(" 循环信息"), labelStrip);
    m_loopLabel->setObjectName(QStringLiteral("Label_LoopInfo"));
    m_loopLabel->setTextFormat(Qt::PlainText);
    m_positionLabel = new QLabel(tr("播放位置信息 "), labelStrip);
    m_positionLabel->setObjectName(QStringLiteral("Label_CurrentPostion"));
    m_positionLabel->setTextFormat(Qt::PlainText);
    m_positionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_sentenceLabel = new QLabel(labelStrip);
    m_sentenceLabel->setObjectName(QStringLiteral("Label_Sentence"));
    m_sentenceLabel->setTextFormat(Qt::PlainText);
    strip->addWidget(m_loopLabel);
    strip->addSpacing(12);
    strip->addWidget(m_sentenceLabel);
    strip->addWidget(m_positionLabel, 1);
    m_speedLabel = new QLabel(labelStrip);
    m_speedLabel->setObjectName(QStringLiteral("Label_Speed"));
    m_speedLabel->setTextFormat(Qt::PlainText);
    strip->addWidget(m_speedLabel);
    transport->addWidget(labelStrip);

    auto *transportBar = new QToolBar(QStringLiteral("ToolBar1"), transportPanel);
    transportBar->setObjectName(QStringLiteral("ToolBar1"));
    transportBar->setIconSize(QSize(16, 16));
    transportBar->setMovable(false);
    transport->addWidget(transportBar);
    column->addWidget(transportPanel);

    // The three file labels.
    QFrame *labelPanel = makePanel(central, QStringLiteral("Panel_Label"));
    auto *labels = new QVBoxLayout(labelPanel);
    labels->setContentsMargins(1, 1, 1, 1);
    labels->setSpacing(0);
    m_recordingLabel =
        makeFileLabel(labelPanel, QStringLiteral("Label_SourceFileName"), tr("  语音文件"));
    m_dictationLabel =
        makeFileLabel(labelPanel, QStringLiteral("Label_DictationFileName"), tr("  听写文件"));
    m_answerLabel =
        makeFileLabel(labelPanel, QStringLiteral("Label_AnswerFileName"), tr("  答案文件"));
    labels->addWidget(m_recordingLabel);
    labels->addWidget(m_dictationLabel);
    labels->addWidget(m_answerLabel);
    column->addWidget(labelPanel);

    // The two pages.
    m_pages = new QTabWidget(central);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *dictationPage = new QWidget;
    dictationPage->setObjectName(QStringLiteral("TabSheet1"));
    auto *page1 = new QVBoxLayout(dictationPage);
    page1->setContentsMargins(0, 0, 0, 0);
    page1->setSpacing(0);
    auto *lineStrip = new QWidget(dictationPage);
    lineStrip->setObjectName(QStringLiteral("DictationStrip"));
    lineStrip->setFixedHeight(40);
    auto *stripLayout = new QHBoxLayout(lineStrip);
    stripLayout->setContentsMargins(8, 7, 8, 8);
    auto *lineLabel = new QLabel(tr("听写区(&V)"), lineStrip);
    lineLabel->setObjectName(QStringLiteral("LabeledEdit_DictationLabel"));
    m_line = new QLineEdit(lineStrip);
    m_line->setObjectName(QStringLiteral("LabeledEdit_Dictation"));
    lineLabel->setBuddy(m_line);
    m_applyButton = new QPushButton(tr("提交(&A)"), lineStrip);
    m_applyButton->setObjectName(QStringLiteral("Button_Apply"));
    m_applyButton->setFixedSize(75, 25);
    m_applyButton->setAutoDefault(false);
    // The line's width is set by FormResize; the button keeps to the right edge.
    m_line->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_line->setMinimumWidth(0);
    stripLayout->addWidget(lineLabel);
    stripLayout->addWidget(m_line, 1000);
    stripLayout->addStretch(1);
    stripLayout->addWidget(m_applyButton);
    page1->addWidget(lineStrip);
    m_feedbackStrip = new FeedbackStrip(dictationPage);
    m_feedbackStrip->setObjectName(QStringLiteral("FeedbackStrip"));
    page1->addWidget(m_feedbackStrip);
    m_dictationEditor = new QPlainTextEdit(dictationPage);
    m_dictationEditor->setObjectName(QStringLiteral("Memo_Dictation"));
    m_dictationEditor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_dictationEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_dictationEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_dictationEditor->setFont(memoFont());
    page1->addWidget(m_dictationEditor);
    m_pages->addTab(dictationPage, tr("听写内容"));

    auto *answerPage = new QWidget;
    answerPage->setObjectName(QStringLiteral("TabSheet2"));
    auto *page2 = new QVBoxLayout(answerPage);
    page2->setContentsMargins(0, 0, 0, 0);
    m_answerView = new QPlainTextEdit(answerPage);
    m_answerView->setObjectName(QStringLiteral("Memo_Answer"));
    m_answerView->setReadOnly(true);
    m_answerView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_answerView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_answerView->setFont(memoFont());
    QPalette answerPalette = m_answerView->palette();
    answerPalette.setColor(QPalette::Base, answerPalette.color(QPalette::ToolTipBase));
    answerPalette.setColor(QPalette::Text, answerPalette.color(QPalette::ToolTipText));
    m_answerView->setPalette(answerPalette);
    page2->addWidget(m_answerView);
    // A lesson's cue texts stand over the view while no answer text is open.
    m_cueList = new QListView(answerPage);
    m_cueList->setObjectName(QStringLiteral("ListView_Cues"));
    m_pages->addTab(answerPage, tr("答案"));
    // What to do first, in place of the pages while nothing is open.
    m_pageStack = new QStackedWidget(central);
    m_pageStack->setObjectName(QStringLiteral("Stack_Pages"));
    m_startPage = new StartPage(m_pageStack);
    m_pageStack->addWidget(m_startPage);
    m_pageStack->addWidget(m_pages);
    column->addWidget(m_pageStack, 1);

    setCentralWidget(central);

    auto *statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(statusBar);
    // Notices about the recording just opened, kept while it is open: the
    // analysis' progress in the status bar's message would wipe them.
    m_answerNotice = new QLabel(statusBar);
    m_answerNotice->setObjectName(QStringLiteral("Label_AnswerNotice"));
    m_answerNotice->setTextFormat(Qt::PlainText);
    statusBar->addPermanentWidget(m_answerNotice);
    m_pictureNotice = new QLabel(statusBar);
    m_pictureNotice->setObjectName(QStringLiteral("Label_PictureNotice"));
    m_pictureNotice->setTextFormat(Qt::PlainText);
    statusBar->addPermanentWidget(m_pictureNotice);
    m_lessonLabel = new QLabel(statusBar);
    m_lessonLabel->setObjectName(QStringLiteral("Label_LessonProgress"));
    m_lessonLabel->setTextFormat(Qt::PlainText);
    m_lessonLabel->hide();
    statusBar->addPermanentWidget(m_lessonLabel);
    // Stays while progress is not kept; the reason is its tool tip.
    m_progressNotKept = new QLabel(tr("学习进度未保存"), statusBar);
    m_progressNotKept->setObjectName(QStringLiteral("Label_ProgressNotKept"));
    m_progressNotKept->setTextFormat(Qt::PlainText);
    m_progressNotKept->hide();
    statusBar->addPermanentWidget(m_progressNotKept);

    // The sentences of a lesson, beside the pages; shown while one runs.
    m_sentenceDock = new QDockWidget(tr("句子"), this);
    m_sentenceDock->setObjectName(QStringLiteral("Dock_Sentences"));
    m_sentenceDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_sentenceList = new QTableView(m_sentenceDock);
    m_sentenceList->setObjectName(QStringLiteral("TableView_Sentences"));
    m_sentenceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sentenceList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sentenceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sentenceList->setWordWrap(false);
    m_sentenceList->verticalHeader()->hide();
    m_sentenceList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_sentenceList->horizontalHeader()->setStretchLastSection(true);
    m_sentenceDock->setWidget(m_sentenceList);
    addDockWidget(Qt::RightDockWidgetArea, m_sentenceDock);
    m_sentenceDock->hide();
}

void TForm_Main::createFeatures()
{
    MediaPlayer *player = m_services.player;
    Dialogs *dialogs = m_services.dialogs;
    m_settings = new SettingsStore(m_services.programDir, this);
    m_recent = new RecentFiles(m_settings, dialogs, m_recentMenu, this);
    m_recording = new Recording(m_recordingLabel, this);
    m_loop = new LoopRegion(player, m_seekBar, m_loopLabel, this);
    m_transport = new Transport(player, m_loop, m_seekBar, m_positionLabel, &m_guard, this);
    m_document = new DictationDocument(dialogs, m_dictationEditor, m_dictationLabel, this);
    m_document->setRecordLanguage(m_services.language);
    m_dictationLine = new DictationLine(m_line, m_applyButton, this);
    m_answer = new AnswerPane(m_pages, m_answerView, m_answerLabel, this);
    m_sentences = new SentenceTrack(m_waveform, m_sentenceLabel, this);
    m_sentences->setCacheFolder(m_services.analysisCacheFolder);
    m_sentences->setInterfaceLanguage(m_services.language == InterfaceLanguage::English
                                          ? QStringLiteral("en")
                                          : QStringLiteral("zh"));
    // The encodings chosen for subtitle files live beside the resume places.
    if (!m_services.resumeFile.isEmpty())
        m_sentences->setEncodingChoicesFile(
            QFileInfo(m_services.resumeFile).dir().filePath(QStringLiteral("subtitle-encodings")));
    m_aligner = new TranscriptAligner(this, m_services.analysisCacheFolder);
    m_aligner->setObjectName(QStringLiteral("TranscriptAligner"));
    m_sentences->setZoom(findChild<WaveformZoom *>(QStringLiteral("WaveformZoom")));
    m_feedback = new WordFeedback(m_feedbackStrip, this);
    m_answerFollower = new AnswerFollower(m_answerView, m_cueList, this);
    m_videoPane = new VideoPane(m_videoPanel, m_captionLabel, m_services.video, this);

    connect(player, &MediaPlayer::playStateChanged, this,
            m_guard.wrap([this](int state) { WindowsMediaPlayer_MainPlayStateChange(state); }));
    connect(player, &MediaPlayer::errorOccurred, this,
            m_guard.wrap([](const QString &text) { throw PlayerError(text); }));
    connect(m_seekBar, &TDragTrackBar::mousePressed, this,
            m_guard.wrap([this] { m_transport->seekBarPressed(); }));
    connect(m_seekBar, &TDragTrackBar::mouseMoved, this,
            m_guard.wrap([this](Qt::MouseButtons buttons) {
                m_transport->seekBarMoved(buttons.testFlag(Qt::LeftButton));
            }));
    connect(m_seekBar, &TDragTrackBar::scaleChanged, this, [this] { alignWaveform(); });
    connect(m_seekBar, &TDragTrackBar::mouseReleased, this,
            m_guard.wrap([this] { m_transport->seekBarReleased(); }));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) // the dictation page shows
            FocusDictationLine();
    });
    connect(m_dictationLine, &DictationLine::edited, this,
            m_guard.wrap([this] { LabeledEdit_DictationChange(); }));
    connect(m_dictationLine, &DictationLine::applyRequested, this,
            m_guard.wrap([this] { Button_ApplyClick(); }));
    connect(m_document, &DictationDocument::openChanged, this, [this](bool open) {
        showStartPageWhenEmpty();
        if (!open)
            m_dictationLine->clear();
        EnableDictation(open);
        if (open)
            FocusDictationLine();
    });
    connect(m_answer, &AnswerPane::fileNameChanged, m_document,
            &DictationDocument::setAnswerFileName);
    connect(m_answer, &AnswerPane::fileNameChanged, m_answerNotice, [this](const QString &name) {
        if (!name.isEmpty())
            m_answerNotice->clear(); // an answer is open after all
    });
    // The box says that the save failed; the status bar says where and why.
    connect(m_document, &DictationDocument::saveFailed, this,
            [this](const QString &fileName, const QString &reason) {
                statusBar()->showMessage(tr("无法保存“%1”：%2").arg(fileName, reason));
            });
    connect(m_recent, &RecentFiles::entryTriggered, this,
            m_guard.wrap([this](int tag) { RecentFileClick(tag); }));
    connect(m_recent, &RecentFiles::clearTriggered, this,
            m_guard.wrap([this] { ClearRecentFiles(); }));
    connect(m_recent, &RecentFiles::listChanged, this, [this] { SaveRecentFiles(); });
    connect(m_sentences, &SentenceTrack::statusChanged, statusBar(),
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(m_sentences, &SentenceTrack::sentenceClicked, this,
            m_guard.wrap([this](int index) { PlaySentence(index); }));
    connect(m_loop, &LoopRegion::changed, m_sentences, &SentenceTrack::setLoop);
    connect(m_transport, &Transport::positionShown, m_sentences, &SentenceTrack::setPosition);
    connect(m_loop, &LoopRegion::changed, this, [this] { applyExactLoop(); });
    connect(m_answer, &AnswerPane::fileNameChanged, this, [this](const QString &fileName) {
        m_feedback->setAnswerText(fileName.isEmpty() ? QString() : m_answerView->toPlainText());
        alignAnswer();
    });
    connect(m_sentences, &SentenceTrack::sentencesChanged, this,
            m_guard.wrap([this] { alignAnswer(); }));
    connect(m_aligner, &TranscriptAligner::finished, this,
            m_guard.wrap([this](const Alignment &alignment, bool) { answerAligned(alignment); }));
    connect(m_aligner, &TranscriptAligner::progress, this, [this](int percent) {
        statusBar()->showMessage(tr("正在把答案文本对齐到录音… %1%").arg(percent));
    });
    connect(m_aligner, &TranscriptAligner::firstSentences, this,
            m_guard.wrap([this](const Alignment &first) { answerAlignedFirst(first); }));
    connect(m_aligner, &TranscriptAligner::failed, this, m_guard.wrap([this](const QString &text) {
        m_sentences->dropTranscriptPreview();
        statusBar()->showMessage(text);
    }));
    connect(m_feedback, &WordFeedback::summaryChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusBar()->showMessage(text);
    });
    // Said once, after what the learner is doing has finished: the
    // recording and its document open as usual.
    connect(
        m_settings, &SettingsStore::writeFailed, this,
        [this](const QString &reason) {
            m_services.dialogs->messageBox(
                messageCaption(),
                tr("设置和最近播放列表无法保存，本次的更改在程序关闭后不会保留。\n%1").arg(reason),
                {Dialogs::Button::Ok}, Dialogs::Icon::Warning, Dialogs::Button::Ok);
        },
        Qt::QueuedConnection);
    // After the feedback has the answer's text, and the sentence track the loop.
    createLesson();
    createCueShift();
    connect(m_videoPane, &VideoPane::statusChanged, m_pictureNotice, &QLabel::setText);
    connect(m_sentences, &SentenceTrack::tracksChanged, this, [this] { showSubtitleTracks(); });
    connect(m_transport, &Transport::positionShown, this, [this] { showCaption(); });
    connect(m_loop, &LoopRegion::changed, this, [this] { showCaption(); });
    wireRecovery();
    if (!m_services.learnerDatabase.isEmpty()) {
        m_learner = new LearnerDatabase(m_services.learnerDatabase, this);
        m_learner->setConnectOptions(m_services.learnerConnectOptions);
        connect(m_learner, &LearnerDatabase::problemOccurred, this,
                [this](const QString &text) { showProgressNotKept(text); });
        // Writes work again: what the open lesson holds goes in once more
        // (only forward, so nothing counts twice), and the sign goes.
        connect(m_learner, &LearnerDatabase::keepingAgain, this, [this] {
            m_progressNotKept->hide();
            m_progressNotKept->setToolTip({});
            m_lessonControl->storeAgain();
        });
        m_resume = std::make_unique<LearnerResumePlaces>(m_learner, m_services.resumeFile);
        m_lessonControl->setLearner(m_learner);
        createProgress();
    } else if (!m_services.resumeFile.isEmpty()) {
        m_resume = std::make_unique<ResumeStore>(m_services.resumeFile);
    }
    wireStartPage();
    wirePlayCounter();
}

void TForm_Main::FormCreate()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    // A failing step is reported and start-up goes on, so the window still comes up.
    m_guard.run([this] { EnsureSettingsFile(); });
    m_guard.run([this] { LoadOptions(); });
    m_guard.run([this] { loadPreferences(); });
    m_guard.run([this] { CloseSourceFile(); });
    m_pages->setCurrentIndex(0);
    m_guard.run([this] { LoadRecentFiles(); });
    m_guard.run([this] { BuildRecentMenu(); });
    // Once the window shows: the learner database is read off the window's
    // thread, and not while the window is being put up.
    QTimer::singleShot(0, this, m_guard.wrap([this] { refreshStartPage(); }));
    for (QAction *command : std::as_const(m_actions))
        command->setToolTip(command->text());
}

void TForm_Main::FormResize()
{
    // A maximum rather than a fixed width, so the line never keeps the window
    // from shrinking.
    m_line->setMaximumWidth(std::max(0, frameGeometry().width() - m_applyButton->width() - 100));
}

void TForm_Main::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The window system sizes the client area; keep the outer size at 640 x 480 or more.
    const QSize frameExtra = frameGeometry().size() - size();
    const QSize minimum(std::max(0, MinimumOuterWidth - frameExtra.width()),
                        std::max(0, MinimumOuterHeight - frameExtra.height()));
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
    FormResize();
}

bool TForm_Main::FormCloseQuery()
{
    bool canClose = false;
    m_guard.run([this, &canClose] {
        if (m_document->isModified()) {
            CloseDictationFile(); // abandons when the user cancels
            canClose = true;
            return;
        }
        canClose = m_services.dialogs->messageBox(messageCaption(), tr("确实要退出吗？"),
                                                  {Dialogs::Button::Yes, Dialogs::Button::No},
                                                  Dialogs::Icon::Information, Dialogs::Button::No)
                   == Dialogs::Button::Yes;
    });
    return canClose;
}

void TForm_Main::closeEvent(QCloseEvent *event)
{
    if (m_closeConfirmed || FormCloseQuery()) {
        m_closeConfirmed = true;
        m_guard.run([this] { rememberPlace(); });
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm_Main::FocusDictationLine()
{
    if (m_pages->currentIndex() == 0 && m_line->isEnabled() && m_line->isVisibleTo(this))
        m_line->setFocus(Qt::OtherFocusReason);
}

void TForm_Main::ShowNextPage()
{
    const int index = m_pages->currentIndex();
    m_pages->setCurrentIndex(index < m_pages->count() - 1 ? index + 1 : 0);
    FocusDictationLine();
}

void TForm_Main::ShowHelp()
{
    // A help file beside the program wins; otherwise the guide in the
    // interface language, in a window of the program's own, so help needs no
    // web browser.
    if (const QString chm = helpFilePath(m_services.programDir); !chm.isEmpty()) {
        m_services.shell->open(chm);
        return;
    }
    const QString guide = userGuidePath(m_services.programDir, m_services.language);
    if (guide.isEmpty()) {
        m_services.dialogs->messageBox(messageCaption(), tr("没有找到帮助文件"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                       Dialogs::Button::Ok);
        return;
    }
    if (!m_help) {
        m_help = new HelpWindow(*m_services.shell, this);
        // Over the middle of the main window, leaving its edges to be seen.
        QRect place = m_help->frameGeometry();
        place.moveCenter(frameGeometry().center());
        m_help->move(place.topLeft());
    }
    m_help->openGuide(guide);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void TForm_Main::alignWaveform()
{
    // The strip draws the recording where the seek bar's groove does: time 0
    // at the handle's centre at the bar's start, the end at its centre at
    // the bar's end, to the pixel, at any width.
    const auto barX = [this](int value) {
        const QPoint inWindow = m_seekBar->mapTo(this, QPoint(m_seekBar->xForValue(value), 0));
        return m_waveform->mapFrom(this, inWindow).x();
    };
    m_waveform->setTimeScale(barX(m_seekBar->minimum()), barX(m_seekBar->maximum()));
}

void TForm_Main::ShowAbout()
{
    // Destroyed when it closes, also when showing it fails.
    const auto about =
        std::make_unique<TForm_About>(*m_services.dialogs, *m_services.shell, QString(), this);
    about->exec();
}

void TForm_Main::EditOptions()
{
    TOptionFlags flags = m_settings->options();
    const PracticeSettings before = practiceSettings();
    PracticeSettings practice = before;
    if (!editOptions(flags, practice, this))
        return;
    m_settings->setOptions(flags);
    SaveOptions();
    if (!(practice == before))
        applyPracticeSettings(practice);
}

void TForm_Main::EnableDictation(bool enabled)
{
    m_dictationEditor->setEnabled(enabled);
    m_dictationLine->setEnabled(enabled);
    // Window colour while open, button-face colour while closed.
    const QPalette standard = QApplication::palette();
    const QColor background = standard.color(enabled ? QPalette::Base : QPalette::Button);
    for (QWidget *editor :
         {static_cast<QWidget *>(m_dictationEditor), static_cast<QWidget *>(m_line)}) {
        QPalette palette = editor->palette();
        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Base, background);
        editor->setPalette(palette);
    }
}

void TForm_Main::blockingWait(int ms)
{
    QThread::msleep(ms);
}
