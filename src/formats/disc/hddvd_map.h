// SPDX-License-Identifier: GPL-3.0-or-later
// An HD DVD time map (HVDVD_TS/X.MAP): for each EVOBU of its EVO, how many packs it holds and
// how long it plays, so that a stretch of a title's time line becomes a range of sectors.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

constexpr const char* kTimeMapIdentifier = "HDDVD_TMAP00";
constexpr uint64_t kTimeMapInfoPointersAt = 384;  // the first map's search pointer (TMAPI_SRP)
constexpr uint64_t kTimeMapPointerSize = 32;
constexpr uint64_t kTimeMapCountAt = 55;          // TMAPI_Ns
constexpr uint16_t kInterleavedTimeMap = 0x2202;  // TMAP_TY of a map whose EVO interleaves angles

// One EVOBU entry: bits 31-21 packs up to the end of the first reference picture, 20-13 its
// playback time in counts of the time base, 12-0 its size in packs.
struct TimeMapEntry {
    uint16_t firstReferencePacks = 0;
    uint16_t counts = 0;
    uint16_t packs = 0;
};

// One time map of the file (an angle of an interleaved map, or the only one).
struct TimeMapInfo {
    uint16_t evobIndex = 0;  // the EVOB_INDEX of the VTI record of its EVO
    std::vector<TimeMapEntry> entries;
};

struct TimeMap {
    uint16_t type = 0;  // 0x2000 contiguous, 0x2202 interleaved angles
    std::vector<TimeMapInfo> maps;
};

// A stretch of the EVO that covers object time [from, to) (counts from the EVOB's first video
// time): the EVOBUs from the one playing at `from` to the last one starting before `to`.
struct TimeMapRange {
    uint64_t firstPack = 0, endPack = 0;  // [firstPack, endPack)
    uint64_t firstCounts = 0;             // where the first EVOBU starts, in counts
    uint64_t endCounts = 0;               // where the last EVOBU ends, in counts
};

// The time map in `path`; raises QuarnelError with the reason when it cannot be read or is not
// one.
TimeMap readTimeMap(const std::string& path);

// The EVOBUs of `map` that cover [from, to), with any that play no time right after the last
// (they hold its tail); nullopt when `from` lies past its end.
std::optional<TimeMapRange> rangeOf(const TimeMapInfo& map, uint64_t from, uint64_t to);

}  // namespace quarnel
