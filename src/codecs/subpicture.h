// SPDX-License-Identifier: GPL-3.0-or-later
// Subpictures: the run-length coding of a subpicture unit, decoded and worded into a report line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// A 2-bit unit of a DVD begins with its non-zero 16-bit size; an 8-bit unit of an HD DVD
// begins with a zero word and a 32-bit size.
struct SubpictureUnitHeader {
    bool eightBitRle = false;
};

// Nothing when the unit is shorter than its first word.
std::optional<SubpictureUnitHeader> decodeSubpicture(std::span<const uint8_t> unit);
void reportSubpicture(const SubpictureUnitHeader& h, MessageLog& log);

}  // namespace quarnel
