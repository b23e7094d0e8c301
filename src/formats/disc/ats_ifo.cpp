// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/ats_ifo.h"

#include <cstring>

#include "io/byte_view.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

constexpr char kIdentifier[] = "DVDAUDIO-ATS";
constexpr size_t kSector = 2048;
constexpr size_t kMaxIfoBytes = 1 << 20;  // an ATS information file is a few sectors

// The title table at the second sector: title count (16), 2 bytes, last byte address (32), then
// 8 bytes per title whose last 4 are the offset of its record from the table's start.
constexpr size_t kTitleTable = kSector;
constexpr size_t kTitleEntries = 8;
constexpr size_t kTitleEntryBytes = 8;
constexpr size_t kTitleOffsetInEntry = 4;
// A title record: 2 bytes, track count, sector pointer count, length in PTS, 4 bytes, offset of
// the sector pointers from the record's start, 2 bytes; then 20 bytes per track: 4 bytes,
// index number, 1 byte, first PTS, length in PTS, 6 bytes.
namespace title_at {
constexpr size_t kTracks = 2, kPointers = 3, kLength = 4, kPointerTable = 12, kTrackRows = 16;
}
constexpr size_t kTrackRowBytes = 20;
namespace track_at {
constexpr size_t kIndexNumber = 4, kFirstPts = 6, kLength = 10;
}
// A sector pointer: 4 bytes (0x01000000), first sector, last sector.
constexpr size_t kPointerBytes = 12;
constexpr uint32_t kTicksPerSecond = 90000;

AtsTitle decodeTitle(const ByteView& r, size_t at) {
    using namespace title_at;
    if (!r.fits(at, kTrackRows)) throw QuarnelError("a title record lies past the end of the file");
    AtsTitle t;
    t.lengthPts = r.u32(at + kLength);
    const size_t tracks = r.u8(at + kTracks), pointers = r.u8(at + kPointers);
    const size_t pointerTable = at + r.u16(at + kPointerTable);
    if (!r.fits(at + kTrackRows, tracks * kTrackRowBytes) || !r.fits(pointerTable, pointers * kPointerBytes))
        throw QuarnelError("a title's tracks or sector pointers lie past the end of the file");
    for (size_t k = 0; k < tracks; ++k) {
        const size_t row = at + kTrackRows + k * kTrackRowBytes;
        AtsTrack track;
        track.indexNumber = r.u8(row + track_at::kIndexNumber);
        track.firstPts = r.u32(row + track_at::kFirstPts);
        track.lengthPts = r.u32(row + track_at::kLength);
        if (track.indexNumber == 0 || track.indexNumber > pointers)
            throw QuarnelError("track " + std::to_string(k + 1) + " names sector pointer " +
                               std::to_string(track.indexNumber) + " of " + std::to_string(pointers));
        const size_t pointer = pointerTable + (track.indexNumber - 1) * kPointerBytes;
        track.firstSector = r.u32(pointer + 4);
        track.lastSector = r.u32(pointer + 8);
        if (track.lastSector < track.firstSector)
            throw QuarnelError("track " + std::to_string(k + 1) + " ends before it begins");
        t.tracks.push_back(track);
    }
    return t;
}

std::string seconds(uint32_t pts) {
    return formatSpanMs(double(pts) / kTicksPerSecond);
}

}  // namespace

std::vector<AtsTitle> decodeAtsIfo(std::span<const uint8_t> ifo) {
    const ByteView r(ifo);
    if (!r.fits(0, sizeof kIdentifier - 1) ||
        std::memcmp(ifo.data(), kIdentifier, sizeof kIdentifier - 1) != 0)
        throw QuarnelError("it does not begin with " + std::string(kIdentifier));
    if (!r.fits(kTitleTable, kTitleEntries)) throw QuarnelError("it ends before its title table");
    const size_t count = r.u16(kTitleTable);
    if (!r.fits(kTitleTable + kTitleEntries, count * kTitleEntryBytes))
        throw QuarnelError("its title table lies past the end of the file");
    std::vector<AtsTitle> titles;
    for (size_t k = 0; k < count; ++k) {
        const size_t entry = kTitleTable + kTitleEntries + k * kTitleEntryBytes;
        titles.push_back(decodeTitle(r, kTitleTable + r.u32(entry + kTitleOffsetInEntry)));
    }
    return titles;
}

std::vector<AtsTitle> readAtsIfo(const std::string& path) {
    InputFile in;
    in.open(path);
    std::vector<uint8_t> bytes(size_t(std::min<uint64_t>(in.size(), kMaxIfoBytes)));
    size_t have = 0;
    while (have < bytes.size()) {
        const size_t n = in.read(bytes.data() + have, bytes.size() - have);
        if (n == 0) break;
        have += n;
    }
    bytes.resize(have);
    return decodeAtsIfo(bytes);
}

std::string atsIfoBeside(const std::string& aob) {
    const std::string name = nameOf(aob);
    // ATS_nn_m.AOB
    if (name.size() != 12 || !startsInAnyCase(name, "ATS_") || name[6] != '_' ||
        upperExtension(name) != ".AOB")
        return {};
    return folderOf(aob) + name.substr(0, 7) + (name.back() == 'b' ? "0.ifo" : "0.IFO");
}

uint64_t atsBytesBefore(const std::string& aob) {
    if (atsIfoBeside(aob).empty()) return 0;
    const std::string name = nameOf(aob);
    uint64_t bytes = 0;
    for (char part = '1'; part < name[7]; ++part) {
        std::string earlier = name;
        earlier[7] = part;
        InputFile in;
        if (fileExists(folderOf(aob) + earlier)) {
            in.open(folderOf(aob) + earlier);
            bytes += in.size();
        }
    }
    return bytes;
}

void reportAtsTitles(const std::vector<AtsTitle>& titles, MessageLog& log) {
    for (size_t t = 0; t < titles.size(); ++t) {
        const AtsTitle& title = titles[t];
        log.log("Title " + std::to_string(t + 1) + ": [bl]" + std::to_string(title.tracks.size()) +
                "[/bl] tracks, " + seconds(title.lengthPts));
        for (size_t k = 0; k < title.tracks.size(); ++k) {
            const AtsTrack& track = title.tracks[k];
            log.log("   Track " + std::to_string(k + 1) + ": " + seconds(track.lengthPts) + " from " +
                    seconds(track.firstPts) + ", sectors " + std::to_string(track.firstSector) + "-" +
                    std::to_string(track.lastSector));
        }
    }
}

}  // namespace quarnel
