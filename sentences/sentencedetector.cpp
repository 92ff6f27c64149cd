#include "sentences/sentencedetector.h"

#include "sentences/pauserules.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
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

// How long each pause between two runs is: the stretch of it that sits at
// the pause's own floor. A word's decaying tail and a consonant lost in
// noise lie above it, and would otherwise lengthen a comma to the length of
// a sentence break. The smoothing's blur of the edges is added back.
std::vector<double> pauseSeconds(const std::vector<Run> &runs, const std::vector<double> &db,
                                 int radius, double frame)
{
    std::vector<double> out;
    if (runs.size() < 2)
        return out;
    // How much the background itself swings, from the middle of each longer
    // pause (the typical one, since some hold a breath or a weak consonant):
    // little for steady noise, much for a music bed.
    std::vector<double> swings;
    std::vector<double> middle;
    const int longer = std::max(4, int(std::lround(0.08 / frame)));
    for (std::size_t k = 1; k < runs.size(); ++k) {
        const int a = runs[k - 1].last;
        const int b = runs[k].first;
        if (b - a < longer)
            continue;
        middle.assign(db.begin() + a + (b - a) / 4, db.begin() + b - (b - a) / 4);
        swings.push_back(percentile(middle, 0.8) - percentile(middle, 0.2));
    }
    const double swing = swings.empty() ? 6.0 : percentile(swings, 0.5);
    const double above = std::max(4.0, swing + 1.0);
    out.reserve(runs.size() - 1);
    std::vector<double> levels;
    for (std::size_t k = 1; k < runs.size(); ++k) {
        const int a = runs[k - 1].last;
        const int b = runs[k].first;
        levels.assign(db.begin() + a, db.begin() + b);
        const double quiet = percentile(levels, 0.2) + above;
        int first = a;
        while (first < b && db[std::size_t(first)] > quiet)
            ++first;
        int last = b - 1;
        while (last > first && db[std::size_t(last)] > quiet)
            --last;
        out.push_back((last - first + 1 + 2 * radius) * frame);
    }
    return out;
}

// A sentence as the runs first..last (inclusive).
struct Stretch {
    int first;
    int last;
};

// Runs joined across the pauses shorter than the break. A piece shorter than
// a sentence usually is one cut off by a pause for emphasis, so it joins its
// neighbour across the shorter of its pauses, unless that one too is clearly
// a sentence break.
std::vector<Stretch> sentenceStretches(const std::vector<Run> &runs,
                                       const std::vector<double> &pauses, double breakAt,
                                       const DetectorParams &params, double frame)
{
    std::vector<Stretch> out;
    for (int i = 0; i < int(runs.size()); ++i) {
        if (!out.empty() && pauses[std::size_t(i - 1)] < breakAt)
            out.back().last = i;
        else
            out.push_back({i, i});
    }
    const double clearBreak = std::max(params.fallbackBreak, 1.5 * breakAt);
    const auto seconds = [&](const Stretch &s) {
        return (runs[std::size_t(s.last)].last - runs[std::size_t(s.first)].first) * frame;
    };
    for (std::size_t i = 0; i < out.size();) {
        if (seconds(out[i]) >= params.shortSentence) {
            ++i;
            continue;
        }
        const double before =
            i > 0 ? pauses[std::size_t(out[i].first - 1)] : std::numeric_limits<double>::infinity();
        const double after = i + 1 < out.size() ? pauses[std::size_t(out[i].last)]
                                                : std::numeric_limits<double>::infinity();
        if (std::min(before, after) >= clearBreak) {
            ++i;
        } else if (before <= after) {
            out[i - 1].last = out[i].last;
            out.erase(out.begin() + std::ptrdiff_t(i));
            --i; // the joined one may still be short
        } else {
            out[i].last = out[i + 1].last;
            out.erase(out.begin() + std::ptrdiff_t(i) + 1);
        }
    }
    return out;
}

// Sentences longer than a learner can hold, split at their longest pauses
// where those stand out clearly.
std::vector<Run> dictationSized(const std::vector<Stretch> &stretches, const std::vector<Run> &runs,
                                const std::vector<double> &pauses, const DetectorParams &params,
                                double frame)
{
    SplitRule rule;
    rule.longest = params.longSentence;
    rule.shortest = params.shortSentence;
    std::vector<Run> out;
    out.reserve(stretches.size());
    std::vector<SpeechPiece> pieces;
    std::vector<double> inner;
    for (const Stretch &s : stretches) {
        pieces.clear();
        inner.clear();
        for (int r = s.first; r <= s.last; ++r) {
            pieces.push_back(
                {runs[std::size_t(r)].first * frame, runs[std::size_t(r)].last * frame});
            if (r < s.last)
                inner.push_back(pauses[std::size_t(r)]);
        }
        int first = s.first;
        for (int split : dictationSplits(pieces, inner, rule)) {
            out.push_back(
                {runs[std::size_t(first)].first, runs[std::size_t(s.first + split)].last});
            first = s.first + split + 1;
        }
        out.push_back({runs[std::size_t(first)].first, runs[std::size_t(s.last)].last});
    }
    return out;
}

} // namespace

namespace {

struct Levels {
    std::vector<double> db;
    std::vector<Run> runs;
};

// The recording's levels and its runs of sound: above the low threshold and
// reaching the high one somewhere.
Levels soundRuns(const Envelope &envelope, const DetectorParams &params)
{
    Levels out;
    const int n = int(envelope.levels.size());
    const double frame = envelope.frameSeconds;
    if (n < 3 || frame <= 0.0)
        return out;
    const auto frames = [frame](double seconds) {
        return std::max(1, int(std::lround(seconds / frame)));
    };

    out.db = smoothedDb(envelope.levels, frames(0.015));
    const std::vector<double> &db = out.db;
    // The floor is what the quietest tenth of the recording sits at (the
    // pauses); the speech level is near the top. Both move with the gain, so
    // the thresholds sit between them rather than at fixed levels.
    const double floor = percentile(db, 0.10);
    const double speech = percentile(db, 0.97);
    const double contrast = speech - floor;
    if (contrast < params.minContrastDb)
        return out;
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
            out.runs.push_back({i, j});
        i = j;
    }
    return out;
}

} // namespace

std::vector<SpeechPiece> soundPieces(const Envelope &envelope, const DetectorParams &params)
{
    std::vector<SpeechPiece> pieces;
    const Levels levels = soundRuns(envelope, params);
    pieces.reserve(levels.runs.size());
    for (const Run &run : levels.runs)
        pieces.push_back({run.first * envelope.frameSeconds, run.last * envelope.frameSeconds});
    return pieces;
}

QList<Sentence> detectSentences(const Envelope &envelope, const DetectorParams &params)
{
    const int n = int(envelope.levels.size());
    const double frame = envelope.frameSeconds;
    if (n < 3 || frame <= 0.0)
        return {};
    const auto frames = [frame](double seconds) {
        return std::max(1, int(std::lround(seconds / frame)));
    };
    const Levels levels = soundRuns(envelope, params);
    const std::vector<double> &db = levels.db;
    const std::vector<Run> &runs = levels.runs;
    if (runs.empty())
        return {};
    const int radius = frames(0.015);
    const std::vector<double> pauses = pauseSeconds(runs, db, radius, frame);
    std::vector<SpeechPiece> pieces;
    pieces.reserve(runs.size());
    for (const Run &run : runs)
        pieces.push_back({run.first * frame, run.last * frame});
    const double breakAt =
        sentenceBreak(framingPauses(pieces, pauses, params.shortSentence),
                      {params.shortestBreak, params.longestBreak, params.fallbackBreak});
    std::vector<Stretch> stretches = sentenceStretches(runs, pauses, breakAt, params, frame);
    const int minSentence = frames(params.minSentence);
    std::erase_if(stretches, [&](const Stretch &s) {
        return runs[std::size_t(s.last)].last - runs[std::size_t(s.first)].first < minSentence;
    });
    std::vector<Run> merged = dictationSized(stretches, runs, pauses, params, frame);
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
