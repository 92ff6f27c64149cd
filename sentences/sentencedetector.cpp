#include "sentences/sentencedetector.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace {

constexpr double SilenceDb = -100.0; // digital silence is clamped here

struct Run {
    int first; // frame index, inclusive
    int last;  // frame index, exclusive
};

// Levels in dB after a short moving average of power, so single noisy frames
// neither start nor break a sentence.
std::vector<double> smoothedDb(const std::vector<float> &levels, int radius)
{
    const int n = int(levels.size());
    std::vector<double> prefix(std::size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        prefix[std::size_t(i) + 1] =
            prefix[std::size_t(i)] + double(levels[std::size_t(i)]) * levels[std::size_t(i)];
    std::vector<double> db(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int a = std::max(0, i - radius);
        const int b = std::min(n, i + radius + 1);
        const double power = (prefix[std::size_t(b)] - prefix[std::size_t(a)]) / (b - a);
        db[std::size_t(i)] = power > 1e-10 ? 10.0 * std::log10(power) : SilenceDb;
    }
    return db;
}

double percentile(std::vector<double> values, double p)
{
    const auto k = std::size_t(std::clamp(p, 0.0, 1.0) * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

// Splits runs longer than the limit at their quietest stretch, again and
// again, so a music bed or a noise that never drops below the threshold cannot
// turn the recording into one endless sentence.
void splitLongRuns(std::vector<Run> &runs, const std::vector<double> &db, int maxFrames, int window)
{
    std::vector<Run> out;
    std::vector<Run> todo(runs.rbegin(), runs.rend());
    while (!todo.empty()) {
        const Run run = todo.back();
        todo.pop_back();
        if (run.last - run.first <= maxFrames) {
            out.push_back(run);
            continue;
        }
        // The quietest window, keeping a quarter of the limit on each side.
        const int margin = std::max(window, maxFrames / 4);
        int best = -1;
        double bestSum = 0.0;
        double sum = 0.0;
        for (int i = run.first; i < run.last; ++i) {
            sum += db[std::size_t(i)];
            if (i - run.first >= window)
                sum -= db[std::size_t(i - window)];
            const int start = i - window + 1;
            if (start < run.first + margin || i >= run.last - margin)
                continue;
            if (best < 0 || sum < bestSum) {
                best = start;
                bestSum = sum;
            }
        }
        if (best < 0) {
            out.push_back(run);
            continue;
        }
        todo.push_back({best + window, run.last});
        todo.push_back({run.first, best});
    }
    runs = std::move(out);
}

} // namespace

QList<Sentence> detectSentences(const Envelope &envelope, const DetectorParams &params)
{
    const int n = int(envelope.levels.size());
    const double frame = envelope.frameSeconds;
    if (n < 3 || frame <= 0.0)
        return {};
    const auto frames = [frame](double seconds) {
        return std::max(1, int(std::lround(seconds / frame)));
    };

    const std::vector<double> db = smoothedDb(envelope.levels, frames(0.015));
    // The floor is what the quietest tenth of the recording sits at (the
    // pauses); the speech level is near the top. Both move with the gain, so
    // the thresholds sit between them rather than at fixed levels.
    const double floor = percentile(db, 0.10);
    const double speech = percentile(db, 0.97);
    const double contrast = speech - floor;
    if (contrast < params.minContrastDb)
        return {};
    // The background is whatever sits in the lower half between floor and
    // speech; a music bed or a noise that swings keeps the lower threshold
    // above its usual peaks, so it neither starts a sentence nor stretches one.
    std::vector<double> background;
    const double middle = floor + contrast / 2;
    std::copy_if(db.begin(), db.end(), std::back_inserter(background),
                 [middle](double v) { return v < middle; });
    const double swing = percentile(background, 0.75) + 3.0;
    const double low = std::max(floor + std::max(4.0, 0.22 * contrast), swing);
    const double high = std::max(floor + std::max(6.0, 0.35 * contrast), low + 2.0);

    // Runs above the low threshold that reach the high one somewhere.
    std::vector<Run> runs;
    for (int i = 0; i < n;) {
        if (db[std::size_t(i)] < low) {
            ++i;
            continue;
        }
        int j = i;
        bool loud = false;
        while (j < n && db[std::size_t(j)] >= low) {
            loud = loud || db[std::size_t(j)] >= high;
            ++j;
        }
        if (loud)
            runs.push_back({i, j});
        i = j;
    }

    // Pauses shorter than the minimum stay inside their sentence.
    const int minPause = frames(params.minPause);
    std::vector<Run> merged;
    for (const Run &run : runs) {
        if (!merged.empty() && run.first - merged.back().last < minPause)
            merged.back().last = run.last;
        else
            merged.push_back(run);
    }
    const int minSentence = frames(params.minSentence);
    std::erase_if(merged, [&](const Run &run) { return run.last - run.first < minSentence; });
    splitLongRuns(merged, db, frames(params.maxSentence), frames(0.2));

    QList<Sentence> sentences;
    sentences.reserve(qsizetype(merged.size()));
    const double duration = envelope.duration > 0 ? envelope.duration : n * frame;
    for (const Run &run : merged) {
        Sentence s;
        s.start = std::max(0.0, run.first * frame - params.padBefore);
        s.end = std::min(duration, run.last * frame + params.padAfter);
        // Padding never reaches into the previous sentence; they meet halfway.
        if (!sentences.isEmpty() && s.start < sentences.last().end) {
            const double middle = (s.start + sentences.last().end) / 2;
            sentences.last().end = middle;
            s.start = middle;
        }
        if (s.end > s.start)
            sentences.append(s);
    }
    return sentences;
}
