#pragma once
// The new-puzzle dialog's choice, held once and apart from the widgets: the folder the
// browser shows, the picture chosen in it and whether its preview has come, a picture
// named from outside that waits for its preview before the browser moves to it, the
// kept choice of an earlier run, and what OK hands over. It decides what each event does
// to the choice and what the player is told; the dialog lists folders, decodes previews,
// shows what this holds and does the step each event returns.

#include "core/dialog/puzzle_choice.h"
#include "core/dialog/remembered_choice.h"
#include "core/language/texts.h"
#include "core/platform/runtime_error.h"
#include "core/platform/volumes.h"

#include <optional>
#include <string>

namespace tessaron {

// What the dialog does after an event, besides showing the choice again.
struct ChoiceStep {
    bool dropPreviews = false;             // no preview asked for so far is wanted any more
    std::optional<std::string> preview{};  // decode this path's preview (it replaces any asked before)
    std::optional<std::string> place{};    // the picture from outside at this path was previewed: move the browser to it
    bool showPreview = false;              // the preview that came is the choice's: show it
    std::optional<RuntimeError> error{};   // reported to the player
    std::optional<Message> message{};      // told to the player
    bool toRootVolume = false;             // the drive list falls back to the root volume
};

// The grid, the style and the two boxes as the dialog's controls hold them at OK.
struct ChoiceOptions {
    std::string columns{}, rows{};  // the lists' selected texts
    PuzzleStyle style = PuzzleStyle::Normal;
    bool preview = true;
    bool fitToScreen = false;
};

class NewPuzzleModel {
public:
    // Names are the bytes of the file system's names, whatever they are.
    const std::string& folder() const { return folder_; }
    const std::string& picture() const { return picture_; }  // the chosen file in folder(); empty for none
    std::string picturePath() const;
    bool previewShown() const { return preview_ == Preview::Shown; }

    // The lists show `folder` now. Another folder drops the choice, since its name is no
    // longer in the file list; the one already open, opened again, keeps it.
    ChoiceStep folderListed(const std::string& folder);
    // A file of the folder clicked: the name shows at once, its preview follows.
    ChoiceStep pictureClicked(const std::string& name);
    // A picture named from outside by its full path: decoded first, and chosen only once
    // it has been previewed, wherever the browser is then.
    ChoiceStep pictureNamed(const std::string& path);
    // The browser moved to the picture from outside and selected it: it is the choice,
    // and the preview that came for it is shown.
    ChoiceStep outsidePlaced(const std::string& name);
    ChoiceStep previewArrived();
    ChoiceStep previewFailed(const RuntimeError& error);
    // The chosen picture cannot be shown after all (its preview would not fit in memory).
    ChoiceStep forget(const RuntimeError& error);
    // Shown, the dialog previews a choice whose preview was dropped while it was hidden.
    ChoiceStep shown();
    ChoiceStep hidden();

    // The choice kept by an earlier run. Its picture is chosen only where its own folder
    // is listed, and only while it is a file there; the player has not seen it since, so
    // a preview that fails then means it has gone, which is no news to tell.
    void remember(const RememberedChoice& kept) { kept_ = kept; }
    std::optional<std::string> keptPicture() const;
    ChoiceStep chooseKept();

    // A volume picked in the drive list that cannot be read: one that does not answer is
    // "not ready" and the root volume is tried instead, unless it was the root, which
    // would ask forever. Anything else is reported and the game goes on: losing a puzzle
    // to a volume that may not be read would be worse than the error.
    static ChoiceStep volumeFailed(const RuntimeError& error, VolumeKind kind);
    // The program's own folder, opened at set-up, may simply not be there; that is not
    // worth a word, any other failure is.
    static bool reportedAtSetUp(const RuntimeError& error) { return error.number() != err::PathNotFound; }

    // OK: with a picture chosen, hands it over with the options, and it becomes the
    // choice kept for the next run; without one, hands nothing and asks for one.
    ChoiceStep accept(const ChoiceOptions& options);
    // What OK handed over since the dialog opened; nothing once withdrawn (Cancel, or
    // the dialog opened again).
    const std::optional<PuzzleChoice>& handedOver() const { return handedOver_; }
    void withdraw() { handedOver_.reset(); }
    // The choice kept between runs: the one read at set-up, then each OK's.
    const RememberedChoice& kept() const { return kept_; }

private:
    enum class Preview { Missing, Awaited, Shown };
    ChoiceStep forgetChoice();

    std::string folder_;
    std::string picture_;
    Preview preview_ = Preview::Missing;
    std::string outside_;     // the picture from outside whose preview is awaited, or empty
    bool keptUnseen_ = false; // the choice is the kept one and its preview has not come yet
    RememberedChoice kept_;
    std::optional<PuzzleChoice> handedOver_;
};

}  // namespace tessaron
