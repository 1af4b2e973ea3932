#include "ui/dialog/remembered_choice.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Every test starts with nothing remembered from an earlier one.
struct ForgetRememberedChoices : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        std::error_code ignored;
        std::filesystem::remove(tessaron::rememberedChoiceFile(), ignored);
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    // Before the application object exists: test discovery runs this binary at build
    // time, on machines without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A configuration and a cache folder of the run's own, set before anything reads the
    // variables: no test reads or writes the player's (the solver keeps its tables in the
    // cache), and one run never sees what another left there.
    QTemporaryDir config;
    QTemporaryDir cache;
    if (!config.isValid() || !cache.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetRememberedChoices);
    return RUN_ALL_TESTS();
}
