// The records the program writes into a dictation document, in the
// interface language for a new document and in the document's own language
// for one that has a header; written, saved and read back in both interfaces.
#include "support/testutil.h"

#include "dictation/textfile.h"

#include <QAction>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

const QString Chinese1 = QStringLiteral("听写记录");
const QString English1 = QStringLiteral("Dictation record");
const QString ChineseInfo =
    QStringLiteral("(循环开始点: 00:12.345 结束点: 00:15.000   听写时间: 2026-01-08 15:04:05)");
const QString EnglishInfo =
    QStringLiteral("(Loop start: 00:12.345 End: 00:15.000   Dictated at: 2026-01-08 15:04:05)");

QStringList fileLines(const QString &path)
{
    return readTextFile(path).text.split(QStringLiteral("\r\n"));
}

} // namespace

TEST(RecordLanguage, NewAndExistingDocumentsWrittenAndReadBack)
{
    enum class Existing { None, ChineseHeader, EnglishHeader, NoHeader };
    struct Case {
        const char *what;
        InterfaceLanguage interface;
        Existing existing;
        bool englishRecords;
    };
    const Case cases[] = {
        {"Chinese interface, new document", InterfaceLanguage::Chinese, Existing::None, false},
        {"English interface, new document", InterfaceLanguage::English, Existing::None, true},
        {"English interface, Chinese document", InterfaceLanguage::English, Existing::ChineseHeader,
         false},
        {"Chinese interface, English document", InterfaceLanguage::Chinese, Existing::EnglishHeader,
         true},
        {"English interface, document without a header", InterfaceLanguage::English,
         Existing::NoHeader, true},
        {"Chinese interface, document without a header", InterfaceLanguage::Chinese,
         Existing::NoHeader, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WindowHarness h(true);
        h.language = c.interface;
        h.create();
        const QString recording = h.writeFile(QStringLiteral("lesson.mp3"), "ID3");
        const QString document = h.path(QStringLiteral("lesson.txt"));
        QStringList before;
        switch (c.existing) {
        case Existing::None:
            break;
        case Existing::ChineseHeader:
            before = {Chinese1, QStringLiteral("语音文件: ") + recording, QString(),
                      QStringLiteral("first"), ChineseInfo};
            break;
        case Existing::EnglishHeader:
            before = {English1, QStringLiteral("Recording: ") + recording, QString(),
                      QStringLiteral("first"), EnglishInfo};
            break;
        case Existing::NoHeader:
            before = {QStringLiteral("my own notes")};
            break;
        }
        if (!before.isEmpty())
            h.writeFile(QStringLiteral("lesson.txt"),
                        (before.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());

        h.openPlaying(QStringLiteral("lesson.mp3"));
        h.settings().setOptions(TOptionFlags());
        h.setOption(&TOptionFlags::RecordRepeatPoints, true);
        h.setOption(&TOptionFlags::RecordDictateTime, true);
        h.w().setClock([] { return QDateTime(QDate(2026, 1, 8), QTime(15, 4, 5)); });
        h.loop().setPoints(12.345, 15.0);
        h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("I went."));
        h.clickApply();
        h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();

        QStringList expected = before;
        if (c.existing == Existing::None) {
            expected = c.englishRecords
                           ? QStringList{English1, QStringLiteral("Recording: ") + recording}
                           : QStringList{Chinese1, QStringLiteral("语音文件: ") + recording};
        }
        expected << QString() << QStringLiteral("I went.")
                 << (c.englishRecords ? EnglishInfo : ChineseInfo);
        QStringList written = fileLines(document);
        if (written.last().isEmpty())
            written.removeLast();
        EXPECT_EQ(written, expected);

        // Read back in either interface: the text as written, nothing added.
        for (const InterfaceLanguage reader :
             {InterfaceLanguage::Chinese, InterfaceLanguage::English}) {
            WindowHarness again(true);
            again.language = reader;
            again.create();
            again.w().OpenDictationFile(document);
            QStringList read = again.doc().text().split(QStringLiteral("\r\n"));
            if (read.last().isEmpty())
                read.removeLast();
            EXPECT_EQ(read, expected);
            EXPECT_FALSE(again.doc().isModified());
        }
    }
}
