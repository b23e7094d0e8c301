// SPDX-License-Identifier: GPL-3.0-or-later
// A second thread for work that may run beside a pass (frame counting), on a second core.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quarnel {

// True when the process may run on more than one core. A second thread is then worth starting
// whatever the load: on a busy two-core machine a Demux with its threads took 0.69–0.89 s where
// one thread took 0.92–1.08 s, and a decision taken from the load as a run starts was often
// wrong (a moment's kernel work after a sync turned the threads off for the whole run).
bool aSecondCoreToRunOn();

// Runs the tasks handed to it one after another, in the order they came, on its own thread
// (started by the first task) or, when it was made without one, at once on the caller's. At
// most kWaiting tasks wait; the caller waits beyond that.
class TaskLane {
  public:
    static constexpr size_t kWaiting = 2;

    explicit TaskLane(bool threaded) : threaded_(threaded) {}
    ~TaskLane();  // runs what waits, then ends the thread
    TaskLane(const TaskLane&) = delete;
    TaskLane& operator=(const TaskLane&) = delete;

    bool threaded() const { return threaded_; }
    void run(std::function<void()> task);
    // Returns once every task handed over has run.
    void wait();

  private:
    void work();

    const bool threaded_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;  // the thread is running a task
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quarnel
