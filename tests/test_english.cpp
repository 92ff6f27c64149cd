// The English interface: the language rule, the choice in the options menu,
// every text of the window and both dialogs in English and whole, Qt's own
// texts following, and dictation documents written as in Chinese.
#include "support/buildpaths.h"
#include "support/testutil.h"

#include "about/tform_about.h"
#include "platform/qttranslations.h"
#include "settings/tform_optionsetting.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTranslator>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

// Installs the language's translations for one test; the rest of the suite
// expects none.
struct Language {
    explicit Language(InterfaceLanguage language)
    {
        EXPECT_TRUE(installTranslations(*qApp, language)) << "translation missing";
    }
    ~Language()
    {
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
};

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

// Every text the window shows outside the two documents, with where it is.
QList<std::pair<QString, QString>> interfaceTexts(const QWidget &root)
{
    QList<std::pair<QString, QString>> texts;
    auto add = [&texts](const QObject *o, const QString &what, const QString &text) {
        if (!text.isEmpty())
            texts.append({o->objectName() + QLatin1Char(' ') + what, text});
    };
    add(&root, QStringLiteral("title"), root.windowTitle());
    for (const QWidget *w : root.findChildren<QWidget *>()) {
        add(w, QStringLiteral("tool tip"), w->toolTip());
        if (auto *label = qobject_cast<const QLabel *>(w))
            add(w, QStringLiteral("label"), label->text());
        if (auto *button = qobject_cast<const QAbstractButton *>(w))
            add(w, QStringLiteral("button"), button->text());
        if (auto *group = qobject_cast<const QGroupBox *>(w))
            add(w, QStringLiteral("group"), group->title());
        if (auto *menu = qobject_cast<const QMenu *>(w))
            add(w, QStringLiteral("menu"), menu->title());
        if (auto *bar = qobject_cast<const QToolBar *>(w))
            add(w, QStringLiteral("tool bar"), bar->windowTitle());
        if (auto *tabs = qobject_cast<const QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(w, QStringLiteral("tab"), tabs->tabText(i));
        }
    }
    for (const QAction *a : root.findChildren<QAction *>()) {
        add(a, QStringLiteral("action"), a->text());
        add(a, QStringLiteral("action tip"), a->toolTip());
    }
    return texts;
}

// Captioned widgets show their whole caption within their own width, and
// sit inside their parent without covering a sibling.
void expectWholeCaptions(const QWidget &dialog)
{
    const QList<QWidget *> widgets = dialog.findChildren<QWidget *>();
    for (const QWidget *w : widgets) {
        QString caption;
        int needed = 0;
        if (auto *button = qobject_cast<const QAbstractButton *>(w)) {
            caption = button->text();
            // The caption as drawn, beside the icon or the check box's square.
            needed = button->fontMetrics().horizontalAdvance(QString(caption).remove(u'&'));
            if (!button->icon().isNull())
                needed += button->iconSize().width();
            if (qobject_cast<const QCheckBox *>(w))
                needed += button->style()->pixelMetric(QStyle::PM_IndicatorWidth);
        } else if (auto *label = qobject_cast<const QLabel *>(w)) {
            caption = label->text();
            needed = label->fontMetrics().horizontalAdvance(caption);
        } else if (auto *group = qobject_cast<const QGroupBox *>(w)) {
            caption = group->title();
            needed = group->fontMetrics().horizontalAdvance(caption);
        }
        if (caption.isEmpty() || !w->isVisibleTo(&dialog))
            continue;
        SCOPED_TRACE(w->objectName().toStdString() + ": " + caption.toStdString());
        EXPECT_LE(needed, w->width()) << "caption clipped";
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << "outside its parent";
        for (const QWidget *other : widgets) {
            if (other != w && other->parentWidget() == w->parentWidget()
                && other->isVisibleTo(&dialog) && qobject_cast<const QAbstractButton *>(other)
                && qobject_cast<const QAbstractButton *>(w)) {
                EXPECT_FALSE(other->geometry().intersects(w->geometry()))
                    << "covers " << other->objectName().toStdString();
            }
        }
    }
}

} // namespace

TEST(InterfaceLanguage, ChineseLocalesGiveChineseTaiwanAndHongKongTraditionalOthersEnglish)
{
    const struct {
        const char *choice;
        const char *locale;
        InterfaceLanguage expected;
    } cases[] = {
        {"system", "zh_CN", InterfaceLanguage::Chinese},
        {"system", "zh_TW", InterfaceLanguage::TraditionalChinese},
        {"system", "zh_HK", InterfaceLanguage::TraditionalChinese},
        {"system", "zh_MO", InterfaceLanguage::TraditionalChinese},
        {"system", "zh_Hant_SG", InterfaceLanguage::TraditionalChinese},
        {"system", "zh_SG", InterfaceLanguage::Chinese},
        {"system", "en_US", InterfaceLanguage::English},
        {"system", "de_DE", InterfaceLanguage::English},
        {"system", "ja_JP", InterfaceLanguage::English},
        {"system", "C", InterfaceLanguage::English},
        {"", "zh_CN", InterfaceLanguage::Chinese},
        {"unknown", "en_GB", InterfaceLanguage::English},
        {"zh_CN", "en_US", InterfaceLanguage::Chinese},
        {"en", "zh_CN", InterfaceLanguage::English},
        {"zh_TW", "en_US", InterfaceLanguage::TraditionalChinese},
        {"zh_CN", "zh_TW", InterfaceLanguage::Chinese},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.choice) + " in " + c.locale);
        EXPECT_EQ(interfaceLanguage(QLatin1String(c.choice), QLocale(QLatin1String(c.locale))),
                  c.expected);
    }
}

TEST(InterfaceLanguage, ChoiceInTheOptionsMenuIsKeptAndTakesEffectAtTheNextStart)
{
    const struct {
        const char *stored; // nullptr: no key
        const char *chosen;
        const char *checkedAtStart;
        const char *storedAfter; // nullptr: no key
        bool told;
    } cases[] = {
        {nullptr, "Action_LanguageSystem", "Action_LanguageSystem", nullptr, false},
        {nullptr, "Action_LanguageEnglish", "Action_LanguageSystem", "en", true},
        {nullptr, "Action_LanguageChinese", "Action_LanguageSystem", "zh_CN", true},
        {"en", "Action_LanguageChinese", "Action_LanguageEnglish", "zh_CN", true},
        {"zh_CN", "Action_LanguageSystem", "Action_LanguageChinese", "system", true},
        {"en", "Action_LanguageEnglish", "Action_LanguageEnglish", "en", false},
        {"fr", "Action_LanguageEnglish", "Action_LanguageSystem", "en", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.stored ? c.stored : "-") + " then " + c.chosen);
        WindowHarness h(true);
        if (c.stored) {
            h.writeFile(QStringLiteral("program/Quillmar.ini"),
                        QByteArray("[Preferences]\r\nLanguage=") + c.stored + "\r\n");
        }
        h.create();
        EXPECT_TRUE(h.w().findChild<QAction *>(QLatin1String(c.checkedAtStart))->isChecked());

        h.w().findChild<QAction *>(QLatin1String(c.chosen))->trigger();

        EXPECT_TRUE(h.w().findChild<QAction *>(QLatin1String(c.chosen))->isChecked());
        const QString missing = QStringLiteral("-");
        EXPECT_EQ(h.settings().preference(QStringLiteral("Language"), missing),
                  c.storedAfter ? QLatin1String(c.storedAfter) : missing);
        ASSERT_EQ(h.dialogs.messages.size(), c.told ? 1 : 0);
        if (c.told) {
            EXPECT_EQ(h.dialogs.messages.first().text,
                      QStringLiteral("界面语言将在程序下次启动时更换。"));
            EXPECT_EQ(h.dialogs.messages.first().icon, Icon::Information);
        }
    }
}

TEST(EnglishInterface, WindowShowsNoChineseOutsideTheDocuments)
{
    const Language english(InterfaceLanguage::English);
    WindowHarness h;
    h.openPlaying(QStringLiteral("lesson.mp3"));
    h.loop().setPoints(2.0, 5.0);
    const QList<std::pair<QString, QString>> texts = interfaceTexts(h.w());
    // Enough to show that the texts were found at all.
    EXPECT_GT(texts.size(), 80);
    for (const auto &[where, text] : texts) {
        // Languages in their own names, for a reader who reads no English.
        if (where.startsWith(QLatin1String("Action_LanguageChinese"))
            || where.startsWith(QLatin1String("Action_DictationLanguage_")))
            continue;
        EXPECT_FALSE(hasChinese(text)) << where.toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(h.w().windowTitle(), QStringLiteral("Quillmar"));
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(),
              QStringLiteral("  Loop start: 00:02.000 · End: 00:05.000"));
}

TEST(EnglishInterface, DialogsShowWholeCaptionsInEnglish)
{
    for (const InterfaceLanguage language :
         {InterfaceLanguage::Chinese, InterfaceLanguage::English}) {
        SCOPED_TRACE(language == InterfaceLanguage::English ? "English" : "Chinese");
        const Language chosen(language);
        TForm_OptionSetting options(nullptr);
        FakeDialogs dialogs;
        FakeShell shell;
        TForm_About about(dialogs, shell, BuildPaths::program());
        for (QDialog *dialog : std::initializer_list<QDialog *>{&options, &about}) {
            SCOPED_TRACE(dialog->objectName().toStdString());
            // Their design size stays, whatever the language.
            EXPECT_EQ(dialog->size(), QSize(392, 373));
            expectWholeCaptions(*dialog);
            if (language == InterfaceLanguage::English) {
                for (const auto &[where, text] : interfaceTexts(*dialog))
                    EXPECT_FALSE(hasChinese(text)) << where.toStdString();
            }
        }
    }
}

TEST(EnglishInterface, MessageBoxesAreEnglish)
{
    const Language english(InterfaceLanguage::English);
    WindowHarness h;
    h.dialogs.answers.enqueue(Button::No);
    h.w().close();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages.first().caption, QStringLiteral("Notice"));
    EXPECT_EQ(h.dialogs.messages.first().text, QStringLiteral("Do you really want to exit?"));
    EXPECT_EQ(h.dialogs.messages.first().buttons, QList<Button>({Button::Yes, Button::No}));
}

TEST(EnglishInterface, QtsOwnTextsFollowTheLanguage)
{
    const struct {
        InterfaceLanguage language;
        const char *cancel; // UTF-8
    } cases[] = {
        {InterfaceLanguage::Chinese, "取消"},
        {InterfaceLanguage::English, "Cancel"},
        {InterfaceLanguage::Chinese, "取消"}, // and back: the later call replaces the earlier
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cancel);
        const Language chosen(c.language);
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                  QString::fromUtf8(c.cancel));
    }
}

TEST(EnglishInterface, DictationDocumentIsWrittenInEnglish)
{
    const Language english(InterfaceLanguage::English);
    WindowHarness h(true);
    h.language = InterfaceLanguage::English;
    h.create();
    h.openPlaying(QStringLiteral("lesson.mp3"));
    h.w().setClock([] { return QDateTime(QDate(2026, 1, 8), QTime(15, 4, 5)); });
    TOptionFlags options;
    options.RecordRepeatPoints = true;
    options.RecordDictateTime = true;
    h.settings().setOptions(options);
    h.loop().setPoints(12.345, 15.0);
    h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("I went to the park."));
    h.clickApply();
    const QStringList lines = h.doc().text().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.at(0), QStringLiteral("Dictation record"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("Recording: "))) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "(Loop start: 00:12.345 End: 00:15.000   Dictated at: 2026-01-08 15:04:05)")))
        << h.doc().text().toStdString();
}
