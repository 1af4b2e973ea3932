#pragma once

namespace tessaron {

// Normal: any piece may be put on any place, the two exchange. Difficult: a sliding
// puzzle around the black empty place, which starts bottom right.
enum class PuzzleStyle { Normal, Difficult };

}  // namespace tessaron
