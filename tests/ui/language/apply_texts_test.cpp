#include "ui/language/apply_texts.h"
#include "ui/shell/about.h"
#include "support/window_test_support.h"

#include <QAction>
#include <QPointer>

#include <tuple>
#include <utility>

namespace tessaron {
namespace {

// A language makes the dialog and the About box when they are missing, hidden and once
// only, and moves the language check marks. A code with no texts makes no window and
// leaves the captions and check marks as they were, designed or last applied.
TEST(ApplyTexts, MissingWindowsAreMadeHiddenOnceAndCheckMarksFollow)
{
    const ScreenMetrics metrics;
    MainWindow form{metrics};
    QPointer<NewPuzzleDialog> dialog;
    QPointer<About> about;
    // The code, how many of each window there are after it, the Montado caption and
    // whether English or Spanish is ticked.
    const std::tuple<Language, qsizetype, QString, bool, bool> cases[] = {
        {languageOfCode(2), 0, "Verlo Montado", true, false},
        {Language::English, 1, "Show image", true, false},
        {Language::Spanish, 1, "Verlo montado", false, true},
        {languageOfCode(-7), 1, "Verlo montado", false, true},
    };
    for (const auto& [code, windows, montado, english, spanish] : cases) {
        SCOPED_TRACE(code);
        applyLanguageTexts(code, &form,
            [&]() -> QWidget* { return dialog ? dialog : (dialog = new NewPuzzleDialog(code, metrics, &form)); },
            [&]() -> QWidget* { return about ? about : (about = new About(metrics, {}, &form)); });
        EXPECT_EQ(std::pair(form.findChildren<NewPuzzleDialog*>().size(), form.findChildren<About*>().size()),
            std::pair(windows, windows));
        EXPECT_FALSE((dialog && dialog->isVisible()) || (about && about->isVisible()));
        EXPECT_EQ(form.menu().showImageAction->text(), montado);
        EXPECT_EQ(form.menu().englishAction->isChecked(), english);
        EXPECT_EQ(form.menu().spanishAction->isChecked(), spanish);
    }
}

}  // namespace
}  // namespace tessaron
