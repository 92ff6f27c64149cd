// The recent-files list: its rules, the [LastFiles] keys and the sub-menu.
#include "support/testutil.h"

#include "platform/errors.h"
#include "settings/recentfilerules.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;
using Kind = RecentMenuItem::Kind;

namespace {

const QString E; // an empty entry

QStringList tenEmpty()
{
    return QStringList(10, QString());
}

// A settings file whose [LastFiles] holds the given values as Item01... in order.
QByteArray iniWith(const QStringList &entries)
{
    QByteArray ini = defaultOptionsPart() + "[LastFiles]\r\n";
    for (int i = 0; i < entries.size(); ++i)
        ini += QStringLiteral("Item%1=").arg(i + 1, 2, 10, QLatin1Char('0')).toUtf8()
               + entries.at(i).toUtf8() + "\r\n";
    return ini;
}

// A window whose settings file lists the given recordings (all ten keys).
struct Recent : WindowHarness {
    explicit Recent(QStringList entries = tenEmpty()) : WindowHarness(true)
    {
        while (entries.size() < 10)
            entries.append(QString());
        writeFile(iniPath(), iniWith(entries));
        create();
    }
    // A recording that exists, by its full path.
    QString recording(const QString &name) const { return writeFile(name, "RIFF"); }
    // The sub-menu as the user sees it: captions ("-" for the separator),
    // a "(disabled)" mark, and the tags.
    QStringList menu() const
    {
        QStringList shown;
        for (const QAction *item : widget<QMenu>("Menu_RecentplayList")->actions()) {
            QString text = item->isSeparator() ? QStringLiteral("-") : item->text();
            if (!item->isEnabled())
                text += QStringLiteral(" (disabled)");
            shown << text + QStringLiteral(" #") + QString::number(item->data().toInt());
        }
        return shown;
    }
    QAction *item(int position) const
    {
        return widget<QMenu>("Menu_RecentplayList")->actions().at(position);
    }
    QStringList list() const { return *recentList(); }
};

QString entry(int number, const QString &path, int tag)
{
    return QStringLiteral("%1 %2 #%3").arg(number, 2, 10, QLatin1Char('0')).arg(path).arg(tag);
}

const QString Separator = QStringLiteral("- #0");
const QString ClearItem = QStringLiteral("清空最近播放列表 #0");
const QString EmptyItem = QStringLiteral("空& (disabled) #0");

QStringList paths(const QString &prefix, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("%1%2.mp3").arg(prefix).arg(i);
    return list;
}

} // namespace

TEST(RecentRules, AddPuttingThePathOnTop)
{
    const QStringList ten = paths(QStringLiteral("/r/"), 10);
    const struct {
        const char *name;
        QStringList before;
        QString path;
        QStringList after;
    } cases[] = {
        {"into an empty list", {}, "/a.mp3", {"/a.mp3"}},
        {"after the default file", tenEmpty(), "/a.mp3", QStringList{"/a.mp3"} + QStringList(9, E)},
        {"empty entries count: the last one is pushed out",
         QStringList{"/a.mp3"} + QStringList(9, E), "/b.mp3",
         QStringList{"/b.mp3", "/a.mp3"} + QStringList(8, E)},
        {"a path at the end is pushed out behind empty entries",
         QStringList{E, E, E, E, E, E, E, E, E, "/old.mp3"}, "/b.mp3",
         QStringList{"/b.mp3"} + QStringList(9, E)},
        {"eleventh path drops the oldest", ten, "/new.mp3", QStringList{"/new.mp3"} + ten.first(9)},
        {"short list grows", {"/a.mp3", "/b.mp3"}, "/c.mp3", {"/c.mp3", "/a.mp3", "/b.mp3"}},
        {"known path moves up",
         {"/a.mp3", "/m/song.mp3", "/c.mp3"},
         "/m/song.mp3",
         {"/m/song.mp3", "/a.mp3", "/c.mp3"}},
        {"another letter case is another entry",
         {"/a.mp3", "/M/Song.MP3", "/c.mp3"},
         "/m/song.mp3",
         {"/m/song.mp3", "/a.mp3", "/M/Song.MP3", "/c.mp3"}},
        {"already on top", {"/a.mp3", "/b.mp3"}, "/a.mp3", {"/a.mp3", "/b.mp3"}},
        {"last of ten moves up, nothing dropped", ten, ten.last(),
         QStringList{ten.last()} + ten.first(9)},
        {"first of two equal entries moves",
         {"/x.mp3", "/d.mp3", "/d.mp3"},
         "/d.mp3",
         {"/d.mp3", "/x.mp3", "/d.mp3"}},
        {"holes keep their places",
         {E, "/a.mp3", E, "/b.mp3"},
         "/b.mp3",
         {"/b.mp3", E, "/a.mp3", E}},
        {"letters beyond ASCII",
         {"/a.mp3", "/音乐/Ärger.mp3"},
         "/音乐/Ärger.mp3",
         {"/音乐/Ärger.mp3", "/a.mp3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList list = c.before;
        AddRecentPath(list, c.path);
        EXPECT_EQ(list, c.after);
    }
}

TEST(RecentRules, SaveWritesExactlyTheTenKeys)
{
    using Writes = QList<QPair<QString, QString>>;
    auto key = [](int n) { return QStringLiteral("Item%1").arg(n, 2, 10, QLatin1Char('0')); };
    Writes none;
    for (int n = 10; n >= 1; --n)
        none.append({key(n), E});
    EXPECT_EQ(RecentFileWrites({}), none);

    Writes three;
    for (int n = 10; n >= 4; --n)
        three.append({key(n), E});
    three += Writes{{key(1), "/a.mp3"}, {key(2), E}, {key(3), "/c.mp3"}};
    EXPECT_EQ(RecentFileWrites({"/a.mp3", E, "/c.mp3"}), three);

    const QStringList ten = paths(QStringLiteral("/r/"), 10);
    Writes full;
    for (int n = 1; n <= 10; ++n)
        full.append({key(n), ten.at(n - 1)});
    EXPECT_EQ(RecentFileWrites(ten), full);
}

TEST(RecentRules, MenuItems)
{
    const QStringList ten = paths(QStringLiteral("/r/"), 10);
    const struct {
        const char *name;
        QStringList list;
        QList<RecentMenuItem> items;
    } cases[] = {
        {"nothing at all", {}, {{Kind::Empty, "空&", 0}}},
        {"only empty entries", tenEmpty(), {{Kind::Empty, "空&", 0}}},
        {"one path",
         QStringList{"/a.mp3"} + QStringList(9, E),
         {{Kind::Entry, "01 /a.mp3", 0},
          {Kind::Separator, "-", 0},
          {Kind::Clear, "清空最近播放列表", 0}}},
        {"numbers skip empty entries",
         {E, "/b.mp3", E, "/d.mp3"},
         {{Kind::Entry, "02 /b.mp3", 1},
          {Kind::Entry, "04 /d.mp3", 3},
          {Kind::Separator, "-", 0},
          {Kind::Clear, "清空最近播放列表", 0}}},
        {"ampersand shows as itself",
         {"/Rock & Roll/A&B.mp3"},
         {{Kind::Entry, "01 /Rock && Roll/A&&B.mp3", 0},
          {Kind::Separator, "-", 0},
          {Kind::Clear, "清空最近播放列表", 0}}},
        {"ten paths", ten, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<RecentMenuItem> items = RecentMenuItems(c.list);
        QList<RecentMenuItem> expected = c.items;
        if (expected.isEmpty()) {
            for (int i = 0; i < 10; ++i)
                expected.append(
                    {Kind::Entry,
                     QStringLiteral("%1 /r/%2.mp3").arg(i + 1, 2, 10, QLatin1Char('0')).arg(i), i});
            expected += QList<RecentMenuItem>{{Kind::Separator, "-", 0},
                                              {Kind::Clear, "清空最近播放列表", 0}};
        }
        ASSERT_EQ(items.size(), expected.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items.at(i).kind, expected.at(i).kind) << i;
            EXPECT_EQ(items.at(i).caption, expected.at(i).caption) << i;
            EXPECT_EQ(items.at(i).tag, expected.at(i).tag) << i;
        }
    }
}

TEST(RecentFiles, DefaultFileGivesTenEmptyEntriesAndTheEmptyItem)
{
    WindowHarness h; // writes the default file
    EXPECT_EQ(*h.recentList(), tenEmpty());
    const QList<QAction *> items = h.widget<QMenu>("Menu_RecentplayList")->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), QStringLiteral("空&"));
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_EQ(items[0]->parent(), h.widget<QMenu>("Menu_RecentplayList"));
}

TEST(RecentFiles, FirstRecordingIsListedMenuedAndSaved)
{
    Recent h;
    const QString a = h.recording(QStringLiteral("rec/first.mp3"));
    h.window->OpenSourceFile(a);
    EXPECT_EQ(h.list(), QStringList{a} + QStringList(9, E));
    EXPECT_EQ(h.menu(), (QStringList{entry(1, a, 0), Separator, ClearItem}));
    EXPECT_EQ(readAll(h.iniPath()), iniWith(QStringList{a} + QStringList(9, E)));
}

TEST(RecentFiles, LoadingKeepsEverythingAsStored)
{
    // Missing keys read empty; other keys of the section are ignored; stored
    // paths are not checked, trimmed or de-duplicated.
    WindowHarness h(true);
    h.writeFile(h.iniPath(),
                "[LastFiles]\r\nItem02=/gone/b.mp3\r\nItem11=/x.mp3\r\nItem04=/gone/b.mp3\r\n"
                "Item05=\"  spaced.mp3 \"\r\n");
    h.create();
    EXPECT_EQ(*h.recentList(),
              (QStringList{E, "/gone/b.mp3", E, "/gone/b.mp3", "  spaced.mp3 ", E, E, E, E, E}));
}

TEST(RecentFiles, EleventhRecordingDropsTheOldest)
{
    const QStringList ten = paths(QStringLiteral("/old/"), 10);
    Recent h(ten);
    const QString fresh = h.recording(QStringLiteral("rec/fresh.mp3"));
    h.window->OpenSourceFile(fresh);
    const QStringList expected = QStringList{fresh} + ten.first(9);
    EXPECT_EQ(h.list(), expected);
    EXPECT_EQ(readAll(h.iniPath()), iniWith(expected));
    const QStringList menu = h.menu();
    ASSERT_EQ(menu.size(), 12);
    EXPECT_EQ(menu[0], entry(1, fresh, 0));
    EXPECT_EQ(menu[9], entry(10, ten[8], 9));
}

TEST(RecentFiles, AnotherFileInOtherLetterCaseIsANewEntry)
{
    Recent probe;
    const QString stored = probe.recording(QStringLiteral("rec/Song.MP3"));
    const QString other = probe.recording(QStringLiteral("rec/song.mp3")); // a distinct file here
    const QStringList before{"/a.mp3", "/b.mp3", stored, "/d.mp3"};
    Recent h(before + QStringList(6, E));
    h.window->OpenSourceFile(other);
    const QStringList expected =
        QStringList{other, "/a.mp3", "/b.mp3", stored, "/d.mp3"} + QStringList(5, E);
    EXPECT_EQ(h.list(), expected);
    EXPECT_EQ(readAll(h.iniPath()), iniWith(expected));
    EXPECT_EQ(h.menu(),
              (QStringList{entry(1, other, 0), entry(2, "/a.mp3", 1), entry(3, "/b.mp3", 2),
                           entry(4, stored, 3), entry(5, "/d.mp3", 4), Separator, ClearItem}));
}

TEST(RecentFiles, HoleAtTheTopAndDuplicates)
{
    Recent h({E, "/dup.mp3", "/b.mp3", "/dup.mp3"});
    EXPECT_EQ(h.menu(), (QStringList{entry(2, "/dup.mp3", 1), entry(3, "/b.mp3", 2),
                                     entry(4, "/dup.mp3", 3), Separator, ClearItem}));
    // Adding the duplicated path moves the first of the two and leaves the second.
    QStringList list = h.list();
    AddRecentPath(list, QStringLiteral("/dup.mp3"));
    EXPECT_EQ(list, (QStringList{"/dup.mp3", E, "/b.mp3", "/dup.mp3", E, E, E, E, E, E}));
}

TEST(RecentFiles, PathsWithAmpersandsAndChineseShowAsThemselves)
{
    Recent h;
    const QString amp = h.recording(QStringLiteral("rec/Rock & Roll.mp3"));
    const QString chinese = h.recording(QStringLiteral("录音/第一课.mp3"));
    h.window->OpenSourceFile(amp);
    h.dialogs.answers.enqueue(Button::No); // the new document is not kept
    h.window->OpenSourceFile(chinese);
    QString shownAmp = amp;
    shownAmp.replace(QStringLiteral("&"), QStringLiteral("&&"));
    EXPECT_EQ(h.menu(),
              (QStringList{entry(1, chinese, 0), entry(2, shownAmp, 1), Separator, ClearItem}));
    // The file holds the paths as they were opened, and they load back so.
    EXPECT_EQ(readAll(h.iniPath()), iniWith(QStringList{chinese, amp} + QStringList(8, E)));
    const QStringList loaded = h.settings().loadRecentFiles();
    EXPECT_EQ(loaded, QStringList({chinese, amp}) + QStringList(8, E));
}

TEST(RecentFiles, ClickReopensTheRecordingAndRebuildsTheMenu)
{
    Recent probe;
    const QString a = probe.recording(QStringLiteral("rec/a.mp3"));
    const QString b = probe.recording(QStringLiteral("rec/b.mp3"));
    const QString c = probe.recording(QStringLiteral("rec/c.mp3"));
    Recent h({a, b, c});

    QPointer<QAction> clicked = h.item(2); // "03 …/c.mp3"
    ASSERT_EQ(clicked->text(), QStringLiteral("03 ") + c);
    clicked->trigger();
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(h.player.url, c);
    EXPECT_EQ(h.source().path(), c);
    // The rest of the open works on the clicked path, although the list moved under it.
    EXPECT_EQ(h.doc().fileName(), probe.path(QStringLiteral("rec/c.txt")));
    EXPECT_EQ(h.list(), (QStringList{c, a, b} + QStringList(7, E)));
    EXPECT_EQ(h.menu(),
              (QStringList{entry(1, c, 0), entry(2, a, 1), entry(3, b, 2), Separator, ClearItem}));
    EXPECT_EQ(readAll(h.iniPath()), iniWith(QStringList{c, a, b} + QStringList(7, E)));

    // The clicked item is gone once its click has been dispatched.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(clicked.isNull());

    // Again through the menu itself, as the user does it: the menu goes on
    // after the action returns, with the action replaced.
    QMenu *menu = h.widget<QMenu>("Menu_RecentplayList");
    QPointer<QAction> second = h.item(1);  // "02 …/a.mp3"
    h.dialogs.answers.enqueue(Button::No); // the new document is not kept
    menu->popup(QPoint(0, 0));
    menu->setActiveAction(second);
    QTest::keyClick(menu, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(h.player.url, a);
    EXPECT_EQ(h.list(), (QStringList{a, c, b} + QStringList(7, E)));
    EXPECT_EQ(h.menu(),
              (QStringList{entry(1, a, 0), entry(2, c, 1), entry(3, b, 2), Separator, ClearItem}));
}

TEST(RecentFiles, ClickOnAVanishedRecordingReportsItAndKeepsTheEntry)
{
    Recent probe;
    const QString gone = probe.path(QStringLiteral("rec/gone.mp3"));
    const QString there = probe.recording(QStringLiteral("rec/there.mp3"));
    Recent h({there, gone});
    const QByteArray iniBefore = readAll(h.iniPath());
    const QStringList menuBefore = h.menu();
    h.player.calls.clear();

    h.item(1)->trigger();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages.first();
    EXPECT_EQ(m.text, QStringLiteral("文件“%1”不存在！").arg(gone));
    EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
    EXPECT_EQ(h.list(), (QStringList{there, gone} + QStringList(8, E)));
    EXPECT_EQ(h.menu(), menuBefore);
    EXPECT_EQ(readAll(h.iniPath()), iniBefore);
    EXPECT_TRUE(h.player.calls.isEmpty());
}

TEST(RecentFiles, ClearAsksAndYesEmptiesListFileAndMenu)
{
    Recent h({"/a.mp3", E, "/c.mp3"});
    h.dialogs.answers.enqueue(Button::Yes);
    QAction *clear = h.item(3);
    ASSERT_EQ(clear->text(), QStringLiteral("清空最近播放列表"));
    clear->trigger();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages.first();
    EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
    EXPECT_EQ(m.text, QStringLiteral("确实要清空最近播放列表吗？"));
    EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.defaultButton, Button::No);
    EXPECT_TRUE(h.list().isEmpty());
    EXPECT_EQ(readAll(h.iniPath()), iniWith(tenEmpty()));
    EXPECT_EQ(h.menu(), QStringList{EmptyItem});

    // An empty list asks nothing; the next open starts it afresh.
    h.dialogs.clear();
    h.recent().clear();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    const QString a = h.recording(QStringLiteral("rec/a.mp3"));
    h.window->OpenSourceFile(a);
    EXPECT_EQ(h.list(), QStringList{a});
    EXPECT_EQ(readAll(h.iniPath()), iniWith(QStringList{a} + QStringList(9, E)));
}

TEST(RecentFiles, ClearAnsweredNoChangesNothing)
{
    Recent h({"/a.mp3", E, "/c.mp3"});
    const QByteArray iniBefore = readAll(h.iniPath());
    const QStringList menuBefore = h.menu();
    h.dialogs.answers.enqueue(Button::No);
    h.item(3)->trigger();
    EXPECT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.list(), (QStringList{"/a.mp3", E, "/c.mp3"} + QStringList(7, E)));
    EXPECT_EQ(readAll(h.iniPath()), iniBefore);
    EXPECT_EQ(h.menu(), menuBefore);
}

TEST(RecentFiles, FailedSaveOfAClearEmptiesListAndMenuAndSaysWhyOnce)
{
    Recent h({"/a.mp3", "/b.mp3"});
    ASSERT_TRUE(QFile::remove(h.iniPath()));
    ASSERT_TRUE(QDir().mkdir(h.iniPath()));
    h.dialogs.answers.enqueue(Button::Yes);
    h.item(3)->trigger();
    FakePlayer::flushEvents();
    const QStringList texts = h.dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts.first(), QStringLiteral("确实要清空最近播放列表吗？"));
    EXPECT_TRUE(texts.last().contains(h.iniPath())) << texts.last().toStdString();
    EXPECT_TRUE(h.list().isEmpty());
    EXPECT_EQ(h.menu(), QStringList{EmptyItem});
}
