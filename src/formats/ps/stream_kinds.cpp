// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ps/stream_kinds.h"

namespace quarnel {

namespace {

constexpr int kPlaces = 3;  // IdPlace's values
static_assert(int(IdPlace::Extension) == kPlaces - 1, "kPlaces counts every IdPlace");

// The row each id at each place finds, in and out of .AOB sources (-1: none): the first row
// whose range holds it. Looked up for every packet, so made once here.
constexpr auto kRowById = [] {
    std::array<std::array<std::array<int8_t, 256>, 2>, kPlaces> rows{};
    for (int place = 0; place < kPlaces; ++place)
        for (int aob = 0; aob < 2; ++aob)
            for (int id = 0; id < 256; ++id) {
                int8_t found = -1;
                for (size_t k = 0; k < std::size(kStreamKinds) && found < 0; ++k) {
                    const StreamKindEntry& e = kStreamKinds[k];
                    if (int(e.place) == place && id >= e.first && id <= e.last && (aob != 0 || !e.aobOnly))
                        found = int8_t(k);
                }
                rows[size_t(place)][size_t(aob)][size_t(id)] = found;
            }
    return rows;
}();

}  // namespace

const StreamKindEntry* streamKindOf(IdPlace place, uint8_t id, bool aob) {
    const int8_t row = kRowById[size_t(place)][aob ? 1 : 0][id];
    return row < 0 ? nullptr : &kStreamKinds[size_t(row)];
}

const StreamKindEntry* streamKindIn(StreamKind kind, int32_t id, bool aob) {
    // Audio is held by its sub-stream id, or by its stream id with kStreamIdKey.
    const bool keyed = kind == StreamKind::Audio && (id & kStreamIdKey) != 0;
    const int32_t plain = keyed ? id & 0xFF : id;
    for (const StreamKindEntry& e : kStreamKinds) {
        const bool byStreamId = kind == StreamKind::Audio && e.place == IdPlace::StreamId;
        if (e.kind == kind && byStreamId == keyed && (aob || !e.aobOnly) && plain >= e.first &&
            plain <= e.last)
            return &e;
    }
    return nullptr;
}

std::string captionOf(StreamKind kind, int32_t id, bool aob) {
    const StreamKindEntry* e = streamKindIn(kind, id, aob);
    return e ? e->caption : std::string();
}

const StreamKindEntry& rowOf(Coding coding) {
    for (const StreamKindEntry& e : kStreamKinds)
        if (e.coding == coding) return e;
    return kStreamKinds[0];  // not reached: every coding has a row (checked as the table is built)
}

std::string foundLine(const StreamKindEntry& entry, int slot) {
    return entry.found + std::to_string(slot) + " found!";
}

}  // namespace quarnel
