// SPDX-License-Identifier: GPL-3.0-or-later
// The two record kinds of the title set information file HVA00001.VTI, as read: integers
// converted from big-endian, uninterpreted stretches that the file keeps held as bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quarnel {

constexpr int kVtiMainAudioEntries = 8;
constexpr int kVtiSubAudioEntries = 8;
constexpr int kVtiSubpictureEntries = 32;

using VtiAudioEntry = std::array<uint8_t, 4>;
using VtiSubpictureEntry = std::array<uint8_t, 5>;

// VTS_EVOB_ATR: the streams an EVOB carries and their coding; 1024 bytes in the file.
struct VtsEvobAtr {
    uint16_t flags = 0;  // bits 11-10: sub video present when 1; bits 9-8: sub audio present when 1
    uint32_t mainVideo = 0;
    uint32_t subVideo = 0;
    uint16_t field0A = 0, field0C = 0;
    uint16_t mainAudioCount = 0;
    std::array<VtiAudioEntry, kVtiMainAudioEntries> mainAudio{};
    std::array<uint8_t, 144> kept030{};
    uint16_t subAudioCount = 0;
    std::array<VtiAudioEntry, kVtiSubAudioEntries> subAudio{};
    uint16_t kept0E2 = 0;
    uint16_t subpictureCount = 0;
    std::array<VtiSubpictureEntry, kVtiSubpictureEntries> subpicture{};
    std::array<uint8_t, 64> kept186{}, kept1C6{};
};

// VTS_EVOBI: one EVO file of the title set; 320 bytes in the file.
struct VtsEvobi {
    uint16_t type = 0;  // bits 13-12 application type, 6-5 and 4-3 audio gaps of streams 0 and 1
    std::string name;   // the EVOB file name, at most 255 characters
    uint32_t addressOffset = 0;
    uint32_t attributeNumber = 0;  // 1-based number of a VTS_EVOB_ATR
    uint32_t startPtm = 0, endPtm = 0;
    uint32_t size = 0;  // in logical blocks
    uint16_t index = 0;
    std::array<uint32_t, 4> kept11A{};
    std::array<uint16_t, 2> kept12A{};
};

}  // namespace quarnel
