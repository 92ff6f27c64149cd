// The practice page of the options dialog: what it shows, what OK keeps in
// [Preferences] (only what differs from the default), and that the window
// follows it; the practice menu with the review and the statistics.
#include "support/testutil.h"

#include "playback/playcounter.h"
#include "settings/practiceoptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens the options dialog, lets `drive` work the practice page, and returns
// once the dialog has closed.
void onPracticePage(WindowHarness &h, const std::function<void(QDialog &, QWidget &)> &drive)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        auto *tabs = box->findChild<QTabWidget *>(QStringLiteral("Tabs_Options"));
        auto *page = box->findChild<QWidget *>(QStringLiteral("Page_Practice"));
        if (tabs && page) {
            tabs->setCurrentIndex(1);
            drive(*box, *page);
        }
        if (box->isVisible())
            box->reject();
    });
    h.window->findChild<QAction *>(QStringLiteral("Menu_SettingOptions"))->trigger();
    EXPECT_TRUE(seen) << "no options dialog";
}

template <typename T>
T *control(QWidget &page, const char *name)
{
    T *found = page.findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString preferencesPart(const WindowHarness &h)
{
    const QString text = QString::fromUtf8(readAll(h.settings().filePath()));
    const qsizetype at = text.indexOf(QStringLiteral("[Preferences]"));
    return at < 0 ? QString() : text.mid(at);
}

} // namespace

TEST(PracticePage, ShowsTheDefaultsAndKeepsOnlyWhatDiffers)
{
    WindowHarness h;
    const QByteArray before = readAll(h.settings().filePath());
    PracticeSettings shown;
    onPracticePage(h, [&](QDialog &box, QWidget &page) {
        shown = box.findChild<PracticePage *>()->settings();
        // OK with nothing changed.
        control<QDialogButtonBox>(box, "Buttons_Practice")->button(QDialogButtonBox::Ok)->click();
        (void)page;
    });
    EXPECT_EQ(shown, PracticeSettings::defaults());
    EXPECT_EQ(readAll(h.settings().filePath()), before) << "defaults are not written";
}

TEST(PracticePage, EverySettingIsKeptAndTakesEffect)
{
    struct Case {
        const char *key;
        std::function<void(QWidget &)> change;
        const char *stored;
        std::function<bool(WindowHarness &)> inEffect;
    };
    const Case cases[] = {
        {"SentenceMode",
         [](QWidget &p) { control<QCheckBox>(p, "CheckBox_SentenceMode")->setChecked(false); },
         "SentenceMode=0",
         [](WindowHarness &h) {
             return !h.action(QStringLiteral("Action_SentenceMode"))->isChecked();
         }},
        {"PassMark", [](QWidget &p) { control<QSpinBox>(p, "SpinBox_PassMark")->setValue(80); },
         "PassMark=80", [](WindowHarness &) { return true; }},
        {"SentenceLength",
         [](QWidget &p) { control<QDoubleSpinBox>(p, "SpinBox_SentenceLength")->setValue(12.5); },
         "SentenceLength=12.5", [](WindowHarness &) { return true; }},
        {"PlaysPerSentence",
         [](QWidget &p) { control<QSpinBox>(p, "SpinBox_PlaysPerSentence")->setValue(3); },
         "PlaysPerSentence=3",
         [](WindowHarness &h) { return h.feature<PlayCounter>().playsPerSentence() == 3; }},
        {"HideAnswer",
         [](QWidget &p) { control<QCheckBox>(p, "CheckBox_HideAnswer")->setChecked(false); },
         "HideAnswer=0",
         [](WindowHarness &h) {
             return !h.action(QStringLiteral("Action_HideAnswer"))->isChecked();
         }},
        {"ExactLoop",
         [](QWidget &p) { control<QCheckBox>(p, "CheckBox_ExactLoop")->setChecked(false); },
         "ExactLoop=0",
         [](WindowHarness &h) {
             return !h.action(QStringLiteral("Action_ExactLoop"))->isChecked();
         }},
        {"RewindOnPause",
         [](QWidget &p) { control<QDoubleSpinBox>(p, "SpinBox_RewindOnPause")->setValue(2.0); },
         "RewindOnPause=2.0", [](WindowHarness &) { return true; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        WindowHarness h;
        onPracticePage(h, [&](QDialog &box, QWidget &page) {
            c.change(page);
            control<QDialogButtonBox>(box, "Buttons_Practice")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
        const QString preferences = preferencesPart(h);
        EXPECT_TRUE(preferences.contains(QLatin1String(c.stored))) << preferences.toStdString();
        // Only that one.
        EXPECT_EQ(preferences.count(QLatin1Char('=')), 1) << preferences.toStdString();
        EXPECT_TRUE(c.inEffect(h));

        // A new window reads it back; the page shows it.
        WindowHarness again(true);
        again.writeFile(QStringLiteral("program/Quillmar.ini"), readAll(h.settings().filePath()));
        again.create();
        PracticeSettings read;
        onPracticePage(again, [&](QDialog &box, QWidget &) {
            read = box.findChild<PracticePage *>()->settings();
        });
        EXPECT_FALSE(read == PracticeSettings::defaults());
        EXPECT_TRUE(c.inEffect(again));
    }
}

TEST(PracticePage, CancelKeepsEverything)
{
    WindowHarness h;
    const QByteArray before = readAll(h.settings().filePath());
    onPracticePage(h, [&](QDialog &box, QWidget &page) {
        control<QSpinBox>(page, "SpinBox_PlaysPerSentence")->setValue(5);
        control<QDialogButtonBox>(box, "Buttons_Practice")
            ->button(QDialogButtonBox::Cancel)
            ->click();
    });
    EXPECT_EQ(readAll(h.settings().filePath()), before);
    EXPECT_EQ(h.feature<PlayCounter>().playsPerSentence(), 0);
}

TEST(PracticeMenu, ReviewAndStatisticsWithTheirKeys)
{
    WindowHarness h;
    auto *menu = h.window->findChild<QMenu *>(QStringLiteral("Menu_Practice"));
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction *item : menu->actions())
        names.append(item->objectName());
    EXPECT_TRUE(names.contains(QStringLiteral("Action_Review")));
    EXPECT_TRUE(names.contains(QStringLiteral("Action_Stats")));
    EXPECT_EQ(h.action(QStringLiteral("Action_Review"))->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(h.action(QStringLiteral("Action_Stats"))->shortcut(),
              QKeySequence(Qt::SHIFT | Qt::Key_F9));
}
