// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a large program stream for the benchmarks, of one of three kinds of content, each
// looped in segments with running time stamps:
//   evo      MPEG-2 video cut at pictures, AC-3, E-AC-3, DTS, two subpicture streams, a
//            navigation pack every half second (the clips from ES_DIR)
//   entropy  video whose packets each open with a slice start code and carry random bytes (as
//            the payload of a high-bit-rate coding is), a picture every 50 packs, AC-3 about
//            every 40 packs, a navigation pack about every 200
//   vob      a DVD title set's VOB: 720x480 MPEG-2, 16-bit LPCM (0xA0), MPEG-1 Layer II, AC-3
//            (0x81) and two streams of short subpicture packets
//
//   quarnel-bench-make KIND ES_DIR OUT SIZE_MB
//
// ES_DIR holds the clips bench/content.sh makes with ffmpeg.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "fixtures/program_stream_builder.h"

using namespace quarnel::fixtures;

namespace {

constexpr uint32_t kFrameTicks = 3003;       // 29.97 fps
constexpr uint32_t kFilmFrameTicks = 3754;   // 23.976 fps
constexpr uint32_t kAudioFrameTicks = 2880;  // 1536 samples at 48 kHz
constexpr uint32_t kDtsFrameTicks = 960;     // 512 samples at 48 kHz
constexpr uint32_t kMpegAudioTicks = 2160;   // 1152 samples at 48 kHz
constexpr uint32_t kLpcmUnitTicks = 900;     // 480 stereo 16-bit samples
constexpr size_t kLpcmUnitBytes = 480 * 4;
constexpr uint32_t kSegmentStart = 90000;

// Pictures of an MPEG-2 stream, each with the sequence and GOP headers that precede it.
std::vector<Bytes> mpeg2Pictures(const Bytes& es) {
    std::vector<size_t> starts;
    size_t headerStart = SIZE_MAX;
    for (size_t i = 0; i + 3 < es.size(); ++i) {
        if (es[i] != 0 || es[i + 1] != 0 || es[i + 2] != 1) continue;
        const uint8_t code = es[i + 3];
        if ((code == 0xB3 || code == 0xB8) && headerStart == SIZE_MAX) headerStart = i;
        if (code == 0x00) {
            starts.push_back(headerStart == SIZE_MAX ? i : headerStart);
            headerStart = SIZE_MAX;
        }
    }
    std::vector<Bytes> units;
    for (size_t k = 0; k < starts.size(); ++k)
        units.emplace_back(es.begin() + long(k == 0 ? 0 : starts[k]),
                           k + 1 < starts.size() ? es.begin() + long(starts[k + 1]) : es.end());
    return units;
}

// Frames of a constant-size audio stream whose frames start with `sync`.
std::vector<Bytes> fixedFrames(const Bytes& es, const Bytes& sync) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + sync.size() <= es.size(); ++i)
        if (std::equal(sync.begin(), sync.end(), es.begin() + long(i))) starts.push_back(i);
    if (starts.size() < 2) return {es};
    const size_t frame = starts[1] - starts[0];
    std::vector<Bytes> units;
    for (size_t at = starts[0]; at + frame <= es.size(); at += frame)
        units.emplace_back(es.begin() + long(at), es.begin() + long(at + frame));
    return units;
}

std::vector<Unit> timed(const std::vector<Bytes>& pieces, uint32_t start, uint32_t ticks, size_t count,
                        bool withDts) {
    std::vector<Unit> units;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pts = start + uint32_t(i) * ticks;
        units.push_back(
            {pieces[i % pieces.size()], pts, withDts ? std::optional<uint32_t>(pts - ticks) : std::nullopt});
    }
    return units;
}

// A subpicture unit every `every` ticks, of `size` bytes (its first two give its size).
EsStream subtitles(uint8_t id, uint32_t start, uint32_t ticks, uint32_t every, size_t size, uint8_t seed) {
    EsStream s{EsKind::Subpicture, id, {}, {}, 0};
    for (uint32_t t = 0; t + every <= ticks; t += every) {
        Bytes unit(size, uint8_t(seed + t / every));
        unit[0] = uint8_t(size >> 8);
        unit[1] = uint8_t(size);
        s.units.push_back({unit, start + t, {}});
    }
    return s;
}

EsStream es(EsKind kind, uint8_t id, std::vector<Unit> units, Bytes privateExtra = {}) {
    return {kind, id, std::move(units), std::move(privateExtra), 0};
}

// Random bytes, the same on every run.
struct Noise {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    void fill(Bytes& b, size_t from) {
        for (size_t i = from; i < b.size(); ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            b[i] = uint8_t(state >> 24);
        }
    }
};

struct Clips {
    std::string dir;
    Bytes file(const std::string& name) const { return readFile(dir + "/" + name); }
};

// A segment of the file: where its time stamps start, how long it lasts, where the file ends.
struct Segment {
    uint32_t start, ticks, endPtm;

    // Frames of a constant duration, looped to fill the segment.
    std::vector<Unit> looped(const std::vector<Bytes>& frames, uint32_t frameTicks) const {
        return timed(frames, start, frameTicks, ticks / frameTicks, false);
    }
    // Every navigation pack tells the span of the whole file.
    MuxOptions options() const {
        MuxOptions o;
        o.startPtm = kSegmentStart;
        o.endPtm = endPtm;
        return o;
    }
};

// A kind of content: the duration of one segment, and the bytes of a segment.
struct Kind {
    uint32_t segmentTicks;
    std::function<Bytes(const Segment&)> build;
};

Kind evoKind(const Clips& clips) {
    const auto pictures = mpeg2Pictures(clips.file("video.m2v"));
    const auto ac3 = fixedFrames(clips.file("audio.ac3"), {0x0B, 0x77});
    const auto eac3 = fixedFrames(clips.file("audio.eac3"), {0x0B, 0x77});
    const auto dts = fixedFrames(clips.file("audio.dts"), {0x7F, 0xFE, 0x80, 0x01});
    const uint32_t ticks = uint32_t(pictures.size()) * kFrameTicks;
    return {ticks, [=](const Segment& at) {
                const uint32_t start = at.start;
                std::vector<EsStream> streams;
                streams.push_back(
                    es(EsKind::Mpeg2, 0xE0, timed(pictures, start, kFrameTicks, pictures.size(), true)));
                streams.push_back(es(EsKind::Ac3, 0x80, at.looped(ac3, kAudioFrameTicks)));
                streams.push_back(es(EsKind::Eac3, 0xC1, at.looped(eac3, kAudioFrameTicks)));
                streams.push_back(es(EsKind::Dts, 0x8A, at.looped(dts, kDtsFrameTicks)));
                streams.push_back(subtitles(0x20, start, ticks, 180000, 3000, 1));
                streams.push_back(subtitles(0x21, start, ticks, 180000, 3000, 2));
                MuxOptions o = at.options();
                return buildProgramStream(streams, o);
            }};
}

Kind entropyKind(const Clips& clips) {
    constexpr size_t kPacksPerPicture = 50;
    constexpr size_t kPictures = 120;
    constexpr size_t kSliceBytes = 2048 - 14 - 9;  // a pack's room for a packet without time stamps
    const auto ac3 = fixedFrames(clips.file("audio.ac3"), {0x0B, 0x77});
    // The pictures of one segment: a picture start code, then slices, each a packet of its own.
    std::vector<Bytes> units;
    Noise noise;
    for (size_t p = 0; p < kPictures; ++p)
        for (size_t k = 0; k < kPacksPerPicture; ++k) {
            Bytes u(k == 0 ? kSliceBytes - 10 : kSliceBytes);
            const uint8_t code = k == 0 ? 0x00 : uint8_t(k);
            u[0] = 0, u[1] = 0, u[2] = 1, u[3] = code;
            noise.fill(u, 4);
            units.push_back(std::move(u));
        }
    const uint32_t ticks = uint32_t(kPictures) * kFilmFrameTicks;
    return {ticks, [=](const Segment& at) {
                const uint32_t start = at.start;
                EsStream video{EsKind::Mpeg2, 0xE0, {}, {}, 0};
                for (size_t i = 0; i < units.size(); ++i) {
                    const uint32_t pts = start + uint32_t(i / kPacksPerPicture) * kFilmFrameTicks;
                    const bool picture = i % kPacksPerPicture == 0;
                    video.units.push_back({units[i], picture ? std::optional(pts) : std::nullopt,
                                           picture ? std::optional(pts - kFilmFrameTicks) : std::nullopt});
                }
                // An audio frame every 40 packs of video.
                const uint32_t audioTicks = kFilmFrameTicks * 40 / kPacksPerPicture;
                std::vector<EsStream> streams{std::move(video),
                                              es(EsKind::Ac3, 0x80, at.looped(ac3, audioTicks))};
                MuxOptions o = at.options();
                o.frameTicks = kFilmFrameTicks;
                o.vobuTicks = kFilmFrameTicks * 4;  // about 200 packs
                return buildProgramStream(streams, o);
            }};
}

Kind vobKind(const Clips& clips) {
    const auto pictures = mpeg2Pictures(clips.file("dvd.m2v"));
    const auto ac3 = fixedFrames(clips.file("audio.ac3"), {0x0B, 0x77});
    const Bytes mp2 = clips.file("audio.mp2");
    const auto mpeg = fixedFrames(mp2, {mp2.at(0), mp2.at(1)});
    // A 1 kHz tone, 16-bit big-endian stereo.
    std::vector<Bytes> pcm(1, Bytes(kLpcmUnitBytes));
    for (size_t s = 0; s < kLpcmUnitBytes / 4; ++s) {
        const auto v = int16_t(8000 * ((s / 24) % 2 ? 1 : -1));
        for (size_t c = 0; c < 2; ++c) {
            pcm[0][s * 4 + c * 2] = uint8_t(uint16_t(v) >> 8);
            pcm[0][s * 4 + c * 2 + 1] = uint8_t(v);
        }
    }
    const uint32_t ticks = uint32_t(pictures.size()) * kFrameTicks;
    return {ticks, [=](const Segment& at) {
                const uint32_t start = at.start;
                std::vector<EsStream> streams;
                streams.push_back(
                    es(EsKind::Mpeg2, 0xE0, timed(pictures, start, kFrameTicks, pictures.size(), true)));
                streams.push_back(es(EsKind::Lpcm, 0xA0, at.looped(pcm, kLpcmUnitTicks), {0x00, 0x01, 0x80}));
                streams.push_back(es(EsKind::MpegAudio, 0xC0, at.looped(mpeg, kMpegAudioTicks)));
                streams.push_back(es(EsKind::Ac3, 0x81, at.looped(ac3, kAudioFrameTicks)));
                // Subtitles of a DVD: a unit of a few hundred bytes every 1.5 s.
                streams.push_back(subtitles(0x20, start, ticks, 135000, 700, 1));
                streams.push_back(subtitles(0x21, start + 45000, ticks, 135000, 500, 2));
                MuxOptions o = at.options();
                o.layout = Layout::Vob;
                return buildProgramStream(streams, o);
            }};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: quarnel-bench-make evo|entropy|vob ES_DIR OUT SIZE_MB\n");
        return 2;
    }
    const std::string kindName = argv[1];
    const Clips clips{argv[2]};
    const uint64_t target = uint64_t(std::atoll(argv[4])) << 20;
    const Kind kind = kindName == "evo"       ? evoKind(clips)
                      : kindName == "entropy" ? entropyKind(clips)
                      : kindName == "vob"     ? vobKind(clips)
                                              : Kind{};
    if (!kind.build) {
        std::fprintf(stderr, "quarnel-bench-make: no content kind %s\n", argv[1]);
        return 2;
    }
    // The first segment's size tells how many segments the file needs.
    const uint64_t firstSize = kind.build({kSegmentStart, kind.segmentTicks, 0}).size();
    const uint32_t segments = uint32_t((target + firstSize - 1) / firstSize);
    const uint32_t endPtm = kSegmentStart + segments * kind.segmentTicks;
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    uint64_t written = 0;
    for (uint32_t segment = 0; segment < segments; ++segment) {
        const Bytes bytes =
            kind.build({kSegmentStart + segment * kind.segmentTicks, kind.segmentTicks, endPtm});
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        written += bytes.size();
    }
    std::printf("%s: %llu MiB\n", argv[3], static_cast<unsigned long long>(written >> 20));
    return out ? 0 : 1;
}
