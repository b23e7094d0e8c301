// SPDX-License-Identifier: GPL-3.0-or-later
// The blocks that a run's outputs fill and the thread that writes them, so that the kernel's
// copy of the written bytes runs beside the parse of the next chunk. The blocks come from one
// pool of a fixed size: memory stays the same however many outputs a run writes.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quarnel {

class OutputFile;

// How a block reaches its file: ::write, or a test's fake. Returns what write(2) returns and
// leaves errno as it does.
using WriteCall = std::function<ssize_t(int fd, const uint8_t* bytes, size_t count)>;

// The write call of every queue created while it lives, which then writes from its thread
// whatever the load (a test's slow or failing writer).
class ScopedWriteCall {
  public:
    explicit ScopedWriteCall(WriteCall call);
    ~ScopedWriteCall();
    ScopedWriteCall(const ScopedWriteCall&) = delete;
    ScopedWriteCall& operator=(const ScopedWriteCall&) = delete;

  private:
    WriteCall previous_;
};

// Owned by a run, declared before (so destroyed after) the outputs that write through it. An
// output hands over a block when it is full or finished; the thread writes the blocks in the
// order they came, so each file's bytes stay in order. The first failed write is raised, as
// "Cannot write file ...", by the next call of any output on the queue.
//
// The thread is used only when a second core is idle as the queue is created (the load
// average is at most one less than the cores the process may use): on a busy two-core machine
// the hand-over between cores cost more than it saved, so a block is then written at once by
// the run's own thread, still a whole block a call.
class WriteQueue {
  public:
    static constexpr size_t kBlockSize = size_t(1) << 20;  // one write call, when a stream has that much
    static constexpr size_t kBlocks = 16;                  // the pool: 16 MiB at most

    WriteQueue();
    ~WriteQueue();  // writes what is queued, then ends the thread
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

  private:
    friend class OutputFile;
    struct Job {
        OutputFile* file;
        int fd;
        uint8_t* block;
        size_t size;
    };

    // A free block for `file`; when there is none and outputs hold most of the blocks (or
    // all), the fullest other one is handed to the thread first. Raises an earlier failed
    // write.
    uint8_t* take(OutputFile& file);
    void submit(OutputFile& file, uint8_t* block, size_t size);
    // A block taken and not filled goes back to the pool.
    void giveBack(OutputFile& file, uint8_t* block);
    // Waits until every block `file` handed over is written; raises a failed write when asked.
    void drain(OutputFile& file, bool raise);
    // Drops the blocks of `file` that wait and waits for the one being written, if any.
    void drop(OutputFile& file) noexcept;
    void fail(OutputFile& file, int err);  // with the lock held
    void raiseFailure() const;             // with the lock held
    void work();

    const WriteCall call_;
    const bool threaded_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    const OutputFile* writing_ = nullptr;             // the file of the block being written
    std::vector<std::unique_ptr<uint8_t[]>> blocks_;  // allocated as they are first needed
    std::vector<uint8_t*> free_;
    std::vector<OutputFile*> holders_;  // outputs filling a block (touched by the run's thread only)
    int failedErrno_ = 0;
    std::string failedPath_;
    bool stopping_ = false;
    std::thread thread_;  // started by the first block handed over
};

}  // namespace quarnel
