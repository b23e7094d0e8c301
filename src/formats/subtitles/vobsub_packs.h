// SPDX-License-Identifier: GPL-3.0-or-later
// The .sub half of VobSub: a subpicture unit carried in 2048-byte DVD packs, as a DVD title
// carries it. Each pack has its pack header (the clock reference set to the unit's time) and
// one private stream 1 packet of sub-stream 0x20 + stream; the first packet carries the unit's
// time stamp; a padding packet (or, for fewer than 6 bytes, stuffing in the packet header)
// fills the pack.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quarnel {

constexpr size_t kDvdPackBytes = 2048;

// Appends the packs of `unit`, shown from `pts` (90 kHz ticks, 33 bits kept).
void appendSubpicturePacks(std::vector<uint8_t>& out, std::span<const uint8_t> unit, uint64_t pts,
                           uint8_t stream = 0);

}  // namespace quarnel
