#pragma once

#include <QLatin1String>
#include <QString>

#include <array>
#include <optional>

// The [Preferences] section of the settings file: every key the program keeps
// there, with its type, its default and the values it accepts. A value that is
// missing, not of its type or out of range reads as the default. A key that is
// not in the file yet is written only for a value other than its default, so
// the default file stays as it is.

enum class PreferenceType {
    Flag,   // "1" or "0"
    Whole,  // an integer in [lowest, highest]
    Number, // a decimal number in [lowest, highest], written with `decimals` digits
    Text,   // any text; the reader decides what it means
};

struct PreferenceKey {
    QLatin1String name;
    PreferenceType type;
    // The default as it is stored.
    QLatin1String fallback;
    double lowest = 0;
    double highest = 0;
    // False where the lowest value itself is not accepted: a step of 0 s.
    bool lowestAccepted = true;
    int decimals = 0;
};

namespace Preferences {

constexpr PreferenceKey flag(const char *name, bool on)
{
    return {QLatin1String(name), PreferenceType::Flag, QLatin1String(on ? "1" : "0"), 0, 1};
}

// Playback.
inline constexpr PreferenceKey Speed{
    QLatin1String("Speed"), PreferenceType::Number, QLatin1String("1.0"), 0.5, 1.5, true, 1};
inline constexpr PreferenceKey Volume{QLatin1String("Volume"), PreferenceType::Whole,
                                      QLatin1String("100"), 0, 100};
inline constexpr PreferenceKey ExactLoop = flag("ExactLoop", true);
// Seconds Alt+Left and Alt+Right jump.
inline constexpr PreferenceKey RewindStep{
    QLatin1String("RewindStep"), PreferenceType::Number, QLatin1String("2.0"), 0, 60, false, 1};
// Seconds playback goes back when paused, so the context is heard again.
inline constexpr PreferenceKey RewindOnPause{
    QLatin1String("RewindOnPause"), PreferenceType::Number, QLatin1String("0.0"), 0, 5, true, 1};

// The lesson.
inline constexpr PreferenceKey SentenceMode = flag("SentenceMode", true);
inline constexpr PreferenceKey SentenceList = flag("SentenceList", true);
inline constexpr PreferenceKey HideAnswer = flag("HideAnswer", true);
inline constexpr PreferenceKey ShowFeedback = flag("ShowFeedback", true);
// The share of a sentence's words, in percent, that passes it.
inline constexpr PreferenceKey PassMark{QLatin1String("PassMark"), PreferenceType::Whole,
                                        QLatin1String("100"), 1, 100};
// Seconds a sentence may last before it is split for dictation; the default
// is the sentence finder's own.
inline constexpr PreferenceKey SentenceLength{
    QLatin1String("SentenceLength"), PreferenceType::Number, QLatin1String("8.0"), 2, 20, true, 1};
// How often a sentence plays before playback waits; 0 loops until Enter.
inline constexpr PreferenceKey PlaysPerSentence{QLatin1String("PlaysPerSentence"),
                                                PreferenceType::Whole, QLatin1String("0"), 0, 20};
// The language dictated, as a two-letter code.
inline constexpr PreferenceKey DictationLanguage{QLatin1String("DictationLanguage"),
                                                 PreferenceType::Text, QLatin1String("en")};

// The picture.
inline constexpr PreferenceKey ShowPicture = flag("ShowPicture", true);
inline constexpr PreferenceKey ShowSubtitles = flag("ShowSubtitles", false);

// The file dialogs: the filter entry they start on, the last one ("all
// supported files") until the learner picks another.
inline constexpr PreferenceKey RecordingFilter{QLatin1String("RecordingFilter"),
                                               PreferenceType::Whole, QLatin1String("1"), 0, 1};
inline constexpr PreferenceKey AnswerFilter{QLatin1String("AnswerFilter"), PreferenceType::Whole,
                                            QLatin1String("2"), 0, 2};

// The interface language: "system", "zh_CN", "zh_TW" or "en" (see LanguageChoice).
inline constexpr PreferenceKey Language{QLatin1String("Language"), PreferenceType::Text,
                                        QLatin1String("system")};

// Every key above.
inline constexpr std::array<const PreferenceKey *, 18> All{
    &Speed,           &Volume,           &ExactLoop,         &RewindStep,   &RewindOnPause,
    &SentenceMode,    &SentenceList,     &HideAnswer,        &ShowFeedback, &PassMark,
    &SentenceLength,  &PlaysPerSentence, &DictationLanguage, &ShowPicture,  &ShowSubtitles,
    &RecordingFilter, &AnswerFilter,     &Language,
};

} // namespace Preferences

// What a stored text means for the key: the value it holds as a number (a
// flag is 1 or 0), or nothing when it is not of the key's type or out of its
// range. For a text key every stored text is accepted.
std::optional<double> preferenceValue(const PreferenceKey &key, const QString &stored);

// The stored text of a value: a flag as "1" or "0", a whole number without
// decimals, a number with the key's decimals. A value out of range is brought
// into it first.
QString preferenceText(const PreferenceKey &key, double value);
