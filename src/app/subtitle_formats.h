// SPDX-License-Identifier: GPL-3.0-or-later
// The formats a Demux writes each ticked subpicture stream in: its .sup (the records as they
// stand), PGS, VobSub, BDN XML + PNG and text (SRT, read by character recognition, which a
// build may lack: then srt is refused as unavailable).
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

struct SubtitleFormats {
    bool sup = true;
    bool pgs = false;
    bool vobsub = false;
    bool bdn = false;
    bool srt = false;

    bool converts() const { return pgs || vobsub || bdn || srt; }
    // "sup,pgs": the names of the formats chosen, in this order.
    std::string list() const;

    bool operator==(const SubtitleFormats&) const = default;
};

// A comma (or blank) separated list of sup, pgs, vobsub, bdn, srt; "" when it is understood,
// else the reason (also for srt in a build without character recognition).
std::string parseSubtitleFormats(std::string_view list, SubtitleFormats& into);

}  // namespace quarnel
