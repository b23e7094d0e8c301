// Stream ids of the program stream and sub-stream ids of private stream 1.
#pragma once

#include <cstdint>
#include <optional>

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

enum class VideoType : uint8_t { Mpeg2 = 0, H264 = 1, Vc1 = 2 };
enum class AudioCodec : uint8_t { Ac3 = 0, Eac3 = 1, Dts = 2, Lpcm = 3, Mlp = 4 };

constexpr uint8_t kPackStartId = 0xBA;
constexpr uint8_t kSystemHeaderId = 0xBB;
constexpr uint8_t kProgramStreamMapId = 0xBC;
constexpr uint8_t kPrivateStream1Id = 0xBD;
constexpr uint8_t kPaddingId = 0xBE;
constexpr uint8_t kPrivateStream2Id = 0xBF;
constexpr uint8_t kExtendedStreamId = 0xFD;  // VC-1, told apart by stream_id_extension
constexpr uint8_t kVc1Extension0 = 0x55;
constexpr uint8_t kVc1Extension1 = 0x56;

// Sub-stream ids of private stream 2 (navigation packets)
constexpr uint8_t kPciSubstream = 0x00;
constexpr uint8_t kDsiSubstream = 0x01;
constexpr uint8_t kCopyControlSubstream = 0x04;
constexpr uint8_t kAdvancedSubstream = 0x80;

// Audio sub-stream ranges of private stream 1.
struct AudioRange {
    uint8_t first, last;
    AudioCodec kind;
    uint8_t indexMask;
    uint8_t headerBytes;  // private header length, sub-stream id included
};
constexpr AudioRange kAudioRanges[] = {
    {0x80, 0x87, AudioCodec::Ac3, 0x07, 4},  {0x88, 0x8F, AudioCodec::Dts, 0x07, 4},
    {0xA0, 0xA7, AudioCodec::Lpcm, 0x07, 7}, {0xB0, 0xB7, AudioCodec::Mlp, 0x07, 5},
    {0xC0, 0xCF, AudioCodec::Eac3, 0x0F, 4},
};

constexpr std::optional<AudioRange> audioRangeOf(uint8_t subId) {
    for (const auto& r : kAudioRanges)
        if (subId >= r.first && subId <= r.last) return r;
    return std::nullopt;
}

constexpr bool isSubpictureId(uint8_t id) { return (id >= 0x20 && id <= 0x3F) || (id >= 0x60 && id <= 0x7F); }
constexpr bool isExtendedSubpictureId(uint8_t id) { return id >= 0x60 && id <= 0x7F; }
constexpr uint8_t kSubpictureIndexMask = 0x1F;

}  // namespace quarnel
