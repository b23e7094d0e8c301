// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/dvd_disc.h"

#include <dirent.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/dvd_udf.h>
#include <dvdread/ifo_read.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "codecs/colour_space.h"
#include "formats/disc/safe_name.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr uint64_t kSectorBytes = 2048;
constexpr int kMaxVobParts = 9;  // VTS_nn_1.VOB to VTS_nn_9.VOB

// The IFO's coding numbers: how each audio coding is carried and named.
struct DvdAudioCoding {
    uint8_t format;      // audio_format of the attributes
    uint8_t streamId;    // the PES stream id
    uint8_t firstSubId;  // the sub-stream id of stream 0 (0: the stream id tells it)
    const char* codec;
};
constexpr DvdAudioCoding kDvdAudioCodings[] = {
    {0, 0xBD, 0x80, "AC-3"}, {2, 0xC0, 0, "MPEG Audio"}, {3, 0xC0, 0, "MPEG Audio"},
    {4, 0xBD, 0xA0, "LPCM"}, {6, 0xBD, 0x88, "DTS"},
};
constexpr uint8_t kFirstSubpictureId = 0x20;

// Audio content types (code extension) and subpicture ones, as the IFO numbers them.
constexpr const char* kAudioContent[] = {"", "", "Visually impaired", "Director's comments",
                                         "Alternate director's comments"};
constexpr const char* kSubpictureContent[] = {"",
                                              "",
                                              "Large",
                                              "Children",
                                              "",
                                              "Captions",
                                              "Large captions",
                                              "Children's captions",
                                              "",
                                              "Forced",
                                              "",
                                              "",
                                              "",
                                              "Director's comments",
                                              "Large director's comments",
                                              "Director's comments for children"};
constexpr uint8_t kForcedSubpicture = 9;
constexpr uint8_t kFirstCommentarySubpicture = 13;
constexpr uint8_t kFirstCommentaryAudio = 3;

// libdvdread's own messages are kept, the last one naming why a disc could not be opened.
void keepMessage(void* last, dvd_logger_level_t, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    *static_cast<std::string*>(last) = text;
}

struct DiscCloser {
    void operator()(dvd_reader_t* d) const { DVDClose(d); }
};
struct IfoCloser {
    void operator()(ifo_handle_t* i) const { ifoClose(i); }
};
using DiscHandle = std::unique_ptr<dvd_reader_t, DiscCloser>;
using IfoHandle = std::unique_ptr<ifo_handle_t, IfoCloser>;

int bcd(uint8_t v) {
    return (v >> 4) * 10 + (v & 0x0F);
}

// A playback time counts frames: at 25 per second (PAL), or NTSC's at a nominal 30 per second,
// so that 00:00:15.00 is 450 frames, 15.015 s.
double secondsOf(const dvd_time_t& t) {
    const int rate = (t.frame_u >> 6) == 1 ? 25 : (t.frame_u >> 6) == 3 ? 30 : 0;
    const double whole = bcd(t.hour) * 3600.0 + bcd(t.minute) * 60.0 + bcd(t.second);
    if (rate == 0) return whole;
    const double frames = whole * rate + bcd(t.frame_u & 0x3F);
    return rate == 30 ? frames * 1001.0 / 30000.0 : frames / rate;
}

std::string languageOf(uint16_t code) {
    const char a = char(code >> 8), b = char(code & 0xFF);
    if (a < 'a' || a > 'z' || b < 'a' || b > 'z') return {};
    return std::string{a, b};
}

// Where libdvdread is to look, and the VIDEO_TS folder of a disc folder ("" for an image).
struct DiscPlace {
    std::string open;      // what DVDOpen takes
    std::string videoTs;   // the VIDEO_TS folder, ending with its separator
    std::string discName;  // the folder's name, for a disc without a volume identifier
    bool image = false;
};

std::optional<DiscPlace> placeOf(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    if (upperExtension(path) == ".ISO" && !folderExists(path))
        return DiscPlace{path, "", withoutExtension(nameOf(path)), true};
    if (upperExtension(path) == ".IFO" && !folderExists(path))
        path = folderOf(path).empty() ? "." : folderOf(path);
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    if (!folderExists(path)) return std::nullopt;
    if (std::string inner = findInAnyCase(path, "VIDEO_TS");
        !inner.empty() && folderExists(path + "/" + inner))
        return DiscPlace{path, path + "/" + inner + "/", nameOf(path), false};
    if (!findInAnyCase(path, "VIDEO_TS.IFO").empty()) {
        // A VIDEO_TS folder is named after the disc folder it lies in.
        std::string named = path;
        if (startsInAnyCase(nameOf(path), "VIDEO_TS") && !folderOf(path).empty()) {
            named = folderOf(path);
            named.pop_back();
        }
        return DiscPlace{path, path + "/", nameOf(named), false};
    }
    return std::nullopt;
}

// Each title set's VOB as stretches of files: where sector s of the set's VOB lies.
struct VobFiles {
    struct Piece {
        std::string file;
        uint64_t firstSector = 0, sectors = 0;  // in the set's VOB
        uint64_t byteInFile = 0;                // where the piece begins in its file
    };
    std::vector<Piece> pieces;

    // The parts that hold sectors [first, last] of the set's VOB.
    std::vector<TitlePart> partsOf(uint64_t first, uint64_t last) const {
        std::vector<TitlePart> parts;
        for (const Piece& p : pieces) {
            const uint64_t from = std::max(first, p.firstSector),
                           to = std::min(last + 1, p.firstSector + p.sectors);
            if (from >= to) continue;
            parts.push_back({.file = p.file,
                             .firstByte = p.byteInFile + (from - p.firstSector) * kSectorBytes,
                             .endByte = p.byteInFile + (to - p.firstSector) * kSectorBytes});
        }
        return parts;
    }
};

VobFiles vobFilesOf(dvd_reader_t* dvd, const DiscPlace& place, int set) {
    VobFiles files;
    uint64_t sector = 0;
    for (int k = 1; k <= kMaxVobParts; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "VTS_%02d_%d.VOB", set, k);
        if (place.image) {
            uint32_t size = 0;
            const uint32_t lba = UDFFindFile(dvd, (std::string("/VIDEO_TS/") + name).c_str(), &size);
            if (lba == 0 || size == 0) break;
            files.pieces.push_back({place.open, sector, size / kSectorBytes, uint64_t(lba) * kSectorBytes});
            sector += size / kSectorBytes;
            continue;
        }
        const std::string found = findInAnyCase(place.videoTs, name);
        if (found.empty()) break;
        struct stat st {};
        if (::stat((place.videoTs + found).c_str(), &st) != 0) break;
        files.pieces.push_back({place.videoTs + found, sector, uint64_t(st.st_size) / kSectorBytes, 0});
        sector += uint64_t(st.st_size) / kSectorBytes;
    }
    if (files.pieces.empty()) {
        char name[16];
        std::snprintf(name, sizeof name, "VTS_%02d_1.VOB", set);
        throw QuarnelError(std::string("its title set ") + std::to_string(set) + " has no " + name);
    }
    return files;
}

// The first title the disc's first-play commands jump to (JumpTT), 0 when none.
int firstPlayTitleOf(const ifo_handle_t* vmg) {
    const pgc_t* pgc = vmg->first_play_pgc;
    if (!pgc || !pgc->command_tbl) return 0;
    for (int k = 0; k < pgc->command_tbl->nr_of_pre; ++k) {
        const uint8_t* cmd = pgc->command_tbl->pre_cmds[k].bytes;
        if (cmd[0] == 0x30 && (cmd[1] & 0x0F) == 0x02) return cmd[5];
    }
    return 0;
}

void addTracks(Title& title, const vtsi_mat_t& mat, const pgc_t& pgc) {
    // The one video stream of a title set: MPEG-1 (mpeg_version 0) or MPEG-2, stream id 0xE0.
    title.tracks.push_back({.kind = StreamKind::Video,
                            .streamId = 0xE0,
                            .coding = mat.vts_video_attr.mpeg_version == 0 ? "MPEG-1" : "MPEG-2"});
    for (int i = 0; i < 8 && i < mat.nr_of_vts_audio_streams; ++i) {
        if (!(pgc.audio_control[i] & 0x8000)) continue;
        const int n = (pgc.audio_control[i] >> 8) & 7;
        const audio_attr_t& a = mat.vts_audio_attr[i];
        const auto coding = std::ranges::find_if(
            kDvdAudioCodings, [&](const DvdAudioCoding& c) { return c.format == a.audio_format; });
        if (coding == std::end(kDvdAudioCodings)) continue;
        TitleTrack t{.kind = StreamKind::Audio,
                     .streamId = uint8_t(coding->streamId + (coding->firstSubId ? 0 : n))};
        if (coding->firstSubId) t.subStreamId = uint8_t(coding->firstSubId + n);
        t.coding = coding->codec;
        t.channels = a.channels + 1;
        if (a.lang_type == 1) t.language = languageOf(a.lang_code);
        if (a.code_extension < std::size(kAudioContent)) t.name = kAudioContent[a.code_extension];
        t.commentary = a.code_extension >= kFirstCommentaryAudio;
        title.tracks.push_back(std::move(t));
    }
    for (int i = 0; i < 32 && i < mat.nr_of_vts_subp_streams; ++i) {
        if (!(pgc.subp_control[i] & 0x80000000u)) continue;
        const int n = (pgc.subp_control[i] >> 24) & 0x1F;
        const subp_attr_t& s = mat.vts_subp_attr[i];
        TitleTrack t{
            .kind = StreamKind::Subpicture, .streamId = 0xBD, .subStreamId = uint8_t(kFirstSubpictureId + n)};
        t.coding = "Subpicture";
        if (s.type == 1) t.language = languageOf(s.lang_code);
        if (s.code_extension < std::size(kSubpictureContent)) t.name = kSubpictureContent[s.code_extension];
        t.forced = s.code_extension == kForcedSubpicture;
        t.commentary = s.code_extension >= kFirstCommentarySubpicture;
        title.tracks.push_back(std::move(t));
    }
}

}  // namespace

int DvdDisc::mainTitle() const {
    int best = 0;
    double longest = -1;
    for (const DvdTitle& t : titles)
        if (t.seconds > longest && (t.number > 0 || titles.size() == 1)) longest = t.seconds, best = t.number;
    return best;
}

bool isDvdSource(const std::string& path) {
    const std::string ext = upperExtension(path);
    if (ext == ".ISO" && !folderExists(path)) return true;
    if (ext == ".IFO")
        return startsInAnyCase(nameOf(path), "VIDEO_TS") || startsInAnyCase(nameOf(path), "VTS_");
    return placeOf(path).has_value();
}

std::optional<Title> titleSetFactsBeside(const std::string& vob) {
    const std::string name = nameOf(vob);
    if (name.size() != 12 || !startsInAnyCase(name, "VTS_") || upperExtension(name) != ".VOB")
        return std::nullopt;
    const int set = std::atoi(name.substr(4, 2).c_str());
    const std::string folder = folderOf(vob);
    if (findInAnyCase(folder.empty() ? "." : folder, "VIDEO_TS.IFO").empty()) return std::nullopt;
    std::optional<DvdDisc> disc;
    try {
        disc = readDvdDisc(folder.empty() ? "." : folder);
    } catch (const QuarnelError&) {
        return std::nullopt;
    }
    for (const DvdTitle& t : disc->titles)
        if (t.titleSet == set) {
            Title facts;
            facts.tracks = t.title.tracks;
            facts.pictureWidth = t.title.pictureWidth;
            facts.pictureHeight = t.title.pictureHeight;
            return facts;
        }
    return std::nullopt;
}

DvdDisc readDvdDisc(const std::string& path, int angle) {
    const std::optional<DiscPlace> place = placeOf(path);
    if (!place)
        throw QuarnelError(
            "it is not a DVD-Video folder (one holding VIDEO_TS), a VIDEO_TS folder, an IFO file or an .iso "
            "image");
    std::string message;
    static const dvd_logger_cb logger{keepMessage};
    const DiscHandle dvd(DVDOpen2(&message, &logger, place->open.c_str()));
    if (!dvd) throw QuarnelError(message.empty() ? "libdvdread cannot open it" : message);
    const IfoHandle vmg(ifoOpen(dvd.get(), 0));
    if (!vmg || !vmg->tt_srpt) throw QuarnelError("its VIDEO_TS.IFO (and VIDEO_TS.BUP) cannot be read");
    DvdDisc disc;
    disc.path = path;
    disc.image = place->image;
    char volume[33] = {};
    disc.name =
        place->image && DVDUDFVolumeInfo(dvd.get(), volume, sizeof volume, nullptr, 0) == 0 && volume[0]
            ? std::string(volume)
            : place->discName;
    disc.name = safeNamePart(disc.name.empty() ? "DVD" : disc.name);
    disc.firstPlayTitle = firstPlayTitleOf(vmg.get());

    std::map<int, IfoHandle> sets;
    std::map<int, VobFiles> vobs;
    const tt_srpt_t& titles = *vmg->tt_srpt;
    for (int k = 0; k < titles.nr_of_srpts; ++k) {
        const title_info_t& info = titles.title[k];
        const int set = info.title_set_nr;
        if (!sets.count(set)) {
            sets[set] = IfoHandle(ifoOpen(dvd.get(), set));
            if (!sets[set]) {
                char name[16];
                std::snprintf(name, sizeof name, "VTS_%02d_0.IFO", set);
                throw QuarnelError(std::string("its ") + name + " (and .BUP) cannot be read");
            }
            vobs[set] = vobFilesOf(dvd.get(), *place, set);
        }
        const ifo_handle_t* vts = sets[set].get();
        if (!vts->vts_ptt_srpt || !vts->vts_pgcit || info.vts_ttn < 1 ||
            info.vts_ttn > vts->vts_ptt_srpt->nr_of_srpts)
            continue;
        const ttu_t& ttu = vts->vts_ptt_srpt->title[info.vts_ttn - 1];
        if (ttu.nr_of_ptts < 1) continue;
        const int pgcn = ttu.ptt[0].pgcn;
        if (pgcn < 1 || pgcn > vts->vts_pgcit->nr_of_pgci_srp) continue;
        const pgc_t& pgc = *vts->vts_pgcit->pgci_srp[pgcn - 1].pgc;

        DvdTitle t;
        t.number = k + 1;
        t.titleSet = set;
        t.programChain = pgcn;
        t.angles = std::max<int>(1, info.nr_of_angles);
        t.seconds = secondsOf(pgc.playback_time);
        t.title.origin = TitleOrigin::DvdProgramChain;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_title%02d", t.number);
        t.title.name = disc.name + suffix;
        t.title.durationSeconds = t.seconds;
        t.title.angles = t.angles;
        // The cells in program order, each angle block's cells numbered by angle; the title's
        // time of each cell's start, one angle counted.
        std::vector<double> cellStart;
        double at = 0;
        int inBlock = 0;
        for (int c = 0; c < pgc.nr_of_cells && pgc.cell_playback && pgc.cell_position; ++c) {
            const cell_playback_t& play = pgc.cell_playback[c];
            DvdCell cell{{},
                         pgc.cell_position[c].vob_id_nr,
                         pgc.cell_position[c].cell_nr,
                         play.first_sector,
                         play.last_sector,
                         secondsOf(play.playback_time),
                         0,
                         play.seamless_play != 0};
            const bool angleBlock = play.block_type == 1 && play.block_mode != 0;
            inBlock = angleBlock ? (play.block_mode == 1 ? 1 : inBlock + 1) : 0;
            cell.angle = inBlock;
            cellStart.push_back(at);
            if (cell.angle <= 1) at += cell.seconds;
            t.cells.push_back(cell);
            if (cell.angle != 0 && cell.angle != angle) continue;
            for (TitlePart part : vobs[set].partsOf(cell.firstSector, cell.lastSector)) {
                part.angle = cell.angle;
                part.titleStart = uint64_t(cellStart.back() * 90000.0 + 0.5);
                t.title.parts.push_back(std::move(part));
            }
        }
        for (int p = 0; p < ttu.nr_of_ptts; ++p) {
            const ptt_info_t& ptt = ttu.ptt[p];
            if (ptt.pgcn != pgcn || ptt.pgn < 1 || ptt.pgn > pgc.nr_of_programs || !pgc.program_map) continue;
            const int firstCell = pgc.program_map[ptt.pgn - 1] - 1;
            if (firstCell < 0 || size_t(firstCell) >= cellStart.size()) continue;
            t.title.chapters.push_back(
                {uint64_t(cellStart[size_t(firstCell)] * 90000.0 + 0.5), "Chapter " + std::to_string(p + 1)});
        }
        if (vts->vtsi_mat) addTracks(t.title, *vts->vtsi_mat, pgc);
        DvdPalette palette;
        for (size_t c = 0; c < palette.size(); ++c) {
            const uint32_t e = pgc.palette[c];
            palette[c] = toRgb(YCrCb{uint8_t(e >> 16), uint8_t(e >> 8), uint8_t(e)}, ColourMatrix::Bt601);
        }
        t.title.palette = palette;
        if (vts->vtsi_mat) {
            // video_format 0 is NTSC (525 lines), 1 PAL (625): the subpictures' full frame.
            t.title.pictureWidth = 720;
            t.title.pictureHeight = vts->vtsi_mat->vts_video_attr.video_format == 1 ? 576 : 480;
        }
        disc.titles.push_back(std::move(t));
    }
    if (disc.titles.empty()) throw QuarnelError("it holds no title that can be played");
    return disc;
}

}  // namespace quarnel
