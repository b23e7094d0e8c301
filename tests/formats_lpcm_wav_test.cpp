// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "fixtures/program_stream_builder.h"
#include "fixtures/temp_dir.h"
#include "formats/audio/lpcm_wav.h"

namespace quarnel {
namespace {

using fixtures::Bytes;

uint64_t le(const Bytes& b, size_t at, int bytes) {
    uint64_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = v << 8 | b[at + size_t(k)];
    return v;
}

// The WAV file that `pieces` of LPCM payload make, behind a DVD-Audio private header.
Bytes wavOf(const Bytes& aobHeader, const std::vector<Bytes>& pieces) {
    fixtures::TempDir dir;
    OutputFile out;
    out.create(dir.file("a.wav"));
    LpcmWav wav;
    wav.start(out, aobHeader, true);
    for (const Bytes& p : pieces) wav.write(p);
    wav.finish();
    out.commit();
    return fixtures::readFile(dir.file("a.wav"));
}

TEST(WavHeader, BecomesRf64WhenItsSizesPass32Bits) {
    const WavFormat f{96000, 2, 24, 24, 0x3};
    const auto small = wavHeader(f, 600);
    EXPECT_EQ(Bytes(small.begin(), small.begin() + 4), (Bytes{'R', 'I', 'F', 'F'}));
    EXPECT_EQ(le(Bytes(small.begin(), small.end()), 4, 4), kWavHeaderBytes - 8 + 600);
    EXPECT_EQ(le(Bytes(small.begin(), small.end()), kWavHeaderBytes - 4, 4), 600u);

    const uint64_t data = 5ull << 30;
    const auto bigHeader = wavHeader(f, data);
    const Bytes big(bigHeader.begin(), bigHeader.end());
    EXPECT_EQ(Bytes(big.begin(), big.begin() + 4), (Bytes{'R', 'F', '6', '4'}));
    EXPECT_EQ(Bytes(big.begin() + 12, big.begin() + 16), (Bytes{'d', 's', '6', '4'}));
    EXPECT_EQ(le(big, 4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(le(big, 20, 8), kWavHeaderBytes - 8 + data);
    EXPECT_EQ(le(big, 28, 8), data);
    EXPECT_EQ(le(big, 36, 8), data / 6);  // frames
    EXPECT_EQ(le(big, kWavHeaderBytes - 4, 4), 0xFFFFFFFFu);
}

TEST(LpcmWav, TwentyBitSamplesFillTheTopOf24BitContainersAcrossPieces) {
    // two frames of stereo: 0x12345 0xABCDE | 0x00001 0xFFFFF
    const Bytes unit = {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x00, 0xFF, 0xFF, 0x5E, 0x1F};
    const Bytes wav =
        wavOf({0xA0, 0, 0, 8, 0, 0, 0, 0x1F, 0x0F, 0, 1, 0x80},
              {Bytes(unit.begin(), unit.begin() + 3), Bytes(unit.begin() + 3, unit.end()), {0x77}});
    ASSERT_EQ(wav.size(), kWavHeaderBytes + 12);
    EXPECT_EQ(le(wav, 56 + 14, 2), 24u);  // container bits
    EXPECT_EQ(le(wav, 56 + 18, 2), 20u);  // valid bits
    EXPECT_EQ(Bytes(wav.begin() + kWavHeaderBytes, wav.end()),
              (Bytes{0x50, 0x34, 0x12, 0xE0, 0xCD, 0xAB, 0x10, 0x00, 0x00, 0xF0, 0xFF, 0xFF}));
}

TEST(LpcmWav, GroupTwoComesFirstAndChannelsTakeTheOrderOfTheMask) {
    // assignment 18: Lf Rf Ls Rs | LFE; a WAV frame is L R LFE Ls Rs
    Bytes unit = {0x00, 0x40, 0x00, 0x41};  // group 2: LFE of frames 0 and 1
    for (uint8_t f = 0; f < 2; ++f)
        for (uint8_t c = 0; c < 4; ++c) unit.insert(unit.end(), {0x00, uint8_t(f << 4 | c)});
    const Bytes wav = wavOf({0xA0, 0, 0, 8, 0, 0, 0, 0x00, 0x00, 0, 18, 0x80}, {unit});
    EXPECT_EQ(le(wav, 56 + 20, 4), 0x3Bu);
    Bytes samples;
    for (size_t at = kWavHeaderBytes; at < wav.size(); at += 2) samples.push_back(wav[at]);
    EXPECT_EQ(samples, (Bytes{0x00, 0x01, 0x40, 0x02, 0x03, 0x10, 0x11, 0x41, 0x12, 0x13}));
}

TEST(LpcmWav, GroupsOfTwoSamplingFrequenciesAreRefused) {
    fixtures::TempDir dir;
    OutputFile out;
    out.create(dir.file("a.wav"));
    LpcmWav wav;
    // The reason start() raises for a DVD-Audio header; "" when it starts.
    const auto refusal = [&](const Bytes& header) {
        try {
            wav.start(out, header, true);
        } catch (const QuarnelError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(refusal({0xA0, 0, 0, 8, 0, 0, 0, 0x00, 0x01, 0, 12, 0x80}),
              "its two channel groups have different sampling frequencies");
    EXPECT_EQ(refusal({0xA0, 0, 0, 8, 0, 0, 0, 0x00, 0x00, 0, 21, 0x80}),
              "its channel assignment 21 is undefined");
    EXPECT_FALSE(wav.started());
}

}  // namespace
}  // namespace quarnel
