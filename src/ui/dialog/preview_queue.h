#pragma once
// The dialog's previews, decoded away from the window thread so that a huge picture never
// freezes the window. One decode runs at a time and only the newest request counts: a
// request that a newer one replaces before it starts never runs, and the result of one
// replaced or cancelled while it runs is dropped. A running decode is not interrupted;
// the loader's own caps bound it.

#include "core/platform/runtime_error.h"
#include "ui/platform/picture_loader.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace tessaron {

class PreviewQueue : public QObject {
    Q_OBJECT
public:
    // What decodes a preview: loadPreview, or a stand-in that tests hold back. It runs on
    // a pool thread, so it may touch nothing the window thread owns.
    using Loader = std::function<QImage(const QString& path, QSize box, const PictureOptions& options)>;

    explicit PreviewQueue(QObject* parent = nullptr);

    // Asks for the preview of `path`; whatever was asked before will never be delivered.
    void request(const QString& path, QSize box, const PictureOptions& options);
    // Drops every request: nothing asked so far is delivered.
    void cancel();
    // Whether a requested preview is still on its way.
    bool waiting() const { return wanted_; }
    // Whether a decode runs, or its end has not been handled yet (dropped or delivered).
    bool busy() const { return busy_; }

    void setLoader(Loader loader) { loader_ = std::move(loader); }

signals:
    // Exactly one of these answers the newest request, on the window thread, unless it
    // is cancelled or replaced first.
    void previewed(const QImage& picture);
    void failed(const tessaron::RuntimeError& error);

private:
    struct Job {
        QString path;
        QSize box;
        PictureOptions options;
    };
    struct Outcome {
        QImage picture;
        std::optional<RuntimeError> error;
    };

    static bool sameJob(const Job& a, const Job& b);
    void startNext();
    void decoded();

    Loader loader_;
    std::optional<Job> next_;      // asked for and not started
    Job running_;                  // what is being decoded
    bool busy_ = false;            // a decode runs, or its end is not handled yet
    bool runningWanted_ = false;   // its result answers the newest request
    bool wanted_ = false;          // some request is unanswered
    QFutureWatcher<Outcome>* watcher_;
};

}  // namespace tessaron
