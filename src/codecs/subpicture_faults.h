// SPDX-License-Identifier: GPL-3.0-or-later
// Why a subpicture unit cannot be shown. Each reason has one sentence, in the table of
// subpicture_faults.cpp.
#pragma once

#include <cstdint>
#include <string_view>

namespace quarnel {

enum class UnitFault : uint8_t {
    None,
    ZeroSize,           // the size field is 0 (or smaller than the unit's own header)
    AbsurdSize,         // the size field is beyond the largest unit there can be
    Cut,                // fewer bytes than the size field promises
    ControlOutside,     // a control sequence starts or runs outside the unit
    SequenceBackwards,  // a control sequence points back to an earlier one
    BadCommand,         // an unknown display control command
    AreaBeyondLimits,   // the display area is inverted or larger than the picture may be
    FieldOutside,       // a field offset points outside the unit
    NoFields,           // a display area but no field offsets
    RunPastLine,        // a run goes past the end of its line
    PictureCut,         // the run-length data ends before the last line
};

std::string_view unitFaultText(UnitFault fault);

}  // namespace quarnel
