// Work on a thread of its own whose completion handler runs in the
// user-interface thread, and letting pending user-interface events run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;
class QThread;

namespace platform {

// Lets the window system handle pending events; nothing without an application.
void processPendingEvents();

// Starts `work` at once on a thread above normal priority. When it is done,
// `onFinished` runs once in the user-interface thread: posted there when an
// application runs an event loop, or at the latest in waitAndComplete. Create,
// wait for and destroy the task in the user-interface thread; destroying it
// waits for the work (the handler then does not run).
class BackgroundTask {
public:
    BackgroundTask(std::function<void()> work, std::function<void()> onFinished);
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // The handler has run.
    bool completed() const { return completed_; }
    // Processes events until the work is done, then runs the handler if it
    // has not run yet.
    void waitAndComplete();

private:
    void complete();

    std::function<void()> work_;
    std::function<void()> onFinished_;
    std::atomic<bool> workDone_{false};
    bool completed_ = false;
    std::mutex mutex_;
    std::condition_variable doneSignal_;
    std::unique_ptr<QObject> context_;  // receives the posted handler; dropping it drops the post
    std::unique_ptr<QThread> thread_;
};

} // namespace platform
