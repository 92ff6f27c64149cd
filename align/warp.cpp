#include "align/warp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr float Unreached = std::numeric_limits<float>::infinity();

enum Step : std::uint8_t { Start, Diagonal, Down, Across };

// Makes the bounds non-decreasing and each row meet the one before.
void repair(WarpBand &band, int columns)
{
    const std::size_t rows = band.first.size();
    for (std::size_t i = 0; i < rows; ++i) {
        band.first[i] = std::clamp(band.first[i], 0, columns - 1);
        band.last[i] = std::clamp(band.last[i], band.first[i] + 1, columns);
        if (i > 0) {
            band.last[i] = std::max(band.last[i], band.last[i - 1]);
            band.first[i] = std::max(band.first[i], band.first[i - 1]);
        }
    }
    for (std::size_t i = rows; i-- > 1;) {
        band.first[i - 1] = std::min(band.first[i - 1], band.first[i]);
        // Row i must be reachable from row i - 1.
        if (band.first[i] > band.last[i - 1])
            band.last[i - 1] = band.first[i];
    }
}

} // namespace

long long WarpBand::cells() const
{
    long long sum = 0;
    for (std::size_t i = 0; i < first.size(); ++i)
        sum += last[i] - first[i];
    return sum;
}

WarpBand fullBand(int rows, int columns)
{
    WarpBand band;
    band.first.assign(std::size_t(rows), 0);
    band.last.assign(std::size_t(rows), columns);
    return band;
}

WarpBand diagonalBand(int rows, int columns, int margin)
{
    WarpBand band;
    band.first.resize(std::size_t(rows));
    band.last.resize(std::size_t(rows));
    const double slope = rows > 1 ? double(columns - 1) / (rows - 1) : 0.0;
    for (int i = 0; i < rows; ++i) {
        const int centre = int(std::lround(i * slope));
        band.first[std::size_t(i)] = centre - margin;
        band.last[std::size_t(i)] = centre + margin + 1;
    }
    if (rows > 0 && columns > 0)
        repair(band, columns);
    return band;
}

WarpBand bandAround(const WarpPath &coarse, int factor, int rows, int columns, int radius)
{
    WarpBand band;
    band.first.resize(std::size_t(rows));
    band.last.resize(std::size_t(rows));
    const int coarseRows = int(coarse.firstColumn.size());
    for (int i = 0; i < rows; ++i) {
        const int c = std::min(coarseRows - 1, i / factor);
        // The neighbouring coarse rows too, as the path turns inside a coarse cell.
        const int before = std::max(0, c - 1);
        const int after = std::min(coarseRows - 1, c + 1);
        band.first[std::size_t(i)] = coarse.firstColumn[std::size_t(before)] * factor - radius;
        band.last[std::size_t(i)] = (coarse.lastColumn[std::size_t(after)] + 1) * factor + radius;
    }
    if (rows > 0 && columns > 0)
        repair(band, columns);
    return band;
}

float frameDistance(const float *x, const float *y, int width)
{
    float sum = 0.0f;
    for (int c = 0; c < width; ++c) {
        const float d = x[c] - y[c];
        sum += d * d;
    }
    return std::sqrt(sum);
}

float unrelatedDistance(const Features &a, const Features &b)
{
    const int n = a.frames();
    const int m = b.frames();
    if (n == 0 || m == 0)
        return 0.0f;
    // A fixed sequence, so the same input always aligns the same.
    std::uint64_t state = 0x9e3779b97f4a7c15ULL;
    const auto next = [&state](int bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((state >> 33) % std::uint64_t(bound));
    };
    double sum = 0.0;
    constexpr int Samples = 4000;
    for (int k = 0; k < Samples; ++k)
        sum += frameDistance(a.frame(next(n)), b.frame(next(m)), a.width);
    return float(sum / Samples);
}

WarpPath warp(const Features &a, const Features &b, const WarpBand &band, float skipCost)
{
    WarpPath path;
    const int rows = a.frames();
    const int columns = b.frames();
    if (rows == 0 || columns == 0 || int(band.first.size()) != rows)
        return path;
    const int width = a.width;

    // One step per cell, row after row; the costs need only two rows.
    std::vector<std::size_t> offset(std::size_t(rows) + 1, 0);
    for (int i = 0; i < rows; ++i)
        offset[std::size_t(i) + 1] =
            offset[std::size_t(i)]
            + std::size_t(band.last[std::size_t(i)] - band.first[std::size_t(i)]);
    std::vector<std::uint8_t> steps(offset.back());
    std::vector<float> previous;
    std::vector<float> current;
    int previousFirst = 0;
    int previousLast = 0;
    float bestEarlyEnd = Unreached;
    int earlyEndRow = -1;
    for (int i = 0; i < rows; ++i) {
        const int first = band.first[std::size_t(i)];
        const int last = band.last[std::size_t(i)];
        current.assign(std::size_t(last - first), Unreached);
        std::uint8_t *rowSteps = steps.data() + offset[std::size_t(i)];
        const float *x = a.frame(i);
        for (int j = first; j < last; ++j) {
            const float d = frameDistance(x, b.frame(j), width);
            float best = Unreached;
            std::uint8_t step = Start;
            // The path may start at any column of the first row, or at any row
            // of the first column: the text may begin before the recording does.
            if (i == 0 || j == 0) {
                best = float(i + j) * skipCost;
            }
            if (i > 0) {
                if (j - 1 >= previousFirst && j - 1 < previousLast
                    && previous[std::size_t(j - 1 - previousFirst)] < best) {
                    best = previous[std::size_t(j - 1 - previousFirst)];
                    step = Diagonal;
                }
                if (j >= previousFirst && j < previousLast
                    && previous[std::size_t(j - previousFirst)] < best) {
                    best = previous[std::size_t(j - previousFirst)];
                    step = Down;
                }
            }
            if (j > first && current[std::size_t(j - 1 - first)] < best) {
                best = current[std::size_t(j - 1 - first)];
                step = Across;
            }
            current[std::size_t(j - first)] = best == Unreached ? Unreached : best + d;
            rowSteps[j - first] = step;
        }
        // The path may end in the last column before the last row: the rest of
        // the text goes on past the recording.
        if (last == columns && i + 1 < rows) {
            const float total =
                current[std::size_t(columns - 1 - first)] + float(rows - 1 - i) * skipCost;
            if (total < bestEarlyEnd) {
                bestEarlyEnd = total;
                earlyEndRow = i;
            }
        }
        std::swap(previous, current);
        previousFirst = first;
        previousLast = last;
    }

    // The path may end at any column of the last row.
    int end = -1;
    float bestEnd = Unreached;
    for (int j = previousFirst; j < previousLast; ++j) {
        const float total =
            previous[std::size_t(j - previousFirst)] + float(columns - 1 - j) * skipCost;
        if (total < bestEnd) {
            bestEnd = total;
            end = j;
        }
    }
    int i = rows - 1;
    if (earlyEndRow >= 0 && bestEarlyEnd < bestEnd) {
        i = earlyEndRow;
        end = columns - 1;
    }
    if (end < 0)
        return path;

    // Rows the path leaves out keep the column where it ends or starts: none
    // of the recording.
    path.firstColumn.assign(std::size_t(rows), end);
    path.lastColumn.assign(std::size_t(rows), end);
    path.distance.assign(std::size_t(rows), 0.0f);
    int j = end;
    path.lastColumn[std::size_t(i)] = j;
    while (true) {
        path.firstColumn[std::size_t(i)] = j;
        const std::uint8_t step =
            steps[offset[std::size_t(i)] + std::size_t(j - band.first[std::size_t(i)])];
        if (step == Start) {
            for (int r = 0; r < i; ++r) {
                path.firstColumn[std::size_t(r)] = j;
                path.lastColumn[std::size_t(r)] = j;
            }
            break;
        }
        if (step == Across) {
            --j;
            continue;
        }
        if (step == Diagonal)
            --j;
        --i;
        path.lastColumn[std::size_t(i)] = j;
    }
    for (int r = 0; r < rows; ++r) {
        const int from = path.firstColumn[std::size_t(r)];
        const int to = std::max(from, path.lastColumn[std::size_t(r)]);
        float sum = 0.0f;
        for (int c = from; c <= to; ++c)
            sum += frameDistance(a.frame(r), b.frame(c), width);
        path.distance[std::size_t(r)] = sum;
    }
    path.found = true;
    return path;
}
