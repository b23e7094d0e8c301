// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/hddvd_disc.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "formats/disc/byte_readers.h"
#include "formats/disc/hddvd_map.h"
#include "formats/disc/hddvd_playlist.h"
#include "formats/disc/safe_name.h"
#include "formats/disc/udf_image.h"
#include "formats/disc/vti_file.h"
#include "formats/disc/xpl_attributes.h"
#include "formats/ps/pack_layout.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {
namespace {

constexpr const char* kHdDvdFolder = "HVDVD_TS";
constexpr const char* kPlaylistFolder = "ADV_OBJ";
constexpr const char* kPlaylistPrefix = "VPLST";

// Where an EVO's bytes are: a file, or a stretch of a disc image.
struct EvoPlace {
    std::string name, path;  // the name as recorded, the file the bytes are read from
    uint64_t offset = 0, size = 0;
    bool inImage = false;
};

// The disc's folders and the playlist it boots. From an image, the small files (playlist, time
// maps, VTI) are copied into a private folder that stands for the disc's, and the EVOs are
// read from the image where they lie.
struct Layout {
    std::string root, hvdvd, playlist;  // the folders end with their separator
    std::string image;
    std::map<std::string, UdfImage::Extent> imageEvos;  // by upper-cased name

    std::optional<EvoPlace> evo(const std::string& name) const {
        if (image.empty()) {
            const std::string found = findInAnyCase(hvdvd, name);
            if (found.empty()) return std::nullopt;
            InputFile in;
            in.open(hvdvd + found);
            return EvoPlace{found, hvdvd + found, 0, in.size(), false};
        }
        std::string upper = name;
        for (char& c : upper) c = char(std::toupper(uint8_t(c)));
        const auto it = imageEvos.find(upper);
        if (it == imageEvos.end()) return std::nullopt;
        return EvoPlace{it->first, image, it->second.offset, it->second.size, true};
    }
};

std::string trimmed(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    return path;
}

bool isPlaylistName(const std::string& name) {
    return name.size() == 12 && startsInAnyCase(name, kPlaylistPrefix) && upperExtension(name) == ".XPL";
}

// The playlist the disc boots: the highest-numbered VPLST$$$.XPL of ADV_OBJ.
std::string bootPlaylist(const std::string& folder) {
    std::string best;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (isPlaylistName(name) && (best.empty() || name.substr(5, 3) > best.substr(5, 3))) best = name;
    }
    ::closedir(dir);
    return best;
}

std::optional<Layout> layoutOf(const std::string& given) {
    std::string path = trimmed(given);
    Layout layout;
    if (fileExists(path) && isPlaylistName(nameOf(path))) {
        layout.playlist = path;
        path = trimmed(folderOf(path).empty() ? "." : folderOf(path));  // ADV_OBJ
        path = trimmed(folderOf(path).empty() ? "." : folderOf(path));  // the disc
    } else if (folderExists(path) && startsInAnyCase(nameOf(path), kHdDvdFolder) &&
               nameOf(path).size() == std::string(kHdDvdFolder).size()) {
        path = trimmed(folderOf(path).empty() ? "." : folderOf(path));
    }
    const std::string hvdvd = findInAnyCase(path, kHdDvdFolder);
    if (hvdvd.empty() || !folderExists(path + "/" + hvdvd)) return std::nullopt;
    layout.root = path + "/";
    layout.hvdvd = layout.root + hvdvd + "/";
    if (layout.playlist.empty()) {
        const std::string adv = findInAnyCase(path, kPlaylistFolder);
        const std::string name = adv.empty() ? std::string() : bootPlaylist(layout.root + adv);
        if (!name.empty()) layout.playlist = layout.root + adv + "/" + name;
    }
    return layout;
}

// The tables of the VTI that tie a time map to its EVO and its streams' codings.
struct VtiTables {
    std::vector<VtsEvobAtr> attributes;
    std::map<uint16_t, VtsEvobi> evobs;  // by EVOB_INDEX, not by position
};

// Raises QuarnelError with the reason when the file cannot be read or is not a VTI.
VtiTables readVtiTables(const std::string& path) {
    InputFile in;
    in.open(path);
    if (readChars(in, kVtiIdentifierSize) != kVtiIdentifier)
        throw QuarnelError("it does not begin with " + std::string(kVtiIdentifier));
    VtiTables tables;
    const VtiTableSectors sectors = readVtiHeader(in);
    const uint16_t n = readVtsEvobAtrTable(in, sectors.attributes);
    for (unsigned k = 0; k < n; ++k) tables.attributes.push_back(readVtsEvobAtr(in));
    const uint32_t m = readVtsEvobiTable(in, sectors.information);
    for (uint32_t k = 0; k < m; ++k) {
        VtsEvobi evob = readVtsEvobi(in);
        tables.evobs.emplace(evob.index, std::move(evob));
    }
    return tables;
}

// How a coding of the disc is named: by the VTI's attribute code and by the playlist's names
// (the schema's and those older authoring wrote), with the stream id it takes.
struct AudioCodingRow {
    uint8_t vtiCode;  // AMST_ATR bits 31-26
    const char* names[2];
    uint8_t base;  // the sub-stream id of decoding number 0
    const char* coding;
};
constexpr AudioCodingRow kAudioCodings[] = {
    {0x07, {"DD+", "E-AC-3"}, 0xC0, "E-AC-3"}, {0x06, {"DTS-HD", "DTS"}, 0x88, "DTS"},
    {0x05, {"LPCM", "PCM"}, 0xA0, "LPCM"},     {0x01, {"MLP", "TrueHD"}, 0xB0, "TrueHD"},
    {0x00, {"AC-3", "DD"}, 0x80, "AC-3"},
};

struct VideoCodingRow {
    uint8_t vtiCode;  // VM_ATR bits 31-29
    const char* names[2];
    uint8_t streamId;
    std::optional<uint8_t> extension;
    const char* coding;
};
const VideoCodingRow kVideoCodings[] = {
    {1, {"MPEG-2", "MPEG2"}, 0xE0, std::nullopt, "MPEG-2"},
    {2, {"AVC", "H.264"}, 0xE2, std::nullopt, "H.264"},
    {3, {"VC-1", "VC1"}, 0xFD, uint8_t(0x55), "VC-1"},
};

template <typename Row, size_t N>
const Row* rowNamed(const Row (&rows)[N], const std::string& name) {
    for (const Row& r : rows)
        for (const char* n : r.names)
            if (name == n) return &r;
    return nullptr;
}

const PlaylistTrackNavigation* navigationOf(const std::vector<PlaylistTrackNavigation>& tracks, int track) {
    for (const PlaylistTrackNavigation& t : tracks)
        if (t.track == track) return &t;
    return nullptr;
}

double secondsOf(uint64_t counts, const TimeBase& base) {
    return double(counts) * base.countNumerator / base.countDenominator;
}

class DiscReading {
  public:
    DiscReading(const Layout& layout, const HdDvdPlaylist& playlist, const std::optional<VtiTables>& vti,
                int angle)
        : layout_(layout), playlist_(playlist), vti_(vti), angle_(angle) {}

    DvdTitle titleOf(const HdDvdPlaylistTitle& pt, const std::string& discName,
                     std::vector<std::string>& notes) {
        DvdTitle t;
        t.number = pt.number;
        t.name = pt.name;
        t.onEnd = pt.onEnd;
        t.seconds = secondsOf(pt.duration, playlist_.timeBase);
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_title%02d", pt.number);
        t.title.origin = TitleOrigin::HdDvdPlaylist;
        t.title.name = discName + (pt.number == 0 ? std::string("_firstplay") : suffix);
        t.title.displayName = pt.name;
        t.title.durationSeconds = t.seconds;
        for (const PlaylistClip& clip : pt.clips)
            for (const PlaylistClipStream& v : clip.video) t.angles = std::max(t.angles, v.angle);
        t.title.angles = t.angles;
        for (size_t k = 0; k < pt.clips.size(); ++k) takeClip(pt, k, t, notes);
        for (const PlaylistChapterTime& c : pt.chapters)
            t.title.chapters.push_back({countTicks(c.begin, playlist_.timeBase), c.name});
        return t;
    }

  private:
    const Layout& layout_;
    const HdDvdPlaylist& playlist_;
    const std::optional<VtiTables>& vti_;
    int angle_;

    void takeClip(const HdDvdPlaylistTitle& pt, size_t k, DvdTitle& t, std::vector<std::string>& notes) {
        // A clip plays up to the title's end at most: a title stops at its titleDuration.
        PlaylistClip clip = pt.clips[k];
        if (pt.duration > 0) clip.titleEnd = std::min(clip.titleEnd, pt.duration);
        if (clip.titleEnd <= clip.titleBegin) return;
        const std::string title =
            pt.number == 0 ? "the first-play title" : "title " + std::to_string(pt.number);
        DvdCell cell;
        cell.cellId = int(k + 1);
        cell.seamless = clip.seamless;
        cell.seconds =
            secondsOf(clip.titleEnd - std::min(clip.titleEnd, clip.titleBegin), playlist_.timeBase);
        TitlePart part;
        part.titleStart = countTicks(clip.titleBegin, playlist_.timeBase);
        part.clipTitleStart = part.titleStart;
        const VtsEvobi* evob = nullptr;
        std::string why;
        const std::string mapName = findInAnyCase(layout_.hvdvd, clip.map);
        std::optional<TimeMap> map;
        if (mapName.empty()) {
            why = "there is no time map " + clip.map;
        } else {
            try {
                map = readTimeMap(layout_.hvdvd + mapName);
            } catch (const QuarnelError& e) {
                why = clip.map + " cannot be read: " + e.what();
            }
            // An angle's EVOBUs lie in interleaved units across the EVO, not in one stretch:
            // a stretch summed from its map would hold other angles' bytes.
            if (map && (map->type == kInterleavedTimeMap || map->maps.size() > 1)) {
                why = clip.map + " interleaves angles, whose units Quarnel cannot pick out yet";
                map.reset();
            }
        }
        if (map) {
            const TimeMapInfo& info = map->maps[size_t(std::min<int>(angle_, int(map->maps.size())) - 1)];
            if (vti_) {
                const auto found = vti_->evobs.find(info.evobIndex);
                if (found != vti_->evobs.end()) evob = &found->second;
            }
            const std::optional<EvoPlace> place = evob ? layout_.evo(evob->name) : std::nullopt;
            if (place) {
                const uint64_t length = clip.titleEnd - std::min(clip.titleEnd, clip.titleBegin);
                const std::optional<TimeMapRange> range =
                    rangeOf(info, clip.clipBegin, clip.clipBegin + length);
                takePlace(*place, part, cell);
                cell.vobId = info.evobIndex;
                if (range) {
                    cell.firstSector = uint32_t(range->firstPack);
                    cell.lastSector = uint32_t(std::max<uint64_t>(range->endPack, 1) - 1);
                    part.firstPts = evob->startPtm + countTicks(range->firstCounts, playlist_.timeBase);
                    part.endPts = evob->startPtm + countTicks(clip.clipBegin + length, playlist_.timeBase);
                    part.endsInsideEvobu = range->endCounts > clip.clipBegin + length;
                    // The map's stretch starts at an EVOBU, up to one before the clip's own start.
                    const uint64_t lead = countTicks(clip.clipBegin - range->firstCounts, playlist_.timeBase);
                    if (t.title.parts.empty()) t.title.leadIn = lead;
                    if (lead > 0)
                        part.startPts = evob->startPtm + countTicks(clip.clipBegin, playlist_.timeBase);
                    part.titleStart -= std::min(part.titleStart, lead);
                    if (range->firstPack != 0 || range->endPack < place->size / kPackBytes ||
                        place->inImage) {
                        part.firstByte = place->offset + range->firstPack * kPackBytes;
                        part.endByte = place->offset + std::min(range->endPack * kPackBytes, place->size);
                    }
                }
            } else {
                why = evob ? "its EVO " + evob->name + " is not there"
                           : "no VTI record has the EVOB_INDEX " + std::to_string(info.evobIndex) + " of " +
                                 clip.map;
            }
        }
        if (part.file.empty()) {
            // Without its map the clip is taken to be the whole EVO of the map's name.
            const std::optional<EvoPlace> place = layout_.evo(withoutExtension(clip.map) + ".EVO");
            notes.push_back("Clip " + std::to_string(k + 1) + " of " + title + ": " + why + "; " +
                            (place ? "the whole of " + place->name + " is read." : "the clip is left out."));
            if (!place) return;
            takePlace(*place, part, cell);
        }
        t.title.parts.push_back(std::move(part));
        t.cells.push_back(std::move(cell));
        takeTracks(pt, clip, evob, t.title);
    }

    // The clip reads its EVO whole (a stretch of an image, where it lies there), until its map
    // narrows it.
    static void takePlace(const EvoPlace& place, TitlePart& part, DvdCell& cell) {
        part.file = place.path;
        cell.file = place.name;
        cell.lastSector = uint32_t(std::max<uint64_t>(place.size / kPackBytes, 1) - 1);
        if (place.inImage) {
            part.firstByte = place.offset;
            part.endByte = place.offset + place.size;
        }
    }

    const VtsEvobAtr* attributesOf(const VtsEvobi* evob) const {
        if (!evob || !vti_ || evob->attributeNumber < 1 || evob->attributeNumber > vti_->attributes.size())
            return nullptr;
        return &vti_->attributes[evob->attributeNumber - 1];
    }

    static void add(Title& title, TitleTrack track) {
        for (const TitleTrack& t : title.tracks)
            if (t.kind == track.kind && tableIdOf(t) == tableIdOf(track)) return;
        title.tracks.push_back(std::move(track));
    }

    // The clip's streams as tracks of the title (those of earlier clips kept): ids through the
    // EVOB's attributes where the VTI has them, else the playlist's codec names; languages and
    // flags from the title's TrackNavigationList by track number.
    void takeTracks(const HdDvdPlaylistTitle& pt, const PlaylistClip& clip, const VtsEvobi* evob,
                    Title& title) const {
        const VtsEvobAtr* atr = attributesOf(evob);
        for (const PlaylistClipStream& v : clip.video) {
            if (v.angle != std::min(angle_, title.angles) && v.angle != 1) continue;
            const VideoCodingRow* row = nullptr;
            if (atr)
                for (const VideoCodingRow& r : kVideoCodings)
                    if (r.vtiCode == atr->mainVideo >> 29) row = &r;
            if (!row) row = rowNamed(kVideoCodings, codecOf(playlist_.videoCodecs, v.mediaAttr));
            if (!row) continue;
            TitleTrack track{StreamKind::Video, row->streamId, row->extension, row->coding};
            track.name = v.description;
            track.isDefault = v.track == 1;
            add(title, std::move(track));
        }
        const bool navigated = pt.trackNavigation && !pt.audioTracks.empty();
        const int defaultAudio =
            navigated ? pt.audioTracks.front().track : (clip.audio.empty() ? 0 : clip.audio.front().track);
        for (const PlaylistClipStream& a : clip.audio) {
            if (a.streamNumber < 1 || a.streamNumber > kVtiMainAudioEntries) continue;
            const AudioCodingRow* row = nullptr;
            if (atr && a.streamNumber <= atr->mainAudioCount)
                for (const AudioCodingRow& r : kAudioCodings)
                    if (r.vtiCode == atr->mainAudio[size_t(a.streamNumber - 1)][0] >> 2) row = &r;
            if (!row) row = rowNamed(kAudioCodings, codecOf(playlist_.audioCodecs, a.mediaAttr));
            if (!row) continue;
            TitleTrack track{StreamKind::Audio, 0xBD, uint8_t(row->base | (a.streamNumber - 1)), row->coding};
            track.name = a.description;
            if (atr && a.streamNumber <= atr->mainAudioCount)
                track.channels = ((atr->mainAudio[size_t(a.streamNumber - 1)][2] >> 2) & 0x0F) + 1;
            if (const PlaylistTrackNavigation* nav = navigationOf(pt.audioTracks, a.track)) {
                const auto [language, extension] = langcodeOf(nav->langcode);
                track.language = language;
                track.commentary = extension == 0x03 || extension == 0x04;
            }
            track.isDefault = a.track == defaultAudio;
            add(title, std::move(track));
        }
        for (const PlaylistClipStream& s : clip.subtitles) {
            if (s.streamNumber < 1 || s.streamNumber > kVtiSubpictureEntries) continue;
            // The sub-stream id: 0x20 and the decoding number the EVOB's SP_ATR entry gives.
            uint8_t number = uint8_t(s.streamNumber - 1);
            if (atr && s.streamNumber <= atr->subpictureCount) {
                const uint8_t flags = atr->subpicture[size_t(s.streamNumber - 1)][1];
                if (flags & 0x20) number = flags & 0x1F;
            }
            const std::string codec = codecOf(playlist_.subtitleCodecs, s.mediaAttr);
            TitleTrack track{StreamKind::Subpicture, 0xBD, uint8_t(0x20 | number),
                             codec.empty() ? "8bitRLC" : codec};
            track.name = s.description;
            if (const PlaylistTrackNavigation* nav = navigationOf(pt.subtitleTracks, s.track)) {
                const auto [language, extension] = langcodeOf(nav->langcode);
                track.language = language;
                track.forced = nav->forced || extension == 0x09;
                track.commentary = extension == 0x0D;
            }
            add(title, std::move(track));
        }
    }
};

// A private folder that stands for an image's disc folder: removed with the last disc read
// from it (the window reads its playlist and VTI again).
class ImageCopy {
  public:
    ImageCopy() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quarnel-disc-XXXXXX").string();
        if (::mkdtemp(pattern.data())) folder_ = pattern;
    }
    ~ImageCopy() {
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    ImageCopy(const ImageCopy&) = delete;
    ImageCopy& operator=(const ImageCopy&) = delete;
    const std::string& folder() const { return folder_; }

  private:
    std::string folder_;
};

constexpr uint64_t kSmallFileLimit = 64u << 20;  // a playlist, a time map, the VTI

// The image's playlist, time maps and VTI copied into `copy`, its EVOs found where they lie.
// Raises QuarnelError with the reason when there is no scratch folder or no HVDVD_TS folder.
Layout imageLayout(const UdfImage& image, const ImageCopy& copy) {
    const auto named = [&](const std::string& folder, const char* wanted) {
        for (const std::string& name : image.names(folder))
            if (name.size() == std::string(wanted).size() && startsInAnyCase(name, wanted)) return name;
        return std::string();
    };
    const std::string hvdvd = named("/", kHdDvdFolder), adv = named("/", kPlaylistFolder);
    if (copy.folder().empty() || hvdvd.empty())
        throw QuarnelError(copy.folder().empty() ? "no scratch folder can be made"
                                                 : "there is no HVDVD_TS folder");
    Layout layout;
    layout.root = copy.folder() + "/";
    layout.hvdvd = layout.root + kHdDvdFolder + "/";
    layout.image = image.path();
    std::filesystem::create_directories(layout.hvdvd);
    std::filesystem::create_directories(layout.root + kPlaylistFolder);
    const auto copied = [&](const std::string& from, const std::string& to) {
        const std::optional<std::string> bytes = image.read(from, kSmallFileLimit);
        if (!bytes) return false;
        std::ofstream out(to, std::ios::binary);
        out.write(bytes->data(), std::streamsize(bytes->size()));
        return bool(out);
    };
    for (const std::string& name : image.names("/" + hvdvd)) {
        const std::string upper = upperExtension(name);
        if (upper == ".MAP" || startsInAnyCase(name, "HVA00001.VTI")) {
            copied("/" + hvdvd + "/" + name, layout.hvdvd + name);
        } else if (upper == ".EVO") {
            if (const std::optional<UdfImage::Extent> extent = image.extentOf("/" + hvdvd + "/" + name)) {
                std::string key = name;
                for (char& c : key) c = char(std::toupper(uint8_t(c)));
                layout.imageEvos[key] = *extent;
            }
        }
    }
    std::string boot;
    for (const std::string& name : adv.empty() ? std::vector<std::string>() : image.names("/" + adv))
        if (isPlaylistName(name) && (boot.empty() || name.substr(5, 3) > boot.substr(5, 3))) boot = name;
    if (!boot.empty() && copied("/" + adv + "/" + boot, layout.root + kPlaylistFolder + "/" + boot))
        layout.playlist = layout.root + kPlaylistFolder + "/" + boot;
    return layout;
}

}  // namespace

bool isHdDvdSource(const std::string& path) {
    return layoutOf(path).has_value() || isHdDvdImage(path);
}

DvdDisc readHdDvdDisc(const std::string& path, int angle) {
    std::shared_ptr<const ImageCopy> copy;  // for an image only
    std::optional<UdfImage> image;
    std::optional<Layout> layout;
    if (isHdDvdImage(path)) {
        image.emplace(path);
        copy = std::make_shared<const ImageCopy>();
        layout = imageLayout(*image, *copy);
    } else {
        layout = layoutOf(path);
    }
    if (!layout) throw QuarnelError("there is no HVDVD_TS folder");
    if (layout->playlist.empty()) throw QuarnelError("there is no playlist (ADV_OBJ/VPLST000.XPL)");
    InputFile in;
    in.open(layout->playlist);
    std::string text(size_t(std::min<uint64_t>(in.size(), 64u << 20)), '\0');
    text.resize(in.read(reinterpret_cast<uint8_t*>(text.data()), text.size()));
    std::optional<HdDvdPlaylist> playlist;
    try {
        playlist = readHdDvdPlaylist(text);
    } catch (const QuarnelError& e) {
        throw QuarnelError(nameOf(layout->playlist) + " cannot be read: " + e.what());
    }
    DvdDisc disc;
    disc.kind = DiscKind::HdDvd;
    disc.path = path;
    disc.image = image.has_value();
    disc.playlist = layout->playlist;
    disc.navigationFolder = layout->hvdvd;
    disc.copies = copy;
    const std::string named = image                                  ? image->volumeId()
                              : nameOf(trimmed(layout->root)) == "." ? std::string()
                                                                     : nameOf(trimmed(layout->root));
    disc.name = safeNamePart(named.empty() ? (image ? withoutExtension(nameOf(path)) : "HDDVD") : named);
    std::string vtiWhy = "there is no such file";
    const std::string vtiName = findInAnyCase(layout->hvdvd, kVtiFileName);
    std::optional<VtiTables> vti;
    try {
        if (!vtiName.empty()) vti = readVtiTables(layout->hvdvd + vtiName);
    } catch (const QuarnelError& e) {
        vtiWhy = e.what();
    }
    if (!vti)
        disc.notes.push_back(std::string(kVtiFileName) + " cannot be read (" + vtiWhy +
                             "): the clips' EVOs are taken by their time maps' names.");
    DiscReading reading(*layout, *playlist, vti, std::max(angle, 1));
    for (const HdDvdPlaylistTitle& pt : playlist->titles)
        disc.titles.push_back(reading.titleOf(pt, disc.name, disc.notes));
    return disc;
}

bool isDiscSource(const std::string& path) {
    return isHdDvdSource(path) || isDvdSource(path);
}

DvdDisc readDisc(const std::string& path, int angle) {
    return isHdDvdSource(path) ? readHdDvdDisc(path, angle) : readDvdDisc(path, angle);
}

}  // namespace quarnel
