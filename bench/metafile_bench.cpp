// Every WMF of the corpus rendered at its natural size by our metafile player against
// libwmf's wmf2gd on the same file in the same run. Prints a table of ratios (target:
// ours / wmf2gd <= 1 for each file).
//
// Ours: read the file and render it, as the picture loader does. wmf2gd: a process that
// reads, renders and writes a PNG to /dev/null, at about 72 dots per inch where we draw
// at 96 (1.8 times its pixels).

#include "platform/metafile_render.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace tessaron;

const QString kGood = QStringLiteral(TESSARON_TESTDATA "/good");

void ours(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the file");
            return;
        }
        benchmark::DoNotOptimize(renderMetafile(file.readAll(), 15, 15).constBits());
    }
}

void wmf2gd(benchmark::State& state, const std::string& program, const std::string& path)
{
    char* argv[] = {const_cast<char*>("wmf2gd"), const_cast<char*>("-t"), const_cast<char*>("png"),
        const_cast<char*>("-o"), const_cast<char*>("/dev/null"), const_cast<char*>(path.c_str()), nullptr};
    // It reports progress on its standard output; that goes nowhere.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), &quiet, nullptr, argv, environ) != 0) {
            state.SkipWithError("wmf2gd did not start");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("wmf2gd failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}


}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList files = QDir(kGood).entryList({"*.wmf"}, QDir::Files, QDir::Name);
    const std::string program = QStandardPaths::findExecutable("wmf2gd").toStdString();
    for (const QString& name : files) {
        const QString path = kGood + "/" + name;
        benchmark::RegisterBenchmark(("Ours/" + name).toStdString().c_str(), ours, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        if (!program.empty()) {
            benchmark::RegisterBenchmark(("Wmf2gd/" + name).toStdString().c_str(), wmf2gd, program,
                path.toStdString())
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nWMF at natural size, ours against wmf2gd (target: ratio <= 1)\n");
    if (files.isEmpty() || program.empty())
        std::printf("  skipped: needs ../shared/testdata and wmf2gd (libwmf-bin)\n");
    std::printf("  %-40s %10s %10s %7s\n", "file", "ours ms", "wmf2gd ms", "ratio");
    for (const QString& name : files) {
        const std::string n = name.toStdString();
        const double a = reporter.real("Ours/" + n + "/real_time");
        const double b = reporter.real("Wmf2gd/" + n + "/real_time");
        if (a > 0 && b > 0)
            std::printf("  %-40s %10.2f %10.2f %7.2f\n", n.c_str(), a, b, a / b);
    }
    benchmark::Shutdown();
    return 0;
}
