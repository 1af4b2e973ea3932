#include "core/shell/startup.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tessaron {
namespace {

// Each step writes itself into a log and fails with the error the case gives it.
std::string runLogged(const std::map<std::string, int>& failures, bool ok, bool picture)
{
    std::string log;
    const auto step = [&](const std::string& name) {
        log += (log.empty() ? "" : " ") + name;
        if (const auto failure = failures.find(name); failure != failures.end())
            throw RuntimeError(ErrorNumber{failure->second});
    };
    StartupSteps steps;
    steps.readLanguage = [&] { return step("read"), Language::Spanish; };
    steps.askLanguage = [&] { return step("ask"), Language::English; };
    steps.saveLanguage = [&](Language language) { step("save" + std::to_string(codeOf(language))); };
    steps.applyTexts = [&](Language language) { step("texts" + std::to_string(codeOf(language))); };
    if (picture)
        steps.offerPicture = [&] { step("picture"); };
    steps.choosePuzzle = [&] { return step("dialog"), ok; };
    steps.startPuzzle = [&] { step("start"); };
    steps.report = [&](const RuntimeError& error) { log += " report" + std::to_string(static_cast<int>(error.number())); };
    runStartup(steps);
    return log;
}

// File not found abandons just its step (at the settings file, it means a first run);
// any other error is reported and ends start-up where it happened. A picture the game was
// opened on reports even File not found, and the dialog still opens.
TEST(Startup, StepsInOrderAndEachErrorWhereItBelongs)
{
    const struct {
        const char* name;
        std::map<std::string, int> failures;
        bool ok;
        const char* log;
        bool picture = false;
    } cases[] = {
        {"a later run", {}, true, "read texts1 dialog start"},
        {"first run, cancelled", {{"read", 53}}, false, "read ask save0 texts0 dialog"},
        {"first run, folder not writable", {{"read", 53}, {"save0", 70}}, true,
            "read ask save0 report70 texts0 dialog start"},
        {"settings unreadable", {{"read", 13}}, true, "read report13"},
        {"texts missing", {{"texts1", 53}}, true, "read texts1 dialog start"},
        {"dialog out of memory", {{"dialog", 7}}, true, "read texts1 dialog report7"},
        {"picture broken", {{"start", 481}}, true, "read texts1 dialog start report481"},
        {"picture gone", {{"start", 53}}, true, "read texts1 dialog start"},
        {"first run on a picture", {{"read", 53}}, true, "read ask save0 texts0 picture dialog start", true},
        {"opened on a missing file", {{"picture", 53}}, false, "read texts1 picture report53 dialog", true},
        {"opened on no picture", {{"picture", 481}}, true, "read texts1 picture report481 dialog start", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runLogged(c.failures, c.ok, c.picture), c.log) << c.name;
}

}  // namespace
}  // namespace tessaron
