// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/chunk_reader.h"

#include <algorithm>

namespace quarnel {

std::span<uint8_t> ChunkReader::next() {
    const uint64_t at = input_.position();
    if (at >= input_.size()) return {};
    // Half of the range ahead is asked for whenever the reads have come within half of it.
    askedTo_ = std::max(askedTo_, at);
    if (askedTo_ < input_.size() && askedTo_ - at <= kKernelAhead / 2) {
        input_.willNeed(askedTo_, kKernelAhead / 2);
        askedTo_ += kKernelAhead / 2;
    }
    return buffer_.first(input_.read(buffer_.data(), buffer_.size()));
}

}  // namespace quarnel
