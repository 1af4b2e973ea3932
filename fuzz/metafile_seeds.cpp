// Writes seeds for the metafile fuzzer that are as large as the inputs it may make, of
// the records that cost the most to draw: text of every kind, fonts never seen, zigzags,
// clips. Small seeds never grow into files of megabytes within a run, so without these
// the fuzzer would never try the work budget on them.
// Usage: metafile_seeds FOLDER BYTES

#include "metafile/record_writer.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace tessaron::testing;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER BYTES\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::size_t bytes = std::strtoull(argv[2], nullptr, 10);
    const auto face = [](int i) { return "Face " + std::to_string(i); };
    const struct {
        const char* name;
        Bytes file;
    } seeds[] = {
        {"textout.wmf", filledTo(WmfWriter(1500, 1500), bytes, [](WmfWriter& w, int i) {
             w.raw(0x0521, wmfText("ab", i % 1500, i / 1500 % 1500));
         })},
        {"exttextout.wmf", filledTo(WmfWriter(1500, 1500), bytes, [](WmfWriter& w, int i) {
             w.raw(0x0A32, wmfExtText(letters(20), 0, i % 1500));
         })},
        {"faces.wmf", filledTo(WmfWriter(1500, 1500), bytes, [&](WmfWriter& w, int i) {
             w.raw(0x02FB, wmfFont(180 + i % 3000, face(i))).select(0).raw(0x0521, wmfText("ab", 0, 0)).record(0x01F0, {0});
         })},
        {"zigzags.wmf", filledTo(WmfWriter(15000, 15000).pen(0, 300, 0).select(0), bytes, [](WmfWriter& w, int i) {
             w.raw(i % 2 ? 0x0324 : 0x0325, zigzag(50, 15000));
         })},
        {"exttextoutw.emf", filledTo(EmfWriter(hmm(100), hmm(100)), bytes, [](EmfWriter& e, int i) {
             e.raw(84, emfExtText(letters(20), 0, i % 100));
         })},
        {"faces.emf", filledTo(EmfWriter(hmm(100), hmm(100)), bytes, [&](EmfWriter& e, int i) {
             e.raw(82, emfFont(12 + i % 100, face(i))).select(1).raw(84, emfExtText("ab", 0, 0)).record(40, {1});
         })},
        {"clips.emf", filledTo(EmfWriter(hmm(1000), hmm(1000)), bytes, [](EmfWriter& e, int i) {
             Bytes polygon = longs({0, 0, 0, 0, 50});
             for (int k = 0; k < 50; ++k)
                 put32(polygon, {k * 20, (k + i) % 2 ? 1000 : 0});
             e.record(33, {}).record(59, {}).raw(3, polygon).record(60, {}).record(67, {1 + i % 5})
                 .rectangle(i % 1000, 0, 4, 4).record(34, {-1});
         })},
    };
    for (const auto& seed : seeds) {
        std::ofstream out(folder + "/" + seed.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.file.data()), static_cast<std::streamsize>(seed.file.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
