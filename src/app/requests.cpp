// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/requests.h"

#include <algorithm>

#include "io/file_sequence.h"

namespace quarnel {

bool ChosenSlots::any() const {
    const auto ticked = [](const auto& slots) {
        return std::ranges::any_of(slots, [](bool b) { return b; });
    };
    return ticked(video) || ticked(audio) || ticked(sub);
}

const StreamChoice* Request::chosen(StreamKind kind, int slot) const {
    const auto it = std::ranges::find_if(
        streams, [&](const StreamChoice& c) { return c.kind == kind && c.slot == slot; });
    return it == streams.end() ? nullptr : &*it;
}

ChosenSlots Request::chosenSlots() const {
    ChosenSlots slots;
    for (const StreamChoice& c : streams) {
        const size_t k = size_t(c.slot);
        if (c.kind == StreamKind::Video && k < slots.video.size()) slots.video[k] = true;
        if (c.kind == StreamKind::Audio && k < slots.audio.size()) slots.audio[k] = true;
        if (c.kind == StreamKind::Subpicture && k < slots.sub.size()) slots.sub[k] = true;
    }
    return slots;
}

std::string outputBaseIn(const std::string& outputDir, const std::string& baseName) {
    if (outputDir.empty()) return baseName;
    const bool hasSeparator = outputDir.back() == kPathSeparator;
    return outputDir + (hasSeparator ? "" : std::string(1, kPathSeparator)) + baseName;
}

std::string Request::outputBase() const {
    return outputBaseIn(options.outputDir, baseName);
}

}  // namespace quarnel
