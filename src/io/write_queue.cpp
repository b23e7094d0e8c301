// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/write_queue.h"

#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "io/files.h"

namespace quarnel {

namespace {

WriteCall& currentWriteCall() {
    static WriteCall call = [](int fd, const uint8_t* bytes, size_t count) {
        return ::write(fd, bytes, count);
    };
    return call;
}

bool& testWriterSet() {
    static bool set = false;
    return set;
}

// A core besides the run's own is idle: the cores the process may run on, less the load.
bool aSecondCoreIsIdle() {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(0, sizeof cpus, &cpus) != 0 || CPU_COUNT(&cpus) < 2) return false;
    double load = 0;
    if (::getloadavg(&load, 1) != 1) return false;
    return load <= double(CPU_COUNT(&cpus) - 1);
}

// Writes all `count` bytes; returns 0 or the errno of the failed call.
int writeWhole(const WriteCall& call, int fd, const uint8_t* p, size_t count) {
    while (count > 0) {
        const ssize_t w = call(fd, p, count);
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += w;
        count -= size_t(w);
    }
    return 0;
}

}  // namespace

ScopedWriteCall::ScopedWriteCall(WriteCall call) : previous_(std::move(currentWriteCall())) {
    currentWriteCall() = std::move(call);
    testWriterSet() = true;
}

ScopedWriteCall::~ScopedWriteCall() {
    currentWriteCall() = std::move(previous_);
    testWriterSet() = false;
}

WriteQueue::WriteQueue() : call_(currentWriteCall()), threaded_(testWriterSet() || aSecondCoreIsIdle()) {}

WriteQueue::~WriteQueue() {
    {
        const std::lock_guard hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void WriteQueue::fail(OutputFile& file, int err) {
    file.failed_ = err;
    if (failedErrno_ != 0) return;
    failedErrno_ = err;
    failedPath_ = file.path();
}

void WriteQueue::raiseFailure() const {
    throw QuarnelError("Cannot write file \"" + failedPath_ + "\". " + systemReason(failedErrno_));
}

uint8_t* WriteQueue::take(OutputFile& file) {
    std::unique_lock hold(lock_);
    uint8_t* block = nullptr;
    while (!block) {
        if (failedErrno_ != 0) raiseFailure();
        if (!free_.empty()) {
            block = free_.back();  // the block used last: its pages are still at hand
            free_.pop_back();
        } else if (blocks_.size() < kBlocks || (jobs_.empty() && !writing_ && holders_.empty())) {
            blocks_.push_back(std::make_unique_for_overwrite<uint8_t[]>(kBlockSize));
            block = blocks_.back().get();
        } else if (holders_.size() > kBlocks / 2 || (jobs_.empty() && !writing_)) {
            // Most blocks are being filled by outputs (many streams, some seldom written): the
            // fullest one is handed over, so that no output waits long for a block.
            const auto fullest =
                std::ranges::max_element(holders_, {}, [](const OutputFile* o) { return o->used_; });
            OutputFile* const victim = *fullest;
            hold.unlock();
            victim->flush();
            hold.lock();
        } else {
            changed_.wait(hold);
        }
    }
    holders_.push_back(&file);
    return block;
}

void WriteQueue::submit(OutputFile& file, uint8_t* block, size_t size) {
    std::unique_lock hold(lock_);
    std::erase(holders_, &file);
    if (!threaded_) {
        const int err = file.failed_ != 0 ? 0 : writeWhole(call_, file.fd_, block, size);
        free_.push_back(block);
        if (err != 0) fail(file, err);
        if (failedErrno_ != 0) raiseFailure();
        return;
    }
    if (file.failed_ != 0) {
        free_.push_back(block);
    } else {
        jobs_.push_back({&file, file.fd_, block, size});
        ++file.queued_;
        if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
    }
    changed_.notify_all();
    if (failedErrno_ != 0) raiseFailure();
}

void WriteQueue::giveBack(OutputFile& file, uint8_t* block) {
    {
        const std::lock_guard hold(lock_);
        std::erase(holders_, &file);
        free_.push_back(block);
    }
    changed_.notify_all();
}

void WriteQueue::drain(OutputFile& file, bool raise) {
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return file.queued_ == 0; });
    if (raise && failedErrno_ != 0) raiseFailure();
}

void WriteQueue::drop(OutputFile& file) noexcept {
    std::unique_lock hold(lock_);
    std::erase_if(jobs_, [&](const Job& job) {
        if (job.file != &file) return false;
        free_.push_back(job.block);
        --file.queued_;
        return true;
    });
    changed_.wait(hold, [&] { return file.queued_ == 0; });
    hold.unlock();
    changed_.notify_all();
}

void WriteQueue::work() {
    std::unique_lock hold(lock_);
    for (;;) {
        changed_.wait(hold, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        const Job job = jobs_.front();
        jobs_.pop_front();
        writing_ = job.file;
        const bool skip = job.file->failed_ != 0;
        hold.unlock();
        const int err = skip ? 0 : writeWhole(call_, job.fd, job.block, job.size);
        hold.lock();
        if (err != 0) fail(*job.file, err);
        free_.push_back(job.block);
        --job.file->queued_;
        writing_ = nullptr;
        changed_.notify_all();
    }
}

}  // namespace quarnel
