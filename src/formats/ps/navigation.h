// SPDX-License-Identifier: GPL-3.0-or-later
// The first DSI and copy-control packets of a file: VOB number, stream counts, the time span
// of the video and the copy-control state.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ps/pack_layout.h"
#include "report/message_log.h"

namespace quarnel {

constexpr const char* kCopyStateNames[8] = {"Copy Freely",
                                            "",
                                            "No More Copies",
                                            "Encryption Plus Non-Assertion",
                                            "Copy One Generation",
                                            "Copy Never",
                                            "",
                                            ""};
constexpr const char* kApsNames[8] = {
    "off",       "Type 1 of APS1 is ON", "Type 2 of APS1 is ON", "Type 3 of APS1 is ON", "", "", "APS2 is ON",
    "APS2 is ON"};

struct StreamCounts {
    uint8_t video = 0, audio = 0, sub = 0;
};

// The copy-control packet's fields; a state that its flag does not validate is 0.
struct CopyControlState {
    bool encrypted = false;
    uint8_t copyState = 0;  // index of kCopyStateNames
    uint8_t aps = 0;        // index of kApsNames
    bool ict = false;       // constrained analog output
    bool dot = false;       // analog output not allowed
};
CopyControlState decodeCopyControl(std::span<const uint8_t> packet);

// The copy-control packet's lines; logged in both modes.
void reportCopyControl(std::span<const uint8_t> packet, MessageLog& log);

// The fields of a DSI packet that a Read reports and keeps.
struct DsiInfo {
    uint32_t vobNumber = 0;
    uint32_t startPtm = 0, endPtm = 0;  // VOB_V_S_PTM, VOB_V_E_PTM
    uint8_t audioEntries = 0;           // non-zero entries of the audio synchronous information
    uint8_t subpictureEntries = 0;      // non-zero entries of the subpicture synchronous information
    double seconds() const { return double(uint32_t(endPtm - startPtm)) / 90000.0; }
};

// A DVD VOBU's span, from its PCI packet.
struct VobuTimes {
    uint32_t startPtm = 0, endPtm = 0;  // VOBU_S_PTM, VOBU_E_PTM
};
VobuTimes decodeVobuTimes(std::span<const uint8_t> packet);

// `vobLayout` selects the synchronous information offsets of a .VOB file.
DsiInfo decodeDsi(std::span<const uint8_t> packet, bool vobLayout);

// The VOB line with the stream counts, then the PTM and duration lines.
void reportDsi(const DsiInfo& dsi, const StreamCounts& counts, MessageLog& log);

}  // namespace quarnel
