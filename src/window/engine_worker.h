#pragma once
// The engine's own thread: it runs the window's commands one after the other, so that the
// window's thread never waits for the engine.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace scourvane::window {

class EngineWorker {
  public:
    EngineWorker();
    // Ends the thread after the task under way and waits for it.
    ~EngineWorker();
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    // Runs `task` on the worker after those posted before it; ignored once stopped.
    void post(std::function<void()> task);
    // Takes no more tasks, lets the task under way end and waits for it at most `wait`; true when
    // the thread has ended. When it has not, the thread is left to end on its own: the program is
    // about to exit.
    bool stop(std::chrono::milliseconds wait);

  private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace scourvane::window
