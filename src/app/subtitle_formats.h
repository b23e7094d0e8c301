// SPDX-License-Identifier: GPL-3.0-or-later
// The formats a Demux writes each ticked subpicture stream in: its .sup (the records as they
// stand), PGS, VobSub, BDN XML + PNG and text (SRT, read by character recognition). Their
// names, files and writers are rows of kSubtitleOutputs (runs/subtitle_outputs.h).
#pragma once

namespace quarnel {

struct SubtitleFormats {
    bool sup = true;
    bool pgs = false;
    bool vobsub = false;
    bool bdn = false;
    bool srt = false;

    bool converts() const { return pgs || vobsub || bdn || srt; }

    bool operator==(const SubtitleFormats&) const = default;
};

}  // namespace quarnel
