// SPDX-License-Identifier: GPL-3.0-or-later
// The "VTI" page as plain data: the records the VTI reader read, the two selection lists
// and the fields, lists and grids that show the selected EVOB and its attribute record. The
// window mirrors each member into its widget and calls the handler after the user picks
// another entry; the command line prints it.
#pragma once

#include <string>
#include <vector>

#include "formats/disc/vti_records.h"

namespace quarnel {

// A drop-down list: its entries, the entry shown (-1: none) and whether it can be used.
struct VtiCombo {
    std::vector<std::string> items;
    int selected = -1;
    bool enabled = true;
    // The entry shown, "" when none.
    const std::string& text() const;
};

// A string grid; row 0 is the header row.
struct VtiGrid {
    std::vector<std::vector<std::string>> rows;
    // The grid's height in pixels: 19 per row and 4 for the frame.
    int height() const { return int(rows.size()) * 19 + 4; }
};

constexpr int kVtiGridGap = 6;          // pixels between the audio and subpicture grids
constexpr int kVtiGridCaptionDrop = 4;  // caption labels sit this far below their grid's top

struct VtiView {
    VtiView();

    // What the last successful read left (both replaced as a whole by the next one).
    std::vector<VtsEvobAtr> attributes;
    std::vector<VtsEvobi> evobs;

    // The selection lists: EVOB file names, and attribute record numbers "1" to "n".
    VtiCombo evobNames, attributeNumbers;

    // The selected EVOB's information record.
    VtiCombo applicationType, audioGap0, audioGap1;
    std::string evobName;
    std::string addressOffset;  // 8 upper-case hexadecimal digits
    long long evobSize = 0;
    int evobIndex = 0;
    std::string startPtm, endPtm;  // 8 upper-case hexadecimal digits each

    // The selected attribute record: main and sub video, then the three grids.
    VtiCombo mainCompression, mainResolution, mainTvSystem, mainScan, mainAspect;
    VtiCombo subCompression, subResolution, subTvSystem, subScan, subAspect;
    VtiGrid mainAudioGrid, subAudioGrid, subpictureGrid;

    // Shows the information record selected in evobNames, and the attribute record it names.
    void showSelectedEvob();
    // Shows the attribute record selected in attributeNumbers.
    void showSelectedAttributes();
};

}  // namespace quarnel
