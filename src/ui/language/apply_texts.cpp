#include "ui/language/apply_texts.h"

#include "ui/shell/accessibility.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace tessaron {
namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setCaption(QObject* object, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(object))
        action->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(object))
        frame->setTitle(text);
}

// A menu pops up as a window of its own but belongs to the window of its menu bar;
// any other window below this one is a different form with names of its own.
bool belongsElsewhere(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

// Every control of the window with that name: a submenu and the action that opens it
// share their name and both carry the caption.
void collectNamed(QObject* parent, const QString& name, QList<QObject*>& found)
{
    for (QObject* child : parent->children()) {
        if (belongsElsewhere(child))
            continue;
        if (child->objectName() == name)
            found.append(child);
        collectNamed(child, name, found);
    }
}

bool knownLanguage(std::int16_t code) { return code == kEnglish || code == kSpanish; }

void setCheckMark(QWidget* form1, const char* name, bool checked)
{
    QList<QObject*> found;
    collectNamed(form1, QString::fromUtf8(name), found);
    for (QObject* object : found) {
        if (auto* action = qobject_cast<QAction*>(object))
            action->setChecked(checked);
    }
}

}  // namespace

void applyWindowTexts(QWidget* window, TextWindow which, std::int16_t languageCode)
{
    if (!window || !knownLanguage(languageCode))
        return;
    for (const Caption& caption : windowCaptions(which)) {
        const QString text = toQString(*captionText(caption, languageCode));
        QList<QObject*> found;
        collectNamed(window, toQString(caption.control), found);
        for (QObject* object : found)
            setCaption(object, text);
    }
    // Lists and pictures have no caption of their own: their descriptions follow too.
    setAccessibleNames(window, languageCode);
}

void ApplyLanguageTexts(GameState& state, QWidget* form1, const std::function<QWidget*()>& dialog,
    const std::function<QWidget*()>& about)
{
    if (form1 && knownLanguage(state.LanguageCode)) {
        setCheckMark(form1, "MLanguageIngles", state.LanguageCode == kEnglish);
        setCheckMark(form1, "MLanguageEspa\u00F1ol", state.LanguageCode == kSpanish);
    }
    applyWindowTexts(form1, TextWindow::Form1, state.LanguageCode);
    // The window is asked for first: creating it runs its own load, and the code is
    // read after that.
    if (knownLanguage(state.LanguageCode) && dialog) {
        QWidget* window = dialog();
        applyWindowTexts(window, TextWindow::Dialog, state.LanguageCode);
    }
    if (knownLanguage(state.LanguageCode) && about) {
        QWidget* window = about();
        applyWindowTexts(window, TextWindow::About, state.LanguageCode);
    }
}

}  // namespace tessaron
