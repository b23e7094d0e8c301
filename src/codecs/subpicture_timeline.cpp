// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/subpicture_timeline.h"

#include <utility>

namespace quarnel {

std::optional<SubpictureEvent> SubpictureTimeline::shown(SubpictureEvent e) {
    if (e.stop > e.start) return e;
    if (droppedStarts_.size() < kDroppedKept) droppedStarts_.push_back(e.start);
    ++dropped_;
    return std::nullopt;
}

std::optional<SubpictureEvent> SubpictureTimeline::push(SubpictureEvent next) {
    std::optional<SubpictureEvent> done;
    if (pending_) {
        SubpictureEvent e = std::move(*pending_);
        if (!e.hasStop || e.stop > next.start) e.stop = next.start;
        e.hasStop = true;
        done = shown(std::move(e));
    }
    pending_.reset();
    if (!next.empty()) pending_ = std::move(next);
    return done;
}

std::optional<SubpictureEvent> SubpictureTimeline::finish() {
    if (!pending_) return std::nullopt;
    SubpictureEvent e = std::move(*pending_);
    pending_.reset();
    if (!e.hasStop) e.stop = e.start + kOpenEndTicks;
    e.hasStop = true;
    return shown(std::move(e));
}

}  // namespace quarnel
