#include "core/shell/startup.h"

namespace tessaron {
namespace {

enum class Step { Settings, Texts, Picture, Dialog, Puzzle, Done };

}  // namespace

void runStartup(const StartupSteps& steps)
{
    Language language = Language::English;
    bool chosen = false;
    Step step = Step::Settings;
    while (step != Step::Done) {
        try {
            switch (step) {
            case Step::Settings: {
                step = Step::Texts;
                bool firstRun = false;
                try {
                    language = steps.readLanguage();
                } catch (const RuntimeError& error) {
                    // Only a missing file means a first run; any other error is reported.
                    if (error.number() != err::FileNotFound)
                        throw;
                    firstRun = true;
                }
                if (firstRun) {
                    language = steps.askLanguage();
                    // A folder the game may not write to costs only the memory of the
                    // choice: the player still gets the language and the game.
                    try {
                        steps.saveLanguage(language);
                    } catch (const RuntimeError& error) {
                        steps.report(error);
                    }
                }
                break;
            }
            case Step::Texts:
                step = Step::Picture;
                steps.applyTexts(language);
                break;
            case Step::Picture:
                step = Step::Dialog;
                if (steps.offerPicture) {
                    try {
                        steps.offerPicture();
                    } catch (const RuntimeError& error) {
                        steps.report(error);
                    }
                }
                break;
            case Step::Dialog:
                step = Step::Puzzle;
                chosen = steps.choosePuzzle();
                break;
            case Step::Puzzle:
                step = Step::Done;
                if (chosen)
                    steps.startPuzzle();
                break;
            case Step::Done:
                break;
            }
        } catch (const RuntimeError& error) {
            if (error.number() != err::FileNotFound) {
                steps.report(error);
                break;
            }
        }
    }
}

}  // namespace tessaron
