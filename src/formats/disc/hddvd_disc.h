// SPDX-License-Identifier: GPL-3.0-or-later
// An HD DVD disc folder as titles: the boot playlist's titles (ADV_OBJ, the highest
// VPLST$$$.XPL), each clip's time map (HVDVD_TS/X.MAP) and its EVO through the VTI record of
// the map's EVOB_INDEX; the tracks' languages from the title's TrackNavigationList.
#pragma once

#include <string>

#include "formats/disc/dvd_disc.h"

namespace quarnel {

// Whether `path` names an HD DVD disc: a folder holding HVDVD_TS, an HVDVD_TS folder, or a
// playlist VPLST$$$.XPL in its ADV_OBJ folder.
bool isHdDvdSource(const std::string& path);

// The disc's titles; raises QuarnelError with the reason when it cannot be read, and
// std::filesystem's error when an image's small files cannot be copied out to a scratch
// folder. `angle` (1, 2, ...) chooses the time map of an interleaved clip.
DvdDisc readHdDvdDisc(const std::string& path, int angle = 1);

// A disc of either kind, read by the reader of its kind (which raises as it says).
bool isDiscSource(const std::string& path);
DvdDisc readDisc(const std::string& path, int angle = 1);

}  // namespace quarnel
