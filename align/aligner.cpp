#include "align/aligner.h"

#include "align/warp.h"

#include <algorithm>
#include <cmath>

namespace {

struct UnitSpan {
    double start;
    double end;
    float match;
    bool spoken;
};

AlignedSentence withWordsIn(const AlignedSentence &s, qsizetype from, qsizetype to, double start,
                            double end)
{
    AlignedSentence part = s;
    part.start = start;
    part.end = end;
    // The text exactly, without the space it was split at.
    qsizetype a = from;
    while (a < to && s.text.at(a).isSpace())
        ++a;
    qsizetype b = to;
    while (b > a && s.text.at(b - 1).isSpace())
        --b;
    part.text = s.text.mid(a, b - a);
    part.words.clear();
    for (AlignedWord w : s.words) {
        if (w.position >= a && w.position < b) {
            w.position -= a;
            part.words.append(w);
        }
    }
    return part;
}

// The mean distance per cell of the best warp of rows against columns,
// first to last.
float warpedDistance(const Features &rows, const Features &columns)
{
    const WarpPath p = warp(rows, columns, fullBand(rows.frames(), columns.frames()), 1e6f);
    if (!p.found)
        return 0.0f;
    double sum = 0.0;
    long long cells = 0;
    for (std::size_t i = 0; i < p.distance.size(); ++i) {
        sum += p.distance[i];
        cells += p.lastColumn[i] - p.firstColumn[i] + 1;
    }
    return cells ? float(sum / double(cells)) : 0.0f;
}

// How much better a unit matched its stretch of the recording than the
// stretches beside it: 0 when no better, towards 1 when far better. Warping
// finds a cheap way through unrelated speech too, so the unit is warped
// against its neighbours alike and the costs compared. `own` is the unit's
// distance on its stretch, for comparing units of one text.
struct UnitFit {
    float match;
    float own;
};

constexpr float Undecided = 0.1f;

// The nearest stretches first, either side; a unit at an end of the
// recording takes as many from the one side there is. Fewer neighbours, or
// only the nearer ones, would rate the first and last units apart from the rest.
constexpr int NeighbourOrder[] = {-1, 1, -2, 2, -3, 3, -4, 4};
constexpr int Neighbours = 3;

UnitFit unitMatch(const Features &synth, const Features &recording, const WarpPath &path, int a,
                  int b)
{
    const int columns = recording.frames();
    const int from = path.firstColumn[std::size_t(a)];
    const int to = std::max(from + 1, path.lastColumn[std::size_t(b - 1)] + 1);
    const int length = to - from;
    const int step = std::max(25, length);
    const Features unit = sliced(synth, a, b);
    const float own = warpedDistance(unit, sliced(recording, from, to));
    double others = 0.0;
    int count = 0;
    for (int k : NeighbourOrder) {
        const int at = from + k * step;
        if (count == Neighbours || at < 0 || at + length > columns)
            continue;
        others += warpedDistance(unit, sliced(recording, at, at + length));
        ++count;
    }
    // A recording no longer than the unit leaves nothing to compare with:
    // neither a good match nor a bad one.
    if (count == 0 || others <= 0.0)
        return {Undecided, own};
    return {float(std::clamp(1.0 - own / (others / count), 0.0, 1.0)), own};
}

float middleOf(std::vector<float> values)
{
    if (values.empty())
        return 0.0f;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Where the coarse pass may look. Everywhere when affordable; else around
// the path of a coarser pass that does look everywhere, made as coarse as
// that takes. A band around the diagonal would assume the text and the
// recording run alike from start to end, and a text that goes on past the
// recording (or starts before it) leaves that band within a minute or two.
WarpBand coarseSearch(const Features &a, const Features &b, const AlignParams &params, double hop)
{
    const long long everywhere = (long long)a.frames() * b.frames();
    if (everywhere <= params.fullBandCells)
        return fullBand(a.frames(), b.frames());
    const int margin = int(std::lround(params.margin / hop));
    const int factor = int(std::ceil(std::sqrt(double(everywhere) / double(params.fullBandCells))));
    const Features coarsestA = coarsened(a, factor);
    const Features coarsestB = coarsened(b, factor);
    const float skip = unrelatedDistance(coarsestA, coarsestB) * params.skipShare;
    const WarpPath coarsest =
        warp(coarsestA, coarsestB, fullBand(coarsestA.frames(), coarsestB.frames()), skip);
    if (!coarsest.found)
        return diagonalBand(a.frames(), b.frames(), margin);
    return bandAround(coarsest, factor, a.frames(), b.frames(), margin);
}

} // namespace

double carryOver(double synthSeconds, const std::vector<int> &firstColumn, double hop)
{
    if (firstColumn.empty())
        return 0.0;
    const int rows = int(firstColumn.size());
    const double exact = synthSeconds / hop;
    const int row = std::clamp(int(std::floor(exact)), 0, rows - 1);
    const int next = std::min(rows - 1, row + 1);
    // Between two rows, in proportion, so a boundary is not stuck to the hop.
    const double frac = std::clamp(exact - row, 0.0, 1.0);
    return (firstColumn[std::size_t(row)] * (1.0 - frac) + firstColumn[std::size_t(next)] * frac)
           * hop;
}

double snapStart(double t, const std::vector<SpeechPiece> &pieces, double reach)
{
    // In a pause: the sentence starts with the sound after it.
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (pieces[k].start > t) {
            if (k == 0 || pieces[k - 1].end <= t)
                return pieces[k].start;
            break;
        }
    }
    double best = t;
    double bestDistance = reach;
    for (const SpeechPiece &p : pieces) {
        if (p.start > t + reach)
            break;
        const double d = std::abs(p.start - t);
        if (d <= bestDistance) {
            best = p.start;
            bestDistance = d;
        }
    }
    return best;
}

double snapEnd(double t, const std::vector<SpeechPiece> &pieces, double reach)
{
    // In a pause: the sentence ends with the sound before it.
    for (std::size_t k = pieces.size(); k-- > 0;) {
        if (pieces[k].end < t) {
            if (k + 1 == pieces.size() || pieces[k + 1].start >= t)
                return pieces[k].end;
            break;
        }
    }
    double best = t;
    double bestDistance = reach;
    for (const SpeechPiece &p : pieces) {
        if (p.end - reach > t)
            break;
        const double d = std::abs(p.end - t);
        if (d < bestDistance) {
            best = p.end;
            bestDistance = d;
        }
    }
    return best;
}

QList<AlignedSentence> splitLong(const AlignedSentence &sentence,
                                 const std::vector<SpeechPiece> &pieces, double longest)
{
    if (sentence.end - sentence.start <= longest || sentence.words.size() < 2)
        return {sentence};
    // At the clause punctuation nearest the middle of the text, when the
    // words let it be timed.
    const qsizetype at = clauseSplitNearMiddle(sentence.text);
    int wordAfter = -1;
    if (at > 0) {
        for (int k = 1; k < sentence.words.size(); ++k) {
            if (sentence.words[k].position >= at) {
                wordAfter = k;
                break;
            }
        }
    }
    if (wordAfter < 0) {
        // Else at the longest pause between two words.
        double longestGap = -1.0;
        for (int k = 1; k < sentence.words.size(); ++k) {
            const double a = sentence.words[k - 1].start;
            const double b = sentence.words[k].start;
            double gap = 0.0;
            for (std::size_t p = 1; p < pieces.size(); ++p) {
                const double pauseStart = pieces[p - 1].end;
                const double pauseEnd = pieces[p].start;
                if (pauseEnd > a && pauseStart < b + 0.1)
                    gap = std::max(gap, std::min(pauseEnd, b + 0.1) - std::max(pauseStart, a));
            }
            // Nearer the middle wins among equal pauses.
            const double middle = std::abs(k - sentence.words.size() / 2.0) * 1e-3;
            if (gap - middle > longestGap) {
                longestGap = gap - middle;
                wordAfter = k;
            }
        }
    }
    if (wordAfter <= 0)
        return {sentence};
    const AlignedWord &after = sentence.words[wordAfter];
    const AlignedWord &before = sentence.words[wordAfter - 1];
    // The cut lies in the pause nearest the second word's start, when one is near.
    double cut = after.start;
    double nearest = 0.5;
    for (std::size_t p = 1; p < pieces.size(); ++p) {
        const double middle = (pieces[p - 1].end + pieces[p].start) / 2;
        if (std::abs(middle - after.start) < nearest && middle > before.start) {
            nearest = std::abs(middle - after.start);
            cut = middle;
        }
    }
    if (cut <= sentence.start || cut >= sentence.end)
        return {sentence};
    const qsizetype splitAt =
        at > 0 && sentence.words[wordAfter].position >= at ? at : after.position;
    QList<AlignedSentence> out =
        splitLong(withWordsIn(sentence, 0, splitAt, sentence.start, cut), pieces, longest);
    out.append(splitLong(withWordsIn(sentence, splitAt, sentence.text.size(), cut, sentence.end),
                         pieces, longest));
    return out;
}

QList<AlignedSentence> fillFromPauses(QList<AlignedSentence> aligned,
                                      const QList<Sentence> &pauseSentences)
{
    QList<AlignedSentence> out = aligned;
    for (const Sentence &p : pauseSentences) {
        double overlap = 0.0;
        for (const AlignedSentence &a : aligned)
            overlap += std::max(0.0, std::min(a.end, p.end) - std::max(a.start, p.start));
        if (overlap > 0.2 * (p.end - p.start))
            continue;
        AlignedSentence s;
        s.start = p.start;
        s.end = p.end;
        // Clipped where a sentence from the text reaches into it.
        for (const AlignedSentence &a : aligned) {
            if (a.end > s.start && a.start <= s.start)
                s.start = a.end;
            if (a.start < s.end && a.end >= s.end)
                s.end = a.start;
        }
        if (s.end - s.start > 0.2)
            out.append(s);
    }
    std::sort(out.begin(), out.end(),
              [](const AlignedSentence &a, const AlignedSentence &b) { return a.start < b.start; });
    return out;
}

Alignment alignText(const QList<TextUnit> &units, const SynthResult &synth,
                    const Features &synthFeatures, const Features &recording,
                    const std::vector<SpeechPiece> &pieces, const QList<Sentence> &pauseSentences,
                    double duration, const AlignParams &params)
{
    Alignment result;
    const double hop = params.features.hopSeconds;
    const int rows = synthFeatures.frames();
    const int columns = recording.frames();
    if (rows == 0 || columns == 0 || units.size() != synth.units.size()) {
        result.refused = true;
        for (const Sentence &p : pauseSentences)
            result.sentences.append({p.start, p.end, {}, false, false, 0.0f, -1, {}});
        return result;
    }

    // A coarse pass finds the way; a fine one follows it closely.
    const int factor = std::max(1, params.coarseFactor);
    const Features coarseA = coarsened(synthFeatures, factor);
    const Features coarseB = coarsened(recording, factor);
    const float unrelated = unrelatedDistance(synthFeatures, recording);
    const float skip = unrelated * params.skipShare;
    const WarpBand coarseBand = coarseSearch(coarseA, coarseB, params, hop * factor);
    const WarpPath coarse = warp(coarseA, coarseB, coarseBand, skip);
    WarpPath path;
    if (coarse.found)
        path = warp(
            synthFeatures, recording,
            bandAround(coarse, factor, rows, columns, int(std::lround(params.fineRadius / hop))),
            skip);
    if (!path.found) {
        result.refused = true;
        for (const Sentence &p : pauseSentences)
            result.sentences.append({p.start, p.end, {}, false, false, 0.0f, -1, {}});
        return result;
    }

    const auto at = [&](double t) { return carryOver(t, path.firstColumn, hop); };
    QList<AlignedSentence> aligned;
    double matchedSound = 0.0;
    double allSound = 0.0;
    std::vector<float> matches;
    std::vector<float> owns;
    for (qsizetype u = 0; u < units.size(); ++u) {
        const SynthUnit &su = synth.units[u];
        const int a = std::clamp(int(su.soundStart / hop), 0, rows - 1);
        const int b = std::clamp(int(std::ceil(su.soundEnd / hop)), a + 1, rows);
        const UnitFit fit = unitMatch(synthFeatures, recording, path, a, b);
        const float match = fit.match;
        const double start = at(su.soundStart);
        const double end = at(su.soundEnd);
        const double synthLength = su.soundEnd - su.soundStart;
        allSound += synthLength;
        // A unit squeezed to a fraction of its synthesized length was not
        // spoken; one stretched far beyond it covers speech that is not its.
        const double stretch = synthLength > 0 ? (end - start) / synthLength : 0.0;
        const bool spoken = stretch >= params.shortestStretch && stretch <= params.longestStretch
                            && match >= params.dropBelow;
        matches.push_back(match);
        owns.push_back(fit.own);
        if (!spoken) {
            ++result.unitsDropped;
            continue;
        }
        matchedSound += synthLength;
        AlignedSentence s;
        s.start = start;
        s.end = end;
        s.text = units[u].text;
        s.fromText = true;
        s.match = match;
        s.unit = int(u);
        for (qsizetype w = 0; w < su.words.size(); ++w) {
            const SynthWord &sw = su.words[w];
            const double wordEnd = w + 1 < su.words.size() ? su.words[w + 1].start : su.soundEnd;
            s.words.append({sw.position, sw.length, at(sw.start), at(wordEnd)});
        }
        aligned.append(s);
    }

    const float typical = middleOf(matches);
    if (allSound <= 0 || matchedSound < params.refuseShare * allSound
        || typical < params.refuseBelow) {
        result.refused = true;
        result.unitsDropped = int(units.size());
        for (const Sentence &p : pauseSentences)
            result.sentences.append({p.start, p.end, {}, false, false, 0.0f, -1, {}});
        return result;
    }

    // Weak against the text's own typical match, so a noisy recording does
    // not mark every sentence; a short unit warps cheaply onto any speech,
    // so one far costlier on its stretch than the text's units usually are
    // is marked too.
    const float poorBelow = std::min(params.poorBelow, params.poorShare * typical);
    const float typicalOwn = middleOf(owns);
    for (AlignedSentence &s : aligned) {
        s.poor =
            s.match < poorBelow || owns[std::size_t(s.unit)] > params.poorCostAbove * typicalOwn;
    }

    // Boundaries into the pauses, then padded as sentences from pauses are,
    // meeting halfway where the pads overlap.
    for (AlignedSentence &s : aligned) {
        s.start = std::max(0.0, snapStart(s.start, pieces, params.snap) - params.padBefore);
        s.end = std::min(duration, snapEnd(s.end, pieces, params.snap) + params.padAfter);
        if (s.end <= s.start)
            s.end = std::min(duration, s.start + 0.1);
    }
    for (qsizetype k = 1; k < aligned.size(); ++k) {
        AlignedSentence &prev = aligned[k - 1];
        AlignedSentence &s = aligned[k];
        if (s.start < prev.end) {
            const double middle = (s.start + prev.end) / 2;
            prev.end = std::max(prev.start, middle);
            s.start = std::min(s.end, middle);
        }
    }
    QList<AlignedSentence> sized;
    for (const AlignedSentence &s : aligned)
        sized.append(splitLong(s, pieces, params.longest));
    result.unitsUsed = int(aligned.size());
    result.sentences = fillFromPauses(sized, pauseSentences);
    return result;
}
