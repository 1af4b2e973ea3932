#include "ui/language/form_idioma.h"

#include "core/language/texts.h"
#include "ui/shell/accessibility.h"
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

template <typename Control>
Control* addControl(QWidget* window, const char* name, const char* text,
    const ScreenMetrics& metrics, float left, float top, float width, float height)
{
    auto* control = new Control(QString::fromUtf8(text), window);
    control->setObjectName(QString::fromUtf8(name));
    control->setGeometry(metrics.toPixels(left, top, width, height));
    return control;
}

}  // namespace

FormIdioma::FormIdioma(GameState& state, const ScreenMetrics& metrics, QWidget* parent)
    : QDialog(parent), state_(state)
{
    applySecondaryFrame(this, SecondaryWindow::FormIdioma, metrics);
    setModal(true);

    // Created in keyboard order: OK first, then the two languages.
    OKButton = addControl<QPushButton>(this, "OKButton", "Aceptar", metrics, 2880, 2880, 1215, 375);
    Option0 = addControl<QRadioButton>(this, "Option0", "English", metrics, 2880, 1560, 2175, 375);
    Option1 = addControl<QRadioButton>(
        this, "Option1", "Espa\u00F1ol", metrics, 2880, 2040, 2175, 495);
    Label1 = addControl<QLabel>(this, "Label1",
        "Welcome to Tessaron.   Please select your language.", metrics, 360, 360, 6735, 375);
    Label2 = addControl<QLabel>(this, "Label2",
        "Bienvenido a Tessaron. Por favor selecciona tu idioma.", metrics, 360, 840, 6375, 375);

    for (QLabel* label : {Label1, Label2}) {
        setPointSize(label, 12);
        fitToWindow(label, width());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
             static_cast<QWidget*>(Option0), static_cast<QWidget*>(Option1)})
        makeBlue(control);

    // Both options are children of the window, so they form one exclusive group.
    Option0->setChecked(true);
    OKButton->setDefault(true);
    setTabOrder(OKButton, Option0);
    setTabOrder(Option0, Option1);
    OKButton->setFocus();

    connect(OKButton, &QPushButton::clicked, this, &FormIdioma::OKButton_Click);
    setAccessibleNames(this, GameWindow::FormIdioma);
}

void FormIdioma::OKButton_Click()
{
    if (Option0->isChecked())
        state_.LanguageCode = kEnglish;
    if (Option1->isChecked())
        state_.LanguageCode = kSpanish;
    accept();  // hides the window; it is not destroyed
}

}  // namespace tessaron
