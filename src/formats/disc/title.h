// SPDX-License-Identifier: GPL-3.0-or-later
// A title: what a source resolves to and every operation works on. Its parts are read in play
// order; each part says where its bytes are and how its time stamps land on the title's time
// line. Its tracks and chapters are what the disc's navigation says of them, where it says so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs/subpicture_event.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

enum class TitleOrigin : uint8_t {
    FileSequence,     // a file and the files named after it in its sequence
    HdDvdPlaylist,    // a title of an HD DVD playlist, clips through time maps
    DvdProgramChain,  // a DVD-Video program chain, cells in program order
    DvdAudioTitle,    // a DVD-Audio title of an AOB set
};

// One stretch of the title. A part without a byte range is its whole file.
struct TitlePart {
    std::string file;
    std::optional<uint64_t> firstByte, endByte;  // [firstByte, endByte)
    int angle = 0;                               // 0: the part belongs to every angle
    // The part's own first time stamp and where it starts on the title's time line (90 kHz);
    // without a first time stamp the part goes on from the one before.
    std::optional<uint64_t> firstPts;
    uint64_t titleStart = 0;
    // Where the title starts playing the part on its time line (a clip's titleTimeBegin), 90 kHz.
    uint64_t clipTitleStart = 0;
    // Where the title stops playing the part, in the part's own time stamps (a clip of a time
    // map); pictures from there on are not the title's.
    std::optional<uint64_t> endPts;
    bool endsInsideEvobu = false;  // the title stops playing it inside an EVOBU, not at its end
    // Where the title starts playing the part, when that lies inside its first EVOBU (a clip
    // that begins inside one; the part is read from the EVOBU's start).
    std::optional<uint64_t> startPts;

    // Where the part's data starts on the title's time line: before the clip's start by as much
    // as the clip begins into its first EVOBU (before the title itself for a first clip).
    int64_t dataTitleTicks() const;

    bool operator==(const TitlePart&) const = default;
};

struct TitleTrack {
    StreamKind kind = StreamKind::Video;
    uint8_t streamId = 0;
    std::optional<uint8_t> subStreamId;
    std::string coding, language, name;
    int channels = 0;  // audio; 0 when not known
    bool forced = false, commentary = false, isDefault = false;

    bool operator==(const TitleTrack&) const = default;
};

struct TitleChapter {
    uint64_t time = 0;  // 90 kHz, on the title's time line
    std::string name;

    bool operator==(const TitleChapter&) const = default;
};

struct Title {
    TitleOrigin origin = TitleOrigin::FileSequence;
    std::string name;         // what its outputs are named after
    std::string displayName;  // the name the disc gives it ("Main Feature"); empty when none
    std::optional<double> durationSeconds;
    // 90 kHz: how far the first part's data starts before the title does (a clip that begins
    // inside an EVOBU is read from that EVOBU's start).
    uint64_t leadIn = 0;
    int angles = 1;
    std::optional<DvdPalette> palette;  // the colours of its 2-bit subpictures, when it names them
    // The picture its subpictures are placed on (720x480 NTSC, 720x576 PAL); 0 when not known.
    int pictureWidth = 0, pictureHeight = 0;
    std::vector<TitlePart> parts;
    std::vector<TitleTrack> tracks;
    std::vector<TitleChapter> chapters;

    // The file the title starts in; "" for a title without parts.
    const std::string& firstFile() const;
    // The kind of file the title's video is, as an upper-cased extension with its dot: ".EVO",
    // ".VOB" (also for a DVD title read from an image), ".AOB"; "" without parts.
    std::string sourceExtension() const;
    // Whether the parts are stretches of files rather than whole files.
    bool partsAreStretches() const;
    // Whether two parts join inside an EVOBU (one before the last ends inside its data, or one
    // after the first begins inside it): the parts are then cut at the joins and each placed at
    // its own time on the title's time line.
    bool joinsInsideEvobus() const;

    bool operator==(const Title&) const = default;
};

// A track's id as the stream table holds it: its sub-stream id, else its stream id (an audio
// stream's with kStreamIdKey).
int32_t tableIdOf(const TitleTrack& track);

// The track the title lists for slot `slot` of `kind` (by the slot its id takes), or nullptr.
const TitleTrack* titleTrack(const Title& title, StreamKind kind, size_t slot);

// The chapter file's lines of the title's chapters: "CHAPTERnn=HH:MM:SS.mmm" and
// "CHAPTERnnNAME=name" each.
std::vector<std::string> chapterFileLines(const Title& title);

// `first` and, when `follow`, the files named after it in its sequence, each read whole: the
// title of a source file given by name.
Title titleOfFiles(const std::string& first, bool follow);

}  // namespace quarnel
