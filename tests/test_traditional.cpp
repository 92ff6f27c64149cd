// The Traditional Chinese interface: made from the Simplified texts, chosen
// in the language menu, and complete.
#include "support/testutil.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

struct Traditional {
    Traditional()
    {
        EXPECT_TRUE(installTranslations(*qApp, InterfaceLanguage::TraditionalChinese))
            << "translation missing";
    }
    ~Traditional()
    {
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
};

} // namespace

TEST(TraditionalChinese, TheWindowSpeaksTaiwansWording)
{
    const Traditional installed;
    struct Case {
        const char *context;
        const char *source;
        const char *shown;
    };
    const Case cases[] = {
        {"TForm_Main", "打开语音文件", "開啟語音檔案"},
        {"TForm_Main", "设定循环播放起始点", "設定循環播放起始點"},
        {"TForm_Main", "系统提示", "系統提示"},
        {"TForm_OptionSetting", "复读操作控制", "複讀操作控制"},
        {"StartPage", "从一段录音开始", "從一段錄音開始"},
        {"StartPage", "已完成 %1/%2 句", "已完成 %1/%2 句"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(QCoreApplication::translate(c.context, c.source), QString::fromUtf8(c.shown));
    }
}

TEST(TraditionalChinese, EveryTextIsTranslatedAndKeepsItsPlaceholders)
{
    QFile ts(QStringLiteral(QUILLMAR_SOURCE_DIR "/translations/quillmar_zh_TW.ts"));
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ts.readAll());
    EXPECT_FALSE(text.contains(QStringLiteral("type=\"unfinished\"")));
    static const QRegularExpression message(
        QStringLiteral("<source>([^<]*)</source>\\s*<translation>([^<]*)</translation>"));
    static const QRegularExpression placeholder(QStringLiteral("%\\d|&amp;\\w"));
    int count = 0;
    for (auto it = message.globalMatch(text); it.hasNext(); ++count) {
        const QRegularExpressionMatch m = it.next();
        SCOPED_TRACE(m.captured(1).toStdString());
        EXPECT_FALSE(m.captured(2).isEmpty());
        QStringList from, to;
        for (auto p = placeholder.globalMatch(m.captured(1)); p.hasNext();)
            from.append(p.next().captured());
        for (auto p = placeholder.globalMatch(m.captured(2)); p.hasNext();)
            to.append(p.next().captured());
        EXPECT_EQ(from, to);
    }
    EXPECT_GT(count, 300);
}

TEST(TraditionalChinese, ChosenInTheLanguageMenu)
{
    WindowHarness h;
    QAction *choice = h.action(QStringLiteral("Action_LanguageChineseTraditional"));
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->text(), QStringLiteral("繁體中文"));
    choice->trigger();
    EXPECT_TRUE(choice->isChecked());
    EXPECT_TRUE(readAll(h.iniPath()).contains("Language=zh_TW"));
    EXPECT_EQ(interfaceLanguage(QStringLiteral("zh_TW"), QLocale(QStringLiteral("en_US"))),
              InterfaceLanguage::TraditionalChinese);
}
