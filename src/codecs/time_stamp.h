// SPDX-License-Identifier: GPL-3.0-or-later
// Time stamps (PTS, DTS): a 90 kHz clock of 33 bits that wraps round, held in 64 bits. A time
// stamp that is not there is an empty optional; 0 is a time like any other.
#pragma once

#include <cstdint>
#include <optional>

namespace quarnel {

using TimeStamp = uint64_t;
using MaybeTimeStamp = std::optional<TimeStamp>;

constexpr int kTimeStampBits = 33;
constexpr TimeStamp kTimeStampMask = (TimeStamp(1) << kTimeStampBits) - 1;

// How far `later` lies after `earlier` on the clock, in ticks: negative when it lies before
// (by less than half the clock's round).
constexpr int64_t stampDistance(TimeStamp later, TimeStamp earlier) {
    const TimeStamp d = (later - earlier) & kTimeStampMask;
    return d >= (TimeStamp(1) << (kTimeStampBits - 1)) ? int64_t(d) - (int64_t(1) << kTimeStampBits)
                                                       : int64_t(d);
}

}  // namespace quarnel
