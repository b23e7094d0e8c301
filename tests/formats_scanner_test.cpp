// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "fixtures/program_stream_builder.h"
#include "fixtures/sample_streams.h"
#include "formats/ps/scanner.h"

namespace quarnel {
namespace {

using namespace fixtures;

// Collects what the scanner hands on: payload bytes per (kind, index), reveals, navigation packets.
struct RecordingSink {
    std::map<std::pair<int, int>, Bytes> payloads;
    std::vector<std::string> reveals;
    std::vector<Bytes> navPackets;
    std::vector<uint32_t> ptsAtPayload;
    const uint8_t* buf = nullptr;
    std::array<bool, 96> seen{};

    void reveal(ScanState&, StreamKind kind, int index, int id) {
        const int key = int(kind) * 32 + index;
        if (seen[size_t(key)]) return;
        seen[size_t(key)] = true;
        reveals.push_back(std::to_string(int(kind)) + ":" + std::to_string(index) + ":" + std::to_string(id));
    }
    void payload(ScanState& st, size_t offset, size_t count) {
        ptsAtPayload.push_back(st.currentPts.value_or(0));
        st.currentPts.reset();
        const int index = st.kind == PacketKind::Video   ? st.videoIndex
                          : st.kind == PacketKind::Audio ? st.audioIndex
                                                         : st.subIndex;
        Bytes& into = payloads[{int(st.kind), index}];
        into.insert(into.end(), buf + offset, buf + offset + count);
    }
    void navigation(ScanState&, uint8_t, std::span<const uint8_t> packet) {
        navPackets.emplace_back(packet.begin(), packet.end());
    }
    void malformed(ScanState&, uint8_t subId) { malformedIds.push_back(subId); }
    std::vector<uint8_t> malformedIds;
};

RecordingSink scanInChunks(const Bytes& file, size_t chunk, bool aob = false) {
    ScanState st;
    st.aob = aob;
    RecordingSink sink;
    Scanner<RecordingSink> scanner(st, sink, true);
    Bytes buffer(chunk);
    for (size_t at = 0; at < file.size(); at += chunk) {
        const size_t n = std::min(chunk, file.size() - at);
        std::copy(file.begin() + long(at), file.begin() + long(at + n), buffer.begin());
        sink.buf = buffer.data();
        scanner.scan(buffer.data(), n);
    }
    scanner.finish();
    return sink;
}

Bytes mixedFile() {
    MuxOptions o;
    o.copyControl = CopyControl{0, 0x80, 0xA0};
    o.advancedPacksPerVobu = 1;
    return buildProgramStream(
        {mpeg2Video(0xE1, 6, 2500, 90000), vc1Video(0x55, 3, 1500, 90000),
         audio(EsKind::Lpcm, 0xA3, 6, 2100, 90000, 1), audio(EsKind::TrueHd, 0xB1, 4, 900, 90000, 2),
         audio(EsKind::Eac3, 0xCA, 4, 700, 90000, 3), subpicture(0x3E, 1, 2500, 90000, 4),
         subpicture(0x61, 1, 100, 90000, 5)},
        o);
}

TEST(Scanner, EveryChunkSizeGivesTheSameResult) {
    const Bytes file = mixedFile();
    const RecordingSink whole = scanInChunks(file, file.size());
    ASSERT_EQ(whole.payloads.size(), 7u);
    ASSERT_EQ(whole.navPackets.size(), 2u);  // first DSI and the copy-control packet
    for (size_t chunk : {1, 2, 3, 5, 7, 13, 64, 509, 2048, 2049, 4095}) {
        const RecordingSink split = scanInChunks(file, chunk);
        EXPECT_EQ(split.payloads, whole.payloads) << chunk;
        EXPECT_EQ(split.reveals, whole.reveals) << chunk;
        EXPECT_EQ(split.navPackets, whole.navPackets) << chunk;
    }
}

TEST(Scanner, EveryIdRangeReachesItsSlot) {
    const RecordingSink s = scanInChunks(mixedFile(), 1000);
    const std::vector<std::string> expected = {"0:1:225",  "0:0:85",  "1:3:163", "1:1:177",
                                               "1:10:202", "2:30:62", "2:1:97"};
    for (const auto& r : expected)
        EXPECT_NE(std::find(s.reveals.begin(), s.reveals.end(), r), s.reveals.end()) << r;
}

TEST(Scanner, PayloadIsTheElementaryStream) {
    const EsStream lpcm = audio(EsKind::Lpcm, 0xA0, 6, 3000, 90000, 1);
    const EsStream video = h264Video(0xE2, 5, 5000, 90000);
    const RecordingSink s = scanInChunks(buildProgramStream({video, lpcm}, {}), 777);
    EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 0}), elementaryBytes(lpcm));
    EXPECT_EQ(s.payloads.at({int(PacketKind::Video), 0}), elementaryBytes(video));
}

TEST(Scanner, NavigationPacketCutByTheEndOfTheFileReadsZeros) {
    Bytes file = buildProgramStream({mpeg2Video(0xE0, 1, 100, 90000)}, {});
    file.resize(0x507 + 6 + 0x30);  // DSI cut inside VOB_V_E_PTM
    const RecordingSink s = scanInChunks(file, 100);
    ASSERT_EQ(s.navPackets.size(), 1u);
    ASSERT_EQ(s.navPackets[0].size(), 0x2F3u);
    EXPECT_EQ(s.navPackets[0][0], 0x01);
    EXPECT_EQ(s.navPackets[0][0x31 + 3], 0);
}

TEST(Scanner, MalformedLengthsResynchroniseOnTheNextStartCode) {
    const Bytes good =
        buildProgramStream({audio(EsKind::Ac3, 0x80, 3, 500, 90000, 1)}, {MuxOptions{.navPacks = false}});
    for (uint16_t length : {0, 1, 2, 5, 8}) {
        // a private stream 1 packet whose length is 0 or ends inside its own header
        Bytes bad = {0x00,
                     0x00,
                     0x01,
                     0xBD,
                     uint8_t(length >> 8),
                     uint8_t(length),
                     0x81,
                     0x80,
                     0x05,
                     0x21,
                     0x00,
                     0x01,
                     0x00,
                     0x01,
                     0x81,
                     0x01,
                     0x00,
                     0x01};
        bad.insert(bad.end(), good.begin(), good.end());
        const RecordingSink s = scanInChunks(bad, 4096);
        Bytes expected;
        for (uint8_t k = 1; k <= 3; ++k) expected.insert(expected.end(), 500, k);
        EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 0}), expected) << length;
    }
}

TEST(Scanner, AobHeadersOfChangingLengthAreStrippedWhereverAChunkEnds) {
    EsStream lpcm = audio(EsKind::AobLpcm, 0xA0, 9, 3000, 90000, 1);
    lpcm.packUnits = true;
    lpcm.aobHeaderLengths = {8, 13, 10, 2000};
    const EsStream mlp = audio(EsKind::AobMlp, 0xA1, 5, 1700, 90000, 40);
    const Bytes file = buildProgramStream({lpcm, mlp}, aobOptions());
    for (size_t chunk :
         {size_t(1), size_t(2), size_t(3), size_t(7), size_t(509), size_t(2048), size_t(1) << 20}) {
        const RecordingSink s = scanInChunks(file, chunk, true);
        EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 0}), elementaryBytes(lpcm)) << chunk;
        EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 1}), elementaryBytes(mlp)) << chunk;
        EXPECT_TRUE(s.malformedIds.empty());
    }
}

TEST(Scanner, AobPacketWithAHeaderLengthOutOfBoundsIsSkippedAndReported) {
    // one unit per packet; the second packet of each stream gets a bad L
    const EsStream lpcm = audio(EsKind::AobLpcm, 0xA0, 4, 1500, 90000, 1);
    const EsStream mlp = audio(EsKind::AobMlp, 0xA1, 4, 1500, 90000, 40);
    for (uint16_t bad : {0, 5, 7, 2000, 0xFFFF}) {
        Bytes file = buildProgramStream({lpcm, mlp}, aobOptions());
        int seen[2] = {0, 0};
        for (size_t pack = kPackSize; pack < file.size(); pack += kPackSize) {
            uint8_t* sub = &file[pack + 14 + 9 + file[pack + 14 + 8]];
            if (++seen[*sub - 0xA0] != 2) continue;
            sub[2] = uint8_t(bad >> 8), sub[3] = uint8_t(bad);
        }
        const RecordingSink s = scanInChunks(file, 1000, true);
        Bytes expected;
        for (uint8_t k : {1, 3, 4}) expected.insert(expected.end(), 1500, k);
        EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 0}), expected) << bad;
        EXPECT_EQ(s.payloads.at({int(PacketKind::Audio), 1}).size(), 3 * 1500u) << bad;
        // MLP takes only L = 6, LPCM 8 and up within its packet
        EXPECT_EQ(s.malformedIds.size(), 2u) << bad;
    }
}

TEST(Scanner, AnyBytesScanToTheirEnd) {
    std::mt19937 rng(7);
    const Bytes base = mixedFile();
    for (int round = 0; round < 200; ++round) {
        Bytes file = base;
        // flip bytes, including in headers, and sprinkle start codes
        for (int k = 0; k < 40; ++k) {
            const size_t at = rng() % (file.size() - 4);
            if (k % 4 == 0) {
                file[at] = 0;
                file[at + 1] = 0;
                file[at + 2] = 1;
                file[at + 3] = uint8_t(0xB9 + rng() % 0x46);
            } else {
                file[at] = uint8_t(rng());
            }
        }
        file.resize(rng() % file.size());
        const RecordingSink s = scanInChunks(file, 1 + rng() % 5000);
        size_t total = 0;
        for (const auto& [key, bytes] : s.payloads) total += bytes.size();
        EXPECT_LE(total, file.size());
    }
}

TEST(Scanner, TimeStampsKeepAll33Bits) {
    uint8_t field[5];
    const auto encode = [&](uint64_t t, uint8_t prefix) {
        field[0] = uint8_t(prefix << 4 | ((t >> 29) & 0x0E) | 1);
        field[1] = uint8_t(t >> 22);
        field[2] = uint8_t(((t >> 14) & 0xFE) | 1);
        field[3] = uint8_t(t >> 7);
        field[4] = uint8_t(((t << 1) & 0xFE) | 1);
    };
    encode(0x1FFFFFFFFull, 2);
    EXPECT_EQ(decodeStamp(field), 0x1FFFFFFFFu);
    encode(0x180000000ull, 3);
    EXPECT_EQ(decodeStamp(field), 0x180000000u);
}

}  // namespace
}  // namespace quarnel
