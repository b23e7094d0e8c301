// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/task_lane.h"

#include <sched.h>


namespace quarnel {

bool aSecondCoreToRunOn() {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    return ::sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) >= 2;
}

TaskLane::~TaskLane() {
    {
        const std::lock_guard hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TaskLane::run(std::function<void()> task) {
    if (!threaded_) {
        task();
        return;
    }
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return tasks_.size() < kWaiting; });
    tasks_.push_back(std::move(task));
    if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
    hold.unlock();
    changed_.notify_all();
}

void TaskLane::wait() {
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return tasks_.empty() && !running_; });
}

void TaskLane::work() {
    std::unique_lock hold(lock_);
    for (;;) {
        changed_.wait(hold, [&] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        const std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        running_ = true;
        hold.unlock();
        task();
        hold.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace quarnel
