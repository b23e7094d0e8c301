// The first DSI and copy-control packets of a file: VOB number, stream counts, the time span
// of the video and the copy-control state.
#pragma once

#include <cstdint>
#include <span>

#include "parse/run_values.h"
#include "shell/message_log.h"

namespace quarnel {

// Offsets from the sub-stream id byte (offset 0) of the packet.
constexpr size_t kDsiVobIdn = 0x19;
constexpr size_t kDsiVobVSPtm = 0x2D;
constexpr size_t kDsiVobVEPtm = 0x31;
constexpr size_t kDsiASyncaVob = 0x193;
constexpr size_t kDsiASyncaEvo = 0x213;  // HD DVD: the synchronous information lies 0x80 further
constexpr size_t kDsiSpSyncaVob = 0x1A3;
constexpr size_t kDsiSpSyncaEvo = 0x223;
constexpr int kASyncaEntries = 8;   // 2 bytes each
constexpr int kSpSyncaEntries = 32;  // 4 bytes each

constexpr size_t kControlEncryption = 0x0D;
constexpr size_t kControlFlags = 0x19;
constexpr size_t kControlValues = 0x1B;

constexpr const char* kCopyStateNames[8] = {
    "Copy Freely", "", "No More Copies", "Encryption Plus Non-Assertion", "Copy One Generation", "Copy Never", "",
    ""};
constexpr const char* kApsNames[8] = {
    "off", "Type 1 of APS1 is ON", "Type 2 of APS1 is ON", "Type 3 of APS1 is ON", "", "", "APS2 is ON",
    "APS2 is ON"};

struct StreamCounts {
    uint8_t video = 0, audio = 0, sub = 0;
};

// The copy-control packet's lines; logged in both modes.
void reportCopyControl(std::span<const uint8_t> packet, MessageLog& log);

// The DSI packet: stream counts, PTM bookkeeping and, when `report`, the VOB, PTM and
// duration lines. `vobLayout` selects the synchronous information offsets of a .VOB file.
void examineDsi(std::span<const uint8_t> packet, bool vobLayout, bool report, StreamCounts& counts,
                RunValues& run, MessageLog& log);

}  // namespace quarnel
