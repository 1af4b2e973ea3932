#include "core/board/slide_search.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tessaron {

namespace {

// Six pieces a group: a 4 x 4 board's two large tables are 16!/10! = 5,765,760 bytes
// each. Seven would be ten times that, past what a game should hold for a hint.
constexpr std::int32_t kGroupLimit = 6;
// Bump when the tables' meaning or layout changes: a kept file of another version is
// stale and is built again.
constexpr std::uint32_t kTableVersion = 4;
constexpr char kMagic[8] = {'T', 'E', 'S', 'S', 'L', 'I', 'D', 'E'};

// How many of 16 bits are set, without a library call on baseline x86-64.
inline std::uint32_t bitCount16(std::uint32_t x)
{
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return (x + (x >> 8)) & 0x1Fu;
}

struct Shape {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::vector<std::vector<std::int8_t>> groups;  // pieces, 0-based (= their home place)
    std::vector<std::int8_t> partitionOf;           // which split of the pieces each group belongs to

    std::int32_t places() const { return columns * rows; }
    std::int32_t partitions() const { return partitionOf.empty() ? 0 : partitionOf.back() + 1; }
    // Groups are cut along the longer side, so that each holds a compact block of homes:
    // 2 x 3 blocks on a 2 x 8 board, two blocks of 2 x 3 and a column on a 4 x 4 one.
    // Two places wide, a long board is weak on pieces that meet across a cut, so it is
    // also cut a second way, half a group along, and the search takes the larger sum.
    static Shape of(std::int32_t columns, std::int32_t rows)
    {
        Shape shape{columns, rows, {}, {}};
        std::vector<std::int8_t> order;
        const std::int32_t last = columns * rows - 1;
        if (columns == 4 && rows == 4) {
            order = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15};
        } else if (columns > rows) {
            for (std::int32_t x = 0; x < columns; ++x)
                for (std::int32_t y = 0; y < rows; ++y)
                    order.push_back(static_cast<std::int8_t>(y * columns + x));
        } else {
            for (std::int32_t p = 0; p <= last; ++p)
                order.push_back(static_cast<std::int8_t>(p));
        }
        order.erase(std::find(order.begin(), order.end(), last));
        const bool twoWays = std::min(columns, rows) == 2 && columns * rows > 12;
        for (const std::size_t offset : twoWays ? std::vector<std::size_t>{0, kGroupLimit / 2} : std::vector<std::size_t>{0}) {
            for (std::size_t i = 0; i < order.size();) {
                const std::size_t end = std::min(order.size(), i == 0 && offset ? offset : i + kGroupLimit);
                shape.groups.emplace_back(order.begin() + static_cast<std::ptrdiff_t>(i), order.begin() + static_cast<std::ptrdiff_t>(end));
                shape.partitionOf.push_back(static_cast<std::int8_t>(offset ? 1 : 0));
                i = end;
            }
        }
        return shape;
    }
    std::size_t tableSize(std::size_t group) const
    {
        std::size_t size = 1;
        for (std::size_t i = 0; i < groups[group].size(); ++i)
            size *= static_cast<std::size_t>(places()) - i;
        return size;
    }
};

// The places beside each place, -1 past the last.
using Neighbours = std::array<std::array<std::int8_t, 5>, 16>;

Neighbours neighboursOf(std::int32_t columns, std::int32_t rows)
{
    Neighbours result{};
    for (std::int32_t p = 0; p < columns * rows; ++p) {
        const std::int32_t x = p % columns;
        const std::int32_t y = p / columns;
        std::size_t k = 0;
        auto& list = result[static_cast<std::size_t>(p)];
        list.fill(-1);
        if (y > 0)
            list[k++] = static_cast<std::int8_t>(p - columns);
        if (x > 0)
            list[k++] = static_cast<std::int8_t>(p - 1);
        if (x + 1 < columns)
            list[k++] = static_cast<std::int8_t>(p + 1);
        if (y + 1 < rows)
            list[k++] = static_cast<std::int8_t>(p + columns);
    }
    return result;
}

// A group's table is indexed by its pieces' places packed four bits each, the first piece
// lowest: a slide changes the index by one addition. Two entries a byte, each the number
// of detours the group needs beyond its pieces' Manhattan distance: every move of a piece
// changes that distance by one, so the fewest moves are the distance plus twice the
// detours. Detours beyond 14 are stored as 14 (still a lower bound); 15 marks a place
// not reached while building.
constexpr std::uint8_t kNotReached = 15;
constexpr std::int32_t kMostDetours = 14;

std::size_t tableBytes(std::size_t pieces) { return (std::size_t{1} << (4 * pieces)) / 2; }

inline std::int32_t detoursAt(const std::vector<std::uint8_t>& table, std::uint32_t index)
{
    return (table[index >> 1] >> ((index & 1) * 4)) & 15;
}

std::int32_t manhattan(std::int32_t columns, std::int32_t piece, std::int32_t place)
{
    return std::abs(piece % columns - place % columns) + std::abs(piece / columns - place / columns);
}

// Where a group's pieces lie, as a dense number: the places taken in turn, each counted
// among the places not yet taken. Only the build uses it, for its marks of states seen.
std::uint32_t rankOf(std::uint32_t index, std::size_t count, std::int32_t n)
{
    std::uint32_t used = 0;
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = (index >> (4 * i)) & 15u;
        rank = rank * static_cast<std::uint32_t>(n - static_cast<std::int32_t>(i)) + p - bitCount16(used & ((1u << p) - 1));
        used |= 1u << p;
    }
    return rank;
}

// Breadth-first from the group at home with the empty place at its own. A move takes one
// of the group's pieces into the empty place beside it; the empty place travels among
// the other pieces for nothing, so a state is the group's places and the stretch of free
// places the empty place can reach, named by its first place. A piece walled in by its
// own group must wait for the empty place to come round, which a table that let pieces
// move into any free place would not count: on the 15-puzzle that makes the search
// several times shorter.
// Nothing when `stop` turns true first: a build takes seconds, and a game closing or
// moving on to another puzzle must not wait for it.
std::optional<std::vector<std::uint8_t>> buildTable(const Shape& shape, std::size_t group, const std::atomic<bool>* stop)
{
    const auto& pieces = shape.groups[group];
    const std::size_t k = pieces.size();
    const std::int32_t n = shape.places();
    const Neighbours beside = neighboursOf(shape.columns, shape.rows);
    std::array<std::uint32_t, 16> besideMask{};
    for (std::int32_t p = 0; p < n; ++p)
        for (const std::int8_t q : beside[static_cast<std::size_t>(p)])
            if (q >= 0)
                besideMask[static_cast<std::size_t>(p)] |= 1u << q;
    const std::uint32_t everywhere = (1u << n) - 1;
    // The free places the empty place reaches from `start`; their lowest names them.
    const auto stretch = [&](std::int32_t start, std::uint32_t taken) {
        std::uint32_t reached = 1u << start;
        for (std::uint32_t edge = reached; edge;) {
            std::uint32_t grown = 0;
            for (std::uint32_t e = edge; e; e &= e - 1)
                grown |= besideMask[static_cast<std::size_t>(__builtin_ctz(e))];
            edge = grown & ~taken & ~reached & everywhere;
            reached |= edge;
        }
        return reached;
    };
    std::vector<std::uint8_t> table(tableBytes(k), 0xFF);
    const auto reach = [&table](std::uint32_t index, std::int32_t detours) {
        table[index >> 1] = static_cast<std::uint8_t>(
            (table[index >> 1] & ~(15u << ((index & 1) * 4))) | static_cast<std::uint32_t>(detours) << ((index & 1) * 4));
    };
    std::vector<std::uint64_t> seen((shape.tableSize(group) * 16 + 63) / 64, 0);
    const auto firstSight = [&](std::uint32_t index, std::int32_t empty) {
        const std::size_t bit = static_cast<std::size_t>(rankOf(index, k, n)) * 16 + static_cast<std::size_t>(empty);
        const std::uint64_t mask = std::uint64_t{1} << (bit & 63);
        if (seen[bit >> 6] & mask)
            return false;
        seen[bit >> 6] |= mask;
        return true;
    };
    // A state: the index in the low bits, the stretch's first place in the top four.
    std::vector<std::uint32_t> level;
    std::vector<std::uint32_t> next;
    std::uint32_t start = 0;
    std::uint32_t taken = 0;
    for (std::size_t i = 0; i < k; ++i) {
        start |= static_cast<std::uint32_t>(pieces[i]) << (4 * i);
        taken |= 1u << pieces[i];
    }
    const auto startEmpty = static_cast<std::int32_t>(__builtin_ctz(stretch(n - 1, taken)));
    firstSight(start, startEmpty);
    reach(start, 0);
    level.push_back(start | static_cast<std::uint32_t>(startEmpty) << 28);
    for (std::int32_t depth = 1; !level.empty(); ++depth) {
        next.clear();
        for (std::size_t head = 0; head < level.size(); ++head) {
            if ((head & 0xFFFF) == 0 && stop && stop->load(std::memory_order_relaxed))
                return std::nullopt;
            const std::uint32_t state = level[head];
            const std::uint32_t index = state & 0x0FFFFFFFu;
            std::uint32_t places = 0;
            std::int32_t distance = 0;
            for (std::size_t i = 0; i < k; ++i) {
                const auto at = static_cast<std::int32_t>((index >> (4 * i)) & 15u);
                places |= 1u << at;
                distance += manhattan(shape.columns, pieces[i], at);
            }
            const std::uint32_t free = stretch(static_cast<std::int32_t>(state >> 28), places);
            for (std::size_t i = 0; i < k; ++i) {
                const auto from = static_cast<std::int32_t>((index >> (4 * i)) & 15u);
                for (std::uint32_t into = besideMask[static_cast<std::size_t>(from)] & free; into; into &= into - 1) {
                    const auto to = static_cast<std::int32_t>(__builtin_ctz(into));
                    const std::uint32_t moved = index - (static_cast<std::uint32_t>(from) << (4 * i)) + (static_cast<std::uint32_t>(to) << (4 * i));
                    const std::uint32_t movedPlaces = places - (1u << from) + (1u << to);
                    const auto empty = static_cast<std::int32_t>(__builtin_ctz(stretch(from, movedPlaces)));
                    if (!firstSight(moved, empty))
                        continue;
                    if (detoursAt(table, moved) == kNotReached) {
                        const std::int32_t movedDistance = distance - manhattan(shape.columns, pieces[i], from) + manhattan(shape.columns, pieces[i], to);
                        reach(moved, std::min(kMostDetours, (depth - movedDistance) / 2));
                    }
                    next.push_back(moved | static_cast<std::uint32_t>(empty) << 28);
                }
            }
        }
        level.swap(next);
    }
    return table;
}

struct SlideTables {
    Shape shape;
    std::vector<std::vector<std::uint8_t>> tables;

    std::size_t bytes() const
    {
        std::size_t total = 0;
        for (const auto& t : tables)
            total += t.size();
        return total;
    }
};

// ---- Keeping tables between runs -----------------------------------------------------

std::uint64_t checksum(const char* data, std::size_t size, std::uint64_t hash = 14695981039346656037ull)
{
    // FNV-1a: a flipped bit or a cut file changes it; this guards against damage, not
    // against someone forging a table.
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    return hash;
}

// The header says what the file holds, so that a file for another shape, grouping or
// version is never read as this one's.
std::string headerFor(const Shape& shape)
{
    std::string header(kMagic, sizeof kMagic);
    const auto put = [&header](std::uint64_t value, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i)
            header.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(kTableVersion, 4);
    put(static_cast<std::uint64_t>(shape.columns), 2);
    put(static_cast<std::uint64_t>(shape.rows), 2);
    put(shape.groups.size(), 2);
    for (std::size_t g = 0; g < shape.groups.size(); ++g) {
        put(static_cast<std::uint64_t>(shape.partitionOf[g]), 1);
        put(shape.groups[g].size(), 1);
        for (const std::int8_t piece : shape.groups[g])
            put(static_cast<std::uint64_t>(piece), 1);
        put(tableBytes(shape.groups[g].size()), 8);
    }
    return header;
}

std::filesystem::path cacheFile(const Shape& shape)
{
    return slideTableFolder() / ("slides-" + std::to_string(shape.columns) + "x" + std::to_string(shape.rows) + ".tables");
}

std::optional<SlideTables> readKept(const Shape& shape)
{
    std::ifstream in(cacheFile(shape), std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string header = headerFor(shape);
    std::string got(header.size(), '\0');
    if (!in.read(got.data(), static_cast<std::streamsize>(got.size())) || got != header)
        return std::nullopt;
    std::uint64_t sum = checksum(header.data(), header.size());
    SlideTables kept{shape, {}};
    for (std::size_t g = 0; g < shape.groups.size(); ++g) {
        std::vector<std::uint8_t> table(tableBytes(shape.groups[g].size()));
        if (!in.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(table.size())))
            return std::nullopt;
        sum = checksum(reinterpret_cast<const char*>(table.data()), table.size(), sum);
        kept.tables.push_back(std::move(table));
    }
    std::uint64_t stored = 0;
    if (!in.read(reinterpret_cast<char*>(&stored), sizeof stored) || stored != sum || in.peek() != EOF)
        return std::nullopt;
    return kept;
}

// Written aside and renamed into place, so that a reader never meets half a file; a
// failure only costs the next run the build.
void keep(const SlideTables& tables)
{
    std::error_code error;
    const std::filesystem::path file = cacheFile(tables.shape);
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        return;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temporary = file;
    temporary += ".part-" + std::to_string(stamp);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string header = headerFor(tables.shape);
        std::uint64_t sum = checksum(header.data(), header.size());
        out.write(header.data(), static_cast<std::streamsize>(header.size()));
        for (const auto& table : tables.tables) {
            out.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
            sum = checksum(reinterpret_cast<const char*>(table.data()), table.size(), sum);
        }
        out.write(reinterpret_cast<const char*>(&sum), sizeof sum);
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return;
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error)
        std::filesystem::remove(temporary, error);
}

std::mutex tablesMutex;
std::shared_ptr<const SlideTables> tablesInMemory;

// One shape's tables in memory at a time: a search still running on the last shape keeps
// its own until it ends, and the window stops that search when its puzzle goes. The
// largest, a 2 x 8 board's, are 32 MiB. Nothing when stopped while building.
std::shared_ptr<const SlideTables> tablesFor(std::int32_t columns, std::int32_t rows, const std::atomic<bool>* stop = nullptr)
{
    const std::lock_guard lock(tablesMutex);
    if (tablesInMemory && tablesInMemory->shape.columns == columns && tablesInMemory->shape.rows == rows)
        return tablesInMemory;
    tablesInMemory.reset();
    const Shape shape = Shape::of(columns, rows);
    std::optional<SlideTables> tables = readKept(shape);
    if (!tables) {
        tables = SlideTables{shape, {}};
        for (std::size_t g = 0; g < shape.groups.size(); ++g) {
            std::optional<std::vector<std::uint8_t>> table = buildTable(shape, g, stop);
            if (!table)
                return nullptr;
            tables->tables.push_back(std::move(*table));
        }
        keep(*tables);
    }
    tablesInMemory = std::make_shared<const SlideTables>(std::move(*tables));
    return tablesInMemory;
}

// ---- The search ----------------------------------------------------------------------

class Search {
public:
    Search(const SlideTables& tables, std::span<const std::int16_t> pieces, const std::atomic<bool>* stop)
        : tables_(tables), stop_(stop)
    {
        const Shape& shape = tables.shape;
        const std::int32_t columns = shape.columns;
        n_ = shape.places();
        beside_ = neighboursOf(columns, shape.rows);
        // The views the tables are read in: each split of the pieces, and on a square
        // board the one split seen across the diagonal too.
        const bool square = columns == shape.rows;
        views_ = square ? 2 : static_cast<std::size_t>(shape.partitions());
        for (std::int32_t p = 0; p < n_; ++p) {
            across_[static_cast<std::size_t>(p)] = static_cast<std::int8_t>(square ? (p % columns) * columns + p / columns : p);
            for (std::int32_t q = 0; q < n_; ++q)
                manhattan_[static_cast<std::size_t>(p)][static_cast<std::size_t>(q)] = static_cast<std::int8_t>(manhattan(columns, p, q));
        }
        for (std::size_t v = 0; v < views_; ++v) {
            View& view = view_[v];
            view.across = square && v == 1;
            const std::int8_t partition = static_cast<std::int8_t>(square ? 0 : v);
            for (std::size_t g = 0; g < shape.groups.size(); ++g) {
                if (shape.partitionOf[g] != partition)
                    continue;
                for (std::size_t i = 0; i < shape.groups[g].size(); ++i) {
                    view.groupOf[static_cast<std::size_t>(shape.groups[g][i])] = static_cast<std::int8_t>(g);
                    view.shiftOf[static_cast<std::size_t>(shape.groups[g][i])] = static_cast<std::int8_t>(4 * i);
                }
            }
        }
        for (std::int32_t p = 0; p < n_; ++p) {
            const std::int32_t piece = pieces[static_cast<std::size_t>(p)] - 1;
            board_[static_cast<std::size_t>(p)] = static_cast<std::int8_t>(piece);
            if (piece == n_ - 1) {
                blank_ = p;
                continue;
            }
            distance_ += manhattan_[static_cast<std::size_t>(piece)][static_cast<std::size_t>(p)];
            for (std::size_t v = 0; v < views_; ++v) {
                View& view = view_[v];
                const auto seen = static_cast<std::size_t>(view.across ? across_[static_cast<std::size_t>(piece)] : piece);
                const std::uint32_t at = static_cast<std::uint32_t>(view.across ? across_[static_cast<std::size_t>(p)] : p);
                view.index[static_cast<std::size_t>(view.groupOf[seen])] += at << view.shiftOf[seen];
            }
        }
        for (std::size_t v = 0; v < views_; ++v)
            for (std::size_t g = 0; g < shape.groups.size(); ++g)
                if (shape.partitionOf[g] == (square ? 0 : static_cast<std::int8_t>(v)))
                    view_[v].detours += detoursAt(tables.tables[g], view_[v].index[g]);
    }

    std::optional<std::vector<std::int32_t>> run()
    {
        std::int32_t bound = estimate();
        for (;;) {
            const std::int32_t next = dfs(0, bound, -1);
            if (stopped_)
                return std::nullopt;
            if (next == kFound)
                return std::vector<std::int32_t>(path_.begin(), path_.begin() + length_);
            bound = next;
        }
    }

private:
    static constexpr std::int32_t kFound = -1;

    struct View {
        bool across = false;
        std::array<std::int8_t, 16> groupOf{};
        std::array<std::int8_t, 16> shiftOf{};
        std::array<std::uint32_t, 16> index{};
        std::int32_t detours = 0;
    };

    std::int32_t estimate() const { return distance_ + 2 * std::max(view_[0].detours, view_[1].detours); }

    // The piece moves from one place to the other, in every view.
    void move(std::int32_t piece, std::int32_t from, std::int32_t to)
    {
        distance_ += manhattan_[static_cast<std::size_t>(piece)][static_cast<std::size_t>(to)]
            - manhattan_[static_cast<std::size_t>(piece)][static_cast<std::size_t>(from)];
        for (std::size_t v = 0; v < views_; ++v) {
            View& view = view_[v];
            const auto seen = static_cast<std::size_t>(view.across ? across_[static_cast<std::size_t>(piece)] : piece);
            const auto seenFrom = static_cast<std::uint32_t>(view.across ? across_[static_cast<std::size_t>(from)] : from);
            const auto seenTo = static_cast<std::uint32_t>(view.across ? across_[static_cast<std::size_t>(to)] : to);
            const auto g = static_cast<std::size_t>(view.groupOf[seen]);
            const auto& table = tables_.tables[g];
            view.detours -= detoursAt(table, view.index[g]);
            view.index[g] += (seenTo << view.shiftOf[seen]) - (seenFrom << view.shiftOf[seen]);
            view.detours += detoursAt(table, view.index[g]);
        }
    }

    std::int32_t dfs(std::int32_t depth, std::int32_t bound, std::int32_t cameFrom)
    {
        const std::int32_t f = depth + estimate();
        if (f > bound)
            return f;
        if (distance_ == 0) {
            length_ = depth;
            return kFound;
        }
        if ((++nodes_ & 0x3FFF) == 0 && stop_ && stop_->load(std::memory_order_relaxed)) {
            stopped_ = true;
            return kFound;
        }
        std::int32_t least = std::numeric_limits<std::int32_t>::max();
        const std::int32_t empty = blank_;
        for (const std::int8_t from : beside_[static_cast<std::size_t>(empty)]) {
            if (from < 0)
                break;
            if (from == cameFrom)
                continue;
            // The piece at `from` slides into the empty place.
            const std::int32_t piece = board_[static_cast<std::size_t>(from)];
            board_[static_cast<std::size_t>(empty)] = static_cast<std::int8_t>(piece);
            blank_ = from;
            move(piece, from, empty);
            path_[static_cast<std::size_t>(depth)] = from;
            const std::int32_t result = dfs(depth + 1, bound, empty);
            if (result == kFound)
                return kFound;
            least = std::min(least, result);
            move(piece, empty, from);
            board_[static_cast<std::size_t>(from)] = static_cast<std::int8_t>(piece);
            blank_ = empty;
        }
        return least;
    }

    const SlideTables& tables_;
    const std::atomic<bool>* stop_;
    std::int32_t n_ = 0;
    Neighbours beside_{};
    std::array<std::int8_t, 16> across_{};  // a place, and a piece by its home, seen across the diagonal
    std::array<std::array<std::int8_t, 16>, 16> manhattan_{};
    std::array<std::int8_t, 16> board_{};   // the piece (0-based) at each place
    std::int32_t blank_ = 0;
    std::int32_t distance_ = 0;  // the pieces' Manhattan distance, the same in every view
    std::size_t views_ = 1;
    std::array<View, 2> view_{};
    // The longest shortest solution of a 4 x 4 board is 80 slides; of a 2 x 8 one, fewer.
    std::array<std::int32_t, 256> path_{};
    std::int32_t length_ = 0;
    std::uint64_t nodes_ = 0;
    bool stopped_ = false;
};

}  // namespace

std::filesystem::path slideTableFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return std::filesystem::path(cache) / "tessaron";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".cache" / "tessaron";
}

std::size_t prepareSlideTables(std::int32_t columns, std::int32_t rows) { return tablesFor(columns, rows)->bytes(); }

void forgetSlideTables()
{
    const std::lock_guard lock(tablesMutex);
    tablesInMemory.reset();
}

std::optional<std::vector<std::int32_t>> shortestSlideSteps(std::span<const std::int16_t> pieces,
    std::int32_t columns, std::int32_t rows, const std::atomic<bool>* stop)
{
    if (columns < 2 || rows < 2 || columns * rows > kExactSlidePlaces)
        throw std::invalid_argument("no exact search for this shape");
    const std::shared_ptr<const SlideTables> tables = tablesFor(columns, rows, stop);
    if (!tables)
        return std::nullopt;
    return Search(*tables, pieces, stop).run();
}

}  // namespace tessaron
