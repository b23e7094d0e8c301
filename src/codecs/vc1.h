// SPDX-License-Identifier: GPL-3.0-or-later
// VC-1: the Advanced-profile sequence header, decoded into its fields and worded into report
// lines, and the frame rate it gives.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The fields of a sequence header as SMPTE 421M names them (PROFILE, LEVEL, COLORDIFF_FORMAT,
// ...), up to the frame rate of the display extension.
struct Vc1SequenceHeader {
    struct AspectRatio {
        uint8_t aspectRatio = 0;  // 15: given by the two sizes that follow
        uint8_t aspectHorizSize = 0;
        uint8_t aspectVertSize = 0;
    };
    struct FrameRate {
        bool framerateind = false;  // true: framerateexp gives the rate, else frameratenr/frameratedr
        uint16_t framerateexp = 0;
        uint8_t frameratenr = 0;
        uint8_t frameratedr = 0;
    };
    struct DisplayExtension {
        uint16_t dispHorizSize = 0;  // less one
        uint16_t dispVertSize = 0;   // less one
        // There when ASPECT_RATIO_FLAG is 1. A header that ends inside the aspect ratio
        // ends there: neither it nor the frame rate is there.
        std::optional<AspectRatio> aspectRatio;
        std::optional<FrameRate> frameRate;  // there when FRAMERATE_FLAG is 1
    };
    uint8_t profile = 0;  // 3: Advanced
    uint8_t level = 0;
    uint8_t colordiffFormat = 0;  // 1: 4:2:0
    uint8_t frmrtqPostproc = 0;
    uint8_t bitrtqPostproc = 0;
    bool postprocflag = false;
    uint16_t maxCodedWidth = 0;   // in units of two pixels, less one
    uint16_t maxCodedHeight = 0;  // in units of two pixels, less one
    bool pulldown = false;
    bool interlace = false;
    bool tfcntrflag = false;
    bool finterpflag = false;
    bool psf = false;
    bool displayExt = false;
    // There when DISPLAY_EXT is 1 and the header holds its sizes.
    std::optional<DisplayExtension> displayExtension;
};

// The header from the bytes after its start code 00 00 01 0F, as carried (with emulation
// prevention bytes) up to the next start code or the end of the bytes. Nothing when they end
// before DISPLAY_EXT; later parts the bytes end inside are left out.
std::optional<Vc1SequenceHeader> decodeVc1SequenceHeader(std::span<const uint8_t> unit);
void reportVc1SequenceHeader(const Vc1SequenceHeader& h, MessageLog& log);

// Frames per second, from the display extension only: none without one, or with a forbidden or
// reserved frame rate code.
std::optional<double> vc1FrameRate(const Vc1SequenceHeader& h);

}  // namespace quarnel
