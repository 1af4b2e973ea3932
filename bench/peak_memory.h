#pragma once
// The process's peak resident memory, for the benchmarks that report what a picture
// costs above the idle program.

#include <cstring>
#include <fstream>
#include <string>

// The peak resident size since the last restart, in KiB.
inline long peakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    constexpr const char* kField = "VmHWM:";
    while (std::getline(status, line))
        if (line.rfind(kField, 0) == 0)
            return std::stol(line.substr(std::strlen(kField)));
    return 0;
}

// Restarts the high-water mark, so that only what follows counts; returns the resident
// size it starts from, in KiB.
inline long restartPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return peakKb();
}
