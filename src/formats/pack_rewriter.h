// The per-pack work of a rebuild: which packs of an EVO are kept, the new numbers of the kept
// streams, the navigation packs' system header and DSI patched to describe only the kept
// streams, and the time stamps of a following file moved on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "formats/stream_table.h"

namespace quarnel {

constexpr size_t kPackBytes = 2048;

// Offsets from a pack's first byte. Every pack of an EVO holds one PES packet right after
// its 14-byte pack header; a navigation pack opens with the system header.
namespace pack_at {
constexpr size_t kStartCode = 0;   // 00 00 01 BA
constexpr size_t kMuxRate = 10;    // program_mux_rate, markers, pack_stuffing_length
constexpr size_t kStreamId = 17;   // of the first PES packet, or 0xBB
constexpr size_t kPesFlags1 = 20;  // for private stream 2: its sub-stream id
constexpr size_t kPesFlags2 = 21;  // bit 7 PTS, bit 6 DTS, bit 0 PES extension
constexpr size_t kHeaderDataLength = 22;
constexpr size_t kPts = 23;
constexpr size_t kDts = 28;
constexpr size_t kPesHeaderData = 23;
constexpr size_t kAudioBound = 23;   // system header: audio_bound, fixed, CSPS
constexpr size_t kVideoBound = 24;   // system header: locks, marker, video_bound
constexpr size_t kDsiCheck = 0x509;  // end of the DSI packet's start code, its id and length
constexpr size_t kVobVSPtm = 0x53A;
constexpr size_t kVobVEPtm = 0x53E;
constexpr size_t kASynca = 0x720;   // 8 entries of 2 bytes
constexpr size_t kSpSynca = 0x730;  // 32 entries of 4 bytes
}  // namespace pack_at

constexpr uint8_t kPackStart[4] = {0x00, 0x00, 0x01, 0xBA};
// 75600 × 50 bytes/s, no stuffing: the packs of an EVO. Other packs are copied as they are.
constexpr uint8_t kEvoMuxRate[4] = {0x04, 0x9D, 0x43, 0xF8};
// 00 00 01 | BF | length 755 | sub-stream 1: a DSI packet at its place in an EVO navigation pack.
constexpr uint8_t kDsiCheckBytes[5] = {0x01, 0xBF, 0x02, 0xF3, 0x01};

struct IdRange {
    uint8_t first, last;
};
// Private stream 1 sub-stream ids whose packs follow the audio boxes, and those that follow
// the subpicture boxes: the whole ranges that the stream table holds.
constexpr IdRange kAudioSubIds[] = {{0x80, 0x8F}, {0xA0, 0xAF}, {0xB0, 0xB7}, {0xC0, 0xCF}};
constexpr IdRange kSubpictureSubIds[] = {{0x20, 0x3F}, {0x60, 0x7F}};
constexpr IdRange kVideoStreamIds = {0xE0, 0xE3};
constexpr IdRange kVc1Extensions = {0x55, 0x56};
constexpr IdRange kMpegAudioStreamIds = {0xC0, 0xDF};

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
    bool isDroppedAudio(uint8_t id) const;
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
// zeroed; only its own bytes are written.
bool rewritePack(std::span<uint8_t, kPackBytes> pack, const RebuildSelection& selection, Renumbering& numbers,
                 const PackTimes& times);

// VOB_V_S_PTM and VOB_V_E_PTM of a navigation pack that holds a DSI, as found in the source.
struct DsiTimes {
    uint32_t startPtm, endPtm;
};
std::optional<DsiTimes> dsiTimes(std::span<const uint8_t, kPackBytes> pack);

// Moves a 5-byte PTS or DTS field on by `by` ticks in its low 32 bits; bit 32, the prefix
// bits and the markers stay as they are.
void moveStamp(uint8_t* field, uint32_t by);

}  // namespace quarnel
