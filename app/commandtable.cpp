#include "app/tform_main.h"

#include "app/droppedfiles.h"
#include "dictation/dictationdocument.h"
#include "feedback/feedbackstrip.h"
#include "lesson/lessoncontroller.h"
#include "platform/dialogs.h"
#include "platform/imagelist.h"
#include "platform/mediaplayer.h"
#include "platform/qttranslations.h"
#include "playback/loopregion.h"
#include "playback/looprules.h"
#include "playback/transport.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

QAction *TForm_Main::addAction(const QString &name, const QString &caption,
                               const QKeySequence &shortcut, int imageIndex,
                               const std::function<void()> &handler)
{
    auto *command = new QAction(caption, this);
    command->setObjectName(name);
    command->setShortcut(shortcut);
    command->setShortcutContext(Qt::WindowShortcut);
    command->setIconVisibleInMenu(false); // menus show no images
    if (imageIndex >= 0) {
        command->setIcon(imageListIcon(imageIndex));
        command->setProperty("imageIndex", imageIndex);
    }
    connect(command, &QAction::triggered, this, [this, handler] { m_guard.run(handler); });
    m_actions.append(command);
    QWidget::addAction(command); // shortcuts work without a menu item too
    return command;
}

QAction *TForm_Main::action(const QString &name) const
{
    for (QAction *command : m_actions) {
        if (command->objectName() == name)
            return command;
    }
    return nullptr;
}

void TForm_Main::createActions()
{
    using K = QKeySequence;
    const K none;
    addAction(QStringLiteral("Action_OpenDictationFile"), tr("打开听写文件"), none, 1,
              [this] { ChooseDictationFile(); });
    addAction(QStringLiteral("Action_SaveDictationFile"), tr("保存听写文件"),
              K(Qt::CTRL | Qt::Key_S), 2, [this] { SaveDictationFile(); });
    addAction(QStringLiteral("Action_OpenAnswerFile"), tr("打开答案文件"), none, 22,
              [this] { OpenAnswerFile(); });
    addAction(QStringLiteral("Action_CloseAnswerFile"), tr("关闭答案文件"), none, 21,
              [this] { CloseAnswerFile(); });
    addAction(QStringLiteral("Action_SaveAsDictationFile"), tr("另存听写文件"), none, 2,
              [this] { SaveDictationFileAs(); });
    addAction(QStringLiteral("Action_Close"), tr("退出"), none, 7, [this] { close(); });
    addAction(QStringLiteral("Action_CreateDictationFile"), tr("新建听写文件"), none, 0,
              [this] { OpenDictationFile(QString()); });
    addAction(QStringLiteral("Action_About"), tr("关于"), none, -1, [this] { ShowAbout(); });
    addAction(QStringLiteral("Action_OpenSourceFile"), tr("打开语音文件"), K(Qt::CTRL | Qt::Key_O),
              1, [this] { SelectSourceFile(); });
    addAction(QStringLiteral("Action_SetStartPoint"), tr("设定循环播放起始点"), K(Qt::Key_F2), 15,
              [this] {
                  if (m_loop->setStartHere())
                      FocusDictationLine();
              });
    addAction(QStringLiteral("Action_SetEndPoint"), tr("设定循环播放结束点"), K(Qt::Key_F3), 18,
              [this] {
                  if (m_loop->setEndHere())
                      FocusDictationLine();
              });
    addAction(QStringLiteral("Action_ClearLoopPoint"), tr("取消循环区间"), K(Qt::Key_Escape), -1,
              [this] { m_loop->clear(); });
    addAction(QStringLiteral("Action_CloseDictationFile"), tr("关闭听写文件"), none, -1,
              [this] { CloseDictationFile(); });
    addAction(QStringLiteral("Action_MicroBackStartPoint"), tr("循环播放起始点左微调"),
              K(Qt::SHIFT | Qt::Key_Insert), 13,
              [this] { m_loop->nudgeStart(-LoopRules::NudgeStep); });
    addAction(QStringLiteral("Action_MicroForwardStartPoint"), tr("循环播放起始点右微调"),
              K(Qt::SHIFT | Qt::Key_Delete), 14,
              [this] { m_loop->nudgeStart(LoopRules::NudgeStep); });
    addAction(QStringLiteral("Action_MicroBackEndPoint"), tr("循环播放结束点左微调"),
              K(Qt::CTRL | Qt::Key_Insert), 17,
              [this] { m_loop->nudgeEnd(-LoopRules::NudgeStep); });
    addAction(QStringLiteral("Action_MicroForwardEndPoint"), tr("循环播放结束点右微调"),
              K(Qt::CTRL | Qt::Key_Delete), 16, [this] { m_loop->nudgeEnd(LoopRules::NudgeStep); });
    addAction(QStringLiteral("Action_DeleteStartPoint"), tr("删除循环播放起始点"),
              K(Qt::CTRL | Qt::Key_F2), 19, [this] { m_loop->deleteStart(); });
    addAction(QStringLiteral("Action_DeleteEndPoint"), tr("删除循环播放结束点"),
              K(Qt::CTRL | Qt::Key_F3), 20, [this] { m_loop->deleteEnd(); });
    addAction(QStringLiteral("Action_SetEndPointAndPause"), tr("设定循环播放结束点并暂停"),
              K(Qt::Key_F4), -1, [this] {
                  if (m_loop->setEndHereAndPause())
                      FocusDictationLine();
              });
    addAction(QStringLiteral("Action_PlayAndPause"), tr("播放/暂停"), K(Qt::Key_F5), 29,
              [this] { PlayOrPause(); });
    addAction(QStringLiteral("Action_SetEndpointAsStartpoint"), tr("将当前循环结束点设为起始点"),
              K(Qt::Key_F6), -1, [this] { m_loop->endAsStart(); });
    addAction(QStringLiteral("Action_CloseSourceFile"), tr("关闭语音文件"), none, -1,
              [this] { CloseSourceFile(); });
    addAction(QStringLiteral("Action_Help"), tr("帮助主题"), K(Qt::Key_F1), -1,
              [this] { ShowHelp(); });
    addAction(QStringLiteral("Action_ChangePageControlPage"), tr("切换听写与答案页"), K(Qt::Key_F8),
              -1, [this] { ShowNextPage(); });
    // Practice: sentences, speed, jumps, volume. Their keys work wherever the
    // focus is and take none of the keys the editors need for editing.
    addAction(QStringLiteral("Action_PreviousSentence"), tr("上一句"), K(Qt::CTRL | Qt::Key_Up), 30,
              [this] { PreviousSentence(); });
    addAction(QStringLiteral("Action_RepeatSentence"), tr("重复本句"), K(Qt::CTRL | Qt::Key_R), 32,
              [this] { RepeatSentence(); });
    addAction(QStringLiteral("Action_ReplayWord"), tr("重听卡住的词"),
              K(Qt::CTRL | Qt::SHIFT | Qt::Key_R), -1, [this] { replayWord(); });
    addAction(QStringLiteral("Action_NextSentence"), tr("下一句"), K(Qt::CTRL | Qt::Key_Down), 31,
              [this] { NextSentence(); });
    m_sentenceMode = addAction(QStringLiteral("Action_SentenceMode"), tr("逐句听写"),
                               K(Qt::CTRL | Qt::Key_L), -1, [this] { toggleSentenceMode(); });
    m_sentenceMode->setCheckable(true);
    m_sentenceMode->setChecked(true);
    addAction(QStringLiteral("Action_SkipSentence"), tr("跳过本句"), K(Qt::CTRL | Qt::Key_Return),
              -1, [this] { skipSentence(); });
    addAction(QStringLiteral("Action_Hint"), tr("提示下一个词"), K(Qt::CTRL | Qt::Key_H), -1,
              [this] { giveHint(); });
    addAction(QStringLiteral("Action_ShowSentenceAnswer"), tr("显示本句答案"),
              K(Qt::CTRL | Qt::SHIFT | Qt::Key_H), -1, [this] { showSentenceAnswer(); });
    addAction(QStringLiteral("Action_Review"), tr("复习"), K(Qt::Key_F9), -1,
              [this] { ShowReview(); });
    addAction(QStringLiteral("Action_Stats"), tr("学习统计"), K(Qt::SHIFT | Qt::Key_F9), -1,
              [this] { ShowStats(); });
    m_showSentenceList =
        addAction(QStringLiteral("Action_ShowSentenceList"), tr("显示句子列表"), none, -1, [this] {
            m_settings->setFlag(Preferences::SentenceList, m_showSentenceList->isChecked());
            showLessonProgress();
        });
    m_showSentenceList->setCheckable(true);
    m_showSentenceList->setChecked(true);
    m_hideAnswer =
        addAction(QStringLiteral("Action_HideAnswer"), tr("听写时隐藏答案"), none, -1, [this] {
            m_settings->setFlag(Preferences::HideAnswer, m_hideAnswer->isChecked());
            m_lessonControl->setHideAnswer(m_hideAnswer->isChecked());
        });
    m_hideAnswer->setCheckable(true);
    m_hideAnswer->setChecked(true);
    addAction(QStringLiteral("Action_SlowDown"), tr("减速"), K(Qt::CTRL | Qt::Key_Minus), -1,
              [this] { changeSpeed(-1); });
    addAction(QStringLiteral("Action_SpeedUp"), tr("加速"), K(Qt::CTRL | Qt::Key_Equal), -1,
              [this] { changeSpeed(1); });
    addAction(QStringLiteral("Action_NormalSpeed"), tr("原速"), K(Qt::CTRL | Qt::Key_0), -1,
              [this] { changeSpeed(0); });
    addAction(QStringLiteral("Action_JumpBack"), tr("后退"), K(Qt::ALT | Qt::Key_Left), -1,
              [this] { jump(-m_rewindStep); });
    addAction(QStringLiteral("Action_JumpForward"), tr("前进"), K(Qt::ALT | Qt::Key_Right), -1,
              [this] { jump(m_rewindStep); });
    addAction(QStringLiteral("Action_VolumeUp"), tr("音量加大"), K(Qt::ALT | Qt::Key_Up), -1,
              [this] { changeVolume(10); });
    addAction(QStringLiteral("Action_VolumeDown"), tr("音量减小"), K(Qt::ALT | Qt::Key_Down), -1,
              [this] { changeVolume(-10); });
    QAction *exact =
        addAction(QStringLiteral("Action_ExactLoop"), tr("精确循环"), none, -1, [this] {
            applyExactLoop();
            m_settings->setFlag(Preferences::ExactLoop, m_exactLoop->isChecked());
        });
    exact->setCheckable(true);
    exact->setChecked(true);
    m_exactLoop = exact;
    QAction *feedback =
        addAction(QStringLiteral("Action_ShowFeedback"), tr("显示逐词反馈"), none, -1, [this] {
            m_feedbackStrip->setVisible(m_showFeedback->isChecked());
            m_settings->setFlag(Preferences::ShowFeedback, m_showFeedback->isChecked());
        });
    feedback->setCheckable(true);
    feedback->setChecked(true);
    m_showFeedback = feedback;
    addAction(QStringLiteral("Action_StopPlaying"), tr("停止"), none, 28,
              [this] { StopPlayback(); });
}

void TForm_Main::createMenus()
{
    auto add = [this](QMenu *menu, const char *name) {
        menu->addAction(action(QLatin1String(name)));
    };

    QMenu *file = menuBar()->addMenu(tr("文件"));
    file->setObjectName(QStringLiteral("Menu_File"));
    add(file, "Action_OpenSourceFile");
    m_recentMenu = file->addMenu(tr("最近播放"));
    m_recentMenu->setObjectName(QStringLiteral("Menu_RecentplayList"));
    add(file, "Action_CloseSourceFile");
    file->addSeparator();
    add(file, "Action_CreateDictationFile");
    add(file, "Action_OpenDictationFile");
    add(file, "Action_SaveDictationFile");
    add(file, "Action_SaveAsDictationFile");
    add(file, "Action_CloseDictationFile");
    file->addSeparator();
    add(file, "Action_OpenAnswerFile");
    add(file, "Action_CloseAnswerFile");
    file->addSeparator();
    add(file, "Action_Close");

    QMenu *loop = menuBar()->addMenu(tr("复读设定"));
    loop->setObjectName(QStringLiteral("Menu_Repeat"));
    add(loop, "Action_SetStartPoint");
    add(loop, "Action_SetEndPoint");
    add(loop, "Action_SetEndPointAndPause");
    add(loop, "Action_PlayAndPause");
    add(loop, "Action_SetEndpointAsStartpoint");
    loop->addSeparator();
    add(loop, "Action_MicroBackStartPoint");
    add(loop, "Action_MicroForwardStartPoint");
    add(loop, "Action_MicroBackEndPoint");
    add(loop, "Action_MicroForwardEndPoint");
    loop->addSeparator();
    add(loop, "Action_DeleteStartPoint");
    add(loop, "Action_DeleteEndPoint");
    loop->addSeparator();
    add(loop, "Action_ClearLoopPoint");
    loop->addSeparator();
    add(loop, "Action_PreviousSentence");
    add(loop, "Action_RepeatSentence");
    add(loop, "Action_ReplayWord");
    add(loop, "Action_NextSentence");
    add(loop, "Action_SentenceMode");
    add(loop, "Action_SkipSentence");
    add(loop, "Action_Hint");
    add(loop, "Action_ShowSentenceAnswer");
    loop->addSeparator();
    add(loop, "Action_Review");
    add(loop, "Action_Stats");
    loop->addSeparator();
    add(loop, "Action_SlowDown");
    add(loop, "Action_SpeedUp");
    add(loop, "Action_NormalSpeed");
    add(loop, "Action_JumpBack");
    add(loop, "Action_JumpForward");
    add(loop, "Action_VolumeUp");
    add(loop, "Action_VolumeDown");
    loop->addSeparator();
    add(loop, "Action_ExactLoop");

    createPracticeMenu();
    createViewMenu();

    // The options dialog first, then the switches of the practice aids.
    QMenu *optionsMenu = menuBar()->addMenu(tr("选项"));
    optionsMenu->setObjectName(QStringLiteral("Menu_Options"));
    QAction *options = optionsMenu->addAction(tr("选项设置(&O)..."));
    options->setObjectName(QStringLiteral("Menu_SettingOptions"));
    connect(options, &QAction::triggered, this, m_guard.wrap([this] { EditOptions(); }));
    createLanguageMenu(optionsMenu);
    createDictationLanguageMenu(optionsMenu);
    optionsMenu->addSeparator();
    add(optionsMenu, "Action_ShowFeedback");
    add(optionsMenu, "Action_ShowSentenceList");
    add(optionsMenu, "Action_HideAnswer");

    QMenu *help = menuBar()->addMenu(tr("帮助"));
    help->setObjectName(QStringLiteral("Menu_Help"));
    add(help, "Action_Help");
    help->addSeparator();
    add(help, "Action_About");
}

void TForm_Main::createLanguageMenu(QMenu *parent)
{
    QMenu *menu = parent->addMenu(tr("界面语言(&L)"));
    menu->setObjectName(QStringLiteral("Menu_Language"));
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const struct {
        const char *name;
        QString caption;
        QString choice;
    } choices[] = {
        {"Action_LanguageSystem", tr("跟随系统"), LanguageChoice::System},
        {"Action_LanguageChinese", tr("中文"), LanguageChoice::Chinese},
        {"Action_LanguageEnglish", tr("English"), LanguageChoice::English},
        // In its own characters in every interface language.
        {"Action_LanguageChineseTraditional", QStringLiteral("繁體中文"),
         LanguageChoice::TraditionalChinese},
    };
    for (const auto &item : choices) {
        QAction *choice = menu->addAction(item.caption);
        choice->setObjectName(QLatin1String(item.name));
        choice->setCheckable(true);
        choice->setData(item.choice);
        group->addAction(choice);
    }
    m_languageGroup = group;
    connect(group, &QActionGroup::triggered, this,
            m_guard.wrap([this](QAction *choice) { chooseLanguage(choice->data().toString()); }));
}

void TForm_Main::showLanguageChoice()
{
    const QString stored = m_settings->text(Preferences::Language);
    const QList<QAction *> choices = m_languageGroup->actions();
    // An unknown stored value follows the system, as the start-up does.
    QAction *checked = choices.first();
    for (QAction *choice : choices) {
        if (choice->data().toString() == stored)
            checked = choice;
    }
    checked->setChecked(true);
}

void TForm_Main::chooseLanguage(const QString &choice)
{
    if (choice == m_settings->text(Preferences::Language))
        return;
    m_settings->setText(Preferences::Language, choice);
    m_services.dialogs->messageBox(messageCaption(), tr("界面语言将在程序下次启动时更换。"),
                                   {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                   Dialogs::Button::Ok);
}

namespace {

// A blank gap between tool buttons; QToolBar's own separator is a line.
void addGap(QToolBar *bar)
{
    auto *gap = new QWidget(bar);
    gap->setFixedSize(8, 16);
    bar->addWidget(gap);
}

} // namespace

void TForm_Main::createToolBars()
{
    QToolBar *fileBar = addToolBar(tr("文件工具栏"));
    fileBar->setObjectName(QStringLiteral("ToolBar_File"));
    fileBar->setIconSize(QSize(16, 16));
    fileBar->setMovable(false);
    fileBar->addAction(action(QStringLiteral("Action_OpenSourceFile")));
    fileBar->widgetForAction(action(QStringLiteral("Action_OpenSourceFile")))
        ->setObjectName(QStringLiteral("ToolButton_OpenSourceFile"));
    addGap(fileBar);
    fileBar->addAction(action(QStringLiteral("Action_SaveDictationFile")));
    addGap(fileBar);
    fileBar->addAction(action(QStringLiteral("Action_OpenAnswerFile")));
    fileBar->addAction(action(QStringLiteral("Action_CloseAnswerFile")));
    addGap(fileBar);
    fileBar->addAction(action(QStringLiteral("Action_Close")));

    auto *transportBar = findChild<QToolBar *>(QStringLiteral("ToolBar1"));
    transportBar->addAction(action(QStringLiteral("Action_PlayAndPause")));
    transportBar->widgetForAction(action(QStringLiteral("Action_PlayAndPause")))
        ->setObjectName(QStringLiteral("ToolButton_PlayAndPause"));
    transportBar->addAction(action(QStringLiteral("Action_StopPlaying")));
    transportBar->widgetForAction(action(QStringLiteral("Action_StopPlaying")))
        ->setObjectName(QStringLiteral("ToolButton_StopPlaying"));
    transportBar->addSeparator();
    for (const char *name :
         {"Action_SetStartPoint", "Action_MicroBackStartPoint", "Action_MicroForwardStartPoint",
          "Action_DeleteStartPoint", "Action_SetEndPoint"}) {
        transportBar->addAction(action(QLatin1String(name)));
    }
    transportBar->addSeparator();
    for (const char *name :
         {"Action_MicroBackEndPoint", "Action_MicroForwardEndPoint", "Action_DeleteEndPoint"}) {
        transportBar->addAction(action(QLatin1String(name)));
    }
    transportBar->addSeparator();
    for (const char *name :
         {"Action_PreviousSentence", "Action_RepeatSentence", "Action_NextSentence"})
        transportBar->addAction(action(QLatin1String(name)));
    transportBar->addSeparator();
    m_volume = new QSlider(Qt::Horizontal, transportBar);
    m_volume->setObjectName(QStringLiteral("TrackBar_Volume"));
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setFixedWidth(80);
    m_volume->setFocusPolicy(Qt::NoFocus);
    transportBar->addWidget(m_volume);
    // The value beside the slider, wide enough for "100%" so nothing moves.
    m_volumeLabel = new QLabel(transportBar);
    m_volumeLabel->setObjectName(QStringLiteral("Label_Volume"));
    m_volumeLabel->setTextFormat(Qt::PlainText);
    m_volumeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_volumeLabel->setMinimumWidth(
        m_volumeLabel->fontMetrics().horizontalAdvance(QStringLiteral(" 100%")));
    transportBar->addWidget(m_volumeLabel);
    showVolume();
    connect(m_volume, &QSlider::valueChanged, this, m_guard.wrap([this](int value) {
        showVolume();
        m_services.player->setVolume(value);
        m_settings->setWhole(Preferences::Volume, value);
    }));
    // This bar is not flat: its buttons stand raised.
    for (QAction *item : transportBar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(transportBar->widgetForAction(item)))
            button->setAutoRaise(false);
    }
}

bool TForm_Main::isWindowShortcut(const QKeySequence &keys) const
{
    for (const QAction *command : m_actions) {
        if (!command->shortcut().isEmpty() && command->shortcut() == keys)
            return true;
    }
    return false;
}

bool TForm_Main::eventFilter(QObject *watched, QEvent *event)
{
    // Installed on the application: only the few event types below, and only
    // for this window's own widgets.
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::FocusIn && type != QEvent::DragEnter
         && type != QEvent::DragMove && type != QEvent::Drop)
        || !watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }

    switch (type) {
    case QEvent::ShortcutOverride: {
        // The window's shortcuts come before the focused control: editors claim
        // Shift+Ins, Shift+Del, Ctrl+Ins and Esc for themselves through the
        // shortcut override, which would keep the command from running.
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence keys(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier,
                                                static_cast<Qt::Key>(key->key())));
        if (isWindowShortcut(keys)) {
            key->ignore();
            return true;
        }
        break;
    }
    case QEvent::FocusIn: {
        // The dictation line keeps its text unselected when entered by Tab or
        // Alt+V; a line edit would select all of it.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (watched == m_line
            && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || reason == Qt::ShortcutFocusReason)) {
            QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(m_line, &plain);
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // A file dropped onto an editor is the window's, not text to insert.
        if (watched != this
            && droppedFile(static_cast<QDropEvent *>(event)->mimeData()).first != DropRole::None) {
            if (type == QEvent::Drop)
                dropEvent(static_cast<QDropEvent *>(event));
            else
                takeFileDrop(static_cast<QDropEvent *>(event));
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
