// SPDX-License-Identifier: GPL-3.0-or-later
// The 21 channel assignments of DVD-Audio (LPCM and MLP): the name the reports use, the
// speakers in the order the stream carries them, and how many of them form channel group 1
// (the rest are group 2, which may have its own word length and sampling frequency).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel {

enum class Speaker : uint8_t { Left, Right, Centre, Lfe, LeftSurround, RightSurround, Surround };

struct ChannelAssignment {
    std::string_view name;
    uint8_t channels;
    uint8_t group1Channels;
    std::array<Speaker, 6> speakers;  // the first `channels` are used
};

namespace speakers {
constexpr Speaker L = Speaker::Left, R = Speaker::Right, C = Speaker::Centre, Lfe = Speaker::Lfe,
                  Ls = Speaker::LeftSurround, Rs = Speaker::RightSurround, S = Speaker::Surround;
}

// clang-format off: one row per assignment
constexpr std::array<ChannelAssignment, 21> kChannelAssignments = [] {
    using namespace speakers;
    return std::array<ChannelAssignment, 21>{{
        {"C (mono)", 1, 1, {C}},
        {"L + R", 2, 2, {L, R}},
        {"Lf + Rf + S", 3, 2, {L, R, S}},
        {"Lf + Rf + Ls + Rs", 4, 2, {L, R, Ls, Rs}},
        {"Lf + Rf + LFE", 3, 2, {L, R, Lfe}},
        {"Lf + Rf + LFE + S", 4, 2, {L, R, Lfe, S}},
        {"Lf + Rf + LFE + Ls + Rs", 5, 2, {L, R, Lfe, Ls, Rs}},
        {"Lf + Rf + C", 3, 2, {L, R, C}},
        {"Lf + Rf + C + S", 4, 2, {L, R, C, S}},
        {"Lf + Rf + C + Ls + Rs", 5, 2, {L, R, C, Ls, Rs}},
        {"Lf + Rf + C + LFE", 4, 2, {L, R, C, Lfe}},
        {"Lf + Rf + C + LFE + S", 5, 2, {L, R, C, Lfe, S}},
        {"Lf + Rf + C + LFE + Ls + Rs", 6, 2, {L, R, C, Lfe, Ls, Rs}},
        {"Lf + Rf + C + S", 4, 3, {L, R, C, S}},
        {"Lf + Rf + C + Ls + Rs", 5, 3, {L, R, C, Ls, Rs}},
        {"Lf + Rf + C + LFE", 4, 3, {L, R, C, Lfe}},
        {"Lf + Rf + C + LFE + S", 5, 3, {L, R, C, Lfe, S}},
        {"Lf + Rf + C + LFE + Ls + Rs", 6, 3, {L, R, C, Lfe, Ls, Rs}},
        {"Lf + Rf + Ls + Rs + LFE", 5, 4, {L, R, Ls, Rs, Lfe}},
        {"Lf + Rf + Ls + Rs + C", 5, 4, {L, R, Ls, Rs, C}},
        {"Lf + Rf + Ls + Rs + C + LFE", 6, 4, {L, R, Ls, Rs, C, Lfe}},
    }};
}();
// clang-format on

// The assignment of a code, if it is one of the 21.
constexpr std::optional<ChannelAssignment> channelAssignment(uint32_t code) {
    if (code >= kChannelAssignments.size()) return std::nullopt;
    return kChannelAssignments[code];
}

}  // namespace quarnel
