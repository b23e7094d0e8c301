// SPDX-License-Identifier: GPL-3.0-or-later
// Narrows the playlist's tag list to the title that plays one EVO file.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

// Keeps the lines from the "<Title " line above the first line naming `evoKey` inside a title
// (a FirstPlayTitle that plays the same EVO is passed over) down to the first "</Title" line
// after it. With an empty key, or the key on the first line, or no such line at all, the whole
// list stays.
void trimToTitle(std::vector<std::string>& tags, const std::string& evoKey);

}  // namespace quarnel
