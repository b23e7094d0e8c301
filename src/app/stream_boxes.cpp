// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stream_boxes.h"

#include <cstdio>

namespace quarnel {

bool StreamBoxes::anyTicked() const {
    for (const auto& b : video)
        if (b.ticked) return true;
    for (const auto& b : audio)
        if (b.ticked) return true;
    for (const auto& b : sub)
        if (b.ticked) return true;
    return false;
}

std::string boxCaption(StreamKind kind, int32_t id, size_t slot, bool aob) {
    const std::string name = captionOf(kind, id, aob);
    if (name.empty()) return {};
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%0*zu", kind == StreamKind::Video ? 1 : 2, slot);
    return name + suffix;
}

}  // namespace quarnel
