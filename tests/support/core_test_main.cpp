// The core tests' main: the solver keeps its tables in a cache folder, never the
// player's. ctest names one in the build tree (TESSARON_TEST_CACHE), kept from run to run
// so the 15-puzzle's tables are built once; run by hand, the binary makes its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::string folder;
    if (const char* kept = std::getenv("TESSARON_TEST_CACHE")) {
        folder = kept;
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaron-core-tests-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return 1;
        folder = pattern;
    }
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (!std::getenv("TESSARON_TEST_CACHE"))
        std::filesystem::remove_all(folder);
    return result;
}
