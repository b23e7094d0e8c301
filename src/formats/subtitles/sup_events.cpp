// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/sup_events.h"

#include "codecs/subpicture_timeline.h"

namespace quarnel {

SupEventCounts readSupEvents(SupReader& reader, const DvdPalette& palette, const SubpictureLimits& limits,
                             const std::function<void(const SubpictureEvent&)>& onEvent,
                             const std::function<void(const std::string& line)>& onProblem) {
    SupEventCounts counts;
    SubpictureTimeline timeline;
    const auto handOn = [&](std::optional<SubpictureEvent> e) {
        if (!e) return;
        ++counts.events;
        onEvent(*e);
    };
    while (std::optional<SupItem> item = reader.next()) {
        if (item->problem.empty()) {
            ++counts.units;
            UnitDecode d = decodeSubpictureUnit(item->unit, item->pts, palette, limits);
            if (d.event) {
                handOn(timeline.push(std::move(*d.event)));
                continue;
            }
            item->problem = unitFaultText(d.fault);
        }
        ++counts.problems;
        onProblem(supProblemLine(*item));
    }
    handOn(timeline.finish());
    counts.dropped = timeline.dropped();
    for (const std::string& line : droppedSubtitleLines(timeline.dropped(), timeline.droppedStarts())) {
        ++counts.problems;
        onProblem(line);
    }
    return counts;
}

}  // namespace quarnel
