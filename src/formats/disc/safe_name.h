// SPDX-License-Identifier: GPL-3.0-or-later
// Texts from a disc's files that become part of an output file name.
#pragma once

#include <string>

namespace quarnel {

// `text` made safe as a part of one file name: path separators, characters that file systems
// refuse and control characters become "_", and runs of dots shrink to one, so the name can
// neither leave its folder nor climb out of it.
std::string safeNamePart(const std::string& text);

}  // namespace quarnel
