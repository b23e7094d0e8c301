// SPDX-License-Identifier: GPL-3.0-or-later
// DTS: the core frame header, decoded into its fields and worded into report lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The fields of a DTS core frame header, named as the DTS format names them (SHORT,
// CPF, NBLKS, ...); the reserved and unreported flags between them are skipped.
struct DtsCoreHeader {
    uint32_t ftype = 0;
    uint32_t shortSamples = 0;  // SHORT: core samples in a short frame, less one
    uint32_t cpf = 0;
    uint32_t nblks = 0;
    uint32_t fsize = 0;
    uint32_t amode = 0;
    uint32_t sfreq = 0;
    uint32_t rate = 0;
    uint32_t extAudioId = 0;
    uint32_t extAudio = 0;
    uint32_t lff = 0;
    uint32_t hcrc = 0;  // only when cpf is 1
    uint32_t vernum = 0;
    uint32_t pcmr = 0;
};

// The core header of a frame that begins with the sync word 7F FE 80 01; nothing when the
// frame does not begin with it or ends inside the header.
std::optional<DtsCoreHeader> decodeDtsCore(std::span<const uint8_t> frame);
void reportDtsCore(const DtsCoreHeader& h, MessageLog& log);

// How far a core frame reaches and how long it plays (32 samples a block); nothing for a
// reserved sample rate or a size shorter than the header.
struct DtsFrameSize {
    size_t bytes = 0;
    uint32_t samples = 0;
    uint32_t sampleRate = 0;
};
std::optional<DtsFrameSize> frameSizeOf(const DtsCoreHeader& h);

}  // namespace quarnel
