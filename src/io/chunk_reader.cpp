// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/chunk_reader.h"

#include <algorithm>

namespace quarnel {

ChunkReader::ChunkReader(InputFile& input, size_t chunkSize, uint8_t* first)
    : input_(input), chunkSize_(chunkSize), position_(input.position()) {
    for (size_t k = 0; k < kDepth; ++k) {
        if (k == 0 && first) {
            buffers_[k] = first;
            continue;
        }
        owned_.push_back(std::make_unique_for_overwrite<uint8_t[]>(chunkSize));  // read into before use
        buffers_[k] = owned_.back().get();
    }
    thread_ = std::thread([this] { work(); });
}

ChunkReader::~ChunkReader() {
    {
        const std::lock_guard hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::span<uint8_t> ChunkReader::next() {
    std::unique_lock hold(lock_);
    if (released_ < taken_) {
        released_ = taken_;
        changed_.notify_all();
    }
    changed_.wait(hold, [&] { return read_ > taken_ || ended_; });
    if (read_ == taken_) {
        if (failure_) std::rethrow_exception(failure_);
        return {};
    }
    const size_t k = taken_++ % kDepth;
    position_ += sizes_[k];
    return {buffers_[k], sizes_[k]};
}

void ChunkReader::askAhead() {
    askedTo_ = std::max(askedTo_, input_.position());
    if (askedTo_ >= input_.size() || askedTo_ - input_.position() > kKernelAhead / 2) return;
    input_.willNeed(askedTo_, kKernelAhead / 2);
    askedTo_ += kKernelAhead / 2;
}

void ChunkReader::work() {
    for (;;) {
        size_t k;
        {
            std::unique_lock hold(lock_);
            changed_.wait(hold, [&] { return stopping_ || read_ - released_ < kDepth; });
            if (stopping_) break;
            k = read_ % kDepth;
        }
        if (input_.position() >= input_.size()) break;
        askAhead();
        size_t n = 0;
        try {
            n = input_.read(buffers_[k], chunkSize_);
        } catch (...) {
            const std::lock_guard hold(lock_);
            failure_ = std::current_exception();
            break;
        }
        if (n == 0) break;  // the file is shorter than when it was opened
        {
            const std::lock_guard hold(lock_);
            sizes_[k] = n;
            ++read_;
        }
        changed_.notify_all();
    }
    {
        const std::lock_guard hold(lock_);
        ended_ = true;
    }
    changed_.notify_all();
}

}  // namespace quarnel
