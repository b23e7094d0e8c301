// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/hddvd_map.h"

#include "formats/disc/byte_readers.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr uint64_t kTypeAt = 20;
constexpr size_t kMaxMaps = 9;  // one per angle at most

TimeMapEntry entryOf(uint32_t word) {
    return {uint16_t(word >> 21), uint16_t((word >> 13) & 0xFF), uint16_t(word & 0x1FFF)};
}

}  // namespace

TimeMap readTimeMap(const std::string& path) {
    InputFile in;
    in.open(path);
    if (!fits(in, kTimeMapInfoPointersAt) || readChars(in, 12) != kTimeMapIdentifier)
        throw QuarnelError("it is not a time map (no " + std::string(kTimeMapIdentifier) + " at its start)");
    TimeMap map;
    seekwithin(in, kTypeAt);
    map.type = readU16(in);
    seekwithin(in, kTimeMapCountAt);
    const uint16_t count = readU16(in);
    if (count == 0 || count > kMaxMaps) throw QuarnelError("it announces " + std::to_string(count) + " maps");
    for (uint16_t k = 0; k < count; ++k) {
        // The map's search pointer: where its entries start (a byte offset), its EVOB's index
        // and its entry count.
        seekwithin(in, kTimeMapInfoPointersAt + kTimeMapPointerSize * k);
        const uint32_t at = readU32(in);
        TimeMapInfo info;
        info.evobIndex = readU16(in);
        const uint16_t entries = readU16(in);
        seekwithin(in, at);
        if (!fits(in, 4ull * entries))
            throw QuarnelError("map " + std::to_string(k + 1) + " announces " + std::to_string(entries) +
                               " entries, more than the file holds");
        info.entries.reserve(entries);
        for (uint16_t e = 0; e < entries; ++e) info.entries.push_back(entryOf(readU32(in)));
        map.maps.push_back(std::move(info));
    }
    return map;
}

std::optional<TimeMapRange> rangeOf(const TimeMapInfo& map, uint64_t from, uint64_t to) {
    std::optional<TimeMapRange> range;
    uint64_t time = 0, pack = 0;
    for (const TimeMapEntry& e : map.entries) {
        if (!range && time + e.counts > from) range = TimeMapRange{pack, pack, time, time};
        // An EVOBU that plays no time of its own (no picture starts in it) holds the tail of the
        // one before it: it goes with that one.
        const bool tail = e.counts == 0 && range && range->endPack == pack;
        if (range && (time < to || tail)) {
            range->endPack = pack + e.packs;
            range->endCounts = time + e.counts;
        }
        time += e.counts;
        pack += e.packs;
        if (range && time >= to && range->endPack != pack) break;
    }
    return range;
}

}  // namespace quarnel
