#include "align/speechsynth.h"

#include "platform/dynamiclibrary.h"

#include <QCoreApplication>

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace {

constexpr double PauseSeconds = 0.3;

// The one synthesis running; espeak-ng's callback has no other way back.
struct Run {
    const SynthSink *sink = nullptr;
    std::vector<float> chunk;
    long long samples = 0; // handed over so far, in the whole synthesis
    long long unitStart = 0;
    int rate = 0;
    QList<SynthWord> words;
    std::vector<qsizetype> indexOfCodePoint; // espeak counts code points
    // The unit's sound: the first and last 10 ms block above the floor.
    long long soundFirst = -1;
    long long soundLast = -1;
    double blockSum = 0.0;
    int blockFill = 0;
};
Run *current = nullptr;

// libespeak-ng is loaded when speech is first made: linked, it and the sound
// libraries it links would be loaded (and bound) at every start.
struct EspeakApi {
    decltype(&espeak_Initialize) initialize = nullptr;
    decltype(&espeak_SetSynthCallback) setSynthCallback = nullptr;
    decltype(&espeak_SetVoiceByName) setVoiceByName = nullptr;
    decltype(&espeak_Synth) synth = nullptr;
    decltype(&espeak_Synchronize) synchronize = nullptr;
    bool loaded = false;
};

const EspeakApi &espeakApi()
{
    static const EspeakApi api = [] {
        EspeakApi functions;
        DynamicLibrary library(QStringLiteral("libespeak-ng.so.1"));
        library.resolve(functions.initialize, "espeak_Initialize");
        library.resolve(functions.setSynthCallback, "espeak_SetSynthCallback");
        library.resolve(functions.setVoiceByName, "espeak_SetVoiceByName");
        library.resolve(functions.synth, "espeak_Synth");
        library.resolve(functions.synchronize, "espeak_Synchronize");
        functions.loaded = library.error().isEmpty();
        return functions;
    }();
    return api;
}

std::mutex &synthMutex()
{
    static std::mutex mutex;
    return mutex;
}

int onSynth(short *wav, int count, espeak_EVENT *events)
{
    Run &run = *current;
    for (espeak_EVENT *e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type != espeakEVENT_WORD || e->length <= 0)
            continue;
        const auto &map = run.indexOfCodePoint;
        const int first = std::clamp(e->text_position - 1, 0, int(map.size()) - 1);
        const int last = std::clamp(e->text_position - 1 + e->length, 0, int(map.size()) - 1);
        run.words.append({map[std::size_t(first)], map[std::size_t(last)] - map[std::size_t(first)],
                          double(run.unitStart + e->sample) / run.rate});
    }
    if (!wav || count <= 0)
        return 0;
    run.chunk.resize(std::size_t(count));
    const int block = std::max(1, run.rate / 100);
    for (int i = 0; i < count; ++i) {
        const float s = float(wav[i]) / 32768.0f;
        run.chunk[std::size_t(i)] = s;
        run.blockSum += double(s) * s;
        if (++run.blockFill == block) {
            // -50 dB: the synthesizer's pauses are digital silence or near it.
            if (run.blockSum / block > 1e-5) {
                const long long at = run.samples + i + 1 - run.unitStart;
                if (run.soundFirst < 0)
                    run.soundFirst = at - block;
                run.soundLast = at;
            }
            run.blockSum = 0.0;
            run.blockFill = 0;
        }
    }
    (*run.sink)(run.chunk.data(), count);
    run.samples += count;
    return 0;
}

QString espeakVoice(const QString &language)
{
    if (language == QLatin1String("zh"))
        return QStringLiteral("cmn");
    return language;
}

} // namespace

QString voiceFor(const QString &dictationLanguage, const QString &text)
{
    int han = 0, kana = 0, hangul = 0, cyrillic = 0, greek = 0, arabic = 0, latin = 0;
    for (const QChar c : text) {
        switch (c.script()) {
        case QChar::Script_Han:
            ++han;
            break;
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
            ++kana;
            break;
        case QChar::Script_Hangul:
            ++hangul;
            break;
        case QChar::Script_Cyrillic:
            ++cyrillic;
            break;
        case QChar::Script_Greek:
            ++greek;
            break;
        case QChar::Script_Arabic:
            ++arabic;
            break;
        case QChar::Script_Latin:
            ++latin;
            break;
        default:
            break;
        }
    }
    const int most = std::max({han, kana, hangul, cyrillic, greek, arabic, latin});
    QString script;
    if (most == 0)
        script = QString();
    else if (kana > 0 && kana * 10 >= han)
        script = QStringLiteral("ja"); // Japanese mixes kana into its kanji
    else if (most == han)
        script = QStringLiteral("zh");
    else if (most == hangul)
        script = QStringLiteral("ko");
    else if (most == cyrillic)
        script = QStringLiteral("ru");
    else if (most == greek)
        script = QStringLiteral("el");
    else if (most == arabic)
        script = QStringLiteral("ar");
    else
        script = QStringLiteral("latin");

    const QString language = dictationLanguage.isEmpty() ? QStringLiteral("en") : dictationLanguage;
    static const QStringList nonLatin = {QStringLiteral("zh"), QStringLiteral("ja"),
                                         QStringLiteral("ko"), QStringLiteral("ru"),
                                         QStringLiteral("el"), QStringLiteral("ar")};
    const bool languageIsLatin = !nonLatin.contains(language);
    if (script.isEmpty() || (script == QLatin1String("latin") && languageIsLatin)
        || script == language)
        return espeakVoice(language);
    if (script == QLatin1String("latin"))
        return QStringLiteral("en");
    // Kanji alone read as Japanese when that is what is dictated.
    if (script == QLatin1String("zh") && language == QLatin1String("ja"))
        return QStringLiteral("ja");
    return espeakVoice(script);
}

SynthResult synthesize(const QList<TextUnit> &units, const QString &voice, const SynthSink &sink,
                       const std::function<bool()> &isCancelled)
{
    SynthResult result;
    const std::lock_guard lock(synthMutex());
    const EspeakApi &espeak = espeakApi();
    static const int rate = espeak.loaded ? espeak.initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                                                              espeakINITIALIZE_DONT_EXIT)
                                          : 0;
    if (rate <= 0) {
        result.error = QCoreApplication::translate("Aligner", "无法启动语音合成（espeak-ng）");
        return result;
    }
    espeak.setSynthCallback(onSynth);
    if (espeak.setVoiceByName(voice.toUtf8().constData()) != EE_OK
        && espeak.setVoiceByName("en") != EE_OK) {
        result.error = QCoreApplication::translate("Aligner", "语音合成没有“%1”的声音").arg(voice);
        return result;
    }
    result.sampleRate = rate;

    Run run;
    run.sink = &sink;
    run.rate = rate;
    current = &run;
    for (const TextUnit &unit : units) {
        if (isCancelled && isCancelled()) {
            result.cancelled = true;
            break;
        }
        run.words.clear();
        run.indexOfCodePoint.clear();
        for (qsizetype i = 0; i < unit.text.size(); ++i) {
            if (!unit.text.at(i).isLowSurrogate())
                run.indexOfCodePoint.push_back(i);
        }
        run.indexOfCodePoint.push_back(unit.text.size());
        run.unitStart = run.samples;
        run.soundFirst = run.soundLast = -1;
        run.blockSum = 0.0;
        run.blockFill = 0;
        const QByteArray text = unit.text.toUtf8();
        espeak.synth(text.constData(), std::size_t(text.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8, nullptr, nullptr);
        espeak.synchronize();
        // A pause after each unit, as a reader makes one between sentences,
        // so the recording's pauses have a pause to match.
        const std::vector<float> pause(std::size_t(rate * PauseSeconds), 0.0f);
        sink(pause.data(), int(pause.size()));
        run.samples += qsizetype(pause.size());
        SynthUnit out;
        out.start = double(run.unitStart) / rate;
        out.end = double(run.samples) / rate;
        out.soundStart = run.soundFirst < 0 ? out.start : out.start + double(run.soundFirst) / rate;
        out.soundEnd = run.soundLast < 0 ? out.start : out.start + double(run.soundLast) / rate;
        out.words = run.words;
        result.units.append(out);
    }
    current = nullptr;
    return result;
}
