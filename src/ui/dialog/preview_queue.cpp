#include "ui/dialog/preview_queue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <new>
#include <utility>

namespace tessaron {
namespace {

// Previews have a thread of their own. Qt's image helpers split large conversions and
// scalings over the global pool and wait for them on the window thread, so a decode
// there could hold the window after all. No decode outlives the application: metafiles
// draw text, which needs it.
QThreadPool* previewThread()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(1);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, pool, [threads = pool.data()] { threads->waitForDone(); });
    }
    return pool;
}

}  // namespace

PreviewQueue::PreviewQueue(QObject* parent)
    : QObject(parent), loader_(loadPreview), watcher_(new QFutureWatcher<Outcome>(this))
{
    // A queue destroyed with a decode running takes its watcher along, so the result is
    // never delivered; the decode itself holds copies of all it uses and ends on its own.
    connect(watcher_, &QFutureWatcherBase::finished, this, &PreviewQueue::decoded);
}

void PreviewQueue::request(const QString& path, QSize box, const PictureOptions& options)
{
    wanted_ = true;
    // The very preview being decoded (the player came back to the file, or the dialog
    // was shown again) is taken when it ends instead of being decoded twice.
    if (busy_ && sameJob(running_, {path, box, options})) {
        next_.reset();
        runningWanted_ = true;
        return;
    }
    next_ = Job{path, box, options};
    runningWanted_ = false;
    if (!busy_)
        startNext();
}

bool PreviewQueue::sameJob(const Job& a, const Job& b)
{
    return a.path == b.path && a.box == b.box && a.options.twipsX == b.options.twipsX
        && a.options.twipsY == b.options.twipsY && a.options.background == b.options.background;
}

void PreviewQueue::cancel()
{
    next_.reset();
    runningWanted_ = false;
    wanted_ = false;
}

void PreviewQueue::startNext()
{
    if (!next_)
        return;
    const Job job = *std::exchange(next_, std::nullopt);
    busy_ = true;
    runningWanted_ = true;
    running_ = job;
    watcher_->setFuture(QtConcurrent::run(previewThread(), [loader = loader_, job]() -> Outcome {
        try {
            return {loader(job.path, job.box, job.options), std::nullopt};
        } catch (const RuntimeError& error) {
            return {QImage(), error};
        } catch (const std::bad_alloc&) {
            return {QImage(), RuntimeError(err::OutOfMemory)};
        }
    }));
}

void PreviewQueue::decoded()
{
    busy_ = false;
    const bool wanted = std::exchange(runningWanted_, false);
    Outcome outcome = watcher_->future().takeResult();
    // The next decode starts before this result is handed on: whoever takes it may ask
    // for another preview at once, and the queue must already be free for it.
    startNext();
    if (!wanted)
        return;
    wanted_ = false;
    if (outcome.error)
        emit failed(*outcome.error);
    else
        emit previewed(outcome.picture);
}

}  // namespace tessaron
