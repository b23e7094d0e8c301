// SPDX-License-Identifier: GPL-3.0-or-later
// The "XPL" and "VTI" pages as plain text lines, for the command line.
#pragma once

#include <string>
#include <vector>

#include "formats/disc/playlist_view.h"
#include "formats/disc/vti_view.h"

namespace quarnel {

// The tag list under "Tag list:", then the tree under "Tree:", children indented two blanks.
std::vector<std::string> playlistPageText(const PlaylistView& v);
// The EVOB the page shows: its information record and the attribute record it names.
std::vector<std::string> vtiPageText(const VtiView& v);

}  // namespace quarnel
