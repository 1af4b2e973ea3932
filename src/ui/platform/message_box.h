#pragma once
// Modal message boxes titled with the program's name, and a seam that lets tests answer
// them without a box on the screen.

#include "core/platform/runtime_error.h"

#include <QString>

#include <functional>

class QWidget;

namespace tessaron {

enum class BoxKind {
    Ok,                  // OK alone, no icon
    OkInformation,       // OK alone, information icon
    YesNoInformation,    // Yes and No, information icon, No the default
};

enum class BoxAnswer { Ok, Yes, No };

struct BoxRequest {
    BoxKind kind;
    QString text;
};

// While an answerer is installed, boxes are not shown: the answerer is asked instead.
// An empty function restores real boxes.
using BoxAnswerer = std::function<BoxAnswer(const BoxRequest&)>;
void setBoxAnswerer(BoxAnswerer answerer);

void showMessage(QWidget* parent, const QString& text);
void showInformation(QWidget* parent, const QString& text);

// Enter answers No (the default); Escape and the close box do nothing, since the
// question has no Cancel: the player must choose.
BoxAnswer askYesNo(QWidget* parent, const QString& text);

// "Error: N.  description", OK alone, no icon.
void showError(QWidget* parent, const RuntimeError& error);

}  // namespace tessaron
