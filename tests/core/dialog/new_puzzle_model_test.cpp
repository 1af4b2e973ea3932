#include "core/dialog/new_puzzle_model.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

namespace tessaron {
namespace {

namespace fs = std::filesystem;

// What a step asks of the dialog, in one line.
std::string said(const ChoiceStep& step)
{
    std::string out;
    const auto add = [&](bool on, const std::string& word) { out += on ? (out.empty() ? "" : ", ") + word : ""; };
    add(step.dropPreviews, "drop");
    add(step.preview.has_value(), "preview " + step.preview.value_or(""));
    add(step.place.has_value(), "place " + step.place.value_or(""));
    add(step.showPreview, "show");
    add(step.error.has_value(), "error " + std::to_string(step.error ? static_cast<int>(step.error->number()) : 0));
    add(step.message == Message::UnitNotReady, "not ready");
    add(step.message == Message::NoPictureChosen, "choose one");
    add(step.toRootVolume, "root");
    return out;
}

// Runs the dialog's events on a model, one a line: the event ("folder F", "click NAME",
// "named PATH", "placed NAME", "arrived", "failed N", "kept", "hidden", "shown", "ok"),
// what it asks of the dialog and the picture chosen after it.
void play(std::initializer_list<std::array<std::string, 3>> lines, NewPuzzleModel model = {})
{
    int n = 0;
    for (const auto& [event, step, picture] : lines) {
        SCOPED_TRACE(std::to_string(++n) + ": " + event);
        const std::string word = event.substr(0, event.find(' ')), rest = event.substr(word.size() + (word != event));
        const ChoiceStep done = word == "folder" ? model.folderListed(rest) : word == "click" ? model.pictureClicked(rest)
            : word == "named" ? model.pictureNamed(rest) : word == "placed" ? model.outsidePlaced(rest)
            : word == "arrived" ? model.previewArrived() : word == "failed" ? model.previewFailed(RuntimeError(ErrorNumber{std::stoi(rest)}))
            : word == "kept" ? model.chooseKept() : word == "hidden" ? model.hidden() : word == "shown" ? model.shown()
            : word == "ok" ? model.accept({}) : throw std::invalid_argument(event);
        EXPECT_EQ(said(done), step);
        EXPECT_EQ(model.picture(), picture);
    }
}

// The folder change fires only when the path changes: the folder already open, opened
// again, keeps the choice and the preview on its way; another folder drops both, and a
// picture from outside still waiting too. OK then asks for a picture.
TEST(NewPuzzleModel, AnotherFolderDropsTheChoiceTheSameOneKeepsIt)
{
    play({{"folder /a", "drop", ""}, {"click sea.jpg", "preview /a/sea.jpg", "sea.jpg"}, {"folder /a", "", "sea.jpg"},
        {"arrived", "show", "sea.jpg"}, {"named /b/far.jpg", "preview /b/far.jpg", "sea.jpg"},
        {"folder /a/sub", "drop", ""}, {"arrived", "", ""}, {"shown", "", ""}, {"ok", "choose one", ""}});
}

// A preview that fails: a file that is no picture is quietly not chosen, anything else
// is told once; a kept picture not seen since has simply gone, but once a click replaced
// it, it is told again. Nothing waits for a second answer.
TEST(NewPuzzleModel, FailedPreviewsAreToldOnceOrForgottenQuietly)
{
    for (const int number : {481, 53, 70}) {
        const std::string told = number == 481 ? "" : "error " + std::to_string(number);
        play({{"folder /a", "drop", ""}, {"click b.jpg", "preview /a/b.jpg", "b.jpg"},
            {"failed " + std::to_string(number), told, ""}, {"failed 53", "", ""}, {"shown", "", ""}});
        NewPuzzleModel kept;
        kept.remember({.folder = "/a", .picture = "k.jpg"});
        play({{"folder /a", "drop", ""}, {"kept", "preview /a/k.jpg", "k.jpg"}, {"failed " + std::to_string(number), "", ""},
            {"kept", "preview /a/k.jpg", "k.jpg"}, {"click k.jpg", "preview /a/k.jpg", "k.jpg"},
            {"failed " + std::to_string(number), told, ""}}, kept);
    }
}

// A picture from outside moves the browser only once its preview has come, and is then
// the choice, previewed already. One that fails is told whatever the reason and leaves
// the choice as it was, whose own preview it had replaced on the way is asked again. A
// click, or hiding the dialog, drops it.
TEST(NewPuzzleModel, PictureFromOutsideWaitsForItsPreview)
{
    play({{"folder /a", "drop", ""}, {"click sea.jpg", "preview /a/sea.jpg", "sea.jpg"},
        {"named /b/far.jpg", "preview /b/far.jpg", "sea.jpg"}, {"failed 481", "preview /a/sea.jpg, error 481", "sea.jpg"},
        {"arrived", "show", "sea.jpg"}, {"named /b/far.jpg", "preview /b/far.jpg", "sea.jpg"},
        {"failed 53", "error 53", "sea.jpg"}, {"named /b/far.jpg", "preview /b/far.jpg", "sea.jpg"},
        {"arrived", "place /b/far.jpg", "sea.jpg"}, {"folder /b", "drop", ""}, {"placed far.jpg", "show", "far.jpg"},
        {"named /c/x.jpg", "preview /c/x.jpg", "far.jpg"}, {"click near.jpg", "preview /b/near.jpg", "near.jpg"},
        {"arrived", "show", "near.jpg"}, {"named /c/x.jpg", "preview /c/x.jpg", "near.jpg"}, {"hidden", "drop", "near.jpg"},
        {"arrived", "", "near.jpg"}, {"failed 481", "", "near.jpg"}});
}

// Hidden while its preview is on the way, the dialog asks for it again when it shows; a
// preview already shown is not decoded again.
TEST(NewPuzzleModel, HidingDropsThePreviewOnItsWayAndShowingAsksAgain)
{
    play({{"folder /a", "drop", ""}, {"click sea.jpg", "preview /a/sea.jpg", "sea.jpg"}, {"hidden", "drop", "sea.jpg"},
        {"arrived", "", "sea.jpg"}, {"shown", "preview /a/sea.jpg", "sea.jpg"}, {"arrived", "show", "sea.jpg"},
        {"hidden", "drop", "sea.jpg"}, {"shown", "", "sea.jpg"}});
}

// The kept picture is chosen only in its own folder and only while it is a file there.
TEST(NewPuzzleModel, KeptPictureOnlyWhereItStillIs)
{
    const fs::path folder = fs::temp_directory_path() / ("tessaron-kept-" + std::to_string(::getpid()));
    fs::create_directories(folder / "dir.jpg");
    fs::create_directories(folder / "own");
    std::ofstream(folder / "a.jpg") << "x";
    std::ofstream(folder / "own" / "a.jpg") << "x";
    // The picture kept, the folder listed and the picture offered.
    const std::tuple<std::string, std::string, std::optional<std::string>> cases[] = {
        {"a.jpg", folder.string(), "a.jpg"},
        {"a.jpg", (folder / "own").string(), std::nullopt},  // its folder has gone: the program's own is listed
        {"gone.jpg", folder.string(), std::nullopt},
        {"dir.jpg", folder.string(), std::nullopt},
        {"", folder.string(), std::nullopt},
    };
    for (const auto& [picture, listed, offered] : cases) {
        SCOPED_TRACE(picture + " in " + listed);
        NewPuzzleModel model;
        model.remember({.folder = folder.string(), .picture = picture});
        model.folderListed(listed);
        EXPECT_EQ(model.keptPicture(), offered);
    }
    fs::remove_all(folder);
}

// 68 from a volume is "not ready" and the root is tried next, but never the root again;
// anything else is reported. Only a missing program folder is not worth a word at set-up.
TEST(NewPuzzleModel, ErrorPoliciesForVolumesAndSetUp)
{
    const auto failed = [](ErrorNumber number, VolumeKind kind) { return said(NewPuzzleModel::volumeFailed(RuntimeError(number), kind)); };
    EXPECT_EQ(failed(err::DeviceUnavailable, VolumeKind::Removable), "not ready, root");
    EXPECT_EQ(failed(err::DeviceUnavailable, VolumeKind::Root), "not ready");
    EXPECT_EQ(failed(err::PermissionDenied, VolumeKind::Home), "error 70");
    EXPECT_FALSE(NewPuzzleModel::reportedAtSetUp(RuntimeError(err::PathNotFound)));
    EXPECT_TRUE(NewPuzzleModel::reportedAtSetUp(RuntimeError(err::PermissionDenied)));
}

// OK hands over the chosen picture with the options, and keeps them for the next run;
// withdrawn (Cancel), nothing is handed over, and what was kept stays.
TEST(NewPuzzleModel, OkHandsOverAndKeepsTheChoice)
{
    NewPuzzleModel model;
    model.folderListed("/a");
    model.pictureClicked("sea.jpg");
    EXPECT_EQ(said(model.accept({.columns = "75", .rows = "2", .style = PuzzleStyle::Difficult, .preview = false,
        .fitToScreen = true})), "");
    ASSERT_TRUE(model.handedOver());
    const PuzzleChoice& handed = *model.handedOver();
    EXPECT_EQ(std::tuple(handed.path, handed.name, handed.columns, handed.rows, handed.style, handed.fitToScreen),
        std::tuple("/a/sea.jpg", "sea.jpg", 75, 2, PuzzleStyle::Difficult, true));
    const RememberedChoice kept{"/a", "sea.jpg", 75, 2, PuzzleStyle::Difficult, false, true};
    EXPECT_EQ(model.kept(), kept);
    model.withdraw();
    EXPECT_FALSE(model.handedOver());
    EXPECT_EQ(model.kept(), kept);
}

}  // namespace
}  // namespace tessaron
