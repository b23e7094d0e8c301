// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/stream_kinds.h"

namespace quarnel {

const StreamKindEntry* streamKindOf(IdPlace place, uint8_t id, bool aob) {
    for (const StreamKindEntry& e : kStreamKinds)
        if (e.place == place && id >= e.first && id <= e.last && (aob || !e.aobOnly)) return &e;
    return nullptr;
}

const StreamKindEntry* streamKindIn(StreamKind kind, int32_t id, bool aob) {
    for (const StreamKindEntry& e : kStreamKinds)
        if (e.kind == kind && (aob || !e.aobOnly) && id >= e.first && id <= e.last) return &e;
    return nullptr;
}

std::string captionOf(StreamKind kind, int32_t id, bool aob) {
    const StreamKindEntry* e = streamKindIn(kind, id, aob);
    return e ? e->caption : std::string();
}

std::string foundLine(const StreamKindEntry& entry, int slot) {
    return entry.found + std::to_string(slot) + " found!";
}

}  // namespace quarnel
