#include "formats/pack_rewriter.h"

#include <algorithm>
#include <cstring>

#include "formats/stream_ids.h"

namespace quarnel {
namespace {

constexpr bool within(uint8_t id, IdRange r) {
    return id >= r.first && id <= r.last;
}

template <size_t N>
bool withinAny(uint8_t id, const IdRange (&ranges)[N]) {
    return std::any_of(std::begin(ranges), std::end(ranges), [id](IdRange r) { return within(id, r); });
}

// True when `id` sits in a slot of `ids` whose box is not ticked.
template <size_t N>
bool droppedIn(uint8_t id, const std::array<int32_t, N>& ids, const std::array<bool, N>& ticked) {
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

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool isEvoPack(const uint8_t* pack) {
    return std::memcmp(pack, kPackStart, 4) == 0 &&
           std::memcmp(pack + pack_at::kMuxRate, kEvoMuxRate, 4) == 0;
}

// Offset of the stream_id_extension of an extended-stream-id packet, when its PES header
// carries one (past PTS, DTS, the extension flags, the P-STD buffer field and the length byte).
std::optional<size_t> extensionAt(const uint8_t* pack) {
    const uint8_t flags = pack[pack_at::kPesFlags2];
    if (!(flags & 0x01)) return std::nullopt;
    const size_t p = pack_at::kPesHeaderData + ((flags & 0x80) ? 5 : 0) + ((flags & 0x40) ? 5 : 0);
    const uint8_t extensionFlags = pack[p];
    if (!(extensionFlags & 0x01)) return std::nullopt;
    return p + 2 + ((extensionFlags & 0x10) ? 2 : 0);
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
    put32(pack + pack_at::kVobVSPtm, times.firstPtm);
    put32(pack + pack_at::kVobVEPtm, times.endPtm);
    constexpr int kASyncaEntries = 8, kSpSyncaEntries = 32;
    if (audioBound < kASyncaEntries)
        std::memset(pack + pack_at::kASynca + 2 * audioBound, 0, size_t(2 * (kASyncaEntries - audioBound)));
    if (subCount < kSpSyncaEntries)
        std::memset(pack + pack_at::kSpSynca + 4 * subCount, 0, size_t(4 * (kSpSyncaEntries - subCount)));
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
bool RebuildSelection::isDroppedAudio(uint8_t id) const {
    return droppedIn(id, audio, audioTicked);
}
bool RebuildSelection::isDroppedSubpicture(uint8_t id) const {
    return droppedIn(id, sub, subTicked);
}

void Renumbering::renumberVideo(uint8_t id) {
    if (newId[id] != kNoNewId) return;
    newId[id] =
        within(id, kVc1Extensions) ? uint8_t(kVc1Extension0 + videoCount) : uint8_t((id & 0xFE) | videoCount);
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

void moveStamp(uint8_t* b, uint32_t by) {
    uint32_t v = uint32_t(b[0] & 0x06) << 29 | uint32_t(b[1]) << 22 | uint32_t(b[2] >> 1) << 15 |
                 uint32_t(b[3]) << 7 | uint32_t(b[4] >> 1);
    v += by;
    b[0] = uint8_t((b[0] & 0xF9) | ((v >> 29) & 0x06));
    b[1] = uint8_t(v >> 22);
    b[2] = uint8_t(((v >> 15) & 0x7F) << 1 | 1);
    b[3] = uint8_t(v >> 7);
    b[4] = uint8_t((v & 0x7F) << 1 | 1);
}

std::optional<DsiTimes> dsiTimes(std::span<const uint8_t, kPackBytes> pack) {
    const uint8_t* p = pack.data();
    if (!isEvoPack(p) || p[pack_at::kStreamId] != kSystemHeaderId) return std::nullopt;
    if (std::memcmp(p + pack_at::kDsiCheck, kDsiCheckBytes, sizeof kDsiCheckBytes) != 0) return std::nullopt;
    return DsiTimes{get32(p + pack_at::kVobVSPtm), get32(p + pack_at::kVobVEPtm)};
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

    bool keep = true;
    if (streamId == kPrivateStream1Id && withinAny(subId, kAudioSubIds))
        keep = !sel.isDroppedAudio(subId);
    else if (streamId == kPrivateStream1Id && withinAny(subId, kSubpictureSubIds))
        keep = !sel.isDroppedSubpicture(subId);
    else if (streamId == kExtendedStreamId && subAt && within(subId, kVc1Extensions))
        keep = !sel.isDroppedVideo(subId);
    else if (within(streamId, kVideoStreamIds))
        keep = !sel.isDroppedVideo(streamId);
    else if (within(streamId, kMpegAudioStreamIds))
        keep = !sel.isDroppedAudio(streamId);
    else if (streamId == kPrivateStream2Id && subId == kAdvancedSubstream)
        keep = sel.keepAdvanced;
    if (!keep) return false;

    if (streamId == kPrivateStream1Id || (streamId == kExtendedStreamId && subAt)) {
        pack[*subAt] = numbers.mapped(subId);
    } else if (within(streamId, kVideoStreamIds) || within(streamId, kMpegAudioStreamIds)) {
        pack[pack_at::kStreamId] = numbers.mapped(streamId);
    }

    const bool stamped =
        within(streamId, kVideoStreamIds) || streamId == kExtendedStreamId || streamId == kPrivateStream1Id;
    if (stamped && times.ptsShift != 0) {
        if (pack[pack_at::kPesFlags2] & 0x80) moveStamp(pack + pack_at::kPts, times.ptsShift);
        if (pack[pack_at::kPesFlags2] & 0x40) moveStamp(pack + pack_at::kDts, times.ptsShift);
    }
    return true;
}

}  // namespace quarnel
