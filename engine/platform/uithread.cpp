// Background work with a completion handler in the user-interface thread,
// over QThread and queued calls.
#include "platform/uithread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <chrono>

namespace platform {

void processPendingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

BackgroundTask::BackgroundTask(std::function<void()> work, std::function<void()> onFinished)
    : work_(std::move(work)), onFinished_(std::move(onFinished)), context_(std::make_unique<QObject>())
{
    QObject* context = context_.get();
    const bool post = QCoreApplication::instance() != nullptr;
    thread_.reset(QThread::create([this, context, post] {
        work_();
        {
            std::lock_guard lock(mutex_);
            workDone_ = true;
        }
        doneSignal_.notify_all();
        // The context object lives in the user-interface thread, so the call
        // runs there; it is dropped when the task is destroyed first.
        if (post)
            QMetaObject::invokeMethod(context, [this] { complete(); }, Qt::QueuedConnection);
    }));
    thread_->start(QThread::HighPriority);
}

BackgroundTask::~BackgroundTask()
{
    thread_->wait();
    context_.reset();  // removes a handler call still queued
}

void BackgroundTask::waitAndComplete()
{
    using namespace std::chrono_literals;
    while (!workDone_) {
        processPendingEvents();
        std::unique_lock lock(mutex_);
        doneSignal_.wait_for(lock, 2ms, [this] { return workDone_.load(); });
    }
    complete();
}

void BackgroundTask::complete()
{
    if (completed_ || !workDone_)
        return;
    completed_ = true;
    if (onFinished_)
        onFinished_();
}

} // namespace platform
