// SPDX-License-Identifier: GPL-3.0-or-later
// The run-length picture data of a subpicture unit: two fields, each a run of lines that
// begin on a byte boundary; the top field holds rows 0, 2, 4, ..., the bottom field rows
// 1, 3, 5, ....
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/subpicture_event.h"
#include "codecs/subpicture_faults.h"

namespace quarnel {

struct FieldLayout {
    size_t topField = 0, bottomField = 0;  // offsets into the unit
    int width = 0, height = 0;
};

// Decodes both fields into `pixels` (width × height, row by row). Reads only inside `unit`;
// a run past its line or data that ends before the last line is a fault.
UnitFault decodeFields(std::span<const uint8_t> unit, const FieldLayout& layout, SubpictureDepth depth,
                       std::vector<uint8_t>& pixels);

}  // namespace quarnel
