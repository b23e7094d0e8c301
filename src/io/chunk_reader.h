// SPDX-License-Identifier: GPL-3.0-or-later
// A file read ahead of its parse by a thread of its own: chunks of one size land in a ring of
// buffers and the parse takes them in order, so the kernel's copy of the next chunks runs
// beside the parse of this one.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "io/files.h"

namespace quarnel {

class ChunkReader {
  public:
    static constexpr size_t kDepth = 8;  // the chunks that may be read ahead, the one in hand among them
    // The kernel is asked for the file this far ahead of the reads, in steps of half of it, so
    // that a file on a disk arrives while the chunks before it are parsed.
    static constexpr uint64_t kKernelAhead = 16 << 20;

    // Starts reading `input` from its position, `chunkSize` bytes a read. `first`, when given,
    // holds chunkSize bytes and is one of the ring's buffers. The input belongs to the reader
    // until it is destroyed; its position is then anywhere past the chunks taken.
    ChunkReader(InputFile& input, size_t chunkSize, uint8_t* first = nullptr);
    ~ChunkReader();
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    // The next chunk, the caller's to change until the next call; empty at the end of the file
    // (also where it ends before the size it had when opened). A failed read is raised here,
    // after the chunks read before it.
    std::span<uint8_t> next();
    // The file position after the chunks taken.
    uint64_t position() const { return position_; }

  private:
    void work();
    void askAhead();

    InputFile& input_;
    const size_t chunkSize_;
    std::vector<std::unique_ptr<uint8_t[]>> owned_;
    std::array<uint8_t*, kDepth> buffers_{};
    std::array<size_t, kDepth> sizes_{};
    uint64_t position_;
    uint64_t askedTo_ = 0;  // the end of the range the kernel was asked for (the thread's)

    std::mutex lock_;
    std::condition_variable changed_;
    uint64_t read_ = 0;      // chunks read by the thread
    uint64_t taken_ = 0;     // chunks handed to the parse
    uint64_t released_ = 0;  // chunks the parse is done with
    bool ended_ = false;     // the thread read its last chunk
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace quarnel
