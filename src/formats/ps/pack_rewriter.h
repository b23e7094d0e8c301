// SPDX-License-Identifier: GPL-3.0-or-later
// The per-pack work of a rebuild: which packs of an EVO are kept, the new numbers of the kept
// streams, the navigation packs' system header and DSI patched to describe only the kept
// streams, and the time stamps of a following file moved on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "formats/ps/pack_layout.h"
#include "formats/ps/stream_table.h"

namespace quarnel {

// The streams of the stream table, whether their boxes are ticked, and whether advanced
// packs are kept.
struct RebuildSelection {
    std::array<int32_t, kUsedVideoSlots> video{};
    std::array<int32_t, kAudioSlots> audio{};
    std::array<int32_t, kSubSlots> sub{};
    std::array<bool, kUsedVideoSlots> videoTicked{};
    std::array<bool, kAudioSlots> audioTicked{};
    std::array<bool, kSubSlots> subTicked{};
    bool keepAdvanced = false;  // "Rebuild ADV_PCKs"

    int tickedVideo() const;
    int tickedAudio() const;
    int tickedSub() const;
    bool isDroppedVideo(uint8_t id) const;
    bool isDroppedAudio(int32_t id) const;  // a sub-stream id, or kStreamIdKey | a stream id
    bool isDroppedSubpicture(uint8_t id) const;
};

constexpr uint8_t kNoNewId = 255;

// The new numbers handed out in one run, in box order at the first navigation pack; every
// file of the run uses the same ones. One counter serves all codings of a kind.
struct Renumbering {
    std::array<uint8_t, 256> newId;
    uint8_t videoCount = 0, audioCount = 0, subpictureCount = 0;

    Renumbering() { newId.fill(kNoNewId); }
    void renumberVideo(uint8_t id);
    void renumberAudio(uint8_t id);
    void renumberSubpicture(uint8_t id);
    // The id a pack carries in the output: its new number, or its own id when it has none.
    uint8_t mapped(uint8_t id) const { return newId[id] == kNoNewId ? id : newId[id]; }
};

// The times written into the navigation packs and the shift of the file in hand.
struct PackTimes {
    uint32_t firstPtm = 0;  // into every DSI's VOB_V_S_PTM
    uint32_t endPtm = 0;    // into every DSI's VOB_V_E_PTM
    uint32_t ptsShift = 0;  // added to the PTS and DTS of video and private stream 1 packs; 0: none
};

// Rewrites one pack in place (drop tests, renumbering, navigation patch, time stamps) and
// says whether it is written to the output. A short last pack comes with its missing bytes
// zeroed; only its own bytes are written. Of a pack that is not a navigation pack only the
// first kRewrittenHeadBytes are read or changed: the pack and PES headers, the PES header
// data (at most 255 bytes) and the sub-stream id after them.
constexpr size_t kRewrittenHeadBytes = pack_at::kPesHeaderData + 256;
bool rewritePack(std::span<uint8_t, kPackBytes> pack, const RebuildSelection& selection, Renumbering& numbers,
                 const PackTimes& times);

// VOB_V_S_PTM and VOB_V_E_PTM of a navigation pack that holds a DSI, as found in the source.
struct DsiTimes {
    uint32_t startPtm, endPtm;
};
std::optional<DsiTimes> dsiTimes(std::span<const uint8_t, kPackBytes> pack);

// Moves a 5-byte PTS or DTS field on by `by` ticks in its low 32 bits; bit 32, the prefix
// bits and the markers stay as they are. The navigation packs' times, moved by the same sums,
// are 32-bit: the packets' stamps wrap with them.
constexpr void moveStamp(uint8_t* field, uint32_t by) {
    const TimeStamp v = decodeStamp(field);
    encodeStamp(field, (v & ~TimeStamp(0xFFFFFFFF)) | uint32_t(v + by));
}

}  // namespace quarnel
