#include "window/engine_worker.h"

namespace scourvane::window {

EngineWorker::EngineWorker() : thread_([this] { loop(); }) {}

EngineWorker::~EngineWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void EngineWorker::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
}

bool EngineWorker::stop(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    tasks_.clear();
    changed_.notify_all();
    if (!changed_.wait_for(lock, wait, [this] { return ended_; })) {
        lock.unlock();
        if (thread_.joinable()) thread_.detach();
        return false;
    }
    lock.unlock();
    if (thread_.joinable()) thread_.join();
    return true;
}

void EngineWorker::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) break;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
    ended_ = true;
    changed_.notify_all();
}

}  // namespace scourvane::window
