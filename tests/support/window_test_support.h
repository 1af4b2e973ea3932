#pragma once
// What the window tests share: message boxes answered without a screen, and modal
// windows driven from inside their own event loop.

#include "ui/platform/message_box.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <ostream>
#include <utility>

// Failures show the text, not the bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tessaron::test {

// While it lives, every message box is answered with OK and kept here instead of shown.
struct BoxRecorder {
    QList<BoxRequest> boxes;

    BoxRecorder()
    {
        setBoxAnswerer([this](const BoxRequest& request) {
            boxes << request;
            return BoxAnswer::Ok;
        });
    }
    ~BoxRecorder() { setBoxAnswerer({}); }

    // What the boxes said since the last call, oldest first.
    QStringList take()
    {
        QStringList texts;
        for (const BoxRequest& box : std::exchange(boxes, {}))
            texts << box.text;
        return texts;
    }
};

// Runs the window modally and acts on it once its loop is up, as a player would.
inline int execWhile(QDialog& window, std::function<void()> act)
{
    QTimer::singleShot(0, &window, std::move(act));
    return window.exec();
}

}  // namespace tessaron::test
