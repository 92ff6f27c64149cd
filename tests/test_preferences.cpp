// The [Preferences] keys: what each stores, what a hand-edited or damaged
// value reads as, and that a default never lands in the file.
#include "support/testutil.h"

#include "sentences/sentencedetector.h"
#include "settings/preferences.h"
#include "settings/settingsrules.h"
#include "settings/settingsstore.h"

#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A settings store in a folder of its own, with the default file.
struct Store {
    QTemporaryDir dir;
    SettingsStore store{dir.path() + QLatin1Char('/'), nullptr};
    Store() { store.ensureFile(); }
    QByteArray file() const { return readAll(store.filePath()); }
    void preferencesAre(const QByteArray &lines)
    {
        putFile(store.filePath(), DefaultSettingsText() + "\r\n[Preferences]\r\n" + lines);
    }
};

// A value of the key that is not its default, as the program would set it.
QString otherValue(const PreferenceKey &key)
{
    switch (key.type) {
    case PreferenceType::Flag:
        return key.fallback == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
    case PreferenceType::Whole:
    case PreferenceType::Number: {
        const double fallback = *preferenceValue(key, key.fallback);
        const bool lowestFree = key.lowestAccepted && fallback != key.lowest;
        return preferenceText(key, lowestFree ? key.lowest : key.highest);
    }
    case PreferenceType::Text:
        return QStringLiteral("xy");
    }
    return {};
}

// Sets the key to the value of the given text through its typed setter.
void set(SettingsStore &store, const PreferenceKey &key, const QString &text)
{
    switch (key.type) {
    case PreferenceType::Flag:
        store.setFlag(key, text == QLatin1String("1"));
        break;
    case PreferenceType::Whole:
        store.setWhole(key, text.toInt());
        break;
    case PreferenceType::Number:
        store.setNumber(key, text.toDouble());
        break;
    case PreferenceType::Text:
        store.setText(key, text);
        break;
    }
}

// What the typed getter reads, as text.
QString get(const SettingsStore &store, const PreferenceKey &key)
{
    switch (key.type) {
    case PreferenceType::Flag:
        return store.flag(key) ? QStringLiteral("1") : QStringLiteral("0");
    case PreferenceType::Whole:
        return QString::number(store.whole(key));
    case PreferenceType::Number:
        return preferenceText(key, store.number(key));
    case PreferenceType::Text:
        return store.text(key);
    }
    return {};
}

} // namespace

TEST(PreferenceTable, KeysAreDistinctAndEachDefaultIsAValueOfItsOwn)
{
    QSet<QString> names;
    for (const PreferenceKey *key : Preferences::All) {
        SCOPED_TRACE(key->name.data());
        EXPECT_FALSE(names.contains(key->name)) << "twice in the table";
        names.insert(key->name);
        ASSERT_TRUE(preferenceValue(*key, key->fallback).has_value());
        // Setting the default writes exactly the default's text, or a stored
        // file would gain a line for a value nobody chose.
        if (key->type != PreferenceType::Text) {
            EXPECT_EQ(preferenceText(*key, *preferenceValue(*key, key->fallback)), key->fallback);
        }
    }
}

TEST(PreferenceTable, ADefaultIsNeverWritten)
{
    Store s;
    const QByteArray before = s.file();
    for (const PreferenceKey *key : Preferences::All) {
        SCOPED_TRACE(key->name.data());
        set(s.store, *key, key->fallback);
        EXPECT_EQ(s.file(), before);
        EXPECT_EQ(get(s.store, *key), key->fallback);
    }
}

TEST(PreferenceTable, EveryKeyKeepsAValueOfItsOwnAndGoesBackToItsDefault)
{
    for (const PreferenceKey *key : Preferences::All) {
        SCOPED_TRACE(key->name.data());
        Store s;
        const QString value = otherValue(*key);
        set(s.store, *key, value);
        EXPECT_EQ(s.file(), DefaultSettingsText() + "\r\n[Preferences]\r\n"
                                + QLatin1String(key->name).toString().toUtf8() + '='
                                + value.toUtf8() + "\r\n");
        EXPECT_EQ(get(s.store, *key), value);
        // Once in the file, the default is written as any other value.
        set(s.store, *key, key->fallback);
        EXPECT_EQ(get(s.store, *key), key->fallback);
        EXPECT_EQ(s.store.preference(key->name, QString()), key->fallback);
    }
}

TEST(PreferenceTable, AStoredValueOfTheWrongKindOrOutOfRangeReadsAsTheDefault)
{
    const struct {
        const PreferenceKey &key;
        const char *stored;
        const char *read;
    } cases[] = {
        {Preferences::Speed, "0.7", "0.7"},          {Preferences::Speed, "1.5", "1.5"},
        {Preferences::Speed, "0.4", "1.0"},          {Preferences::Speed, "3", "1.0"},
        {Preferences::Speed, "nan", "1.0"},          {Preferences::Speed, "-inf", "1.0"},
        {Preferences::Speed, "fast", "1.0"},         {Preferences::Volume, "0", "0"},
        {Preferences::Volume, "101", "100"},         {Preferences::Volume, "-5", "100"},
        {Preferences::Volume, "40.5", "100"},        {Preferences::Volume, "", "100"},
        {Preferences::PassMark, "0", "100"},         {Preferences::PassMark, "1", "1"},
        {Preferences::RewindStep, "0", "2.0"},       {Preferences::RewindStep, "0.5", "0.5"},
        {Preferences::RewindStep, "60", "60.0"},     {Preferences::RewindStep, "61", "2.0"},
        {Preferences::SentenceLength, "1.9", "8.0"}, {Preferences::SentenceLength, "20", "20.0"},
        {Preferences::PlaysPerSentence, "3", "3"},   {Preferences::PlaysPerSentence, "21", "0"},
        {Preferences::PlaysPerSentence, "-1", "0"},  {Preferences::RewindOnPause, "2.5", "2.5"},
        {Preferences::RewindOnPause, "6", "0.0"},    {Preferences::ExactLoop, "0", "0"},
        {Preferences::ExactLoop, "2", "1"},          {Preferences::ExactLoop, "", "1"},
        {Preferences::ShowSubtitles, "1", "1"},      {Preferences::ShowSubtitles, "yes", "0"},
        {Preferences::AnswerFilter, "3", "2"},       {Preferences::RecordingFilter, "0", "0"},
        {Preferences::Language, "fr", "fr"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key.name.data()) + "=" + c.stored);
        Store s;
        s.preferencesAre(QByteArray(c.key.name.data()) + '=' + c.stored + "\r\n");
        EXPECT_EQ(get(s.store, c.key), QLatin1String(c.read));
    }
}

TEST(PreferenceTable, AValueSetOutOfRangeIsStoredAtItsNearestEnd)
{
    const struct {
        const PreferenceKey &key;
        double value;
        const char *stored; // nullptr: nothing written
    } cases[] = {
        {Preferences::Volume, 150, nullptr},   {Preferences::PassMark, 0, "1"},
        {Preferences::Volume, -3, "0"},        {Preferences::Speed, 0.2, "0.5"},
        {Preferences::Speed, 0.94, "0.9"},     {Preferences::PlaysPerSentence, 99, "20"},
        {Preferences::RewindStep, 0, nullptr}, {Preferences::RewindOnPause, 9, "5.0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key.name.data()) + " set to " + std::to_string(c.value));
        Store s;
        if (c.key.type == PreferenceType::Whole)
            s.store.setWhole(c.key, static_cast<int>(c.value));
        else
            s.store.setNumber(c.key, c.value);
        const QString missing = QStringLiteral("-");
        EXPECT_EQ(s.store.preference(c.key.name, missing),
                  c.stored ? QLatin1String(c.stored) : missing);
    }
}

// The sentence length a learner has not chosen is the one the sentence finder
// uses on its own.
TEST(PreferenceTable, TheDefaultSentenceLengthIsTheFindersOwn)
{
    EXPECT_DOUBLE_EQ(
        *preferenceValue(Preferences::SentenceLength, Preferences::SentenceLength.fallback),
        DetectorParams().longSentence);
}
