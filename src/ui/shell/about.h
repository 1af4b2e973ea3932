#pragma once
// The About box: version line, rights notice, the authors' web address and the credits,
// in the current language, which it applies each time it becomes the active window.

#include "ui/platform/screen_metrics.h"

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace tessaron {

class About : public QDialog {
    Q_OBJECT
public:
    // applyTexts writes the current language's texts into the translated windows, this
    // one included; the owner knows the other windows and the language.
    explicit About(const ScreenMetrics& metrics, std::function<void()> applyTexts = {},
        QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Each time the box becomes the program's active window.
    void activated();
    // Hides the box; it stays loaded for the next time. The close box, by contrast,
    // destroys it.
    void hideBox();

    std::function<void()> applyTexts_;
    QLabel* title_ = nullptr;
    QLabel* copyright_ = nullptr;
    QLabel* address_ = nullptr;
    QFrame* line_ = nullptr;
    QLabel* credits_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tessaron
