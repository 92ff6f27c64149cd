// Word feedback on an answer text of about 1 MB: building the answer's word
// index once, finding the passage nearest to a 12-word typed line (with a
// wrong and a missing word, near the end of the answer), comparing it, and
// showing the result in the strip. Prints "name value unit" lines; times are
// medians.
#include "feedback/feedbackstrip.h"
#include "feedback/nearestpassage.h"
#include "feedback/wordcompare.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int IndexRuns = 5;
constexpr int SearchRuns = 21;
constexpr int StripRuns = 101;

// Sentences of 5 to 20 words from a few hundred distinct words, about 1 MB;
// the last sentence of 13 words or more is given back.
QString answerText(QString *lastSentence)
{
    QRandomGenerator random(20260315);
    QStringList vocabulary;
    for (int k = 0; k < 400; ++k) {
        QString word;
        const int letters = 2 + random.bounded(6);
        for (int c = 0; c < letters; ++c)
            word += QChar(u'a' + random.bounded(26));
        vocabulary << word;
    }
    QString text;
    while (text.size() < 1000000) {
        const int count = 5 + random.bounded(16);
        QString sentence;
        for (int k = 0; k < count; ++k) {
            QString word = vocabulary.at(random.bounded(int(vocabulary.size())));
            if (k == 0)
                word[0] = word[0].toUpper();
            sentence += (k > 0 ? QStringLiteral(" ") : QString()) + word;
        }
        sentence += random.bounded(4) == 0 ? QStringLiteral("?") : QStringLiteral(".");
        text += sentence + (random.bounded(8) == 0 ? QStringLiteral("\n") : QStringLiteral(" "));
        if (count >= 13)
            *lastSentence = sentence;
    }
    return text;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<double> timesMs(int runs, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString last;
    const QString answer = answerText(&last);
    // A 12-word line: the first 12 words of a sentence near the end, with one
    // word misspelt and one left out, and a word of its own added.
    QStringList words = last.chopped(1).split(QLatin1Char(' ')).mid(0, 12);
    words[3] += QStringLiteral("x");
    words.removeAt(6);
    words << QStringLiteral("zzz");
    const QString typed = words.join(QLatin1Char(' '));

    AnswerIndex index;
    const std::vector<double> build = timesMs(IndexRuns, [&] { index = AnswerIndex(answer); });
    std::optional<Passage> passage;
    const std::vector<double> search = timesMs(SearchRuns, [&] { passage = index.nearest(typed); });
    Comparison comparison;
    const std::vector<double> compare = timesMs(SearchRuns, [&] {
        comparison = compareWords(typed, passage ? passage->expected : QString());
    });

    FeedbackStrip strip;
    strip.resize(900, strip.sizeHint().height());
    strip.show();
    QApplication::processEvents();
    const Comparison other = compareWords(typed, last);
    int k = 0;
    const std::vector<double> stripTimes = timesMs(StripRuns, [&] {
        strip.showComparison(++k % 2 ? comparison : other);
        QApplication::processEvents();
    });

    std::printf("answer_bytes %lld bytes\n", static_cast<long long>(answer.toUtf8().size()));
    std::printf("answer_words %lld words\n", static_cast<long long>(index.wordCount()));
    std::printf("typed_words %lld words\n", static_cast<long long>(words.size()));
    std::printf("answer_index_build_ms %.1f ms\n", median(build));
    std::printf("nearest_passage_ms %.2f ms\n", median(search));
    std::printf("compare_words_ms %.3f ms\n", median(compare));
    std::printf("strip_update_ms %.3f ms\n", median(stripTimes));
    std::printf("passage_distance %d words\n", passage ? passage->distance : -1);
    std::printf("line_score %d percent\n", scorePercent(comparison.score()));
    if (!passage || passage->start < answer.size() / 2) {
        std::fprintf(stderr, "the typed line was not found near the end of the answer\n");
        return 1;
    }
    return 0;
}
