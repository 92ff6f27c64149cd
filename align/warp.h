#pragma once

#include "align/features.h"

#include <vector>

// Dynamic time warping of two feature sequences, a (the synthesized speech,
// rows) against b (the recording, columns), inside a band: row i may only
// match columns [first[i], last[i]). Both bounds never go down from row to
// row, and each row's range meets the one before it, so a path always exists.
struct WarpBand {
    std::vector<int> first;
    std::vector<int> last;

    long long cells() const;
};

// The band of every column: affordable only for short sequences.
WarpBand fullBand(int rows, int columns);
// The band around the straight line from the first cells to the last, margin
// columns either side.
WarpBand diagonalBand(int rows, int columns, int margin);
// The band of a fine pass: the cells of a coarse path, scaled by factor (a
// coarse frame is factor fine ones), widened by radius columns either side.
struct WarpPath;
WarpBand bandAround(const WarpPath &coarse, int factor, int rows, int columns, int radius);

// The path found: for each row of a, the columns of b it matched, in order,
// and the distance of each row's first match. The path may start and end
// anywhere in b (what b holds before and after a is skipped), so a text that
// covers only part of a recording still finds its part; and it may leave out
// the start or the end of a, so a recording that holds only part of the text
// does too. Rows left out keep the one column where the path starts or ends.
struct WarpPath {
    std::vector<int> firstColumn; // per row
    std::vector<int> lastColumn;  // per row
    std::vector<float> distance;  // per row, summed over its columns
    bool found = false;
};

// skipCost is what each frame of a or b the path leaves out before its start
// or after its end costs: near what matching an unrelated frame costs, so a text
// is not squeezed into a corner of the recording to avoid matching the rest,
// yet a text that covers only part of it leaves the rest out.
WarpPath warp(const Features &a, const Features &b, const WarpBand &band, float skipCost);

// The mean distance between frames of a and b taken at random, a measure of
// what an unrelated match costs.
float unrelatedDistance(const Features &a, const Features &b);

// The Euclidean distance of two frames.
float frameDistance(const float *x, const float *y, int width);
