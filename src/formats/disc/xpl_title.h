// SPDX-License-Identifier: GPL-3.0-or-later
// Narrows the playlist's tag list to the title that plays one EVO file.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

// Keeps the lines from the "<Title " line above the first line naming `evoKey` inside a title
// (a FirstPlayTitle that plays the same EVO is passed over) down to the first "</Title" line
// after it, and returns true. With an empty key the whole list stays and the result is true;
// when no line inside a title names the key, the whole list stays and the result is false.
bool trimToTitle(std::vector<std::string>& tags, const std::string& evoKey);
// Keeps the tags of title `number` of the playlist: the number-th <Title element in document
// order, or the FirstPlayTitle for 0. False (the tags left whole) when there is no such title.
bool trimToTitleNumber(std::vector<std::string>& tags, int number);

}  // namespace quarnel
