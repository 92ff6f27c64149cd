// The command list, the main menu, the two tool bars and the window-wide
// keyboard dispatch, checked on a window over fakes.
#include "support/testutil.h"

#include "platform/applicationstyle.h"
#include "platform/imagelist.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QSlider>
#include <QStyleOption>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <gtest/gtest.h>

#include <ostream>

namespace {

QString name(const QAction *item)
{
    return item->objectName();
}

// A menu as a list: command names, "-" for a separator, "menu:<title>" for a submenu.
QStringList describe(const QMenu *menu)
{
    QStringList entries;
    for (const QAction *item : menu->actions()) {
        if (item->isSeparator())
            entries << QStringLiteral("-");
        else if (item->menu())
            entries << QStringLiteral("menu:") + item->menu()->title();
        else
            entries << name(item);
    }
    return entries;
}

// A tool bar as a list: command names, "gap" for a blank separator, "|" for a divider.
QStringList describe(const QToolBar *bar)
{
    QStringList entries;
    for (QAction *item : bar->actions()) {
        QWidget *widget = bar->widgetForAction(item);
        if (item->isSeparator())
            entries << QStringLiteral("|");
        else if (widget && widget->metaObject() == &QWidget::staticMetaObject)
            entries << QStringLiteral("gap");
        else
            entries << name(item);
    }
    return entries;
}

QList<QToolButton *> toolButtons(const QToolBar *bar)
{
    QList<QToolButton *> buttons;
    for (QAction *item : bar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(item)))
            buttons << button;
    }
    return buttons;
}

} // namespace

// What the learner sees of every command: a caption, the same hint, an image
// where it has a button, and a name the rest of the program finds it by.
TEST(CommandList, EveryCommandHasItsCaptionHintAndImage)
{
    WindowHarness h;
    const QList<QAction *> list = h.actions();
    EXPECT_GE(list.size(), 26);
    for (const QAction *command : list) {
        SCOPED_TRACE(name(command).toStdString());
        EXPECT_FALSE(command->text().isEmpty());
        EXPECT_EQ(command->toolTip(), command->text());
        EXPECT_TRUE(command->isEnabled());
        if (command->property("imageIndex").isValid()) {
            EXPECT_FALSE(command->icon().isNull());
        }
        EXPECT_EQ(h.window->findChild<QAction *>(name(command)), command);
    }
}

TEST(CommandList, DeleteEndCaptionIsDerivedFromDeleteStart)
{
    WindowHarness h;
    QString expected = h.action(QStringLiteral("Action_DeleteStartPoint"))->text();
    expected.replace(QStringLiteral("起始点"), QStringLiteral("结束点"));
    EXPECT_EQ(h.action(QStringLiteral("Action_DeleteEndPoint"))->text(), expected);
}

TEST(CommandList, ShortcutsAreUnique)
{
    WindowHarness h;
    QHash<QKeySequence, QString> owners;
    for (const QAction *item : h.window->findChildren<QAction *>()) {
        for (const QKeySequence &keys : item->shortcuts()) {
            EXPECT_FALSE(owners.contains(keys))
                << keys.toString().toStdString() << " on " << name(item).toStdString() << " and "
                << owners.value(keys).toStdString();
            owners.insert(keys, name(item));
        }
    }
}

TEST(MainMenu, TopLevelItemsWithTheirEntries)
{
    WindowHarness h;
    QList<QAction *> top = h.window->menuBar()->actions();
    ASSERT_EQ(top.size(), 6);
    EXPECT_EQ(top[0]->text(), QStringLiteral("文件"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("复读设定"));
    // Practice: the sentence commands, the review and the statistics, where
    // a learner looks for them (they stay under the loop menu too).
    EXPECT_EQ(top[2]->text(), QStringLiteral("练习"));
    ASSERT_NE(top[2]->menu(), nullptr);
    EXPECT_EQ(describe(top[2]->menu()),
              (QStringList{"Action_SentenceMode", "Action_PreviousSentence",
                           "Action_RepeatSentence", "Action_ReplayWord", "Action_NextSentence",
                           "Action_SkipSentence", "Action_Hint", "Action_ShowSentenceAnswer", "-",
                           "Action_Review", "Action_Stats"}));
    top.removeAt(2);
    EXPECT_EQ(top[2]->text(), QStringLiteral("查看"));
    const QList<QAction *> viewTop = top.mid(2, 1);
    top.removeAt(2);
    EXPECT_EQ(top[2]->text(), QStringLiteral("选项"));
    EXPECT_EQ(top[3]->text(), QStringLiteral("帮助"));
    // View: the picture and subtitle switches, then the subtitle tracks.
    ASSERT_NE(viewTop[0]->menu(), nullptr);
    EXPECT_EQ(describe(viewTop[0]->menu()),
              (QStringList{"Action_ShowPicture", "Action_ShowSubtitles", "-", "menu:字幕轨道"}));
    ASSERT_NE(top[0]->menu(), nullptr);
    ASSERT_NE(top[1]->menu(), nullptr);
    ASSERT_NE(top[3]->menu(), nullptr);
    EXPECT_EQ(top[0]->menu()->objectName(), QStringLiteral("Menu_File"));
    EXPECT_EQ(top[3]->menu()->objectName(), QStringLiteral("Menu_Help"));
    // Options: the dialog first, the interface language, then the switches
    // of the practice aids.
    ASSERT_NE(top[2]->menu(), nullptr);
    EXPECT_EQ(describe(top[2]->menu()),
              (QStringList{"Menu_SettingOptions", "menu:界面语言(&L)", "menu:听写语言", "-",
                           "Action_ShowFeedback", "Action_ShowSentenceList", "Action_HideAnswer"}));

    EXPECT_EQ(describe(top[0]->menu()),
              (QStringList{"Action_OpenSourceFile", "menu:最近播放", "Action_CloseSourceFile", "-",
                           "Action_CreateDictationFile", "Action_OpenDictationFile",
                           "Action_SaveDictationFile", "Action_SaveAsDictationFile",
                           "Action_CloseDictationFile", "-", "Action_OpenAnswerFile",
                           "Action_CloseAnswerFile", "-", "Action_Close"}));
    EXPECT_EQ(describe(top[1]->menu()), (QStringList{"Action_SetStartPoint",
                                                     "Action_SetEndPoint",
                                                     "Action_SetEndPointAndPause",
                                                     "Action_PlayAndPause",
                                                     "Action_SetEndpointAsStartpoint",
                                                     "-",
                                                     "Action_MicroBackStartPoint",
                                                     "Action_MicroForwardStartPoint",
                                                     "Action_MicroBackEndPoint",
                                                     "Action_MicroForwardEndPoint",
                                                     "-",
                                                     "Action_DeleteStartPoint",
                                                     "Action_DeleteEndPoint",
                                                     "-",
                                                     "Action_ClearLoopPoint",
                                                     "-",
                                                     "Action_PreviousSentence",
                                                     "Action_RepeatSentence",
                                                     "Action_ReplayWord",
                                                     "Action_NextSentence",
                                                     "Action_SentenceMode",
                                                     "Action_SkipSentence",
                                                     "Action_Hint",
                                                     "Action_ShowSentenceAnswer",
                                                     "-",
                                                     "Action_Review",
                                                     "Action_Stats",
                                                     "-",
                                                     "Action_SlowDown",
                                                     "Action_SpeedUp",
                                                     "Action_NormalSpeed",
                                                     "Action_JumpBack",
                                                     "Action_JumpForward",
                                                     "Action_VolumeUp",
                                                     "Action_VolumeDown",
                                                     "-",
                                                     "Action_ExactLoop"}));
    EXPECT_EQ(describe(top[3]->menu()), (QStringList{"Action_Help", "-", "Action_About"}));

    // The recent-files submenu is the one the window rebuilds.
    EXPECT_EQ(top[0]->menu()->actions()[1]->menu(), h.widget<QMenu>("Menu_RecentplayList"));
}

TEST(MainMenu, ShowsNoImages)
{
    WindowHarness h;
    // With a recent file, so the rebuilt submenu is checked too.
    h.window->OpenSourceFile(h.writeFile(QStringLiteral("a.mp3"), "ID3"));
    FakePlayer::flushEvents();
    int checked = 0;
    for (const QMenu *menu : h.window->menuBar()->findChildren<QMenu *>()) {
        for (const QAction *item : menu->actions()) {
            EXPECT_TRUE(item->icon().isNull() || !item->isIconVisibleInMenu())
                << menu->title().toStdString() << ": " << item->text().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

TEST(ToolBars, ButtonsInOrderWithGapsAndDividers)
{
    WindowHarness h;
    EXPECT_EQ(
        describe(h.widget<QToolBar>("ToolBar_File")),
        (QStringList{"Action_OpenSourceFile", "gap", "Action_SaveDictationFile", "gap",
                     "Action_OpenAnswerFile", "Action_CloseAnswerFile", "gap", "Action_Close"}));
    EXPECT_EQ(describe(h.widget<QToolBar>("ToolBar1")),
              (QStringList{"Action_PlayAndPause", "Action_StopPlaying", "|", "Action_SetStartPoint",
                           "Action_MicroBackStartPoint", "Action_MicroForwardStartPoint",
                           "Action_DeleteStartPoint", "Action_SetEndPoint", "|",
                           "Action_MicroBackEndPoint", "Action_MicroForwardEndPoint",
                           "Action_DeleteEndPoint", "|", "Action_PreviousSentence",
                           "Action_RepeatSentence", "Action_NextSentence", "|", "", ""}));
    // The last two: the volume slider and its value.
    EXPECT_NE(h.widget<QSlider>("TrackBar_Volume"), nullptr);
    EXPECT_NE(h.widget<QLabel>("Label_Volume"), nullptr);

    const auto button = [&h](QToolBar *bar, const char *command) {
        return bar->widgetForAction(h.action(QLatin1String(command)));
    };
    EXPECT_EQ(button(h.widget<QToolBar>("ToolBar_File"), "Action_OpenSourceFile")->objectName(),
              QStringLiteral("ToolButton_OpenSourceFile"));
    EXPECT_EQ(button(h.widget<QToolBar>("ToolBar1"), "Action_PlayAndPause")->objectName(),
              QStringLiteral("ToolButton_PlayAndPause"));
    EXPECT_EQ(button(h.widget<QToolBar>("ToolBar1"), "Action_StopPlaying")->objectName(),
              QStringLiteral("ToolButton_StopPlaying"));

    // Image only, 16 x 16; the file bar is flat, the transport bar is not.
    for (QToolBar *bar : {h.widget<QToolBar>("ToolBar_File"), h.widget<QToolBar>("ToolBar1")}) {
        EXPECT_EQ(bar->iconSize(), QSize(16, 16));
        for (QToolButton *b : toolButtons(bar)) {
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly)
                << name(b->defaultAction()).toStdString();
            EXPECT_FALSE(b->icon().isNull()) << name(b->defaultAction()).toStdString();
            EXPECT_EQ(b->autoRaise(), bar == h.widget<QToolBar>("ToolBar_File"))
                << name(b->defaultAction()).toStdString();
        }
    }
}

// The images are read when first drawn; drawn, each is its SVG file at the
// size asked for, sharp on a high-density screen too.
TEST(ImageList, DrawsEachImageFromItsFileAtEveryScale)
{
    initImageListResources();
    struct Case {
        int size;
        qreal scale;
        QIcon::Mode mode; // greyed while its command is disabled
    };
    const Case cases[] = {{16, 1.0, QIcon::Normal},   {16, 2.0, QIcon::Normal},
                          {24, 1.5, QIcon::Normal},   {32, 1.0, QIcon::Normal},
                          {16, 1.0, QIcon::Disabled}, {16, 2.0, QIcon::Disabled}};
    const auto same = [](const QIcon &drawn, const QString &file, const Case &c) {
        const QPixmap got = drawn.pixmap(QSize(c.size, c.size), c.scale, c.mode);
        const QPixmap want = QIcon(file).pixmap(QSize(c.size, c.size), c.scale, c.mode);
        return !got.isNull() && got.size() == want.size()
               && got.devicePixelRatio() == want.devicePixelRatio()
               && got.toImage() == want.toImage();
    };
    for (int i = 0; i < ImageListCount; ++i) {
        const QString file = QStringLiteral(":/icons/%1.svg").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(QFile::exists(file)) << i;
        for (const Case &c : cases) {
            EXPECT_FALSE(imageListIcon(i).isNull()) << i;
            EXPECT_TRUE(same(imageListIcon(i), file, c)) << i << " at " << c.size << "@" << c.scale;
        }
    }
    for (const Case &c : cases)
        EXPECT_TRUE(same(applicationIcon(), QStringLiteral(":/icons/quillmar.svg"), c))
            << c.size << "@" << c.scale;
    EXPECT_EQ(imageListIcon(0).pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    for (int outside : {-1, ImageListCount})
        EXPECT_TRUE(imageListIcon(outside).isNull()) << outside;
}

// The arrow a tool bar shows when its buttons do not fit is read when first
// drawn, and drawn it is the platform style's own, either way round.
TEST(ApplicationStyleTest, ToolBarArrowsAreThePlatformStylesWhenDrawn)
{
    ApplicationStyle style;
    const struct {
        QStyle::StandardPixmap arrow;
        Qt::LayoutDirection direction;
        qreal scale;
    } rows[] = {{QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight, 1.0},
                {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft, 1.0},
                {QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight, 2.0}};
    for (const auto &row : rows) {
        QStyleOption option;
        option.direction = row.direction;
        const QIcon deferred = style.standardIcon(row.arrow, &option);
        const QIcon own = style.baseStyle()->standardIcon(row.arrow, &option);
        ASSERT_FALSE(own.isNull());
        const QPixmap got = deferred.pixmap(QSize(16, 16), row.scale);
        const QPixmap want = own.pixmap(QSize(16, 16), row.scale);
        EXPECT_FALSE(got.isNull()) << row.arrow;
        EXPECT_EQ(got.toImage(), want.toImage()) << row.arrow << " " << row.direction;
        EXPECT_EQ(deferred.actualSize(QSize(64, 64)), own.actualSize(QSize(64, 64)));
    }
    // Every other icon is the platform style's as it is.
    const QIcon other = style.standardIcon(QStyle::SP_DialogOkButton);
    EXPECT_EQ(other.pixmap(16, 16).toImage(),
              style.baseStyle()->standardIcon(QStyle::SP_DialogOkButton).pixmap(16, 16).toImage());
}

TEST(ToolBars, TooltipIsTheCaptionRightAfterStartUp)
{
    WindowHarness h;
    TForm_Main &w = *h.window;
    w.setWindowState(Qt::WindowNoState);
    w.resize(1000, 700);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    int buttons = 0;
    for (QToolBar *bar : {h.widget<QToolBar>("ToolBar_File"), h.widget<QToolBar>("ToolBar1")}) {
        for (QToolButton *b : toolButtons(bar)) {
            const QAction *command = b->defaultAction();
            SCOPED_TRACE(name(command).toStdString());
            EXPECT_EQ(command->toolTip(), command->text());
            EXPECT_EQ(b->toolTip(), command->text());
            // And it is what hovering shows.
            const QPoint centre = b->rect().center();
            QHelpEvent hover(QEvent::ToolTip, centre, b->mapToGlobal(centre));
            QApplication::sendEvent(b, &hover);
            EXPECT_EQ(QToolTip::text(), command->text());
            QToolTip::hideText();
            ++buttons;
        }
    }
    EXPECT_EQ(buttons, 18); // every tool button of both bars was looked at
}

// --- Keyboard dispatch with real key events ---

namespace {

enum class Focus { DictationLine, DictationMemo, AnswerView };

struct KeyRow {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char *command;
};

void PrintTo(Focus where, std::ostream *out)
{
    static const char *const places[] = {"dictation line", "dictation memo", "answer view"};
    *out << places[static_cast<int>(where)];
}

std::ostream &operator<<(std::ostream &out, const KeyRow &row)
{
    return out << QKeySequence(QKeyCombination(row.modifiers, row.key)).toString().toStdString();
}

const KeyRow KeyRows[] = {
    {Qt::Key_S, Qt::ControlModifier, "Action_SaveDictationFile"},
    {Qt::Key_O, Qt::ControlModifier, "Action_OpenSourceFile"},
    {Qt::Key_F1, Qt::NoModifier, "Action_Help"},
    {Qt::Key_F2, Qt::NoModifier, "Action_SetStartPoint"},
    {Qt::Key_F3, Qt::NoModifier, "Action_SetEndPoint"},
    {Qt::Key_F4, Qt::NoModifier, "Action_SetEndPointAndPause"},
    {Qt::Key_F5, Qt::NoModifier, "Action_PlayAndPause"},
    {Qt::Key_F6, Qt::NoModifier, "Action_SetEndpointAsStartpoint"},
    {Qt::Key_F8, Qt::NoModifier, "Action_ChangePageControlPage"},
    {Qt::Key_Escape, Qt::NoModifier, "Action_ClearLoopPoint"},
    {Qt::Key_Insert, Qt::ShiftModifier, "Action_MicroBackStartPoint"},
    {Qt::Key_Delete, Qt::ShiftModifier, "Action_MicroForwardStartPoint"},
    {Qt::Key_Insert, Qt::ControlModifier, "Action_MicroBackEndPoint"},
    {Qt::Key_Delete, Qt::ControlModifier, "Action_MicroForwardEndPoint"},
    {Qt::Key_F2, Qt::ControlModifier, "Action_DeleteStartPoint"},
    {Qt::Key_F3, Qt::ControlModifier, "Action_DeleteEndPoint"},
};

// Counts presses of one key that reach a widget.
class KeyPressCounter : public QObject
{
public:
    KeyPressCounter(QWidget *widget, Qt::Key key) : QObject(widget), m_key(key)
    {
        widget->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key)
            ++count;
        return false;
    }

private:
    Qt::Key m_key;
};

// The window shown and active with a new dictation document, so the line and
// the memo are enabled, and every editor holding selected text.
struct KeyboardWindow : WindowHarness {
    KeyboardWindow()
    {
        window->OpenDictationFile(QString());
        window->setWindowState(Qt::WindowNoState);
        window->resize(1000, 700);
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("line"));
        widget<QPlainTextEdit>("Memo_Dictation")->setPlainText(QStringLiteral("memo"));
        widget<QPlainTextEdit>("Memo_Answer")->setPlainText(QStringLiteral("answer"));
        for (QAction *command : actions()) {
            QObject::connect(command, &QAction::triggered, command,
                             [this, command] { ++triggered[name(command)]; });
        }
    }

    QWidget *focus(Focus where)
    {
        QWidget *target = nullptr;
        switch (where) {
        case Focus::DictationLine:
            widget<QTabWidget>("PageControl1")->setCurrentIndex(0);
            widget<QLineEdit>("LabeledEdit_Dictation")->selectAll();
            target = widget<QLineEdit>("LabeledEdit_Dictation");
            break;
        case Focus::DictationMemo:
            widget<QTabWidget>("PageControl1")->setCurrentIndex(0);
            widget<QPlainTextEdit>("Memo_Dictation")->selectAll();
            target = widget<QPlainTextEdit>("Memo_Dictation");
            break;
        case Focus::AnswerView:
            widget<QTabWidget>("PageControl1")->setCurrentIndex(1);
            widget<QPlainTextEdit>("Memo_Answer")->selectAll();
            target = widget<QPlainTextEdit>("Memo_Answer");
            break;
        }
        target->setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(QApplication::focusWidget(), target);
        return target;
    }

    QStringList texts() const
    {
        return {widget<QLineEdit>("LabeledEdit_Dictation")->text(),
                widget<QPlainTextEdit>("Memo_Dictation")->toPlainText(),
                widget<QPlainTextEdit>("Memo_Answer")->toPlainText()};
    }

    QHash<QString, int> triggered;
};

class ShortcutKeys : public ::testing::TestWithParam<std::tuple<Focus, KeyRow>>
{
};

} // namespace

TEST_P(ShortcutKeys, RunTheirCommandAndNeverReachTheEditor)
{
    const auto [where, row] = GetParam();
    KeyboardWindow h;
    QWidget *target = h.focus(where);
    QApplication::clipboard()->setText(QStringLiteral("CLIPBOARD"));
    const QStringList before = h.texts();
    KeyPressCounter reached(target, row.key);

    QTest::keyClick(target, row.key, row.modifiers);

    EXPECT_EQ(h.triggered, (QHash<QString, int>{{QLatin1String(row.command), 1}}));
    EXPECT_EQ(reached.count, 0);
    // Nothing pasted, cut, deleted or copied.
    EXPECT_EQ(h.texts(), before);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("CLIPBOARD"));
}

namespace {

std::string caseName(const ::testing::TestParamInfo<ShortcutKeys::ParamType> &info)
{
    static const char *const places[] = {"Line", "Memo", "Answer"};
    return std::string(places[static_cast<int>(std::get<0>(info.param))]) + "_"
           + std::get<1>(info.param).command;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(EveryShortcutInEveryEditor, ShortcutKeys,
                         ::testing::Combine(::testing::Values(Focus::DictationLine,
                                                              Focus::DictationMemo,
                                                              Focus::AnswerView),
                                            ::testing::ValuesIn(KeyRows)),
                         caseName);

TEST(Keyboard, F8SwitchesPagesWithoutAMenuItem)
{
    KeyboardWindow h;
    QAction *command = h.action(QStringLiteral("Action_ChangePageControlPage"));
    for (const QObject *user : command->associatedObjects())
        EXPECT_EQ(qobject_cast<const QMenu *>(user), nullptr);

    h.focus(Focus::DictationLine);
    QTest::keyClick(h.widget<QLineEdit>("LabeledEdit_Dictation"), Qt::Key_F8);
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 1);
    h.widget<QPlainTextEdit>("Memo_Answer")->setFocus();
    QTest::keyClick(h.widget<QPlainTextEdit>("Memo_Answer"), Qt::Key_F8);
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 0);
    // Back on the dictation page the line has the focus again.
    EXPECT_EQ(QApplication::focusWidget(), h.widget<QLineEdit>("LabeledEdit_Dictation"));
}

TEST(Keyboard, DictationLineIsEnteredWithoutSelectingItsText)
{
    KeyboardWindow h;
    QLineEdit *line = h.widget<QLineEdit>("LabeledEdit_Dictation");
    h.focus(Focus::DictationMemo);
    // Alt+V, the accelerator of the line's label.
    QTest::keyClick(h.widget<QPlainTextEdit>("Memo_Dictation"), Qt::Key_V, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), line);
    EXPECT_FALSE(line->hasSelectedText());
    EXPECT_EQ(h.texts()[1], QStringLiteral("memo"));

    for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason}) {
        h.widget<QPlainTextEdit>("Memo_Dictation")->setFocus();
        line->setFocus(reason);
        ASSERT_EQ(QApplication::focusWidget(), line);
        EXPECT_FALSE(line->hasSelectedText()) << reason;
    }
}
