// The command list, the main menu, the two tool bars and the window-wide
// keyboard dispatch, checked on a window over fakes.
#include "support/testutil.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct CommandRow {
    const char *name;
    QString caption;
    QKeySequence shortcut;
    int image; // -1: none
};

const QKeySequence None;

const QList<CommandRow> &commandTable()
{
    using K = QKeySequence;
    static const QList<CommandRow> rows = {
        {"Action_OpenDictationFile", QStringLiteral("打开听写文件"), None, 1},
        {"Action_SaveDictationFile", QStringLiteral("保存听写文件"), K(Qt::CTRL | Qt::Key_S), 2},
        {"Action_OpenAnswerFile", QStringLiteral("打开答案文件"), None, 22},
        {"Action_CloseAnswerFile", QStringLiteral("关闭答案文件"), None, 21},
        {"Action_SaveAsDictationFile", QStringLiteral("另存听写文件"), None, 2},
        {"Action_Close", QStringLiteral("退出"), None, 7},
        {"Action_CreateDictationFile", QStringLiteral("新建听写文件"), None, 0},
        {"Action_About", QStringLiteral("关于"), None, -1},
        {"Action_OpenSourceFile", QStringLiteral("打开语音文件"), K(Qt::CTRL | Qt::Key_O), 1},
        {"Action_SetStartPoint", QStringLiteral("设定循环播放起始点"), K(Qt::Key_F2), 15},
        {"Action_SetEndPoint", QStringLiteral("设定循环播放结束点"), K(Qt::Key_F3), 18},
        {"Action_ClearLoopPoint", QStringLiteral("取消循环区间"), K(Qt::Key_Escape), -1},
        {"Action_CloseDictationFile", QStringLiteral("关闭听写文件"), None, -1},
        {"Action_MicroBackStartPoint", QStringLiteral("循环播放起始点左微调"), K(Qt::SHIFT | Qt::Key_Insert), 13},
        {"Action_MicroForwardStartPoint", QStringLiteral("循环播放起始点右微调"), K(Qt::SHIFT | Qt::Key_Delete), 14},
        {"Action_MicroBackEndPoint", QStringLiteral("循环播放结束点左微调"), K(Qt::CTRL | Qt::Key_Insert), 17},
        {"Action_MicroForwardEndPoint", QStringLiteral("循环播放结束点右微调"), K(Qt::CTRL | Qt::Key_Delete), 16},
        {"Action_DeleteStartPoint", QStringLiteral("删除循环播放起始点"), K(Qt::CTRL | Qt::Key_F2), 19},
        {"Action_DeleteEndPoint", QStringLiteral("删除循环播放结束点"), K(Qt::CTRL | Qt::Key_F3), 20},
        {"Action_SetEndPointAndPause", QStringLiteral("设定循环播放结束点并暂停"), K(Qt::Key_F4), -1},
        {"Action_PlayAndPause", QStringLiteral("播放/暂停"), K(Qt::Key_F5), 29},
        {"Action_SetEndpointAsStartpoint", QStringLiteral("将当前循环结束点设为起始点"), K(Qt::Key_F6), -1},
        {"Action_CloseSourceFile", QStringLiteral("关闭语音文件"), None, -1},
        {"Action_Help", QStringLiteral("帮助主题"), K(Qt::Key_F1), -1},
        {"Action_ChangePageControlPage", QStringLiteral("切换听写与答案页"), K(Qt::Key_F8), -1},
        {"Action_StopPlaying", QStringLiteral("停止"), None, 28},
    };
    return rows;
}

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

TEST(CommandList, CommandsInOrderWithCaptionsShortcutsAndImages)
{
    WindowHarness h;
    const QList<QAction *> &list = h.actions();
    const QList<CommandRow> &table = commandTable();
    ASSERT_EQ(list.size(), table.size());
    for (qsizetype i = 0; i < table.size(); ++i) {
        const CommandRow &row = table[i];
        const QAction *command = list[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(name(command), QLatin1String(row.name));
        EXPECT_EQ(command->text(), row.caption);
        EXPECT_EQ(command->shortcut(), row.shortcut);
        EXPECT_TRUE(command->isEnabled());
        if (row.image < 0) {
            EXPECT_FALSE(command->property("imageIndex").isValid());
            EXPECT_TRUE(command->icon().isNull());
        } else {
            EXPECT_EQ(command->property("imageIndex").toInt(), row.image);
            EXPECT_FALSE(command->icon().isNull());
        }
        // Found by name, as the tests of the other features do.
        EXPECT_EQ(h.window->findChild<QAction *>(QLatin1String(row.name)), command);
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
                << keys.toString().toStdString() << " on " << name(item).toStdString()
                << " and " << owners.value(keys).toStdString();
            owners.insert(keys, name(item));
        }
    }
    EXPECT_EQ(owners.size(), 16);
}

TEST(MainMenu, FourTopLevelItemsWithTheirEntries)
{
    WindowHarness h;
    const QList<QAction *> top = h.window->menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->text(), QStringLiteral("文件"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("复读设定"));
    EXPECT_EQ(top[2]->text(), QStringLiteral("选项"));
    EXPECT_EQ(top[3]->text(), QStringLiteral("帮助"));
    ASSERT_NE(top[0]->menu(), nullptr);
    ASSERT_NE(top[1]->menu(), nullptr);
    ASSERT_NE(top[3]->menu(), nullptr);
    EXPECT_EQ(top[0]->menu()->objectName(), QStringLiteral("Menu_File"));
    EXPECT_EQ(top[3]->menu()->objectName(), QStringLiteral("Menu_Help"));
    // Options is a plain item: a click runs it, nothing drops down.
    EXPECT_EQ(top[2]->menu(), nullptr);
    EXPECT_EQ(top[2]->objectName(), QStringLiteral("Menu_SettingOptions"));

    EXPECT_EQ(describe(top[0]->menu()),
              (QStringList{"Action_OpenSourceFile", "menu:最近播放", "Action_CloseSourceFile", "-",
                           "Action_CreateDictationFile", "Action_OpenDictationFile",
                           "Action_SaveDictationFile", "Action_SaveAsDictationFile",
                           "Action_CloseDictationFile", "-", "Action_OpenAnswerFile",
                           "Action_CloseAnswerFile", "-", "Action_Close"}));
    EXPECT_EQ(describe(top[1]->menu()),
              (QStringList{"Action_SetStartPoint", "Action_SetEndPoint", "Action_SetEndPointAndPause",
                           "Action_PlayAndPause", "Action_SetEndpointAsStartpoint", "-",
                           "Action_MicroBackStartPoint", "Action_MicroForwardStartPoint",
                           "Action_MicroBackEndPoint", "Action_MicroForwardEndPoint", "-",
                           "Action_DeleteStartPoint", "Action_DeleteEndPoint", "-",
                           "Action_ClearLoopPoint"}));
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
    EXPECT_EQ(describe(h.widget<QToolBar>("ToolBar_File")),
              (QStringList{"Action_OpenSourceFile", "gap", "Action_SaveDictationFile", "gap",
                           "Action_OpenAnswerFile", "Action_CloseAnswerFile", "gap", "Action_Close"}));
    EXPECT_EQ(describe(h.widget<QToolBar>("ToolBar1")),
              (QStringList{"Action_PlayAndPause", "Action_StopPlaying", "|", "Action_SetStartPoint",
                           "Action_MicroBackStartPoint", "Action_MicroForwardStartPoint",
                           "Action_DeleteStartPoint", "Action_SetEndPoint", "|",
                           "Action_MicroBackEndPoint", "Action_MicroForwardEndPoint",
                           "Action_DeleteEndPoint"}));

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
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly) << name(b->defaultAction()).toStdString();
            EXPECT_FALSE(b->icon().isNull()) << name(b->defaultAction()).toStdString();
            EXPECT_EQ(b->autoRaise(), bar == h.widget<QToolBar>("ToolBar_File")) << name(b->defaultAction()).toStdString();
        }
    }
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
    EXPECT_EQ(buttons, 15);
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
        return {widget<QLineEdit>("LabeledEdit_Dictation")->text(), widget<QPlainTextEdit>("Memo_Dictation")->toPlainText(),
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

INSTANTIATE_TEST_SUITE_P(
    EveryShortcutInEveryEditor, ShortcutKeys,
    ::testing::Combine(::testing::Values(Focus::DictationLine, Focus::DictationMemo, Focus::AnswerView),
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
