// SPDX-License-Identifier: GPL-3.0-or-later
// An HD DVD disc folder as titles: the boot playlist's titles (ADV_OBJ, the highest
// VPLST$$$.XPL), each clip's time map (HVDVD_TS/X.MAP) and its EVO through the VTI record of
// the map's EVOB_INDEX; the tracks' languages from the title's TrackNavigationList.
#pragma once

#include <optional>
#include <string>

#include "formats/disc/dvd_disc.h"

namespace quarnel {

// Whether `path` names an HD DVD disc: a folder holding HVDVD_TS, an HVDVD_TS folder, or a
// playlist VPLST$$$.XPL in its ADV_OBJ folder.
bool isHdDvdSource(const std::string& path);

// The disc's titles; nullopt with `why` set when it cannot be read. `angle` (1, 2, ...) chooses
// the time map of an interleaved clip.
std::optional<DvdDisc> readHdDvdDisc(const std::string& path, std::string& why, int angle = 1);

// A disc of either kind.
bool isDiscSource(const std::string& path);
std::optional<DvdDisc> readDisc(const std::string& path, std::string& why, int angle = 1);

}  // namespace quarnel
