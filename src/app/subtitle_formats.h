// SPDX-License-Identifier: GPL-3.0-or-later
// The formats a Demux writes each ticked subpicture stream in: its .sup (the records as they
// stand), PGS, VobSub and BDN XML + PNG. Text (SRT) needs character recognition, which this
// build does not have.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

struct SubtitleFormats {
    bool sup = true;
    bool pgs = false;
    bool vobsub = false;
    bool bdn = false;

    bool converts() const { return pgs || vobsub || bdn; }
    // "sup,pgs": the names of the formats chosen, in this order.
    std::string list() const;
};

// A comma (or blank) separated list of sup, pgs, vobsub, bdn; "" when it is understood, else
// the reason.
std::string parseSubtitleFormats(std::string_view list, SubtitleFormats& into);

}  // namespace quarnel
