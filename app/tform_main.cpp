#include "app/tform_main.h"

#include "app/imagelist.h"
#include "app/windowfont.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/mediaplayer.h"
#include "platform/shell.h"
#include "playback/tdragtrackbar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

const QString TForm_Main::ApplicationTitle = QStringLiteral("Quillmar奎尔玛");
const QString TForm_Main::MessageCaption = QStringLiteral("系统提示");

namespace {

constexpr int MinimumOuterWidth = 640;
constexpr int MinimumOuterHeight = 480;
constexpr int SeekBarMax = 5000;

QFrame *makePanel(QWidget *parent, const QString &name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

QLabel *makeFileLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFixedHeight(24);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
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
    : QMainWindow(parent), m_services(services)
{
    Q_ASSERT(m_services.player && m_services.dialogs && m_services.shell);
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(ApplicationTitle);
    setWindowIcon(applicationIcon());
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
    connectHandlers();
    qApp->installEventFilter(this);
    FormCreate();
}

TForm_Main::~TForm_Main()
{
    qApp->removeEventFilter(this);
    // Nothing may reach a half-destroyed window.
    disconnect(m_services.player, nullptr, this, nullptr);
    Timer1->stop();
    delete RecentFiles; // FormDestroy
    RecentFiles = nullptr;
}

void TForm_Main::createComponents()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Transport panel: seek bar, loop and position labels, transport tool bar.
    Panel3 = makePanel(central, QStringLiteral("Panel3"));
    Panel3->setFixedHeight(89);
    auto *transport = new QVBoxLayout(Panel3);
    transport->setContentsMargins(2, 2, 2, 2);
    transport->setSpacing(0);
    DragTrackBar1 = new TDragTrackBar(Panel3);
    DragTrackBar1->setObjectName(QStringLiteral("DragTrackBar1"));
    auto *barBorder = new QHBoxLayout;
    barBorder->setContentsMargins(5, 5, 5, 5);
    barBorder->addWidget(DragTrackBar1);
    transport->addLayout(barBorder);

    Panel4 = new QFrame(Panel3);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(22);
    auto *strip = new QHBoxLayout(Panel4);
    strip->setContentsMargins(0, 0, 0, 0);
    Label_LoopInfo = new QLabel(QStringLiteral(" 循环信息"), Panel4);
    Label_LoopInfo->setObjectName(QStringLiteral("Label_LoopInfo"));
    Label_LoopInfo->setTextFormat(Qt::PlainText);
    Label_CurrentPostion = new QLabel(QStringLiteral("播放位置信息 "), Panel4);
    Label_CurrentPostion->setObjectName(QStringLiteral("Label_CurrentPostion"));
    Label_CurrentPostion->setTextFormat(Qt::PlainText);
    Label_CurrentPostion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    strip->addWidget(Label_LoopInfo);
    strip->addWidget(Label_CurrentPostion, 1);
    transport->addWidget(Panel4);

    ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"), Panel3);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    transport->addWidget(ToolBar1);
    column->addWidget(Panel3);

    // The three file labels.
    Panel_Label = makePanel(central, QStringLiteral("Panel_Label"));
    auto *labels = new QVBoxLayout(Panel_Label);
    labels->setContentsMargins(1, 1, 1, 1);
    labels->setSpacing(0);
    Label_SourceFileName = makeFileLabel(Panel_Label, QStringLiteral("Label_SourceFileName"),
                                         QStringLiteral("  语音文件"));
    Label_DictationFileName = makeFileLabel(Panel_Label, QStringLiteral("Label_DictationFileName"),
                                            QStringLiteral("  听写文件"));
    Label_AnswerFileName = makeFileLabel(Panel_Label, QStringLiteral("Label_AnswerFileName"),
                                         QStringLiteral("  答案文件"));
    labels->addWidget(Label_SourceFileName);
    labels->addWidget(Label_DictationFileName);
    labels->addWidget(Label_AnswerFileName);
    column->addWidget(Panel_Label);

    // The two pages.
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *page1 = new QVBoxLayout(TabSheet1);
    page1->setContentsMargins(0, 0, 0, 0);
    page1->setSpacing(0);
    auto *lineStrip = new QWidget(TabSheet1);
    lineStrip->setObjectName(QStringLiteral("DictationStrip"));
    lineStrip->setFixedHeight(40);
    auto *stripLayout = new QHBoxLayout(lineStrip);
    stripLayout->setContentsMargins(8, 7, 8, 8);
    LabeledEdit_DictationLabel = new QLabel(QStringLiteral("听写区(&V)"), lineStrip);
    LabeledEdit_DictationLabel->setObjectName(QStringLiteral("LabeledEdit_DictationLabel"));
    LabeledEdit_Dictation = new QLineEdit(lineStrip);
    LabeledEdit_Dictation->setObjectName(QStringLiteral("LabeledEdit_Dictation"));
    LabeledEdit_DictationLabel->setBuddy(LabeledEdit_Dictation);
    Button_Apply = new QPushButton(QStringLiteral("提交(&A)"), lineStrip);
    Button_Apply->setObjectName(QStringLiteral("Button_Apply"));
    Button_Apply->setFixedSize(75, 25);
    Button_Apply->setAutoDefault(false);
    // The line's width is set by FormResize; the button keeps to the right edge.
    LabeledEdit_Dictation->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    LabeledEdit_Dictation->setMinimumWidth(0);
    stripLayout->addWidget(LabeledEdit_DictationLabel);
    stripLayout->addWidget(LabeledEdit_Dictation, 1000);
    stripLayout->addStretch(1);
    stripLayout->addWidget(Button_Apply);
    page1->addWidget(lineStrip);
    Memo_Dictation = new QPlainTextEdit(TabSheet1);
    Memo_Dictation->setObjectName(QStringLiteral("Memo_Dictation"));
    Memo_Dictation->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo_Dictation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Dictation->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Dictation->setFont(memoFont());
    page1->addWidget(Memo_Dictation);
    PageControl1->addTab(TabSheet1, QStringLiteral("听写内容"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *page2 = new QVBoxLayout(TabSheet2);
    page2->setContentsMargins(0, 0, 0, 0);
    Memo_Answer = new QPlainTextEdit(TabSheet2);
    Memo_Answer->setObjectName(QStringLiteral("Memo_Answer"));
    Memo_Answer->setReadOnly(true);
    Memo_Answer->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo_Answer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Answer->setFont(memoFont());
    QPalette answerPalette = Memo_Answer->palette();
    answerPalette.setColor(QPalette::Base, answerPalette.color(QPalette::ToolTipBase));
    answerPalette.setColor(QPalette::Text, answerPalette.color(QPalette::ToolTipText));
    Memo_Answer->setPalette(answerPalette);
    page2->addWidget(Memo_Answer);
    PageControl1->addTab(TabSheet2, QStringLiteral("答案"));
    column->addWidget(PageControl1, 1);

    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->start();
}

void TForm_Main::connectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(m_services.player, &MediaPlayer::playStateChanged, this, [this](int state) {
        guarded([this, state] { WindowsMediaPlayer_MainPlayStateChange(state); });
    });
    connect(m_services.player, &MediaPlayer::errorOccurred, this,
            [this](const QString &text) { guarded([text] { throw PlayerError(text); }); });
    connect(DragTrackBar1, &TDragTrackBar::mousePressed, this,
            [this] { guarded([this] { DragTrackBar1MouseDown(); }); });
    connect(DragTrackBar1, &TDragTrackBar::mouseMoved, this, [this](Qt::MouseButtons buttons) {
        guarded([this, buttons] { DragTrackBar1MouseMove(buttons.testFlag(Qt::LeftButton)); });
    });
    connect(DragTrackBar1, &TDragTrackBar::mouseReleased, this,
            [this] { guarded([this] { DragTrackBar1MouseUp(); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) // TabSheet1Show
            guarded([this] { FocusDictationLine(); });
    });
    connect(Memo_Dictation, &QPlainTextEdit::textChanged, this,
            [this] { guarded([this] { Memo_DictationChange(); }); });
    connectDictationLine();
}

void TForm_Main::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Abandon &) {
        // The user cancelled, or a save was refused; already said what was needed.
    } catch (const AppError &error) {
        ShowError(error.text());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    }
}

void TForm_Main::ShowError(const QString &text)
{
    QString message = text;
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        message += QLatin1Char('.');
    m_services.dialogs->messageBox(ApplicationTitle, message, {Dialogs::Button::Ok},
                                   Dialogs::Icon::Error, Dialogs::Button::Ok);
}

void TForm_Main::FormCreate()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    SeekBarDragging = false;
    // The player has no window of its own: it is used for sound only.
    RecentFiles = new QStringList;
    LoopStart = -1.0;
    LoopEnd = -1.0;
    DragTrackBar1->setMaximum(SeekBarMax);
    // A failing step is reported and start-up goes on, so the window still comes up.
    guarded([this] { EnsureSettingsFile(); });
    guarded([this] { LoadOptions(); });
    guarded([this] { CloseSourceFile(); });
    PageControl1->setCurrentIndex(0);
    guarded([this] { LoadRecentFiles(*RecentFiles); });
    guarded([this] { BuildRecentMenu(*RecentFiles); });
    for (QAction *command : std::as_const(ActionList_Main))
        command->setToolTip(command->text());
}

bool TForm_Main::FormCanResize(int newWidth, int newHeight) const
{
    return newWidth >= MinimumOuterWidth && newHeight >= MinimumOuterHeight;
}

void TForm_Main::FormResize()
{
    // A maximum rather than a fixed width, so the line never keeps the window
    // from shrinking.
    LabeledEdit_Dictation->setMaximumWidth(
        std::max(0, frameGeometry().width() - Button_Apply->width() - 100));
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
    guarded([this, &canClose] {
        if (DictationModified) {
            CloseDictationFile(); // abandons when the user cancels
            canClose = true;
            return;
        }
        canClose = m_services.dialogs->messageBox(MessageCaption, QStringLiteral("确实要退出吗？"),
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
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm_Main::FocusDictationLine()
{
    if (PageControl1->currentIndex() == 0 && LabeledEdit_Dictation->isEnabled()
        && LabeledEdit_Dictation->isVisibleTo(this)) {
        LabeledEdit_Dictation->setFocus(Qt::OtherFocusReason);
    }
}

void TForm_Main::ShowNextPage()
{
    const int index = PageControl1->currentIndex();
    PageControl1->setCurrentIndex(index < PageControl1->count() - 1 ? index + 1 : 0);
    FocusDictationLine();
}

QString TForm_Main::HelpFilePath() const
{
    return m_services.programDir + QStringLiteral("Quillmar.chm");
}

void TForm_Main::ShowHelp()
{
    const QString path = HelpFilePath();
    if (QFileInfo::exists(path)) {
        m_services.shell->open(path);
    } else {
        m_services.dialogs->messageBox(MessageCaption, QStringLiteral("没有找到帮助文件"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                       Dialogs::Button::Ok);
    }
}

void TForm_Main::Action_CloseExecute()
{
    close();
}

void TForm_Main::openLater(const QString &path)
{
    // From the event loop: start-up completes first, and a drag source is not
    // kept waiting while a message about the file is up.
    QTimer::singleShot(0, this, [this, path] { guarded([this, path] { OpenSourceFile(path); }); });
}

void TForm_Main::OpenFromCommandLine(const QStringList &arguments)
{
    if (arguments.size() == 2)
        openLater(QFileInfo(arguments.at(1)).absoluteFilePath());
}

QString TForm_Main::droppedRecording(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix();
    for (const QLatin1String extension : {QLatin1String("mp3"), QLatin1String("wma"), QLatin1String("wav")}) {
        if (suffix.compare(extension, Qt::CaseInsensitive) == 0)
            return path;
    }
    return {};
}

bool TForm_Main::takeRecordingDrop(QDropEvent *event)
{
    // Always as a copy: a drop accepted as a move would delete the recording
    // at its source.
    if (droppedRecording(event->mimeData()).isEmpty()
        || !event->possibleActions().testFlag(Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void TForm_Main::dragEnterEvent(QDragEnterEvent *event)
{
    takeRecordingDrop(event);
}

void TForm_Main::dragMoveEvent(QDragMoveEvent *event)
{
    takeRecordingDrop(event);
}

void TForm_Main::dropEvent(QDropEvent *event)
{
    if (takeRecordingDrop(event))
        openLater(droppedRecording(event->mimeData()));
}
