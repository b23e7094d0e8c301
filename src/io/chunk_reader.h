// SPDX-License-Identifier: GPL-3.0-or-later
// A file read in order, chunk by chunk, into one buffer: the kernel is told so (at open) and
// asked for the next 16 MiB ahead of the reads, so that a file on a disk arrives while the
// chunks before it are parsed. (The reads stay on the parsing thread: a chunk read on another
// core is parsed from that core's cache, which costs more than the read on a two-core machine.)
#pragma once

#include <cstdint>
#include <span>

#include "io/files.h"

namespace quarnel {

class ChunkReader {
public:
    static constexpr uint64_t kKernelAhead = 16 << 20;

    // Reads `input` from its position into `buffer`, a chunk of buffer.size() bytes a call.
    ChunkReader(InputFile& input, std::span<uint8_t> buffer) : input_(input), buffer_(buffer) {}

    // The next chunk, in the buffer; empty at the end of the file (also where it ends before
    // the size it had when opened). Raises a failed read.
    std::span<uint8_t> next();
    // The file position after the chunks read.
    uint64_t position() const { return input_.position(); }

private:
    InputFile& input_;
    const std::span<uint8_t> buffer_;
    uint64_t askedTo_ = 0;  // the end of the range the kernel was asked for
};

}  // namespace quarnel
