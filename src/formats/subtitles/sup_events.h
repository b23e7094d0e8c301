// SPDX-License-Identifier: GPL-3.0-or-later
// A .sup file read as the events a player shows: its records put back together into units,
// each unit decoded, their times settled in order. Units that cannot be read or decoded are
// reported and left out; the rest goes on.
#pragma once

#include <functional>
#include <string>

#include "codecs/subpicture_event.h"
#include "codecs/subpicture_unit.h"
#include "formats/subtitles/sup_reader.h"

namespace quarnel {

struct SupEventCounts {
    size_t units = 0;     // whole units found
    size_t events = 0;    // events handed on
    size_t problems = 0;  // lines handed on
    size_t dropped = 0;   // events dropped: their record's time falls to or below the one before
};

SupEventCounts readSupEvents(SupReader& reader, const DvdPalette& palette, const SubpictureLimits& limits,
                             const std::function<void(const SubpictureEvent&)>& onEvent,
                             const std::function<void(const std::string& line)>& onProblem);

}  // namespace quarnel
