// The metafile player's sizes and, above all, how it treats hostile files, through a
// canvas that notes what is drawn. No Qt: the reader is plain C++.

#include "metafile/metafile.h"
#include "core/platform/runtime_error.h"
#include "record_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>

namespace tessaron {
namespace {

using namespace metafile;
using namespace testing;

// 100 x 100 pixel pictures: a rectangle at the corner, a record (a harmless SETBKMODE
// unless another is given), a rectangle at the centre.
Bytes wmfAround(int function = 0x0102, const Bytes& params = words({1}))
{
    return WmfWriter(1500, 1500).rectangle(0, 0, 150, 150).raw(function, params).rectangle(750, 750, 900, 900).finish();
}

Bytes emfAround(std::uint32_t type = 18, const Bytes& params = longs({1}))
{
    return EmfWriter(hmm(100), hmm(100)).rectangle(0, 0, 10, 10).raw(type, params).rectangle(50, 50, 60, 60).finish();
}

TEST(MetafileSize, ComesFromTheHeaderInTwipsAndLargeDrawingsShrinkToTheCap)
{
    // The painter's tests draw 1440 units an inch and EMF frames at their size, the
    // loader's a canvas of 96 units an inch too large to hold.
    const struct { const char* what; Bytes file; float twips; Size expected; } cases[] = {
        {"placeable on a 120 dpi screen", WmfWriter(1440, 720).finish(), 12, {120, 60}},
        {"standard WMF: window extent as twips", WmfWriter(3000, 1500, 0).finish(), 15, {200, 100}},
        // 300 by 150 inches: shown at the cap, proportions kept, never allocated in full.
        {"beyond the cap", WmfWriter(30000, 15000, 100).finish(), 15, {kMaxSide, kMaxSide / 2}},
    };
    for (const auto& c : cases) {
        const Size s = naturalSize(c.file, c.twips, c.twips);
        EXPECT_EQ(std::pair(s.width, s.height), std::pair(c.expected.width, c.expected.height)) << c.what;
    }
}

// As Windows plays them: a malformed or absurd file is refused; a record that cannot be
// played is skipped and the rest draws, the rectangle after it still at the centre; a
// broken record chain ends the drawing there, with only the corner rectangle shown, or
// nothing, and then the file is refused.
TEST(MetafileHostile, BadFilesAreRefusedBadRecordsSkippedAndBrokenChainsEndTheDrawing)
{
    const Bytes wmf = wmfAround(), emf = emfAround(), dib = dib2x2({0, 0, 0, 0});
    const Bytes tallDib = with32(dib, 8, 60000), sevenBitDib = with32(dib, 14, 7);  // height; bits per pixel
    enum Drawn { Refused, Corner, Both };  // the rectangles drawn
    std::vector<std::tuple<std::string, Bytes, Drawn>> cases = {
        {"empty placeable box", WmfWriter(0, 100).finish(), Refused},
        {"standard WMF with an empty window", WmfWriter(0, 0, 0).finish(), Refused},
        {"30000 inches", WmfWriter(30000, 30000, 1).finish(), Refused},
        {"largest EMF frame", EmfWriter(0x7FFFFFFF, 0x7FFFFFFF).finish(), Refused},
        {"empty EMF frame", EmfWriter(0, 100).finish(), Refused},
        {"placeable key only", Bytes{0xD7, 0xCD, 0xC6, 0x9A}, Refused}, {"no bytes", Bytes{}, Refused},
        {"EMF type without its header", Bytes{1, 0, 0, 0}, Refused}, {"EMF header of 8 bytes", with32(emf, 4, 8), Refused},
        {"thousands of nested saves", filledTo(WmfWriter(100, 100), 5000 * 6 + 2048, [](WmfWriter& w, int) { w.record(0x001E, {}); }), Refused},
        // Records lost: refused even though the records that are there could draw.
        {"WMF shorter than its header says", with32(wmf, 22 + 6, 0x7FFFFFF0), Refused},
        {"EMF shorter than its header says", with32(emf, 48, static_cast<std::int64_t>(emf.size()) + 4), Refused},
        // Records after the end the header gives are no part of the drawing.
        {"WMF header ending after the first record", with32(wmf, 22 + 6, 16), Corner},
        {"EMF header ending after the first record", with32(emf, 48, 108 + 24), Corner},
        // Records that cannot be played. Both formats read a DIB alike, and the painter's
        // pixels show object indices outside the table ignored.
        {"WMF rectangle of two words", wmfAround(0x041B, words({5, 5})), Both},
        // Counts beyond the record: 1000 points with two present.
        {"WMF polygon", wmfAround(0x0324, words({1000, 0, 0, 10, 10})), Both},
        {"WMF polypolygon", wmfAround(0x0538, words({2, 3, 0x7FFF, 0, 0})), Both},
        {"WMF text of 50 characters with one present", wmfAround(0x0521, words({50, 'a'})), Both},
        {"WMF unknown function", wmfAround(0x0999, words({1, 2, 3})), Both},
        {"WMF DIB claiming 60000 rows of which the record holds two", wmfAround(0x0F43, wmfStretchDib(tallDib, 20, 20)), Both},
        {"EMF rectangle of two values", emfAround(43, longs({5, 5})), Both},
        {"EMF polygon", emfAround(3, longs({0, 0, 0, 0, 0x40000000, 0, 0, 10, 10})), Both},
        {"EMF polypolygon16", emfAround(91, longs({0, 0, 0, 0, 0x20000000, 4, 4})), Both},
        {"EMF text offset outside the record", emfAround(84, longs({0, 0, 0, 0, 1, 0, 0, 10, 10, 5, 0x7FFF0000, 0, 0, 0, 0, 0, 0})), Both},
        {"EMF unknown type", emfAround(200, longs({1, 2, 3})), Both},
        {"EMF clip region mode 9", emfAround(75, longs({0, 9})), Both},
        {"EMF DIB of 7 bits per pixel", emfAround(81, emfStretchDib(sevenBitDib, 20, 20)), Both},
    };
    // The chain broken at the first record, a rectangle, or at the second: a size of 0, less
    // than a record header, not a whole number of EMF's 4-byte units, or past the end.
    for (const std::int64_t size : {0, 2, 26, 0x7FFFFFF0}) {
        const std::string what = " record of size " + std::to_string(size);
        cases.emplace_back("WMF first" + what, with32(wmf, 22 + 18, size), Refused);
        cases.emplace_back("WMF second" + what, with32(wmf, 22 + 18 + 14, size), Corner);
        cases.emplace_back("EMF first" + what, with32(emf, 108 + 4, size), Refused);
        cases.emplace_back("EMF second" + what, with32(emf, 108 + 4 + 24, size), Corner);
    }
    for (const auto& [what, file, drawn] : cases) {
        const auto [error, calls, spent] = played(file);
        EXPECT_EQ(error, drawn == Refused ? err::InvalidPicture : ErrorNumber{}) << what;
        ASSERT_EQ(calls.size(), std::size_t{drawn}) << what;
        for (int i = 0; i < std::ssize(calls); ++i)  // the corner's, then the centre's
            EXPECT_TRUE(std::abs(calls[i].at.x - 50.0 * i) < 0.1 && std::abs(calls[i].at.y - 50.0 * i) < 0.1) << what;
    }
}

// 14 MB of each of the dearest records found, 100 x 100 pixels where the size does not
// matter: the budget ends every file with 481 before the canvas has more of the dear
// thing than it draws in 0.6 s. The limits come from bench/metafile_bench.cpp, which
// times each kind on the QPainter canvas: a run of text takes 9 us, a character placed by
// its own advance 2.2 us, a face never seen 250 us, a 200-pixel character 150 us; across
// 1000 pixels, a zigzag of 200 points 50 ms filled, one of 50 points 17 ms stroked 20
// pixels wide and 20 ms as a clip; a clip of half of 3400 x 3400 pixels 30 ms, a fill of
// 4000 x 3000 pixels 1.7 ms, a record that cannot be played 5 us. So this counts what is
// drawn, not time.
TEST(MetafileHostile, EveryKindOfRecordIsChargedWhatItCosts)
{
    const auto wmf = [](int side = 1500) { return WmfWriter(side, side); };
    const auto emf = [](int side = 100) { return EmfWriter(hmm(side), hmm(side)); };
    constexpr int k = 15'000;  // 1000 pixels in twips
    constexpr std::size_t kSize = 14'000'000;
    // What reached the canvas: runs of text, characters, shapes, the faces and clips it
    // was handed; and the records read.
    const auto texts = [](const Played& p) { return std::size_t(std::ranges::count_if(p.calls, [](const Call& c) { return !c.text.empty(); })); };
    const auto characters = [](const Played& p) { std::size_t n = 0; for (const Call& c : p.calls) n += c.text.size(); return n; };
    const auto shapes = [](const Played& p) { return std::size_t(std::ranges::count_if(p.calls, [](const Call& c) { return c.text.empty(); })); };
    const auto faces = [](const Played& p) { std::set<std::string> s; for (const Call& c : p.calls) s.insert(c.state.font.face); return s.size(); };
    const auto clips = [](const Played& p) { std::set<Clip> s; for (const Call& c : p.calls) s.insert(c.state.clip); return s.size(); };
    const auto records = [](const Played& p) { return p.spent.records; };
    const auto face = [](int i) { return "Face " + std::to_string(i); };
    Bytes zigzagClip = longs({0, 0, 0, 0, 50});  // EMR_POLYGON in device pixels of 1000 x 1000
    for (int i = 0; i < 50; ++i)
        put32(zigzagClip, {i * 20, i % 2 ? 1000 : 0});
    // Every fill inside SAVEDC, the outline `polygon` made the clip, then RESTOREDC.
    const auto clippedFills = [&](int side, const Bytes& polygon) {
        return filledTo(emf(side), kSize, [&](EmfWriter& e, int i) {
            e.record(33, {}).record(59, {}).raw(3, polygon).record(60, {}).record(67, {1}).rectangle(i % 1000, 0, 4, 4).record(34, {-1});
        });
    };
    const struct { const char* what; std::function<std::size_t(const Played&)> measure; std::size_t atMost; Bytes file; } cases[] = {
        {"a million TEXTOUTs of two characters", texts, 66'000,
            filledTo(wmf(), kSize, [](WmfWriter& w, int i) { w.raw(0x0521, wmfText("ab", i % 1500, i / 1500 % 1500)); })},
        {"EXTTEXTOUTs of 100 characters, each placed", characters, 270'000,
            filledTo(wmf(), kSize, [](WmfWriter& w, int i) { w.raw(0x0A32, wmfExtText(letters(100), 0, i % 1500)); })},
        {"EMF EXTTEXTOUTWs of 100 characters, each placed", characters, 270'000,
            filledTo(emf(), kSize, [](EmfWriter& e, int i) { e.raw(84, emfExtText(letters(100), 0, i % 100)); })},
        {"a new face for every TEXTOUT", faces, 2'400, filledTo(wmf(), kSize, [&](WmfWriter& w, int i) {
             w.raw(0x02FB, wmfFont(180, face(i))).select(0).raw(0x0521, wmfText("ab", 0, 0)).record(0x01F0, {0}); })},
        {"a new face for every EMF EXTTEXTOUTW", faces, 2'400, filledTo(emf(), kSize, [&](EmfWriter& e, int i) {
             e.raw(82, emfFont(12, face(i))).select(1).raw(84, emfExtText("ab", 0, 0)).record(40, {1}); })},
        {"TEXTOUTs of 200-pixel characters", characters, 4'000, filledTo(wmf(k).raw(0x02FB, wmfFont(3000, "DejaVu Sans")).select(0), kSize,
             [](WmfWriter& w, int i) { w.raw(0x0521, wmfText("W@", i % k, k / 2)); })},
        {"200-point zigzags filled across 1000 pixels", shapes, 12,
            filledTo(wmf(k).brush(0, 0).select(0), kSize, [](WmfWriter& w, int) { w.raw(0x0324, zigzag(200, k)); })},
        {"50-point zigzags stroked 20 pixels wide", shapes, 35,
            filledTo(wmf(k).pen(0, 300, 0).select(0), kSize, [](WmfWriter& w, int) { w.raw(0x0325, zigzag(50, k)); })},
        {"a clip of a 50-point zigzag around every fill", clips, 30, clippedFills(1000, zigzagClip)},
        {"a clip of half of 3400 x 3400 pixels around every fill", clips, 20,
            clippedFills(3400, longs({0, 0, 0, 0, 3, 0, 0, 3400, 0, 0, 3400}))},
        {"fills of 4000 x 3000 pixels", shapes, 350,
            filledTo(WmfWriter(4000, 3000, 96).brush(0, 0).select(0), kSize, [](WmfWriter& w, int) { w.rectangle(0, 0, 4000, 3000); })},
        {"records that cannot be played", records, 120'000, filledTo(wmf(), kSize, [](WmfWriter& w, int) { w.record(0x041B, {}); })},
    };
    for (const auto& c : cases) {
        const Played p = played(c.file);
        EXPECT_EQ(p.error, err::InvalidPicture) << c.what;
        EXPECT_LE(c.measure(p), c.atMost) << c.what;
    }
}

}  // namespace
}  // namespace tessaron
