// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ps/stream_kinds.h"

namespace quarnel {

const StreamKindEntry* streamKindOf(IdPlace place, uint8_t id, bool aob) {
    for (const StreamKindEntry& e : kStreamKinds)
        if (e.place == place && id >= e.first && id <= e.last && (aob || !e.aobOnly)) return &e;
    return nullptr;
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
