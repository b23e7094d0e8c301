// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/vti_file.h"

#include "formats/disc/byte_readers.h"

namespace quarnel {
namespace {

template <size_t N>
void readInto(InputFile& in, std::array<uint8_t, N>& into) {
    readbytes(in, into.data(), N);
}

// A table whose records cannot all lie in the file is refused before anything is sized by it.
void checkRecordsFit(const InputFile& in, uint64_t count, uint64_t recordBytes, const char* what) {
    if (!fits(in, count * recordBytes))
        throw QuarnelError(std::string(kVtiFileName) + " announces " + std::to_string(count) + " " + what +
                           ", more than the file holds: it is damaged or not a title set information file.");
}

}  // namespace

VtiTableSectors readVtiHeader(InputFile& in) {
    skipbytes(in, kVtiTableSectorsAt - kVtiIdentifierSize);
    VtiTableSectors s;
    s.attributes = readU32(in);
    s.information = readU32(in);
    return s;
}

uint16_t readVtsEvobAtrTable(InputFile& in, uint32_t sector) {
    const uint64_t start = uint64_t(sector) * kVtiSector;
    seekwithin(in, start);
    const uint16_t n = readU16(in);
    readU16(in);
    readU32(in);
    const uint32_t firstRecord = readU32(in);
    seekwithin(in, start + firstRecord);
    checkRecordsFit(in, n, kVtsEvobAtrSize, "VTS_EVOB_ATRs");
    return n;
}

uint32_t readVtsEvobiTable(InputFile& in, uint32_t sector) {
    seekwithin(in, uint64_t(sector) * kVtiSector);
    const uint32_t m = readU32(in);
    readU32(in);
    checkRecordsFit(in, m, 4 + kVtsEvobiSize, "VTS_EVOBIs");
    skipbytes(in, uint64_t(m) * 4);
    return m;
}

VtsEvobAtr readVtsEvobAtr(InputFile& in) {
    VtsEvobAtr a;
    a.flags = readU16(in);
    a.mainVideo = readU32(in);
    a.subVideo = readU32(in);
    a.field0A = readU16(in);
    a.field0C = readU16(in);
    a.mainAudioCount = readU16(in);
    for (auto& e : a.mainAudio) readInto(in, e);
    readInto(in, a.kept030);
    a.subAudioCount = readU16(in);
    for (auto& e : a.subAudio) readInto(in, e);
    a.kept0E2 = readU16(in);
    a.subpictureCount = readU16(in);
    for (auto& e : a.subpicture) readInto(in, e);
    readInto(in, a.kept186);
    readInto(in, a.kept1C6);
    skipbytes(in, 506);
    return a;
}

VtsEvobi readVtsEvobi(InputFile& in) {
    VtsEvobi r;
    r.type = readU16(in);
    r.name = readChars(in, 255);
    skipbytes(in, 1);
    r.addressOffset = readU32(in);
    r.attributeNumber = readU32(in);
    r.startPtm = readU32(in);
    r.endPtm = readU32(in);
    r.size = readU32(in);
    r.index = readU16(in);
    skipbytes(in, 2);
    for (auto& v : r.kept11A) v = readU32(in);
    for (auto& v : r.kept12A) v = readU16(in);
    skipbytes(in, 18);
    return r;
}

}  // namespace quarnel
