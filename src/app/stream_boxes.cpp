// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stream_boxes.h"

namespace quarnel {

bool StreamBoxes::anyTicked() const {
    for (const auto& b : video)
        if (b.ticked) return true;
    for (const auto& b : audio)
        if (b.ticked) return true;
    for (const auto& b : sub)
        if (b.ticked) return true;
    return false;
}

}  // namespace quarnel
