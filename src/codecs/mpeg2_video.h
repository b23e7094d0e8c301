// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG-2 video: the sequence header, sequence extension and picture header, decoded into their
// fields and worded into report lines, and the frame rate a sequence header gives.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The first seven bytes of a sequence_header() as ISO/IEC 13818-2 names its fields. A header
// may be cut short after its sizes (three bytes): the codes of the fourth byte and the bit rate
// of the three after it are there only when the bytes reach them.
struct Mpeg2SequenceHeader {
    uint16_t horizontalSizeValue = 0;
    uint16_t verticalSizeValue = 0;
    std::optional<uint8_t> aspectRatioInformation;
    std::optional<uint8_t> frameRateCode;
    std::optional<uint32_t> bitRateValue;  // in units of 400 bit/s
};

// The start of a sequence_extension(): its identifier and the byte after it.
struct Mpeg2SequenceExtension {
    uint8_t profileAndLevelIndication = 0;
    bool progressiveSequence = false;
    uint8_t chromaFormat = 0;
};

// The start of a picture_header().
struct Mpeg2PictureHeader {
    uint16_t temporalReference = 0;
    uint8_t pictureCodingType = 0;  // 1 I, 2 P, 3 B; 0 and 4 to 7 are illegal
};

// Each from the bytes after its start code (00 00 01 B3, 00 00 01 B5, 00 00 01 00).
// Nothing when the bytes end inside the sizes.
std::optional<Mpeg2SequenceHeader> decodeMpeg2SequenceHeader(std::span<const uint8_t> header);
// Nothing when the extension is not a sequence extension or its bytes end first.
std::optional<Mpeg2SequenceExtension> decodeMpeg2SequenceExtension(std::span<const uint8_t> extension);
// Nothing when the bytes end inside the picture coding type.
std::optional<Mpeg2PictureHeader> decodeMpeg2PictureHeader(std::span<const uint8_t> header);

void reportMpeg2SequenceHeader(const Mpeg2SequenceHeader& h, MessageLog& log);
void reportMpeg2SequenceExtension(const Mpeg2SequenceExtension& e, MessageLog& log);
// A line only for an illegal picture coding type.
void reportMpeg2PictureHeader(const Mpeg2PictureHeader& p, MessageLog& log);

// Frames per second by frame_rate_code; none for the forbidden and reserved codes.
std::optional<double> mpeg2FrameRate(const Mpeg2SequenceHeader& h);

}  // namespace quarnel
