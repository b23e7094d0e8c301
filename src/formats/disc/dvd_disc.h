// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD-Video disc as titles, read through libdvdread from a folder (the disc's, its VIDEO_TS
// folder, or one of its IFO files) or an .iso image: each title's program chain with its cells
// in program order, chapters, audio and subpicture streams. A damaged .IFO is read from its
// .BUP.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/disc/title.h"

namespace quarnel {

// One cell of a title's program chain: where its sectors lie in the title set's VOB, and how
// long it plays.
struct DvdCell {
    std::string file;                          // an HD DVD clip's EVO; empty for a DVD cell
    int vobId = 0, cellId = 0;                 // an HD DVD clip: its EVOB_INDEX and its number in the title
    uint32_t firstSector = 0, lastSector = 0;  // in the title set's VOB, both included
    double seconds = 0;
    int angle = 0;  // 0: not in an angle block; else its angle (1, 2, ...)
    bool seamless = false;
};

// A title of the disc: its place in the navigation and the Title every operation reads.
struct DvdTitle {
    int number = 0;        // 1, 2, ... as the disc numbers its titles
    int titleSet = 0;      // VTS_nn
    int programChain = 0;  // its PGC in the title set
    std::string name;      // the name the disc gives it (an HD DVD title's displayName)
    std::string onEnd;     // an HD DVD title: the id of the title played after it; empty: it stops
    int angles = 1;
    double seconds = 0;  // the program chain's playback time
    std::vector<DvdCell> cells;
    // The streams of the title set: kind, stream (and sub-stream) id, coding, language and
    // content type, from the IFO; present in this program chain.
    Title title;
};

enum class DiscKind : uint8_t { DvdVideo, HdDvd };

// A DVD-Video disc, or an HD DVD one: its playlist's titles, each clip a cell of its title
// (number 0 is the title the HD DVD plays first).
struct DvdDisc {
    DiscKind kind = DiscKind::DvdVideo;
    std::string path;  // as given
    std::string name;  // the volume identifier, else the folder's name, made safe for a file name
    bool image = false;
    std::vector<DvdTitle> titles;
    int firstPlayTitle = 0;          // the title the disc plays first, 0 when it starts with a menu
    std::vector<std::string> notes;  // what of its navigation could not be read, as log lines
    // An HD DVD: the playlist its titles come from and its HVDVD_TS folder (with its
    // separator), where the VTI lies. An image's are copies in a private folder that lives as
    // long as a copy of the disc does (`copies`).
    std::string playlist, navigationFolder;
    std::shared_ptr<const void> copies;
    // The longest title, the lowest number on a tie (an HD DVD's first-play title only when it
    // is the only one); 0 without titles.
    int mainTitle() const;
};

// Whether `path` names a DVD-Video disc: a folder holding VIDEO_TS (or VIDEO_TS.IFO), a
// VIDEO_TS folder, a VIDEO_TS.IFO or VTS_nn_0.IFO file, or an .iso file.
bool isDvdSource(const std::string& path);

// What the disc beside a title set's VOB (VTS_nn_m.VOB in a disc folder) lists for the set's
// first title: its tracks with their languages and flags, and its picture size; nullopt when
// no disc can be read there. The VOB read as a file takes its streams' facts from it.
std::optional<Title> titleSetFactsBeside(const std::string& vob);

// The disc's titles; raises QuarnelError with the reason when it cannot be read. `angle` (1,
// 2, ...) chooses the cells of an angle block that the titles' parts take.
DvdDisc readDvdDisc(const std::string& path, int angle = 1);

}  // namespace quarnel
