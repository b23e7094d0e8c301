// SPDX-License-Identifier: GPL-3.0-or-later
// A whole file mapped read-only into memory, for walking a written stream from start to end
// without reading it into a buffer; the kernel pages it in and out as the walk goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quarnel {

class MappedFile {
  public:
    // Maps `path`; raises QuarnelError when it cannot be opened or mapped.
    explicit MappedFile(const std::string& path);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();
    std::span<const uint8_t> bytes() const { return {data_, size_}; }

  private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace quarnel
