#pragma once
// The first-run window: greets the player in both languages at once, since no language
// is known yet, and asks for one. Its texts are never translated.

#include "core/language/language.h"
#include "ui/platform/screen_metrics.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;
class QRadioButton;

namespace tessaron {

class LanguageWindow : public QDialog {
    Q_OBJECT
public:
    explicit LanguageWindow(const ScreenMetrics& metrics, QWidget* parent = nullptr);

    // The language OK took; nothing when the window was closed instead.
    std::optional<Language> chosen() const { return chosen_; }

private:
    // Takes the language ticked and hides the window.
    void takeLanguage();

    std::optional<Language> chosen_;
    QLabel* greeting_ = nullptr;
    QLabel* question_ = nullptr;
    QRadioButton* english_ = nullptr;
    QRadioButton* spanish_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tessaron
