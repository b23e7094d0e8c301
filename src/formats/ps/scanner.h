// SPDX-License-Identifier: GPL-3.0-or-later
// The program-stream scanner: one plain state struct that survives chunk boundaries and one
// step function that advances it over a span of bytes. It follows packets by their start
// codes and PES_packet_length fields only; payload, skipped packets and navigation packets
// are taken in bulk, header bytes one at a time.
//
// What is done with what the scanner finds belongs to its Sink (a template parameter, so
// nothing is called through a pointer per packet):
//   void reveal(ScanState&, StreamKind, int index, int id)      first packet of a slot's stream
//   void payload(ScanState&, size_t offset, size_t count)       a payload piece of kind 0, 1 or 6
//   void navigation(ScanState&, uint8_t subId, std::span<const uint8_t> packet)
//                                                               first DSI / copy-control packet
//   void malformed(ScanState&, uint8_t subId)                   an audio packet whose private
//                                                               header length is out of bounds
// The sink fills the stream table; the scanner asks it whether a slot is free.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "formats/ps/pack_layout.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

enum class PacketKind : uint8_t {
    Video = 0,
    Audio = 1,
    Ignored = 2,
    Skipped = 3,
    MpegAudio = 4,
    Private1 = 5,
    Subpicture = 6,
    Private2 = 7,
    None = 8,
};

enum class HeaderPhase : uint8_t {
    None,
    Length,      // the two PES_packet_length bytes
    Fixed,       // flags, flags, PES_header_data_length
    Pts,         // 5 bytes
    PtsDts,      // 10 bytes
    ExtFlags,    // PES extension flags byte
    Pstd,        // P-STD buffer field, 2 bytes
    Ext2,        // marker + length, stream_id_extension
    Stuffing,    // rest of PES_header_data_length
    PrivHeader,  // private stream 1 sub-stream header, 4 bytes (1 for subpictures)
    PrivRest,    // the private header bytes past the fourth (LPCM, TrueHD, the DVD-Audio header)
    NavId,       // private stream 2 sub-stream id
    PackHeader,  // the first byte after a pack's start code
};

enum class BulkKind : uint8_t { None, Payload, Skip, Navigation };

constexpr size_t kNavPacketMax = 2048;
// The private header bytes kept for the analysers: the whole DVD-Video LPCM header, the
// DVD-Audio LPCM header up to its channel assignment and 0x80; longer headers are passed over.
constexpr size_t kPrivateHeaderMax = 12;
static_assert(std::ranges::all_of(kStreamKinds, [](const StreamKindEntry& e) {
    return e.privateHeaderBytes <= kPrivateHeaderMax &&
           (!e.headerLength.counted() || e.privateHeaderBytes == 4);
}));

struct ScanState {
    uint32_t window = 0xFFFFFFFF;
    PacketKind kind = PacketKind::None;
    Coding videoCoding = Coding::Mpeg2;
    Coding audioCoding = Coding::Ac3;
    const StreamKindEntry* mpegAudio = nullptr;  // the kind of the MPEG audio packet in hand, if any
    bool aob = false;                // the file is an .AOB: its 0xA0-0xA7 headers carry their length
    uint32_t privateHeaderWant = 0;  // bytes of the private header of the packet in hand
    uint8_t streamId = 0;            // stream id of the packet in hand
    uint8_t videoIndex = 0, audioIndex = 0, subIndex = 0;
    uint8_t videoId = 0, subId = 0;
    int32_t audioId = 0;  // the sub-stream id, or kStreamIdKey | the stream id (MPEG audio)

    int32_t remaining = 0;  // bytes of the packet not yet consumed
    HeaderPhase phase = HeaderPhase::None;
    uint8_t phaseAt = 0;  // bytes of the current phase already read
    uint8_t headerDataLength = 0;
    uint8_t pesFlags = 0, extFlags = 0;
    std::array<uint8_t, 10> stampBytes{};

    BulkKind bulk = BulkKind::None;
    uint32_t bulkLeft = 0;

    // The PTS of the packet in hand, while its payload has not been handed on; none when it has
    // none (a PTS of 0 is a time like any other).
    MaybeTimeStamp currentPts;
    // The time stamps of the video packet in hand and the first ones of the audio and
    // subpicture slots found in the file (none when the packet had none).
    MaybeTimeStamp videoPts, audioPts, subPts;
    // The PTS of the audio packet whose payload is being handed on, until the sink takes it.
    MaybeTimeStamp audioPacketPts;

    // The private stream 1 header of the packet in hand, sub-stream id first; kept so that
    // it is whole even when it straddled a chunk boundary. Its first kPrivateHeaderMax bytes
    // are kept; privateHeaderLength counts all that were read.
    std::array<uint8_t, kPrivateHeaderMax> privateHeader{};
    uint32_t privateHeaderLength = 0;

    // The bytes of the private header that privateHeader holds.
    size_t privateHeaderKept() const { return std::min<size_t>(privateHeaderLength, kPrivateHeaderMax); }

    bool firstDsi = true, firstControl = true;
    // Every presentation-control packet (a DVD's PCI) is handed on, for its VOBU's times.
    bool everyPci = false;
    // Navigation packet being gathered, sub-stream id at 0; bytes past the end of the file
    // stay zero.
    std::array<uint8_t, kNavPacketMax> nav{};
    uint32_t navHave = 0, navWant = 0;
    uint32_t navSkipAfter = 0;  // packet bytes beyond the gathered part
};

template <class Sink>
class Scanner {
  public:
    // analysis: the Read run's mode, in which a subpicture packet's time stamp is taken at
    // discovery only; in the demux mode it is kept for the .sup record header.
    Scanner(ScanState& st, Sink& sink, bool analysis) : st_(st), sink_(sink), analysis_(analysis) {}

    // Scans bytes [0, n) of buf; offsets handed to the sink index into buf.
    void scan(const uint8_t* buf, size_t n) {
        size_t i = 0;
        while (i < n) {
            if (st_.bulk != BulkKind::None) {
                i += takeBulk(buf, i, n);
                continue;
            }
            if (st_.phase == HeaderPhase::None) {
                i = seekStartCode(buf, i, n);
                continue;
            }
            const uint8_t b = buf[i++];
            st_.window = st_.window << 8 | b;
            if (st_.phase == HeaderPhase::NavId) {
                navId(b);
                continue;
            }
            if (st_.phase == HeaderPhase::PackHeader) {
                packHeaderByte(b);
                continue;
            }
            if (isStartCode(st_.window) && startCode(b)) continue;
            headerByte(b);
        }
    }

    // End of the file: a navigation packet cut by it is examined with what arrived.
    void finish() {
        if (st_.bulk == BulkKind::Navigation) deliverNav();
        st_.bulk = BulkKind::None;
        st_.bulkLeft = 0;
    }

  private:
    ScanState& st_;
    Sink& sink_;
    bool analysis_;

    static bool isStartCode(uint32_t window) { return (window & 0xFFFFFF00u) == 0x00000100u; }

    // Between packets (a pack header, the rest of a packet given up) only a start code
    // matters: the bytes from i are passed over, the code window kept in a register, up to the
    // first start code or the end; returns where the scan goes on.
    size_t seekStartCode(const uint8_t* buf, size_t i, size_t n) {
        uint32_t window = st_.window;
        while (i < n) {
            window = window << 8 | buf[i++];
            if (isStartCode(window)) break;
        }
        st_.window = window;
        if (!isStartCode(window)) return i;
        if (uint8_t(window) == kPackStartId)
            st_.phase = HeaderPhase::PackHeader;
        else
            startCode(uint8_t(window));
        return i;
    }

    // The first byte after a pack's start code. Of an MPEG-2 pack header (its top bits 01) the
    // fixed part (SCR, mux rate, stuffing length) is passed over whole: its marker bits keep a
    // start code out of it, and every pack opens with one, so walking it byte by byte cost a
    // Read about a tenth of its time. Its stuffing bytes (0xFF) and any other header go
    // through the search for the next start code as before.
    void packHeaderByte(uint8_t b) {
        st_.phase = HeaderPhase::None;
        if ((b & 0xC0) != 0x40) return;
        st_.remaining = int32_t(kPackHeaderRest - 1);
        startBulk(BulkKind::Skip, uint32_t(kPackHeaderRest - 1));
    }

    size_t takeBulk(const uint8_t* buf, size_t i, size_t n) {
        const size_t take = std::min<size_t>(st_.bulkLeft, n - i);
        switch (st_.bulk) {
            case BulkKind::Payload:
                sink_.payload(st_, i, take);
                break;
            case BulkKind::Navigation:
                std::memcpy(st_.nav.data() + st_.navHave, buf + i, take);
                st_.navHave += uint32_t(take);
                break;
            default:
                break;
        }
        st_.bulkLeft -= uint32_t(take);
        st_.remaining -= int32_t(take);
        if (st_.bulkLeft == 0) {
            if (st_.bulk == BulkKind::Navigation) {
                deliverNav();
                startBulk(BulkKind::Skip, st_.navSkipAfter);
            } else {
                endBulk();
            }
        }
        return take;
    }

    void startBulk(BulkKind kind, uint32_t count) {
        if (count == 0) {
            endBulk();
            return;
        }
        st_.bulk = kind;
        st_.bulkLeft = count;
    }

    // After bulk data the code window starts afresh, so payload bytes never form a start code
    // with the bytes that follow them.
    void endBulk() {
        st_.bulk = BulkKind::None;
        st_.bulkLeft = 0;
        st_.window = 0xFFFFFFFF;
    }

    void deliverNav() {
        std::fill(st_.nav.begin() + st_.navHave, st_.nav.end(), uint8_t(0));
        sink_.navigation(st_, st_.nav[0], std::span<const uint8_t>(st_.nav.data(), st_.navWant));
    }

    void abandonPacket() {
        st_.phase = HeaderPhase::None;
        st_.remaining = 0;
    }

    void setPhase(HeaderPhase p) {
        st_.phase = p;
        st_.phaseAt = 0;
    }

    bool startCode(uint8_t id) {
        const StreamKindEntry* byId = streamKindOf(IdPlace::StreamId, id);
        if (byId && byId->kind == StreamKind::Video) {
            st_.kind = PacketKind::Video;
            st_.videoCoding = byId->coding;
            st_.videoIndex = byId->slotOf(id);
            st_.videoId = id;
            sink_.reveal(st_, StreamKind::Video, st_.videoIndex, id);
        } else if (id >= kMpegAudioFirstId && id <= kMpegAudioLastId) {
            // MPEG audio: revealed once its header has given its time stamp; the ids no
            // stream kind takes are passed over.
            st_.kind = PacketKind::MpegAudio;
            st_.mpegAudio = byId;
        } else {
            switch (id) {
                case kExtendedStreamId:
                    st_.kind = PacketKind::Video;
                    st_.videoCoding = Coding::Vc1;
                    break;
                case kPrivateStream1Id:
                    st_.kind = PacketKind::Private1;
                    break;
                case kPrivateStream2Id:
                    st_.kind = PacketKind::Private2;
                    break;
                case kProgramStreamMapId:
                case kPaddingId:
                    st_.kind = PacketKind::Skipped;
                    break;
                default:
                    return false;
            }
        }
        st_.streamId = id;
        st_.headerDataLength = 0;
        st_.pesFlags = st_.extFlags = 0;
        st_.remaining = 0;
        setPhase(HeaderPhase::Length);
        return true;
    }

    void navId(uint8_t b) {
        st_.phase = HeaderPhase::None;
        if (st_.remaining <= 0) return;
        --st_.remaining;
        const uint32_t rest = uint32_t(st_.remaining);
        const bool dsi = b == kDsiSubstream && st_.firstDsi;
        const bool control = b == kCopyControlSubstream && st_.firstControl;
        const bool pci = b == kPciSubstream && st_.everyPci;
        if (!dsi && !control && !pci) {
            startBulk(BulkKind::Skip, rest);
            return;
        }
        if (dsi) st_.firstDsi = false;
        if (control) st_.firstControl = false;
        st_.nav[0] = b;
        st_.navHave = 1;
        st_.navWant = std::min<uint32_t>(rest + 1, kNavPacketMax);
        st_.navSkipAfter = rest + 1 - st_.navWant;
        if (st_.navWant == 1) {
            deliverNav();
            startBulk(BulkKind::Skip, st_.navSkipAfter);
        } else {
            startBulk(BulkKind::Navigation, st_.navWant - 1);
        }
    }

    // The PES header fields are all read; what follows is the private header or the payload.
    void headerDone() {
        if (st_.kind == PacketKind::Private1) {
            st_.privateHeaderLength = 0;
            setPhase(HeaderPhase::PrivHeader);
        } else if (st_.kind == PacketKind::MpegAudio && st_.mpegAudio) {
            const StreamKindEntry& audio = *st_.mpegAudio;
            st_.kind = PacketKind::Audio;
            st_.audioCoding = audio.coding;
            st_.audioIndex = audio.slotOf(uint8_t(st_.streamId));
            st_.audioId = kStreamIdKey | st_.streamId;
            st_.privateHeaderLength = 0;
            sink_.reveal(st_, StreamKind::Audio, st_.audioIndex, st_.audioId);
            st_.audioPacketPts = st_.currentPts;
            st_.currentPts.reset();
            startPayload();
        } else {
            startPayload();
        }
    }

    // Optional fields done: stuffing (or unparsed fields) may remain in the header data.
    void fieldsDone() {
        if (st_.headerDataLength > 0)
            setPhase(HeaderPhase::Stuffing);
        else
            headerDone();
    }

    void startPayload() {
        st_.phase = HeaderPhase::None;
        const uint32_t rest = st_.remaining > 0 ? uint32_t(st_.remaining) : 0;
        const bool handed = st_.kind == PacketKind::Video || st_.kind == PacketKind::Audio ||
                            st_.kind == PacketKind::Subpicture;
        startBulk(handed ? BulkKind::Payload : BulkKind::Skip, rest);
    }

    void countHeaderData() {
        if (st_.headerDataLength > 0) --st_.headerDataLength;
    }

    void headerByte(uint8_t b) {
        if (st_.phase == HeaderPhase::Length) {
            if (++st_.phaseAt < 2) return;
            st_.remaining = int32_t(st_.window & 0xFFFF);
            if (st_.kind == PacketKind::Private2)
                setPhase(HeaderPhase::NavId);
            else if (st_.kind == PacketKind::Skipped) {
                st_.phase = HeaderPhase::None;
                startBulk(BulkKind::Skip, uint32_t(st_.remaining));
            } else
                setPhase(HeaderPhase::Fixed);
            return;
        }
        // A header that claims more bytes than its packet holds (a PES_packet_length of 0
        // or too short) is given up; scanning resumes at the next start code.
        if (st_.remaining <= 0) {
            abandonPacket();
            return;
        }
        --st_.remaining;
        const uint8_t at = st_.phaseAt++;
        switch (st_.phase) {
            case HeaderPhase::Fixed:
                if (at == 1) st_.pesFlags = b;
                if (at < 2) return;
                st_.headerDataLength = b;
                switch (st_.pesFlags & (kPesHasPts | kPesHasDts)) {
                    case kPesHasPts:
                        setPhase(HeaderPhase::Pts);
                        return;
                    case kPesHasPts | kPesHasDts:
                        setPhase(HeaderPhase::PtsDts);
                        return;
                    default:
                        if (st_.pesFlags & kPesHasExtension)
                            setPhase(HeaderPhase::ExtFlags);
                        else
                            fieldsDone();
                        return;
                }
            case HeaderPhase::Pts:
            case HeaderPhase::PtsDts: {
                countHeaderData();
                st_.stampBytes[at] = b;
                const bool both = st_.phase == HeaderPhase::PtsDts;
                if (size_t(at) + 1 < (both ? 2 : 1) * kStampBytes) return;
                st_.currentPts = decodeStamp(st_.stampBytes.data());
                if (both) st_.videoPts = st_.currentPts;
                if (st_.headerDataLength == 0)
                    headerDone();
                else if (st_.kind == PacketKind::Video && (st_.pesFlags & kPesHasExtension))
                    setPhase(HeaderPhase::ExtFlags);
                else
                    setPhase(HeaderPhase::Stuffing);
                return;
            }
            case HeaderPhase::ExtFlags:
                countHeaderData();
                st_.extFlags = b;
                if (b & kExtensionHasPstd)
                    setPhase(HeaderPhase::Pstd);
                else if (b & kExtensionHasExtension2)
                    setPhase(HeaderPhase::Ext2);
                else
                    fieldsDone();
                return;
            case HeaderPhase::Pstd:
                countHeaderData();
                if (at < 1) return;
                if (st_.extFlags & kExtensionHasExtension2)
                    setPhase(HeaderPhase::Ext2);
                else
                    fieldsDone();
                return;
            case HeaderPhase::Ext2:
                countHeaderData();
                if (at < 1) return;
                if (st_.streamId == kExtendedStreamId) extension(b & 0x7F);
                fieldsDone();
                return;
            case HeaderPhase::Stuffing:
                countHeaderData();
                if (st_.headerDataLength == 0) headerDone();
                return;
            case HeaderPhase::PrivHeader:
                privateHeaderByte(b);
                return;
            case HeaderPhase::PrivRest:
                if (st_.privateHeaderLength < kPrivateHeaderMax)
                    st_.privateHeader[st_.privateHeaderLength] = b;
                if (++st_.privateHeaderLength < st_.privateHeaderWant) return;
                st_.kind = PacketKind::Audio;
                startPayload();
                return;
            default:
                return;
        }
    }

    void extension(uint8_t x) {
        const StreamKindEntry* video = streamKindOf(IdPlace::Extension, x);
        if (!video) {
            st_.kind = PacketKind::Ignored;
            return;
        }
        st_.kind = PacketKind::Video;
        st_.videoCoding = video->coding;
        st_.videoIndex = video->slotOf(x);
        st_.videoId = x;
        sink_.reveal(st_, StreamKind::Video, st_.videoIndex, x);
    }

    void ignorePacket() {
        st_.kind = PacketKind::Ignored;
        st_.currentPts.reset();
        startPayload();
    }

    // The sub-stream id tells the kind: a subpicture's payload follows it at once; an audio
    // stream's after its whole private header.
    void privateHeaderByte(uint8_t b) {
        st_.privateHeader[st_.privateHeaderLength++] = b;
        if (st_.privateHeaderLength == 1) {
            const StreamKindEntry* sub = streamKindOf(IdPlace::SubstreamId, b);
            if (!sub || sub->kind != StreamKind::Subpicture) return;
            st_.subIndex = sub->slotOf(b);
            st_.subId = b;
            st_.kind = PacketKind::Subpicture;
            sink_.reveal(st_, StreamKind::Subpicture, st_.subIndex, b);
            if (analysis_) st_.currentPts.reset();
            startPayload();
            return;
        }
        if (st_.privateHeaderLength < 4) return;
        const uint8_t subId = st_.privateHeader[0];
        const StreamKindEntry* audio = streamKindOf(IdPlace::SubstreamId, subId, st_.aob);
        if (!audio || audio->kind != StreamKind::Audio) {
            ignorePacket();
            return;
        }
        uint32_t want = audio->privateHeaderBytes;
        if (audio->headerLength.counted()) {
            // A length out of its bounds or past the packet: the packet is passed over and the
            // scan goes on with the next one.
            const uint32_t length = uint32_t(st_.privateHeader[2]) << 8 | st_.privateHeader[3];
            const uint32_t rest = st_.remaining > 0 ? uint32_t(st_.remaining) : 0;
            if (length < audio->headerLength.min || length > audio->headerLength.max || length > rest) {
                sink_.malformed(st_, subId);
                ignorePacket();
                return;
            }
            want += length;
        }
        st_.audioCoding = audio->coding;
        st_.audioIndex = audio->slotOf(subId);
        st_.audioId = subId;
        sink_.reveal(st_, StreamKind::Audio, st_.audioIndex, subId);
        st_.audioPacketPts = st_.currentPts;
        st_.currentPts.reset();
        st_.privateHeaderWant = want;
        if (st_.privateHeaderWant > 4) {
            setPhase(HeaderPhase::PrivRest);
        } else {
            st_.kind = PacketKind::Audio;
            startPayload();
        }
    }
};

}  // namespace quarnel
