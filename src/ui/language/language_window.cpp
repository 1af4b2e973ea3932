#include "ui/language/language_window.h"

#include "core/language/texts.h"
#include "ui/platform/guarded.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/window_frames.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace tessaron {
namespace {

const QColor kPureBlue(0, 0, 255);

void makeBlue(QWidget* control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, kPureBlue);
    palette.setColor(QPalette::ButtonText, kPureBlue);
    control->setPalette(palette);
}

void setPointSize(QWidget* control, int points)
{
    QFont font = control->font();
    font.setPointSize(points);
    font.setWeight(QFont::Normal);
    control->setFont(font);
}

// The greeting was laid out for a narrower font than the ones a desktop has today: where
// a line does not fit inside the window at 12 pt, it gets just small enough to fit.
void fitToWindow(QLabel* label, int windowWidth)
{
    const int room = std::min(label->width(), windowWidth - label->x());
    QFont font = label->font();
    while (font.pointSizeF() > 8.0 && QFontMetrics(font).horizontalAdvance(label->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

}  // namespace

LanguageWindow::LanguageWindow(const ScreenMetrics& metrics, QWidget* parent)
    : QDialog(parent)
{
    applySecondaryFrame(this, GameWindow::Language, metrics);
    setModal(true);

    // Created in keyboard order: OK first, then the two languages.
    const ControlTable table{GameWindow::Language, metrics};
    ok_ = table.make(new QPushButton(this), "OKButton");
    english_ = table.make(new QRadioButton(this), "Option0");
    spanish_ = table.make(new QRadioButton(this), "Option1");
    greeting_ = table.make(new QLabel(this), "Label1");
    question_ = table.make(new QLabel(this), "Label2");

    for (QLabel* label : {greeting_, question_}) {
        setPointSize(label, 12);
        fitToWindow(label, width());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    for (QWidget* control : {static_cast<QWidget*>(greeting_), static_cast<QWidget*>(question_),
             static_cast<QWidget*>(english_), static_cast<QWidget*>(spanish_)})
        makeBlue(control);

    // Both options are children of the window, so they form one exclusive group.
    english_->setChecked(true);
    ok_->setDefault(true);
    setTabOrder(ok_, english_);
    setTabOrder(english_, spanish_);
    ok_->setFocus();

    connect(ok_, &QPushButton::clicked, this, guarded(this, &LanguageWindow::takeLanguage));
    setAccessibleNames(this, GameWindow::Language);
}

void LanguageWindow::takeLanguage()
{
    if (english_->isChecked())
        chosen_ = Language::English;
    if (spanish_->isChecked())
        chosen_ = Language::Spanish;
    accept();  // hides the window; it is not destroyed
}

}  // namespace tessaron
