// SPDX-License-Identifier: GPL-3.0-or-later
// Dolby Digital (AC-3) and Dolby Digital Plus (E-AC-3): the start of a syncframe, decoded into
// its fields and worded into report lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The syncinfo of an AC-3 syncframe and the start of its bsi, named as ATSC A/52 names them.
struct Ac3Header {
    uint16_t crc1 = 0;
    uint8_t fscod = 0;       // 3: reserved
    uint8_t frmsizecod = 0;  // codes from 38 on are reserved
    uint8_t bsid = 0;
    uint8_t bsmod = 0;
    uint8_t acmod = 0;
    bool lfeon = false;  // after the mix levels acmod calls for, still in the seventh byte
};

// The syncinfo and the start of the bsi of an E-AC-3 syncframe (ATSC A/52 annex E).
struct Eac3Header {
    uint8_t strmtyp = 0;
    uint8_t substreamid = 0;
    uint16_t frmsiz = 0;  // frame size in 16-bit words, less one
    uint8_t fscod = 0;    // 3: the sample rate is in fscod2, which takes the place of numblkscod
    uint8_t numblkscod = 0;
    uint8_t acmod = 0;
    bool lfeon = false;
    uint8_t bsid = 0;
};

// A syncframe beginning with the syncword 0B 77 is E-AC-3 when its bsid is 11 to 16 and AC-3
// otherwise. Each decoder gives nothing when the frame is not of its kind or ends inside the
// seven bytes it reads.
std::optional<Ac3Header> decodeAc3(std::span<const uint8_t> frame);
std::optional<Eac3Header> decodeEac3(std::span<const uint8_t> frame);

// How far a syncframe reaches and how long it plays: its bytes, and its samples at its sample
// rate; nothing for a reserved rate or frame size. Frame walkers step from frame to frame by it.
struct DolbyFrameSize {
    size_t bytes = 0;
    uint32_t samples = 0;
    uint32_t sampleRate = 0;
};
std::optional<DolbyFrameSize> frameSizeOf(const Ac3Header& h);
std::optional<DolbyFrameSize> frameSizeOf(const Eac3Header& h);

// streamIndex: the stream index of its kind, which the first line names.
void reportAc3(const Ac3Header& h, int streamIndex, MessageLog& log);
void reportEac3(const Eac3Header& h, int streamIndex, MessageLog& log);

}  // namespace quarnel
