// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/vobsub_packs.h"

#include <algorithm>

namespace quarnel {
namespace {

constexpr uint8_t kPackStart[] = {0x00, 0x00, 0x01, 0xBA};
constexpr uint8_t kPrivateStream1 = 0xBD, kPaddingStream = 0xBE;
constexpr uint8_t kFirstSubpictureId = 0x20;
constexpr uint32_t kMuxRate = 25200;  // units of 50 bytes/s: 10.08 Mbit/s, a DVD's rate
constexpr size_t kPackHeaderBytes = 14;
constexpr size_t kPacketStartBytes = 6;  // start code, stream id, length
constexpr size_t kPtsBytes = 5;
constexpr uint64_t kTimeMask = (uint64_t(1) << 33) - 1;

// Appends fields most significant bit first; the total must come to whole bytes.
struct BitPacker {
    std::vector<uint8_t>& out;
    uint64_t bits = 0;
    int count = 0;
    void put(uint64_t value, int width) {
        for (int k = width - 1; k >= 0; --k) {
            bits = bits << 1 | (value >> k & 1);
            if (++count == 8) {
                out.push_back(uint8_t(bits));
                bits = 0, count = 0;
            }
        }
    }
};

void packHeader(std::vector<uint8_t>& out, uint64_t scr) {
    out.insert(out.end(), std::begin(kPackStart), std::end(kPackStart));
    BitPacker b{out};
    b.put(1, 2);
    b.put(scr >> 30, 3), b.put(1, 1);
    b.put(scr >> 15 & 0x7FFF, 15), b.put(1, 1);
    b.put(scr & 0x7FFF, 15), b.put(1, 1);
    b.put(0, 9), b.put(1, 1);  // clock reference extension
    b.put(kMuxRate, 22), b.put(3, 2);
    b.put(0x1F, 5), b.put(0, 3);  // no stuffing
}

void timeStamp(std::vector<uint8_t>& out, uint64_t pts) {
    BitPacker b{out};
    b.put(0x2, 4);
    b.put(pts >> 30, 3), b.put(1, 1);
    b.put(pts >> 15 & 0x7FFF, 15), b.put(1, 1);
    b.put(pts & 0x7FFF, 15), b.put(1, 1);
}

}  // namespace

void appendSubpicturePacks(std::vector<uint8_t>& out, std::span<const uint8_t> unit, uint64_t pts,
                           uint8_t stream) {
    pts &= kTimeMask;
    size_t done = 0;
    do {
        const bool first = done == 0;
        const size_t headerData = first ? kPtsBytes : 0;
        const size_t overhead = kPackHeaderBytes + kPacketStartBytes + 3 + headerData + 1;
        const size_t take = std::min(kDvdPackBytes - overhead, unit.size() - done);
        size_t left = kDvdPackBytes - overhead - take;
        const size_t stuffing = left < kPacketStartBytes ? left : 0;
        left -= stuffing;

        packHeader(out, pts);
        const size_t length = 3 + headerData + stuffing + 1 + take;
        out.insert(out.end(), {0x00, 0x00, 0x01, kPrivateStream1, uint8_t(length >> 8), uint8_t(length)});
        out.insert(out.end(), {0x81, uint8_t(first ? 0x80 : 0x00), uint8_t(headerData + stuffing)});
        if (first) timeStamp(out, pts);
        out.insert(out.end(), stuffing, 0xFF);
        out.push_back(uint8_t(kFirstSubpictureId + (stream & 0x1F)));
        out.insert(out.end(), unit.begin() + std::ptrdiff_t(done),
                   unit.begin() + std::ptrdiff_t(done + take));
        done += take;
        if (left > 0) {
            const size_t padding = left - kPacketStartBytes;
            out.insert(out.end(),
                       {0x00, 0x00, 0x01, kPaddingStream, uint8_t(padding >> 8), uint8_t(padding)});
            out.insert(out.end(), padding, 0xFF);
        }
    } while (done < unit.size());
}

}  // namespace quarnel
