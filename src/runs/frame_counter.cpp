// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/frame_counter.h"

#include <cmath>
#include <string>

#include "codecs/start_code_count.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

// Codes 00 00 01 `last` in a piece, those that began in the piece before included (`window`
// holds the last four bytes before the piece, and then the piece's own).
int32_t countFrameCodes(std::span<const uint8_t> payload, uint8_t last, uint32_t& window) {
    const uint32_t code = 0x00000100u | last;
    const uint8_t* p = payload.data();
    const size_t n = payload.size();
    int32_t found = 0;
    uint32_t w = window;
    // Codes that end in the first three bytes began in an earlier piece.
    for (size_t i = 0; i < n && i < 3; ++i) {
        w = w << 8 | p[i];
        if (w == code) ++found;
    }
    // Codes wholly inside the piece (they end at index 3 or later).
    found += countStartCodes(p, n, last);
    if (n >= 4) w = uint32_t(p[n - 4]) << 24 | uint32_t(p[n - 3]) << 16 | uint32_t(p[n - 2]) << 8 | p[n - 1];
    window = w;
    return found;
}

}  // namespace

void FrameCounter::reset() {
    run_.countedFrames = {0, 0};
    window_.fill(0xFFFFFFFF);
    writtenWindow_.fill(0xFFFFFFFF);
    written_ = {0, 0};
}

void FrameCounter::count(std::span<const uint8_t> payload, int slot, Coding coding) {
    run_.countedFrames[size_t(slot)] +=
        countFrameCodes(payload, rowOf(coding).pictureCode.value_or(0x0D), window_[size_t(slot)]);
}

void FrameCounter::countAfterWrite(OutputFile& out, int slot) {
    out.watchWritten([this, slot](std::span<const uint8_t> bytes, uint8_t mark) {
        const auto coding = Coding(mark - 1);
        written_[size_t(slot)] +=
            countFrameCodes(bytes, rowOf(coding).pictureCode.value_or(0x0D), writtenWindow_[size_t(slot)]);
    });
}

void FrameCounter::takeWritten() {
    if (!run_.cancel)
        for (size_t k = 0; k < written_.size(); ++k) run_.countedFrames[k] += written_[k];
    written_ = {0, 0};
    writtenWindow_.fill(0xFFFFFFFF);
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
