// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/subpicture_faults.h"

namespace quarnel {
namespace {

struct FaultText {
    UnitFault fault;
    std::string_view text;
};
constexpr FaultText kFaultTexts[] = {
    {UnitFault::None, "no fault"},
    {UnitFault::ZeroSize, "the unit's size is 0 or smaller than its header"},
    {UnitFault::AbsurdSize, "the unit's size is beyond any real unit"},
    {UnitFault::Cut, "the unit is cut short"},
    {UnitFault::ControlOutside, "a control sequence lies outside the unit"},
    {UnitFault::SequenceBackwards, "a control sequence points back to an earlier one"},
    {UnitFault::BadCommand, "an unknown display control command"},
    {UnitFault::AreaBeyondLimits, "the display area is inverted or beyond the picture"},
    {UnitFault::FieldOutside, "a field offset points outside the unit"},
    {UnitFault::NoFields, "a display area without field offsets"},
    {UnitFault::RunPastLine, "a run goes past the end of its line"},
    {UnitFault::PictureCut, "the picture data ends before the last line"},
};

}  // namespace

std::string_view unitFaultText(UnitFault fault) {
    for (const FaultText& f : kFaultTexts)
        if (f.fault == fault) return f.text;
    return "unknown fault";
}

}  // namespace quarnel
