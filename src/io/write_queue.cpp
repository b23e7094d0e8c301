// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/write_queue.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

#include "io/cores.h"
#include "io/files.h"
#include "io/mapped_window.h"
#include "io/thread_start.h"

namespace quarnel {

namespace {

WriteCall& currentWriteCall() {
    static WriteCall call = [](int fd, const iovec* pieces, int count) {
        return ::writev(fd, pieces, count);
    };
    return call;
}

bool& testWriterSet() {
    static bool set = false;
    return set;
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

void WriteBatch::add(std::span<const uint8_t> copied) {
    if (copied.empty()) return;
    if (!pieces.empty() && !pieces.back().mapped && pieces.back().mark == 0 &&
        pieces.back().offset + pieces.back().size == own.size())
        pieces.back().size += copied.size();
    else
        pieces.push_back({nullptr, own.size(), copied.size()});
    own.insert(own.end(), copied.begin(), copied.end());
    bytes += copied.size();
}

void WriteBatch::add(std::span<const uint8_t> mapped, const std::shared_ptr<const MappedWindow>& window,
                     uint8_t mark) {
    if (mapped.empty()) return;
    if (windows.empty() || windows.back() != window) windows.push_back(window);
    if (!pieces.empty() && pieces.back().mapped &&
        pieces.back().mapped + pieces.back().size == mapped.data() && pieces.back().mark == mark)
        pieces.back().size += mapped.size();  // the next bytes of the input: one piece
    else
        pieces.push_back({mapped.data(), 0, mapped.size(), mark});
    bytes += mapped.size();
}

void WriteBatch::keepOwnCopy() {
    if (windows.empty()) return;
    // Each mapped piece's bytes go to the end of `own`; the pieces keep their order.
    for (Piece& p : pieces) {
        if (!p.mapped) continue;
        const size_t offset = own.size();
        own.insert(own.end(), p.mapped, p.mapped + p.size);
        p = {nullptr, offset, p.size, p.mark};
    }
    windows.clear();
}

WriteQueue::WriteQueue() : call_(currentWriteCall()), threaded_(testWriterSet() || aSecondCoreToRunOn()) {}

WriteQueue::~WriteQueue() {
    {
        const std::lock_guard hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void WriteQueue::fail(OutputFile& file, int err, std::string why) {
    file.failed_ = err;
    if (failedErrno_ != 0) return;
    failedErrno_ = err;
    failedPath_ = file.path();
    failedWhy_ = std::move(why);
}

void WriteQueue::raiseFailure() const {
    if (!failedWhy_.empty()) throw QuarnelError("Cannot write file \"" + failedPath_ + "\": " + failedWhy_);
    throw QuarnelError("Cannot write file \"" + failedPath_ + "\". " + systemReason(failedErrno_));
}

// Writes the whole batch, up to kPiecesPerCall pieces a call (kWatchedCallBytes when watched),
// the marked pieces of each call shown to `watch` once it is written; returns 0 or the errno
// of the failed call.
int WriteQueue::write(int fd, const WriteBatch& batch, const WrittenWatch& watch) const {
    std::vector<iovec> pieces;
    pieces.reserve(std::min(batch.pieces.size(), size_t(kPiecesPerCall)));
    const size_t callBytes = watch ? kWatchedCallBytes : kCallBytes;
    size_t next = 0;
    while (next < batch.pieces.size()) {
        pieces.clear();
        const size_t firstPiece = next;
        size_t bytes = 0;
        for (; next < batch.pieces.size() && pieces.size() < size_t(kPiecesPerCall) && bytes < callBytes;
             ++next) {
            const WriteBatch::Piece& p = batch.pieces[next];
            const uint8_t* from = p.mapped ? p.mapped : batch.own.data() + p.offset;
            pieces.push_back({const_cast<uint8_t*>(from), p.size});
            bytes += p.size;
        }
        size_t first = 0;
        while (first < pieces.size()) {
            const ssize_t w = call_(fd, pieces.data() + first, int(pieces.size() - first));
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            // Past what was written: whole pieces skipped, the rest of a piece kept.
            size_t done = size_t(w);
            while (first < pieces.size() && done >= pieces[first].iov_len) done -= pieces[first++].iov_len;
            if (first < pieces.size()) {
                pieces[first].iov_base = static_cast<uint8_t*>(pieces[first].iov_base) + done;
                pieces[first].iov_len -= done;
            }
        }
        if (watch)
            for (size_t k = firstPiece; k < next; ++k) {
                const WriteBatch::Piece& p = batch.pieces[k];
                if (p.mark != 0) watch({p.mapped ? p.mapped : batch.own.data() + p.offset, p.size}, p.mark);
            }
    }
    return 0;
}

void WriteQueue::submit(OutputFile& file, WriteBatch&& batch) {
    if (!threaded_) {
        const int err = file.failed_ != 0 ? 0 : write(file.fd_, batch, file.watch_);
        const std::lock_guard hold(lock_);
        if (err != 0) fail(file, err);
        if (failedErrno_ != 0) raiseFailure();
        return;
    }
    std::unique_lock hold(lock_);
    if (failedErrno_ != 0) raiseFailure();
    if (file.failed_ == 0) {
        queuedBytes_ += batch.bytes;
        jobs_.push_back({&file, file.fd_, std::move(batch)});
        ++file.queued_;
        if (!thread_.joinable()) {
            try {
                thread_ = startThread([this] { work(); });
            } catch (const std::system_error&) {
                // No second thread to be had: the run's thread writes what is queued itself.
                while (writeOne(hold)) {
                }
            }
        }
        changed_.notify_all();
    }
    // Rather than wait while too much is queued, the run's thread writes a batch itself (of
    // another file than the one the writer is on).
    while (queuedBytes_ > kQueuedBytes && failedErrno_ == 0)
        if (!writeOne(hold)) changed_.wait(hold);
    if (failedErrno_ != 0) raiseFailure();
}

void WriteQueue::drain(OutputFile& file, bool raise) {
    std::unique_lock hold(lock_);
    while (file.queued_ != 0)
        if (!writeOne(hold)) changed_.wait(hold);
    if (raise && failedErrno_ != 0) raiseFailure();
}

void WriteQueue::drop(OutputFile& file) noexcept {
    std::deque<Job> dropped;  // their windows are let go of without the lock
    std::unique_lock hold(lock_);
    for (auto job = jobs_.begin(); job != jobs_.end();) {
        if (job->file != &file) {
            ++job;
            continue;
        }
        queuedBytes_ -= job->batch.bytes;
        --file.queued_;
        dropped.push_back(std::move(*job));
        job = jobs_.erase(job);
    }
    changed_.wait(hold, [&] { return file.queued_ == 0; });
    hold.unlock();
    changed_.notify_all();
}

bool WriteQueue::writeOne(std::unique_lock<std::mutex>& hold) {
    // The first batch whose file no thread is writing is the earliest of its file: each
    // file's batches are written one after the other, in order.
    const auto next = std::ranges::find_if(jobs_, [](const Job& job) { return !job.file->writing_; });
    if (next == jobs_.end()) return false;
    Job job = std::move(*next);
    jobs_.erase(next);
    job.file->writing_ = true;
    const bool skip = job.file->failed_ != 0;
    hold.unlock();
    int err = 0;
    std::string why;
    // What the watch raises on the writer's thread ends the run with an error, as a failed
    // write does, rather than the program.
    try {
        if (!skip) err = write(job.fd, job.batch, job.file->watch_);
    } catch (const std::exception& e) {
        err = EIO;
        why = e.what();
    } catch (...) {
        err = EIO;
        why = "the check of the written bytes failed";
    }
    const size_t bytes = job.batch.bytes;
    job.batch = {};  // its windows let go of before the file may be closed
    hold.lock();
    if (err != 0) fail(*job.file, err, std::move(why));
    job.file->writing_ = false;
    queuedBytes_ -= bytes;
    --job.file->queued_;
    changed_.notify_all();
    return true;
}

void WriteQueue::work() {
    std::unique_lock hold(lock_);
    while (!(stopping_ && jobs_.empty()))
        if (!writeOne(hold)) changed_.wait(hold);
}

}  // namespace quarnel
