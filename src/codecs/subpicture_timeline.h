// SPDX-License-Identifier: GPL-3.0-or-later
// Events in the order a player shows them. A unit stays on screen until its stop command, but
// no longer than until the next unit starts (a new unit replaces the one shown), and one
// without a stop command and without a successor stays for kOpenEndTicks. An empty unit only
// ends the one before it; an event that would end before it starts is dropped.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/subpicture_event.h"

namespace quarnel {

constexpr uint64_t kOpenEndTicks = 5 * 90000;

class SubpictureTimeline {
  public:
    // Takes the next event in record order; hands back the one before it once its end is known.
    std::optional<SubpictureEvent> push(SubpictureEvent next);
    // The last event, ended.
    std::optional<SubpictureEvent> finish();
    // The events dropped so far (a record whose time falls to or below the one before it
    // ends that one before it starts), and the starts of the first kDroppedKept of them.
    size_t dropped() const { return dropped_; }
    const std::vector<uint64_t>& droppedStarts() const { return droppedStarts_; }
    static constexpr size_t kDroppedKept = 5;

  private:
    std::optional<SubpictureEvent> shown(SubpictureEvent e);

    std::optional<SubpictureEvent> pending_;
    size_t dropped_ = 0;
    std::vector<uint64_t> droppedStarts_;
};

}  // namespace quarnel
