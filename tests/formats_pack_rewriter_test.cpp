// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "fixtures/program_stream_builder.h"
#include "fixtures/sample_streams.h"
#include "formats/ps/pack_rewriter.h"

namespace quarnel {
namespace {

using namespace fixtures;
using Pack = std::array<uint8_t, kPackBytes>;

constexpr uint32_t kStart = 0x00200000;

std::vector<Pack> packsOf(const Bytes& file) {
    std::vector<Pack> packs(file.size() / kPackBytes);
    for (size_t k = 0; k < packs.size(); ++k)
        std::copy_n(file.begin() + long(k * kPackBytes), kPackBytes, packs[k].begin());
    return packs;
}

uint8_t subIdOf(const Pack& p) {
    return p[23 + p[22]];
}
uint32_t get32(const Pack& p, size_t at) {
    return uint32_t(p[at]) << 24 | uint32_t(p[at + 1]) << 16 | uint32_t(p[at + 2]) << 8 | p[at + 3];
}
// The low 32 bits of a PTS or DTS field and its bit 32.
uint32_t stampAt(const Pack& p, size_t at) {
    return uint32_t(p[at] & 0x06) << 29 | uint32_t(p[at + 1]) << 22 | uint32_t(p[at + 2] >> 1) << 15 |
           uint32_t(p[at + 3]) << 7 | uint32_t(p[at + 4] >> 1);
}

// The first pack of `packs` that `match` accepts.
Pack first(const std::vector<Pack>& packs, const std::function<bool(const Pack&)>& match) {
    for (const Pack& p : packs)
        if (match(p)) return p;
    ADD_FAILURE() << "no such pack";
    return Pack{};
}
std::function<bool(const Pack&)> private1(uint8_t sub) {
    return [sub](const Pack& p) { return p[17] == 0xBD && subIdOf(p) == sub; };
}
std::function<bool(const Pack&)> streamId(uint8_t id) {
    return [id](const Pack& p) { return p[17] == id; };
}

struct Rewriter : ::testing::Test {
    RebuildSelection sel;
    Renumbering numbers;
    PackTimes times;

    Rewriter() {
        sel.video.fill(-1);
        sel.audio.fill(-1);
        sel.sub.fill(-1);
    }
    bool rewrite(Pack& p) { return rewritePack(std::span<uint8_t, kPackBytes>(p), sel, numbers, times); }
};

TEST_F(Rewriter, KeptStreamsAreRenumberedInBoxOrderOneCounterPerKind) {
    sel.video = {0x55, 0xE1};
    sel.videoTicked = {false, true};
    sel.audio[0] = 0x80;
    sel.audio[1] = 0x81;
    sel.audio[2] = 0x8A;
    sel.audio[5] = 0xC5;
    sel.audioTicked[1] = sel.audioTicked[2] = sel.audioTicked[5] = true;
    sel.sub[1] = 0x61;
    sel.sub[2] = 0x22;
    sel.sub[31] = 0x3F;
    sel.subTicked[1] = sel.subTicked[2] = sel.subTicked[31] = true;
    const std::vector<Pack> packs = packsOf(
        buildProgramStream({mpeg2Video(0xE1, 2, 500, kStart), audio(EsKind::Dts, 0x8A, 2, 300, kStart, 1),
                            audio(EsKind::Eac3, 0xC5, 2, 300, kStart, 2)},
                           {}));
    Pack dts = first(packs, private1(0x8A));
    EXPECT_TRUE(rewrite(dts));
    EXPECT_EQ(subIdOf(dts), 0x8A) << "no number before the first navigation pack";

    Pack nav = first(packs, streamId(0xBB));
    EXPECT_TRUE(rewrite(nav));
    EXPECT_EQ(numbers.mapped(0xE1), 0xE0);
    EXPECT_EQ(numbers.mapped(0x81), 0x80);
    EXPECT_EQ(numbers.mapped(0x8A), 0x89);
    EXPECT_EQ(numbers.mapped(0xC5), 0xC2);
    EXPECT_EQ(numbers.mapped(0x61), 0x60);
    EXPECT_EQ(numbers.mapped(0x22), 0x21);
    EXPECT_EQ(numbers.mapped(0x3F), 0x22);
    EXPECT_EQ(numbers.newId[0x80], kNoNewId);

    dts = first(packs, private1(0x8A));
    Pack eac3 = first(packs, private1(0xC5));
    Pack video = first(packs, streamId(0xE1));
    EXPECT_TRUE(rewrite(dts) && rewrite(eac3) && rewrite(video));
    EXPECT_EQ(subIdOf(dts), 0x89);
    EXPECT_EQ(subIdOf(eac3), 0xC2);
    EXPECT_EQ(video[17], 0xE0);

    // Numbers stay as first given, and VC-1 counts from 0x55.
    sel.audioTicked[1] = false;
    EXPECT_TRUE(rewrite(nav));
    EXPECT_EQ(numbers.mapped(0x8A), 0x89);
    Renumbering vc1;
    vc1.renumberVideo(0x56);
    vc1.renumberVideo(0x55);
    EXPECT_EQ(vc1.mapped(0x56), 0x55);
    EXPECT_EQ(vc1.mapped(0x55), 0x56);
}

TEST_F(Rewriter, UntickedStreamsAreDroppedOverTheWholeIdRanges) {
    const std::vector<EsStream> streams = {vc1Video(0x56, 2, 500, kStart),
                                           audio(EsKind::Eac3, 0xCF, 2, 300, kStart, 1),
                                           audio(EsKind::Eac3, 0xC9, 2, 300, kStart, 2),
                                           audio(EsKind::Lpcm, 0xA7, 2, 300, kStart, 3),
                                           audio(EsKind::TrueHd, 0xB7, 2, 300, kStart, 4),
                                           audio(EsKind::Dts, 0x8F, 2, 300, kStart, 5),
                                           subpicture(0x3F, 1, 300, kStart, 6),
                                           subpicture(0x7E, 1, 300, kStart, 7),
                                           subpicture(0x30, 1, 300, kStart, 8)};
    const std::vector<Pack> packs = packsOf(buildProgramStream(streams, {}));
    sel.video[1] = 0x56;
    sel.audio[7] = 0x8F;
    sel.audio[9] = 0xC9;
    sel.audio[6] = 0xA7;  // each in a slot of its own here
    sel.audio[5] = 0xB7;
    sel.audio[15] = 0xCF;
    sel.sub[31] = 0x3F;
    sel.sub[30] = 0x7E;
    sel.sub[16] = 0x30;
    for (uint8_t id : {0x8F, 0xC9, 0xB7, 0xA7, 0xCF, 0x3F, 0x7E, 0x30}) {
        Pack p = first(packs, private1(id));
        EXPECT_FALSE(rewrite(p)) << std::hex << int(id);
    }
    Pack vc1 = first(packs, streamId(0xFD));
    EXPECT_FALSE(rewrite(vc1));

    sel.audioTicked[15] = sel.subTicked[31] = sel.videoTicked[1] = true;
    Pack eac3 = first(packs, private1(0xCF)), sub = first(packs, private1(0x3F));
    vc1 = first(packs, streamId(0xFD));
    EXPECT_TRUE(rewrite(eac3));
    EXPECT_TRUE(rewrite(sub));
    EXPECT_TRUE(rewrite(vc1));
}

TEST_F(Rewriter, AnIdOutsideTheTableIsWrittenUnderItsOwnNumber) {
    sel.audio[0] = 0x80;
    sel.audioTicked[0] = true;
    const std::vector<Pack> packs = packsOf(buildProgramStream(
        {audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1), audio(EsKind::Ac3, 0x85, 2, 300, kStart, 2),
         audio(EsKind::MpegAudio, 0xD3, 2, 300, kStart, 3), mpeg2Video(0xE1, 1, 300, kStart)},
        {}));
    Pack nav = first(packs, streamId(0xBB));
    ASSERT_TRUE(rewrite(nav));
    Pack stray = first(packs, private1(0x85)), mpegAudio = first(packs, streamId(0xD3)),
         video = first(packs, streamId(0xE1));
    EXPECT_TRUE(rewrite(stray));
    EXPECT_EQ(subIdOf(stray), 0x85);
    EXPECT_TRUE(rewrite(mpegAudio));
    EXPECT_EQ(mpegAudio[17], 0xD3);
    EXPECT_TRUE(rewrite(video));
    EXPECT_EQ(video[17], 0xE1);
}

TEST_F(Rewriter, NavigationPacksDescribeOnlyTheKeptStreams) {
    const std::vector<EsStream> streams = {mpeg2Video(0xE0, 2, 500, kStart),
                                           audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1),
                                           audio(EsKind::Ac3, 0x81, 2, 300, kStart, 2),
                                           audio(EsKind::Ac3, 0x82, 2, 300, kStart, 3),
                                           subpicture(0x20, 1, 300, kStart, 4),
                                           subpicture(0x21, 1, 300, kStart, 5)};
    MuxOptions o;
    o.startPtm = 0x11111111;
    o.endPtm = 0x22222222;
    const Pack source = first(packsOf(buildProgramStream(streams, o)), streamId(0xBB));
    sel.video[0] = 0xE0;
    sel.audio[0] = 0x80;
    sel.audio[1] = 0x81;
    sel.audio[2] = 0x82;
    sel.sub[0] = 0x20;
    sel.sub[1] = 0x21;
    sel.audioTicked[0] = sel.audioTicked[2] = true;
    sel.subTicked[1] = true;
    times = {0x00ABCDEF, 0x01234567, 0};
    Pack nav = source;
    ASSERT_TRUE(rewrite(nav));

    EXPECT_EQ(nav[23] >> 2, 2) << "audio_bound";
    EXPECT_EQ(nav[23] & 0x03, source[23] & 0x03);
    EXPECT_EQ(nav[24] & 0x1F, 0) << "video_bound";
    EXPECT_EQ(nav[24] & 0xE0, source[24] & 0xE0);
    EXPECT_EQ(get32(nav, 0x53A), 0x00ABCDEFu);
    EXPECT_EQ(get32(nav, 0x53E), 0x01234567u);
    for (size_t at = 0x720; at < 0x724; ++at) EXPECT_EQ(nav[at], source[at]) << "A_SYNCA entries 0 and 1";
    EXPECT_NE(source[0x724] | source[0x725], 0);
    for (size_t at = 0x724; at < 0x730; ++at) EXPECT_EQ(nav[at], 0) << "A_SYNCA entries 2 to 7";
    for (size_t at = 0x730; at < 0x734; ++at) EXPECT_EQ(nav[at], source[at]) << "SP_SYNCA entry 0";
    for (size_t at = 0x734; at < 0x7B0; ++at) EXPECT_EQ(nav[at], 0) << "SP_SYNCA entries 1 to 31";
    for (size_t at = 0x7B0; at < kPackBytes; ++at) EXPECT_EQ(nav[at], source[at]);

    // Without a DSI at its place only the system header changes.
    Pack noDsi = source;
    noDsi[0x50D] = 0x00;
    ASSERT_TRUE(rewrite(noDsi));
    EXPECT_EQ(get32(noDsi, 0x53A), 0x11111111u);
    EXPECT_EQ(noDsi[0x724], source[0x724]);
    EXPECT_EQ(dsiTimes(source)->endPtm, 0x22222222u);
    EXPECT_FALSE(dsiTimes(noDsi));
}

TEST_F(Rewriter, AdvancedPacksOnlyOnRequestOtherPacksAsTheyAre) {
    MuxOptions o;
    o.advancedPacksPerVobu = 1;
    o.copyControl = CopyControl{};
    sel.audio[0] = 0x80;  // unticked
    const std::vector<Pack> packs =
        packsOf(buildProgramStream({audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1)}, o));
    const auto private2 = [](uint8_t sub) {
        return [sub](const Pack& p) { return p[17] == 0xBF && p[20] == sub; };
    };
    Pack adv = first(packs, private2(0x80)), control = first(packs, private2(0x04));
    EXPECT_FALSE(rewrite(adv));
    EXPECT_TRUE(rewrite(control));
    sel.keepAdvanced = true;
    EXPECT_TRUE(rewrite(adv));

    // A DVD pack (another mux rate) of a dropped stream is copied unchanged.
    o.layout = Layout::Vob;
    o.advancedPacksPerVobu = 0;
    const Pack vob =
        first(packsOf(buildProgramStream({audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1)}, o)), private1(0x80));
    Pack copy = vob;
    EXPECT_TRUE(rewrite(copy));
    EXPECT_EQ(copy, vob);
    // Bytes that do not open a pack are left out.
    copy[3] = 0xBB;
    EXPECT_FALSE(rewrite(copy));
}

TEST(PackTimes, MovingAStampKeepsBit32AndWrapsInTheLow32Bits) {
    // 33-bit value 0x1_FFFF_FFF0 written with prefix 0010 and its markers.
    const uint64_t v = 0x1FFFFFFF0ull;
    uint8_t b[5] = {uint8_t(0x20 | ((v >> 29) & 0x0E) | 1), uint8_t(v >> 22), uint8_t(((v >> 14) & 0xFE) | 1),
                    uint8_t(v >> 7), uint8_t(((v << 1) & 0xFE) | 1)};
    moveStamp(b, 0x20);
    Pack p{};
    std::copy_n(b, 5, p.begin());
    EXPECT_EQ(stampAt(p, 0), 0x10u);
    EXPECT_EQ(b[0] & 0xF9, 0x20 | 0x08 | 1) << "prefix, bit 32 and marker";
    EXPECT_EQ(b[2] & 1, 1);
    EXPECT_EQ(b[4] & 1, 1);
}

TEST_F(Rewriter, ShiftMovesVideoAndPrivateStream1StampsOnly) {
    EsStream video = mpeg2Video(0xE0, 2, 500, kStart);
    const std::vector<Pack> packs = packsOf(buildProgramStream(
        {video, vc1Video(0x55, 1, 300, kStart), audio(EsKind::Ac3, 0x80, 2, 300, kStart, 1),
         audio(EsKind::MpegAudio, 0xC0, 2, 300, kStart, 2)},
        {}));
    times.ptsShift = 1000;
    Pack mpeg2 = first(packs, streamId(0xE0)), vc1 = first(packs, streamId(0xFD)),
         ac3 = first(packs, private1(0x80)), mpa = first(packs, streamId(0xC0));
    ASSERT_EQ(mpeg2[21] & 0xC0, 0xC0);
    const uint32_t pts = stampAt(mpeg2, 23), dts = stampAt(mpeg2, 28);
    ASSERT_TRUE(rewrite(mpeg2) && rewrite(vc1) && rewrite(ac3) && rewrite(mpa));
    EXPECT_EQ(stampAt(mpeg2, 23), pts + 1000);
    EXPECT_EQ(stampAt(mpeg2, 28), dts + 1000);
    EXPECT_EQ(stampAt(vc1, 23), kStart + 1000);
    EXPECT_EQ(stampAt(ac3, 23), kStart + 1000);
    EXPECT_EQ(stampAt(mpa, 23), kStart);
}

TEST_F(Rewriter, OutsideNavigationPacksOnlyTheHeadIsReadOrChanged) {
    std::vector<Pack> packs = packsOf(buildProgramStream(
        {mpeg2Video(0xE0, 2, 500, kStart), vc1Video(0x55, 1, 300, kStart),
         audio(EsKind::Ac3, 0x81, 2, 300, kStart, 1), audio(EsKind::MpegAudio, 0xC1, 2, 300, kStart, 2)},
        {}));
    // A private stream 1 pack whose PES header data is as long as it can be: its sub-stream
    // id is the last byte of the head.
    Pack longest = first(packs, private1(0x81));
    longest[22] = 255;
    longest[kRewrittenHeadBytes - 1] = 0x81;
    packs.push_back(longest);
    sel.video[0] = 0xE0;
    sel.video[1] = 0x55;
    sel.audio[0] = 0x81;
    sel.audio[1] = 0xC1;
    sel.videoTicked = {true, true};
    sel.audioTicked[0] = sel.audioTicked[1] = true;
    Pack navigation = first(packs, streamId(0xBB));
    rewrite(navigation);  // hands out the new numbers
    times.ptsShift = 1000;
    int changed = 0;
    for (const Pack& original : packs) {
        if (original[17] == 0xBB) continue;
        Pack whole = original, head = original;
        std::fill(head.begin() + kRewrittenHeadBytes, head.end(), uint8_t(0xA5));
        const bool kept = rewrite(whole);
        ASSERT_EQ(rewrite(head), kept);
        EXPECT_TRUE(std::equal(whole.begin(), whole.begin() + kRewrittenHeadBytes, head.begin()));
        EXPECT_TRUE(std::equal(whole.begin() + kRewrittenHeadBytes, whole.end(),
                               original.begin() + kRewrittenHeadBytes));
        changed += whole != original;
    }
    EXPECT_GT(changed, 4);
}

}  // namespace
}  // namespace quarnel
