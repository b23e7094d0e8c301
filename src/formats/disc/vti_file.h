// SPDX-License-Identifier: GPL-3.0-or-later
// The layout of HVA00001.VTI: its header, the EVOB attribute table and the EVOB information
// table, read field by field through the big-endian readers.
#pragma once

#include <cstdint>

#include "formats/disc/vti_records.h"
#include "io/files.h"

namespace quarnel {

constexpr const char* kVtiFileName = "HVA00001.VTI";
constexpr const char* kVtiIdentifier = "ADVANCED-VTS";
constexpr uint64_t kVtiSector = 2048;
constexpr uint64_t kVtiIdentifierSize = 12;
constexpr uint64_t kVtiTableSectorsAt = 0x0B8;  // attribute table sector, then information table sector
constexpr uint64_t kVtsEvobAtrSize = 1024;
constexpr uint64_t kVtsEvobiSize = 320;
constexpr uint64_t kVtsEvobiTableHeader = 8;  // count and one value before the per-record values

struct VtiTableSectors {
    uint32_t attributes = 0, information = 0;
};

// Reads the header after its identifier: the two table sectors.
VtiTableSectors readVtiHeader(InputFile& in);
// Moves to the attribute table and reads its header; leaves the position at the first record.
// Returns the record count n.
uint16_t readVtsEvobAtrTable(InputFile& in, uint32_t sector);
// Moves to the information table and reads its header; leaves the position at the first
// record. Returns the record count m.
uint32_t readVtsEvobiTable(InputFile& in, uint32_t sector);
VtsEvobAtr readVtsEvobAtr(InputFile& in);
VtsEvobi readVtsEvobi(InputFile& in);

}  // namespace quarnel
