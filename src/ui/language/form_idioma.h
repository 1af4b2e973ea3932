#pragma once
// The first-run window: greets the player in both languages at once, since no language
// is known yet, and asks for one. Its texts are never translated.

#include "core/board/board_state.h"
#include "ui/platform/screen_metrics.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace tessaron {

class FormIdioma : public QDialog {
    Q_OBJECT
public:
    FormIdioma(GameState& state, const ScreenMetrics& metrics, QWidget* parent = nullptr);

    // Stores the chosen language in LanguageCode and hides the window. Closing the
    // window instead leaves LanguageCode as it was.
    void OKButton_Click();

private:
    GameState& state_;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* Option0 = nullptr;
    QRadioButton* Option1 = nullptr;
    QPushButton* OKButton = nullptr;
};

}  // namespace tessaron
