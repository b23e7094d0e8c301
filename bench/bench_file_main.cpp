// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a large EVO for the benchmark from short encoded clips, looped with running time
// stamps: MPEG-2 video, three audio codings, two subpicture streams, a navigation pack every
// half second.
//
//   quarnel-bench-make ES_DIR OUT.EVO SIZE_MB
//
// ES_DIR holds video.m2v (MPEG-2, no B-frames, 29.97 fps), audio.ac3, audio.eac3, audio.dts
// as bench/run.sh makes them with ffmpeg.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fixtures/program_stream_builder.h"

using namespace quarnel::fixtures;

namespace {

constexpr uint32_t kFrameTicks = 3003;
constexpr uint32_t kAudioFrameTicks = 2880;  // 1536 samples at 48 kHz
constexpr uint32_t kDtsFrameTicks = 960;     // 512 samples at 48 kHz
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
        units.push_back({pieces[i % pieces.size()], pts, withDts ? std::optional<uint32_t>(pts - ticks) : std::nullopt});
    }
    return units;
}

EsStream subtitles(uint8_t id, uint32_t start, uint32_t seconds, uint8_t seed) {
    EsStream s{EsKind::Subpicture, id, {}, {}, 0};
    for (uint32_t k = 0; k < seconds / 2; ++k) {
        Bytes unit(3000, uint8_t(seed + k));
        unit[0] = 3000 >> 8;
        unit[1] = 3000 & 0xFF;
        s.units.push_back({unit, start + k * 180000, {}});
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: quarnel-bench-make ES_DIR OUT.EVO SIZE_MB\n");
        return 2;
    }
    const std::string dir = argv[1];
    const uint64_t target = uint64_t(std::atoll(argv[3])) << 20;
    const std::vector<Bytes> pictures = mpeg2Pictures(readFile(dir + "/video.m2v"));
    const std::vector<Bytes> ac3 = fixedFrames(readFile(dir + "/audio.ac3"), {0x0B, 0x77});
    const std::vector<Bytes> eac3 = fixedFrames(readFile(dir + "/audio.eac3"), {0x0B, 0x77});
    const std::vector<Bytes> dts = fixedFrames(readFile(dir + "/audio.dts"), {0x7F, 0xFE, 0x80, 0x01});

    // One segment: the clip's pictures once; segments follow each other in time.
    const size_t frames = pictures.size();
    const uint32_t segmentTicks = uint32_t(frames) * kFrameTicks;
    const auto segmentBytes = [&](uint32_t segment, uint32_t endPtm) {
        const uint32_t start = kSegmentStart + segment * segmentTicks;
        std::vector<EsStream> streams;
        streams.push_back({EsKind::Mpeg2, 0xE0, timed(pictures, start, kFrameTicks, frames, true), {}, 0});
        streams.push_back(
            {EsKind::Ac3, 0x80, timed(ac3, start, kAudioFrameTicks, segmentTicks / kAudioFrameTicks, false), {}, 0});
        streams.push_back(
            {EsKind::Eac3, 0xC1, timed(eac3, start, kAudioFrameTicks, segmentTicks / kAudioFrameTicks, false), {}, 0});
        streams.push_back(
            {EsKind::Dts, 0x8A, timed(dts, start, kDtsFrameTicks, segmentTicks / kDtsFrameTicks, false), {}, 0});
        streams.push_back(subtitles(0x20, start, segmentTicks / 90000, 1));
        streams.push_back(subtitles(0x21, start, segmentTicks / 90000, 2));
        MuxOptions o;
        o.startPtm = kSegmentStart;  // every navigation pack tells the span of the whole file
        o.endPtm = endPtm;
        return buildProgramStream(streams, o);
    };
    // The first segment's size tells how many segments the file needs.
    const uint64_t firstSize = segmentBytes(0, 0).size();
    const uint32_t segments = uint32_t((target + firstSize - 1) / firstSize);
    const uint32_t endPtm = kSegmentStart + segments * segmentTicks;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    uint64_t written = 0;
    for (uint32_t segment = 0; segment < segments; ++segment) {
        const Bytes bytes = segmentBytes(segment, endPtm);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        written += bytes.size();
    }
    std::printf("%s: %llu MiB\n", argv[2], static_cast<unsigned long long>(written >> 20));
    return out ? 0 : 1;
}
