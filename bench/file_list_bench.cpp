// Filling the dialog's file list for a folder of 10,000 files against the bound: a bare
// listing of the same folder (opendir/readdir into a vector of names), in the same run.
// The fill reads the folder, keeps the pictures, sorts them without regard to case, hands
// them to the list and lays the list out. Prints the ratio (target: <= 2).

#include "ui/dialog/browser_lists.h"

#include <QApplication>
#include <QTemporaryDir>

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 10000;
constexpr char kPicturePatterns[] = "*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf";

QTemporaryDir* folder = nullptr;

// Camera names, scans and the odd document, in mixed case, created in random order.
void makeFolder()
{
    static const char* kinds[] = {"IMG_%05d.JPG", "scan %05d.bmp", "Photo-%05d.jpeg", "notes %05d.txt",
        "anim%05d.gif", "clip%05d.MP4"};
    std::vector<int> order(kFiles);
    for (int i = 0; i < kFiles; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    char name[64];
    for (int i : order) {
        std::snprintf(name, sizeof name, kinds[i % 6], i);
        std::ofstream(folder->filePath(QString::fromLatin1(name)).toStdString());
    }
}

std::vector<std::string> bareListing(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

void BM_BareListing(benchmark::State& state)
{
    const std::string path = folder->path().toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(bareListing(path));
}

void BM_FillFileList(benchmark::State& state)
{
    tessaron::FileList list;
    list.resize(281, 214);
    list.setPattern(QString::fromLatin1(kPicturePatterns));
    for (auto _ : state) {
        list.setPath(folder->path());
        list.doItemsLayout();
        benchmark::DoNotOptimize(list.model()->rowCount());
    }
    state.counters["shown"] = list.model()->rowCount();
}

BENCHMARK(BM_BareListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillFileList)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    makeFolder();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fill = reporter.real("BM_FillFileList");
    const double bare = reporter.real("BM_BareListing");
    if (fill > 0 && bare > 0)
        std::cout << "\nFile list fill / bare listing of " << kFiles << " files (target: <= 2): "
                  << fill / bare << "\n";
    benchmark::Shutdown();
    return 0;
}
