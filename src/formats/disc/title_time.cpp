// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/title_time.h"

#include <array>
#include <charconv>

namespace quarnel {
namespace {

struct NamedTimeBase {
    std::string_view name;
    TimeBase base;
};

// The time bases of HD DVD title sets: the NTSC rates count 1001/1000 slower than their names.
constexpr std::array<NamedTimeBase, 3> kTimeBases = {{
    {"60fps", {60, 1001, 60000}},
    {"50fps", {50, 1, 50}},
    {"24fps", {24, 1001, 24000}},
}};

}  // namespace

std::optional<TimeBase> timeBaseOf(std::string_view text) {
    for (const NamedTimeBase& entry : kTimeBases)
        if (entry.name == text) return entry.base;
    return std::nullopt;
}

std::optional<uint64_t> titleTimeCounts(std::string_view expression, const TimeBase& base) {
    std::array<uint32_t, 4> fields{};
    size_t at = 0;
    for (size_t k = 0; k < fields.size(); ++k) {
        const size_t end = k + 1 < fields.size() ? expression.find(':', at) : expression.size();
        if (end == std::string_view::npos || end == at || end - at > 6) return std::nullopt;
        const auto [ptr, error] = std::from_chars(expression.data() + at, expression.data() + end, fields[k]);
        if (error != std::errc() || ptr != expression.data() + end) return std::nullopt;
        at = end + 1;
    }
    const auto [hours, minutes, seconds, frames] = fields;
    if (minutes >= 60 || seconds >= 60 || frames >= base.framesPerSecond) return std::nullopt;
    return ((uint64_t(hours) * 60 + minutes) * 60 + seconds) * base.framesPerSecond + frames;
}

std::optional<uint64_t> titleTimeNs(std::string_view expression, const TimeBase& base) {
    const std::optional<uint64_t> counts = titleTimeCounts(expression, base);
    if (!counts) return std::nullopt;
    // Rounded to the nearest nanosecond.
    const uint64_t scaled = *counts * base.countNumerator * 1000000000ull;
    return (scaled + base.countDenominator / 2) / base.countDenominator;
}

uint64_t countTicks(uint64_t counts, const TimeBase& base) {
    return counts * base.countNumerator * 90000 / base.countDenominator;
}

}  // namespace quarnel
