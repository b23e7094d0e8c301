// SPDX-License-Identifier: GPL-3.0-or-later
// A stretch of an open file mapped read-only into memory, so that a pass reads the bytes where
// the kernel keeps them instead of copying them into a buffer first.
//
// A file that another program shortens while it is mapped would otherwise end the process
// (SIGBUS on the first touch of a page past the new end). While a window is mapped, a handler
// puts zero pages in place of the rest of the window and marks it shortened; its reader checks
// shortened() after it has read the bytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace quarnel {

class MappedWindow {
  public:
    MappedWindow() = default;
    ~MappedWindow() { unmap(); }
    MappedWindow(const MappedWindow&) = delete;
    MappedWindow& operator=(const MappedWindow&) = delete;

    // Maps `count` bytes of `fd` from `offset` (a multiple of the page size). A file that
    // cannot be mapped (on a file system without mmap) is read into memory of the window's own
    // instead, as far as it reaches. Returns the errno of a failed read, 0 on success.
    int map(int fd, uint64_t offset, size_t count);
    // Copies up to `count` bytes of `fd` from `offset` into memory of the window's own, reusing
    // the memory of an earlier copy when it is large enough. Returns the errno of a failed
    // read, 0 on success; the window then holds the bytes read before the end of the file.
    int copy(int fd, uint64_t offset, size_t count);
    void unmap() noexcept;
    std::span<const uint8_t> bytes() const { return {data_, size_}; }
    uint64_t offset() const { return offset_; }
    // True when a page of the window lay past the file's end as it was read (its bytes read as zero).
    bool shortened() const;

  private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::unique_ptr<uint8_t[]> read_;  // the bytes read instead of mapped
    size_t readCapacity_ = 0;
    uint64_t offset_ = 0;
    int slot_ = -1;  // the window's place among those the handler knows
};

}  // namespace quarnel
