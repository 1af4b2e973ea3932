#pragma once
// A preview of a picture many times larger than its box is first read at a reduced size:
// one row in every `step`, each averaged over `step` columns at a time. Skipping rows is
// what saves the reading, the decoding into memory and the memory itself; averaging the
// columns of a row that is read anyway keeps fine vertical detail from turning into
// stripes. The reduced picture, still a few times the box, is then scaled smoothly to it
// like any other preview. A picture fitted to a size it chooses can have each row read
// averaged straight to that size's width instead: only the rows are then left for the
// smooth scaling, and the reduced picture is several times smaller.

#include "core/platform/surface.h"

#include <cstdint>

namespace tessaron {

struct ReducedRows {
    std::int32_t step = 1;     // 1: every row and column as it is
    std::int32_t columns = 0;  // when set, each row read is averaged to this many columns

    // The reduced picture's width, for a picture `width` wide.
    std::int32_t reducedWidth(std::int32_t width) const { return columns > 0 && columns < width ? columns : reduced(width); }

    // The largest step that leaves a `width` x `height` picture at least four times the
    // `boxWidth` x `boxHeight` it is to be scaled to, each way; 1 when none does.
    static ReducedRows toCover(std::int32_t width, std::int32_t height, std::int32_t boxWidth,
        std::int32_t boxHeight);

    std::int32_t reduced(std::int32_t length) const { return (length + step - 1) / step; }

    // The row of a picture `height` rows high that is read for reduced row `row`: the
    // middle one of the rows it stands for.
    std::int32_t sourceRow(std::int32_t row, std::int32_t height) const;

    // Whether row `y` of the picture is one that is read.
    bool reads(std::int32_t y, std::int32_t height) const { return sourceRow(y / step, height) == y; }

    // The reduced row of the `width` pixels at `row`, opaque: reducedWidth(width) averages,
    // of `step` pixels each, or with `columns` the exact mean of the pixels or parts of
    // pixels under each column.
    void averageRow(const Pixel* row, std::int32_t width, Pixel* out) const;
};

}  // namespace tessaron
