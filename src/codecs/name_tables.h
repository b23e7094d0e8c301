// SPDX-License-Identifier: GPL-3.0-or-later
// The name and value tables that several analysers share. Slots without a name are empty texts.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quarnel {

// AC-3 sample rate in Hz by fscod; 3 is invalid.
constexpr std::array<uint32_t, 4> kAc3SampleRates = {48000, 44100, 32000, 0};

// AC-3 nominal bit rate in bit/s by frmsizecod div 2.
constexpr std::array<uint32_t, 19> kAc3BitRates = {
    32000,  40000,  48000,  56000,  64000,  80000,  96000,  112000, 128000, 160000,
    192000, 224000, 256000, 320000, 384000, 448000, 512000, 576000, 640000,
};

// DTS core sample rate in Hz by SFREQ; 0 = invalid.
constexpr std::array<uint32_t, 16> kDtsSampleRates = {0,     8000, 16000, 32000, 0,     0,     11025, 22050,
                                                      44100, 0,    0,     12000, 24000, 48000, 0,     0};
// DTS transmission bit rate in bit/s by RATE; 0 = open, variable or loss-less.
constexpr std::array<uint32_t, 32> kDtsBitRates = {
    32000,   56000,   64000,   96000,   112000,  128000,  192000,  224000,  256000,  320000,  384000,
    448000,  512000,  576000,  640000,  768000,  960000,  1024000, 1152000, 1280000, 1344000, 1408000,
    1411200, 1472000, 1536000, 1920000, 2048000, 3072000, 3840000, 0,       0,       0,
};
// DTS core channels by AMODE (without the LFE); 0 = user defined.
constexpr std::array<uint32_t, 16> kDtsAmodeChannels = {1, 2, 2, 2, 2, 3, 3, 4, 4, 5, 6, 6, 6, 7, 8, 8};

// Sample word length in bits by quantization code (LPCM, MLP).
constexpr std::array<std::string_view, 16> kQuantizationNames = {"16", "20", "24"};

// Sampling frequency in kHz by code (LPCM, MLP).
constexpr std::array<std::string_view, 16> kSamplingFrequencyNames = {
    "48", "96", "192", "", "", "", "", "", "44.1", "88.2", "176.4",
};

// TrueHD channel modifier by its 2-bit code.
constexpr std::array<std::string_view, 4> kChannelModifierNames = {"Stereo", "Lt/Rt", "Lbin/Rbin", "Mono"};

// TrueHD channel groups of the 6- and 8-channel presentations, one per assignment bit, bit 0
// first, with the channels each holds.
struct ChannelGroup {
    std::string_view name;
    uint8_t channels;
};
constexpr std::array<ChannelGroup, 5> kSixChannelGroups = {{
    {"Main (Left,Right)", 2},
    {"Centre", 1},
    {"LFE", 1},
    {"Surrounds (Ls/Rs)", 2},
    {"Highs (Lvh/Rvh)", 2},
}};
constexpr std::array<ChannelGroup, 13> kEightChannelGroups = {{
    {"Main (Left,Right)", 2},
    {"Centre", 1},
    {"LFE", 1},
    {"Surrounds (Ls/Rs)", 2},
    {"Front Highs (Lvh/Rvh)", 2},
    {"Inner fronts (Lc/Rc)", 2},
    {"Rears (Lrs/Rrs)", 2},
    {"Centre surround (Cs)", 1},
    {"Top (Ts)", 1},
    {"Surround Directs (Lsd/Rsd)", 2},
    {"Front Wide (Lw/Rw)", 2},
    {"Centre Front High (Cvh)", 1},
    {"LFE2", 1},
}};

// Sample aspect ratio by aspect_ratio_idc (H.264) and ASPECT_RATIO (VC-1).
constexpr std::array<std::string_view, 16> kAspectRatioNames = {
    "unspecified",
    "[bl]1:1[/bl] (square samples)",
    "[bl]12:11[/bl] (704x576 4:3)",
    "[bl]10:11[/bl] (704x480 4:3)",
    "[bl]16:11[/bl] (704x576 16:9)",
    "[bl]40:33[/bl] (704x480 16:9)",
    "[bl]24:11[/bl] (352x576 4:3)",
    "[bl]20:11[/bl] (352x480 4:3)",
    "[bl]32:11[/bl] (352x576 16:9)",
    "[bl]80:33[/bl] (352x480 16:9)",
    "[bl]18:11[/bl] (48$576 4:3)",
    "[bl]15:11[/bl] (48$480 4:3)",
    "[bl]64:33[/bl] (528x576 16:9)",
    "[bl]160:99[/bl] (528x480 16:9)",
    "[bl]4:3[/bl]",
    "[bl]3:2[/bl]\"",
};

}  // namespace quarnel
