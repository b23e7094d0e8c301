// SPDX-License-Identifier: GPL-3.0-or-later
// What a run's outputs write and the thread that writes it, so that the kernel's copy of the
// written bytes runs beside the parse of the next bytes.
//
// An output's bytes are collected as a batch: pieces that lie in the mapped input (no copy is
// made; the batch holds the window they lie in) and bytes of its own (headers, converted
// samples). A batch is handed over whole and written with gathering writes, one call for up to
// kPiecesPerCall pieces.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace quarnel {

class MappedWindow;
class OutputFile;

// How a batch reaches its file: ::writev, or a test's fake. Returns what writev(2) returns and
// leaves errno as it does.
using WriteCall = std::function<ssize_t(int fd, const iovec* pieces, int count)>;

// The write call of every queue created while it lives, which then writes from its thread
// even on one core (a test's slow or failing writer).
class ScopedWriteCall {
  public:
    explicit ScopedWriteCall(WriteCall call);
    ~ScopedWriteCall();
    ScopedWriteCall(const ScopedWriteCall&) = delete;
    ScopedWriteCall& operator=(const ScopedWriteCall&) = delete;

  private:
    WriteCall previous_;
};

// Shown the marked pieces of an output right after they are written, in file order, on the
// thread that wrote them: the kernel's copy has just brought their bytes into that processor's
// cache. `mark` is what the piece was marked with (never 0).
using WrittenWatch = std::function<void(std::span<const uint8_t> bytes, uint8_t mark)>;

// The bytes an output has collected and not yet handed over, in file order.
struct WriteBatch {
    struct Piece {
        const uint8_t* mapped;  // in one of `windows`, or null for bytes of `own` from `offset`
        size_t offset;
        size_t size;
        uint8_t mark = 0;  // for the output's WrittenWatch; 0: unmarked
    };
    std::vector<Piece> pieces;
    std::vector<uint8_t> own;
    std::vector<std::shared_ptr<const MappedWindow>> windows;  // kept mapped until written
    size_t bytes = 0;

    void add(std::span<const uint8_t> copied);
    void add(std::span<const uint8_t> mapped, const std::shared_ptr<const MappedWindow>& window,
             uint8_t mark = 0);
    // The mapped pieces copied into `own`, so that no window is held.
    void keepOwnCopy();
    bool holdsWindows() const { return !windows.empty(); }
};

// Owned by a run, declared before (so destroyed after) the outputs that write through it. The
// thread writes the batches in the order they came, each file's after one another so that its
// bytes stay in order; while more than kQueuedBytes wait, the run's thread writes batches of
// other files beside it. The first failed write is raised, as "Cannot write file ...", by the
// next call of any output on the queue.
//
// The thread is used when the process may run on a second core; otherwise a batch is written
// at once by the run's own thread, still a whole batch a call.
class WriteQueue {
  public:
    static constexpr size_t kBatchBytes = size_t(1) << 20;  // an output's write, when it has that much
    // As the input moves on, a batch of pieces in its window is handed over when it holds this
    // much (copying it would cost more than a smaller write), else copied and kept.
    static constexpr size_t kSmallBatchBytes = size_t(64) << 10;
    static constexpr size_t kQueuedBytes = size_t(8) << 20;  // handed over and not yet written, at most
    static constexpr size_t kHeldBytes = size_t(8) << 20;    // copied by outputs and not yet handed over
    static constexpr int kPiecesPerCall = 1024;              // IOV_MAX on Linux
    // A watched output's write call carries at most this much, so that its bytes are still in
    // the cache when the watch is shown them.
    static constexpr size_t kWatchedCallBytes = size_t(256) << 10;
    // Any other write call carries at most this much: larger calls (a whole batch of mapped
    // pieces, several MiB) make the kernel take large page-cache folios for the file, and
    // finding them now and then costs several times the copy itself (a Rebuild of 250 MiB
    // went from 0.12 s to 0.4 s in about one run of three).
    static constexpr size_t kCallBytes = size_t(512) << 10;

    WriteQueue();
    ~WriteQueue();  // writes what is queued, then ends the thread
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

  private:
    friend class OutputFile;
    struct Job {
        OutputFile* file;
        int fd;
        WriteBatch batch;
    };

    // Hands a batch of `file` to the thread (or writes it at once); waits while too much is
    // queued. Raises an earlier failed write.
    void submit(OutputFile& file, WriteBatch&& batch);
    // Waits until every batch `file` handed over is written; raises a failed write when asked.
    void drain(OutputFile& file, bool raise);
    // Drops the batches of `file` that wait and waits for the one being written, if any.
    void drop(OutputFile& file) noexcept;
    // The bytes that outputs have copied and still hold, all outputs together.
    void holding(ptrdiff_t change) { held_ += change; }
    size_t held() const { return held_; }
    // Takes the next batch that may be written now and writes it, the lock let go of meanwhile;
    // false when there is none.
    bool writeOne(std::unique_lock<std::mutex>& hold);
    // With the lock held; `why`: what failed instead of the write itself (the watch raised it).
    void fail(OutputFile& file, int err, std::string why = {});
    void raiseFailure() const;  // with the lock held
    int write(int fd, const WriteBatch& batch, const WrittenWatch& watch) const;
    void work();

    const WriteCall call_;
    const bool threaded_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    size_t queuedBytes_ = 0;
    size_t held_ = 0;  // touched by the run's thread only
    int failedErrno_ = 0;
    std::string failedPath_, failedWhy_;
    bool stopping_ = false;
    std::thread thread_;  // started by the first batch handed over
};

}  // namespace quarnel
