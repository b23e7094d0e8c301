// SPDX-License-Identifier: GPL-3.0-or-later
// A playlist time expression "HH:MM:SS:FF" as an exact time: the expression counts frames of
// the title set's timeBase, so at 60fps one count lasts 1001/60000 s, at 50fps 1/50 s.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel {

struct TimeBase {
    uint32_t framesPerSecond = 60;                             // the nominal count of FF per second
    uint32_t countNumerator = 1001, countDenominator = 60000;  // seconds per count
};

// "60fps", "50fps", "24fps": the time base it names; nullopt for anything else.
std::optional<TimeBase> timeBaseOf(std::string_view text);
// The expression in nanoseconds from the title's start; nullopt when it is not four fields of
// digits or a field is out of range (minutes, seconds ≥ 60, frames ≥ the nominal rate).
std::optional<uint64_t> titleTimeNs(std::string_view expression, const TimeBase& base);
// The same expression as a count of the time base.
std::optional<uint64_t> titleTimeCounts(std::string_view expression, const TimeBase& base);
// `counts` of the time base in 90 kHz ticks, rounded down (at 60fps a count is 1501.5 ticks).
uint64_t countTicks(uint64_t counts, const TimeBase& base);

}  // namespace quarnel
