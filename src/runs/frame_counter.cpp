// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/frame_counter.h"

#include <cmath>
#include <string>

#include "codecs/start_code_count.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

// The last byte of the start code that opens a picture: MPEG-2 picture, H.264 access unit
// delimiter, VC-1 frame.
uint8_t frameCodeOf(Coding coding) {
    switch (coding) {
        case Coding::Mpeg2:
            return 0x00;
        case Coding::H264:
            return 0x09;
        default:
            return 0x0D;
    }
}

}  // namespace

void FrameCounter::reset() {
    finish();
    run_.countedFrames = {0, 0};
    window_.fill(0xFFFFFFFF);
}

void FrameCounter::count(std::span<const uint8_t> payload, int slot, Coding coding,
                         const std::shared_ptr<const MappedWindow>& input) {
    if (!lane_.threaded()) {
        count(payload, slot, coding);  // while the bytes are at hand in the cache
        return;
    }
    if (input != pendingInput_) handOver();
    pendingInput_ = input;
    pending_.push_back({payload.data(), payload.size(), slot, coding});
}

void FrameCounter::handOver() {
    if (pending_.empty()) return;
    lane_.run([this, pieces = std::move(pending_), input = std::move(pendingInput_)] {
        for (const Piece& p : pieces) count({p.bytes, p.size}, p.slot, p.coding);
    });
    pending_.clear();
    pendingInput_.reset();
}

void FrameCounter::finish() {
    handOver();
    lane_.wait();
}

void FrameCounter::count(std::span<const uint8_t> payload, int slot, Coding coding) {
    const uint8_t last = frameCodeOf(coding);
    const uint32_t code = 0x00000100u | last;
    const uint8_t* p = payload.data();
    const size_t n = payload.size();
    int32_t found = 0;
    uint32_t w = window_[size_t(slot)];
    // Codes that end in the first three bytes began in an earlier piece.
    for (size_t i = 0; i < n && i < 3; ++i) {
        w = w << 8 | p[i];
        if (w == code) ++found;
    }
    // Codes wholly inside the piece (they end at index 3 or later).
    found += countStartCodes(p, n, last);
    if (n >= 4) w = uint32_t(p[n - 4]) << 24 | uint32_t(p[n - 3]) << 16 | uint32_t(p[n - 2]) << 8 | p[n - 1];
    window_[size_t(slot)] = w;
    run_.countedFrames[size_t(slot)] += found;
}

void reportFrames(const RunValues& run, MessageLog& log, bool showDuration) {
    for (int k = 0; k < kUsedVideoSlots; ++k) {
        const int32_t c = run.countedFrames[size_t(k)];
        const double r = run.frameRate[size_t(k)];
        const std::string stream = std::to_string(k) + ".";
        if (c > 0) {
            if (r > 0)
                log.log(std::to_string(c) + " counted frames ([b]" + formatSpanMs(double(c) / r) +
                        "[/b]) in video stream " + stream);
            else
                log.log(std::to_string(c) + " frames count in video stream " + stream);
        }
        if (r > 0) {
            // nearbyint rounds halves to the even neighbour
            const auto n = int64_t(std::nearbyint(run.videoDurationSum * r));
            std::string line = std::to_string(n) + " calculated frames";
            if (showDuration) line += " ([b]" + formatSpanMs(run.videoDurationSum, ':') + "[/b])";
            log.log(line + " in video stream " + stream);
        }
    }
    if (run.countedFrames[0] + run.countedFrames[1] > 0) log.log("");
}

}  // namespace quarnel
