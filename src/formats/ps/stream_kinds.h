// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of stream that gets a slot of the stream table, by the id that tells it: the one
// table that the scanner, the found lines, the box captions, the rewriter's drop tests and the
// reports read.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "codecs/analysers.h"
#include "codecs/audio_frames.h"
#include "codecs/picture_units.h"

namespace quarnel {

enum class StreamKind : uint8_t { Video, Audio, Subpicture };

enum class Coding : uint8_t {
    Mpeg2,
    H264,
    Vc1,
    Ac3,
    Dts,
    Lpcm,
    AobMlp,
    TrueHd,
    Eac3,
    MpegAudio,
    Subpicture,
    ExtSubpicture
};
// The last enumerator of Coding: the table below must give every coding up to it a row.
constexpr Coding kLastCoding = Coding::ExtSubpicture;

// Where the id of a kind is found in a packet.
enum class IdPlace : uint8_t {
    StreamId,     // the PES stream_id
    SubstreamId,  // the first byte of a private stream 1 payload
    Extension,    // the stream_id_extension of an extended-stream-id (0xFD) packet
};

// A DVD-Audio private header: bytes 2-3 hold the length L of the header bytes after them, so
// the payload starts at 4 + L; an L outside [min, max] marks a malformed packet.
struct HeaderLength {
    uint16_t min = 0, max = 0;  // max 0: the header has no length field
    constexpr bool counted() const { return max != 0; }
};

// An analyser of a stream's first piece; a video analyser gives the frame rate it found.
using StreamAnalyser = std::optional<double> (*)(const AnalyserInput&, MessageLog&);

// An analyser that finds no frame rate (audio, subpictures), in the analysers' one shape.
template <void (*Analyse)(const AnalyserInput&, MessageLog&)>
std::optional<double> withoutRate(const AnalyserInput& in, MessageLog& log) {
    Analyse(in, log);
    return std::nullopt;
}

struct StreamKindEntry {
    Coding coding;
    StreamKind kind;
    IdPlace place;
    uint8_t first, last;  // the ids of the kind; an id's slot is firstSlot + id - first
    // Private stream 1 header bytes before the payload, sub-stream id included (0: none).
    // With a length field, the bytes before it.
    uint8_t privateHeaderBytes;
    HeaderLength headerLength;
    bool aobOnly;           // the entry holds only for .AOB sources, before the entries after it
    const char* caption;    // box caption and output name part, before ".N" or ".NN"
    const char* found;      // the found line, before the slot number and " found!"
    const char* codec;      // the coding's name in reports for programs (JSON)
    uint8_t firstSlot = 0;  // the slot of the id `first`
    // What a stream of the coding is read with: the analyser of its first piece, the walker of
    // its audio frames (none: placed by its first time stamp only) and the last byte of the
    // start code that opens its pictures (video: the frames counted).
    StreamAnalyser analyse = nullptr;
    std::optional<FramedAudio> frames;
    std::optional<uint8_t> pictureCode;
    // How its pictures are told apart in the elementary stream (video: a cut keeps whole ones).
    std::optional<VideoSyntax> pictures;

    constexpr uint8_t slotOf(uint8_t id) const { return uint8_t(firstSlot + id - first); }
};

// clang-format off: one row per kind
constexpr StreamKindEntry kStreamKinds[] = {
    {Coding::Mpeg2,
     StreamKind::Video,
     IdPlace::StreamId,
     0xE0,
     0xE1,
     0,
     {},
     false,
     "MPEG-2.stream",
     "[b]MPEG-2[/b] video stream ",
     "MPEG-2",
     0,
     analyseMpeg2Video,
     std::nullopt,
     0x00,
     VideoSyntax::Mpeg2},
    {Coding::H264,
     StreamKind::Video,
     IdPlace::StreamId,
     0xE2,
     0xE3,
     0,
     {},
     false,
     "H.264.stream",
     "[b]H.264 (AVC)[/b] video stream ",
     "H.264",
     0,
     analyseH264,
     std::nullopt,
     0x09,
     VideoSyntax::H264},
    {Coding::Vc1,
     StreamKind::Video,
     IdPlace::Extension,
     0x55,
     0x56,
     0,
     {},
     false,
     "VC-1.stream",
     "[b]VC-1[/b] video stream ",
     "VC-1",
     0,
     analyseVc1,
     std::nullopt,
     0x0D,
     VideoSyntax::Vc1},
    {Coding::Ac3,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0x80,
     0x87,
     4,
     {},
     false,
     "DD.stream",
     "[b]Dolby Digital[/b] audio stream ",
     "AC-3",
     0,
     withoutRate<analyseDolby>,
     FramedAudio::Dolby,
     std::nullopt},
    {Coding::Dts,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0x88,
     0x8F,
     4,
     {},
     false,
     "DTSHD.stream",
     "[b]DTS HD (DTS)[/b] audio stream ",
     "DTS",
     0,
     withoutRate<analyseDts>,
     FramedAudio::Dts,
     std::nullopt},
    // In an AOB, 0xA1 holds MLP and 0xA0-0xA7 LPCM behind the DVD-Audio header (id, counter,
    // L, then L bytes: 6 for MLP, at least the 8 format bytes for LPCM).
    {Coding::AobMlp,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0xA1,
     0xA1,
     4,
     {6, 6},
     true,
     "MLP.stream",
     "[b]MLP[/b] audio stream ",
     "MLP",
     1,
     withoutRate<analyseMlp>,
     FramedAudio::Mlp,
     std::nullopt},
    {Coding::Lpcm,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0xA0,
     0xA7,
     4,
     {8, 0xFFFF},
     true,
     "LPCM.stream",
     "[b]LPCM[/b] audio stream ",
     "LPCM",
     0,
     withoutRate<analyseLpcm>,
     std::nullopt,
     std::nullopt},
    {Coding::Lpcm,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0xA0,
     0xA7,
     7,
     {},
     false,
     "LPCM.stream",
     "[b]LPCM[/b] audio stream ",
     "LPCM",
     0,
     withoutRate<analyseLpcm>,
     std::nullopt,
     std::nullopt},
    {Coding::TrueHd,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0xB0,
     0xB7,
     5,
     {},
     false,
     "MLP.stream",
     "[b]Dolby TrueHD[/b] audio stream ",
     "TrueHD",
     0,
     withoutRate<analyseMlp>,
     FramedAudio::Mlp,
     std::nullopt},
    {Coding::Eac3,
     StreamKind::Audio,
     IdPlace::SubstreamId,
     0xC0,
     0xCF,
     4,
     {},
     false,
     "DD+.stream",
     "[b]Dolby Digital[/b] Plus audio stream ",
     "E-AC-3",
     0,
     withoutRate<analyseDolby>,
     FramedAudio::Dolby,
     std::nullopt},
    // MPEG audio has a stream id of its own; a DVD numbers its audio streams once across
    // codings, so stream n takes slot n beside the others.
    {Coding::MpegAudio,
     StreamKind::Audio,
     IdPlace::StreamId,
     0xC0,
     0xC7,
     0,
     {},
     false,
     "MPA.stream",
     "[b]MPEG Audio[/b] audio stream ",
     "MPEG Audio",
     0,
     withoutRate<analyseMpegAudio>,
     FramedAudio::Mpeg,
     std::nullopt},
    {Coding::Subpicture,
     StreamKind::Subpicture,
     IdPlace::SubstreamId,
     0x20,
     0x3F,
     1,
     {},
     false,
     "Subpicture",
     "[b]Subpicture[/b] stream ",
     "Subpicture",
     0,
     withoutRate<analyseSubpicture>,
     std::nullopt,
     std::nullopt},
    {Coding::ExtSubpicture,
     StreamKind::Subpicture,
     IdPlace::SubstreamId,
     0x60,
     0x7F,
     1,
     {},
     false,
     "Ext.Subpicture",
     "[b]Extended subpicture[/b] stream ",
     "Extended subpicture",
     0,
     withoutRate<analyseSubpicture>,
     std::nullopt,
     std::nullopt},
};
// clang-format on
static_assert(std::ranges::all_of(kStreamKinds,
                                  [](const StreamKindEntry& e) { return e.analyse != nullptr; }),
              "every kind of stream names its analyser");
static_assert(
    [] {
        for (int c = 0; c <= int(kLastCoding); ++c)
            if (std::ranges::none_of(kStreamKinds,
                                     [c](const StreamKindEntry& e) { return int(e.coding) == c; }))
                return false;
        return true;
    }(),
    "every coding has a row");

// The first row of `coding`: what a stream of it is read with.
const StreamKindEntry& rowOf(Coding coding);

// How many slots the stream table has of each kind: video 0 and 1 (it keeps 16 video slots,
// which a playlist may name), audio 0-15, subpicture 0-31.
constexpr int kVideoSlots = 16;
constexpr int kUsedVideoSlots = 2;
constexpr int kAudioSlots = 16;
constexpr int kSubSlots = 32;

// An audio stream told by its PES stream id (MPEG audio) is held in the stream table as its id
// with this bit set, so that it never equals the sub-stream id of another (E-AC-3's 0xC0).
constexpr int32_t kStreamIdKey = 0x100;

// The entry of an id found at `place`, or nullptr.
const StreamKindEntry* streamKindOf(IdPlace place, uint8_t id, bool aob = false);

// The caption of a stream of `kind` with the id `id` (in an .AOB source when `aob`), without the
// slot number; "" for an id of no listed range.
std::string captionOf(StreamKind kind, int32_t id, bool aob = false);
// The entry of a stream of `kind` with `id`, as the stream table holds it; nullptr for none.
const StreamKindEntry* streamKindIn(StreamKind kind, int32_t id, bool aob = false);

// The found line of a stream in slot `slot`.
std::string foundLine(const StreamKindEntry& entry, int slot);

}  // namespace quarnel
