// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ps/pack_rewriter.h"

#include <algorithm>
#include <cstring>

#include "io/byte_view.h"

namespace quarnel {
namespace {

// The kind of a stream whose id is found at `place`, if it is of `kind`.
bool isKind(IdPlace place, uint8_t id, StreamKind kind) {
    const StreamKindEntry* e = streamKindOf(place, id);
    return e && e->kind == kind;
}

bool isMpegAudio(uint8_t streamId) {
    return streamId >= kMpegAudioFirstId && streamId <= kMpegAudioLastId;
}

// True when `id` sits in a slot of `ids` whose box is not ticked.
template <size_t N>
bool droppedIn(int32_t id, const std::array<int32_t, N>& ids, const std::array<bool, N>& ticked) {
    for (size_t k = 0; k < N; ++k)
        if (ids[k] == id) return !ticked[k];
    return false;
}

template <size_t N>
int countTicked(const std::array<bool, N>& ticked) {
    return int(std::count(ticked.begin(), ticked.end(), true));
}

bool isByteId(int32_t id) {
    return id >= 0 && id <= 0xFF;
}

void put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

bool isEvoPack(const uint8_t* pack) {
    return std::memcmp(pack, kPackStart, 4) == 0 &&
           std::memcmp(pack + pack_at::kMuxRate, kEvoMuxRate, 4) == 0;
}

// Offset of the stream_id_extension of an extended-stream-id packet, when its PES header
// carries one (past PTS, DTS, the extension flags, the P-STD buffer field and the length byte).
std::optional<size_t> extensionAt(const uint8_t* pack) {
    const uint8_t flags = pack[pack_at::kPesFlags2];
    if (!(flags & kPesHasExtension)) return std::nullopt;
    const size_t p = pack_at::kPesHeaderData + ((flags & kPesHasPts) ? kStampBytes : 0) +
                     ((flags & kPesHasDts) ? kStampBytes : 0);
    const uint8_t extensionFlags = pack[p];
    if (!(extensionFlags & kExtensionHasExtension2)) return std::nullopt;
    return p + 2 + ((extensionFlags & kExtensionHasPstd) ? 2 : 0);
}

// The system header's bounds, the new numbers (given once) and the DSI's times and
// synchronous-information tails.
void patchNavigationPack(uint8_t* pack, const RebuildSelection& sel, Renumbering& numbers,
                         const PackTimes& times) {
    const int videoBound = sel.tickedVideo();
    pack[pack_at::kVideoBound] = uint8_t((pack[pack_at::kVideoBound] & 0xE0) | (videoBound & 0x1F));
    for (size_t k = 0; k < sel.video.size(); ++k)
        if (sel.videoTicked[k] && isByteId(sel.video[k])) numbers.renumberVideo(uint8_t(sel.video[k]));

    const int audioBound = sel.tickedAudio();
    pack[pack_at::kAudioBound] = uint8_t((pack[pack_at::kAudioBound] & 0x03) | ((audioBound & 0x3F) << 2));
    for (size_t k = 0; k < sel.audio.size(); ++k)
        if (sel.audioTicked[k] && isByteId(sel.audio[k])) numbers.renumberAudio(uint8_t(sel.audio[k]));

    const int subCount = sel.tickedSub();
    for (size_t k = 0; k < sel.sub.size(); ++k)
        if (sel.subTicked[k] && isByteId(sel.sub[k])) numbers.renumberSubpicture(uint8_t(sel.sub[k]));

    if (std::memcmp(pack + pack_at::kDsiCheck, kDsiCheckBytes, sizeof kDsiCheckBytes) != 0) return;
    uint8_t* dsi = pack + pack_at::kDsi;
    put32(dsi + dsi_at::kVobVSPtm, times.firstPtm);
    put32(dsi + dsi_at::kVobVEPtm, times.endPtm);
    if (audioBound < kASyncaEntries)
        std::memset(dsi + dsi_at::kASyncaEvo + 2 * audioBound, 0, size_t(2 * (kASyncaEntries - audioBound)));
    if (subCount < kSpSyncaEntries)
        std::memset(dsi + dsi_at::kSpSyncaEvo + 4 * subCount, 0, size_t(4 * (kSpSyncaEntries - subCount)));
}

}  // namespace

int RebuildSelection::tickedVideo() const {
    return countTicked(videoTicked);
}
int RebuildSelection::tickedAudio() const {
    return countTicked(audioTicked);
}
int RebuildSelection::tickedSub() const {
    return countTicked(subTicked);
}
bool RebuildSelection::isDroppedVideo(uint8_t id) const {
    return droppedIn(id, video, videoTicked);
}
bool RebuildSelection::isDroppedAudio(int32_t id) const {
    return droppedIn(id, audio, audioTicked);
}
bool RebuildSelection::isDroppedSubpicture(uint8_t id) const {
    return droppedIn(id, sub, subTicked);
}

void Renumbering::renumberVideo(uint8_t id) {
    if (newId[id] != kNoNewId) return;
    const StreamKindEntry* vc1 = streamKindOf(IdPlace::Extension, id);
    newId[id] = vc1 ? uint8_t(vc1->first + videoCount) : uint8_t((id & 0xFE) | videoCount);
    ++videoCount;
}

void Renumbering::renumberAudio(uint8_t id) {
    if (newId[id] != kNoNewId) return;
    newId[id] = (id & 0xF0) == 0xC0 ? uint8_t(0xC0 | audioCount) : uint8_t((id & 0xF8) | audioCount);
    ++audioCount;
}

void Renumbering::renumberSubpicture(uint8_t id) {
    if (newId[id] != kNoNewId) return;
    newId[id] = uint8_t((id & 0xE0) | subpictureCount);
    ++subpictureCount;
}

std::optional<DsiTimes> dsiTimes(std::span<const uint8_t, kPackBytes> pack) {
    const uint8_t* p = pack.data();
    if (!isEvoPack(p) || p[pack_at::kStreamId] != kSystemHeaderId) return std::nullopt;
    if (std::memcmp(p + pack_at::kDsiCheck, kDsiCheckBytes, sizeof kDsiCheckBytes) != 0) return std::nullopt;
    return DsiTimes{loadU32(p + pack_at::kDsi + dsi_at::kVobVSPtm),
                    loadU32(p + pack_at::kDsi + dsi_at::kVobVEPtm)};
}

bool rewritePack(std::span<uint8_t, kPackBytes> packSpan, const RebuildSelection& sel, Renumbering& numbers,
                 const PackTimes& times) {
    uint8_t* pack = packSpan.data();
    if (std::memcmp(pack, kPackStart, 4) != 0) return false;
    if (!isEvoPack(pack)) return true;  // a pack of another kind is copied unchanged

    const uint8_t streamId = pack[pack_at::kStreamId];
    std::optional<size_t> subAt;  // where the sub-stream id or stream_id_extension sits
    switch (streamId) {
        case kSystemHeaderId:
            patchNavigationPack(pack, sel, numbers, times);
            return true;
        case kPrivateStream1Id:
            subAt = pack_at::kPesHeaderData + pack[pack_at::kHeaderDataLength];
            break;
        case kPrivateStream2Id:
            subAt = pack_at::kPesFlags1;
            break;
        case kExtendedStreamId:
            subAt = extensionAt(pack);
            break;
        default:
            break;
    }
    const uint8_t subId = subAt ? pack[*subAt] : 0;

    // A pack follows the box of the stream the scanner would find in it.
    const bool video = isKind(IdPlace::StreamId, streamId, StreamKind::Video);
    bool keep = true;
    if (streamId == kPrivateStream1Id && isKind(IdPlace::SubstreamId, subId, StreamKind::Audio))
        keep = !sel.isDroppedAudio(subId);
    else if (streamId == kPrivateStream1Id && isKind(IdPlace::SubstreamId, subId, StreamKind::Subpicture))
        keep = !sel.isDroppedSubpicture(subId);
    else if (streamId == kExtendedStreamId && subAt && isKind(IdPlace::Extension, subId, StreamKind::Video))
        keep = !sel.isDroppedVideo(subId);
    else if (video)
        keep = !sel.isDroppedVideo(streamId);
    else if (isMpegAudio(streamId))
        keep = !sel.isDroppedAudio(kStreamIdKey | streamId);  // as the stream table holds it
    else if (streamId == kPrivateStream2Id && subId == kAdvancedSubstream)
        keep = sel.keepAdvanced;
    if (!keep) return false;

    if (streamId == kPrivateStream1Id || (streamId == kExtendedStreamId && subAt)) {
        pack[*subAt] = numbers.mapped(subId);
    } else if (video || isMpegAudio(streamId)) {
        pack[pack_at::kStreamId] = numbers.mapped(streamId);
    }

    const bool stamped = video || streamId == kExtendedStreamId || streamId == kPrivateStream1Id;
    if (stamped && times.ptsShift != 0) {
        if (pack[pack_at::kPesFlags2] & kPesHasPts) moveStamp(pack + pack_at::kPts, times.ptsShift);
        if (pack[pack_at::kPesFlags2] & kPesHasDts) moveStamp(pack + pack_at::kDts, times.ptsShift);
    }
    return true;
}

}  // namespace quarnel
