// SPDX-License-Identifier: GPL-3.0-or-later
// The tracks of a DVD-Audio title set from its information file ATS_nn_0.IFO: the title table
// in its second sector, each title's track time stamps and the sector pointers that place the
// tracks in the title set's AOB files (sectors of 2048 bytes, counted from the start of
// ATS_nn_1.AOB across the files that follow it).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "report/message_log.h"

namespace quarnel {

struct AtsTrack {
    uint8_t indexNumber = 0;  // the sector pointer (from 1) where the track begins
    uint32_t firstPts = 0, lengthPts = 0;
    uint32_t firstSector = 0, lastSector = 0;
};

struct AtsTitle {
    uint32_t lengthPts = 0;
    std::vector<AtsTrack> tracks;
};

// The titles of the file's bytes; raises QuarnelError with the reason when the bytes are not an
// ATS information file or its tables lie outside them.
std::vector<AtsTitle> decodeAtsIfo(std::span<const uint8_t> ifo);
// The same from the file at `path`; raises QuarnelError as well when the file cannot be read.
std::vector<AtsTitle> readAtsIfo(const std::string& path);
// ATS_nn_0.IFO beside an ATS_nn_m.AOB; "" for other names.
std::string atsIfoBeside(const std::string& aob);

// The bytes of the title set's AOB files before `aob` (ATS_nn_1.AOB up to it), where its
// sectors begin to count.
uint64_t atsBytesBefore(const std::string& aob);

void reportAtsTitles(const std::vector<AtsTitle>& titles, MessageLog& log);

}  // namespace quarnel
