#include "core/dialog/new_puzzle_model.h"

#include "core/dialog/puzzle_options.h"
#include "core/platform/arithmetic.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace tessaron {

std::string NewPuzzleModel::picturePath() const { return joinPath(folder_, picture_); }

// Whatever preview was on its way, for the choice or for a picture from outside, is
// dropped with the choice.
ChoiceStep NewPuzzleModel::forgetChoice()
{
    picture_.clear();
    preview_ = Preview::Missing;
    outside_.clear();
    keptUnseen_ = false;
    return {.dropPreviews = true};
}

// The folder change fires only when the path changes: opening the folder already open
// lists it afresh and nothing more.
ChoiceStep NewPuzzleModel::folderListed(const std::string& folder)
{
    if (folder == folder_)
        return {};
    folder_ = folder;
    return forgetChoice();
}

// Until the new preview comes the box is empty rather than showing the one before.
ChoiceStep NewPuzzleModel::pictureClicked(const std::string& name)
{
    picture_ = name;
    preview_ = Preview::Awaited;
    outside_.clear();
    keptUnseen_ = false;
    return {.preview = picturePath()};
}

ChoiceStep NewPuzzleModel::pictureNamed(const std::string& path)
{
    // Only the newest request is answered, so the choice's own preview, if it was on its
    // way, is asked again should this one fail.
    if (preview_ == Preview::Awaited)
        preview_ = Preview::Missing;
    outside_ = path;
    return {.preview = path};
}

ChoiceStep NewPuzzleModel::outsidePlaced(const std::string& name)
{
    picture_ = name;
    preview_ = Preview::Shown;
    keptUnseen_ = false;
    return {.showPreview = true};
}

ChoiceStep NewPuzzleModel::previewArrived()
{
    if (!outside_.empty())
        return {.place = std::exchange(outside_, std::string())};
    if (preview_ != Preview::Awaited)
        return {};
    preview_ = Preview::Shown;
    keptUnseen_ = false;
    return {.showPreview = true};
}

ChoiceStep NewPuzzleModel::previewFailed(const RuntimeError& error)
{
    // A picture from outside that cannot be previewed is told as such, whatever the
    // reason, and the browser keeps what it showed.
    if (!outside_.empty()) {
        outside_.clear();
        ChoiceStep step = shown();
        step.error = error;
        return step;
    }
    if (preview_ != Preview::Awaited)
        return {};
    // Not a picture: no picture counts as chosen, without a word. Anything else (a file
    // that may not be read, one deleted since it was listed) is reported the same way;
    // but a kept picture the player has not seen since is only forgotten.
    const bool quiet = keptUnseen_ || error.number() == err::InvalidPicture;
    ChoiceStep step = forget(error);
    if (quiet)
        step.error.reset();
    return step;
}

ChoiceStep NewPuzzleModel::forget(const RuntimeError& error)
{
    picture_.clear();
    preview_ = Preview::Missing;
    keptUnseen_ = false;
    return {.error = error};
}

ChoiceStep NewPuzzleModel::shown()
{
    if (!outside_.empty() || picture_.empty() || preview_ != Preview::Missing)
        return {};
    preview_ = Preview::Awaited;
    return {.preview = picturePath()};
}

// Hidden by OK or Cancel, the dialog wants no preview until it shows again: nothing
// turns up while it is away, not even an error.
ChoiceStep NewPuzzleModel::hidden()
{
    outside_.clear();
    if (preview_ == Preview::Awaited)
        preview_ = Preview::Missing;
    return {.dropPreviews = true};
}

std::optional<std::string> NewPuzzleModel::keptPicture() const
{
    std::error_code error;
    if (kept_.picture.empty() || kept_.folder.empty() || kept_.folder != folder_
        || !std::filesystem::is_regular_file(joinPath(folder_, kept_.picture), error))
        return std::nullopt;
    return kept_.picture;
}

ChoiceStep NewPuzzleModel::chooseKept()
{
    ChoiceStep step = pictureClicked(kept_.picture);
    keptUnseen_ = true;
    return step;
}

ChoiceStep NewPuzzleModel::volumeFailed(const RuntimeError& error, VolumeKind kind)
{
    if (error.number() != err::DeviceUnavailable)
        return {.error = error};
    return {.message = Message::UnitNotReady, .toRootVolume = kind != VolumeKind::Root};
}

ChoiceStep NewPuzzleModel::accept(const ChoiceOptions& options)
{
    if (picture_.empty()) {
        handedOver_.reset();
        return {.message = Message::NoPictureChosen};
    }
    handedOver_ = PuzzleChoice{.path = picturePath(), .name = picture_,
        .columns = toInt16(leadingNumber(options.columns)), .rows = toInt16(leadingNumber(options.rows)),
        .style = options.style, .fitToScreen = options.fitToScreen};
    kept_ = RememberedChoice{.folder = folder_, .picture = picture_, .columns = handedOver_->columns,
        .rows = handedOver_->rows, .style = options.style,
        .preview = options.preview, .fitToScreen = options.fitToScreen};
    return {};
}

}  // namespace tessaron
