// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vti_file.h"

#include "formats/byte_readers.h"

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
    s.attributes = readlword(in);
    s.information = readlword(in);
    return s;
}

uint16_t readVtsEvobAtrTable(InputFile& in, uint32_t sector) {
    const uint64_t start = uint64_t(sector) * kVtiSector;
    seekwithin(in, start);
    const uint16_t n = readword(in);
    readword(in);
    readlword(in);
    const uint32_t firstRecord = readlword(in);
    seekwithin(in, start + firstRecord);
    checkRecordsFit(in, n, kVtsEvobAtrSize, "VTS_EVOB_ATRs");
    return n;
}

uint32_t readVtsEvobiTable(InputFile& in, uint32_t sector) {
    seekwithin(in, uint64_t(sector) * kVtiSector);
    const uint32_t m = readlword(in);
    readlword(in);
    checkRecordsFit(in, m, 4 + kVtsEvobiSize, "VTS_EVOBIs");
    skipbytes(in, uint64_t(m) * 4);
    return m;
}

VtsEvobAtr readVtsEvobAtr(InputFile& in) {
    VtsEvobAtr a;
    a.flags = readword(in);
    a.mainVideo = readlword(in);
    a.subVideo = readlword(in);
    a.field0A = readword(in);
    a.field0C = readword(in);
    a.mainAudioCount = readword(in);
    for (auto& e : a.mainAudio) readInto(in, e);
    readInto(in, a.kept030);
    a.subAudioCount = readword(in);
    for (auto& e : a.subAudio) readInto(in, e);
    a.kept0E2 = readword(in);
    a.subpictureCount = readword(in);
    for (auto& e : a.subpicture) readInto(in, e);
    readInto(in, a.kept186);
    readInto(in, a.kept1C6);
    skipbytes(in, 506);
    return a;
}

VtsEvobi readVtsEvobi(InputFile& in) {
    VtsEvobi r;
    r.type = readword(in);
    r.name = readstring(in, 255);
    skipbytes(in, 1);
    r.addressOffset = readlword(in);
    r.attributeNumber = readlword(in);
    r.startPtm = readlword(in);
    r.endPtm = readlword(in);
    r.size = readlword(in);
    r.index = readword(in);
    skipbytes(in, 2);
    for (auto& v : r.kept11A) v = readlword(in);
    for (auto& v : r.kept12A) v = readword(in);
    skipbytes(in, 18);
    return r;
}

}  // namespace quarnel
