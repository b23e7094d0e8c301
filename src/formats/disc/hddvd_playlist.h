// SPDX-License-Identifier: GPL-3.0-or-later
// The titles of an HD DVD playlist (ADV_OBJ/VPLST$$$.XPL) as the disc plays them: each title a
// time line of clips, each clip a time map (not an EVO) and a stretch of its object; the
// tracks' languages from the title's TrackNavigationList, keyed by track number; chapters.
// Times are counts of the title set's time base.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/disc/title_time.h"

namespace quarnel {

// A Video, Audio or Subtitle element of a clip: which track of the title it is, and which
// stream of the EVO plays it.
struct PlaylistClipStream {
    int track = 1;
    int streamNumber = 1;  // the decoding number + 1 (audio, subtitles)
    int angle = 1;         // video: the angle it shows
    int mediaAttr = 1;     // the item of MediaAttributeList of its kind
    std::string description;
};

struct PlaylistClip {
    std::string map;                        // the time map's file name ("FEATURE_1.MAP")
    uint64_t titleBegin = 0, titleEnd = 0;  // on the title's time line, the end excluded
    uint64_t clipBegin = 0;                 // where the stretch starts in the object
    bool seamless = false;
    std::vector<PlaylistClipStream> video, audio, subtitles;
};

// An AudioTrack or SubtitleTrack of a TrackNavigationList.
struct PlaylistTrackNavigation {
    int track = 0;
    std::string langcode;  // "en:01", "*:00"
    bool forced = false;
};

struct PlaylistChapterTime {
    uint64_t begin = 0;
    std::string name;
};

struct HdDvdPlaylistTitle {
    int number = 0;  // 1, 2, ... in document order; 0 for the FirstPlayTitle
    std::string id, name, onEnd;
    uint64_t duration = 0;
    std::vector<PlaylistClip> clips;
    bool trackNavigation = false;  // the title has a TrackNavigationList
    std::vector<PlaylistTrackNavigation> audioTracks, subtitleTracks;
    std::vector<PlaylistChapterTime> chapters;
};

struct HdDvdPlaylist {
    TimeBase timeBase;
    // MediaAttributeList's codecs by item index - 1, per kind.
    std::vector<std::string> videoCodecs, audioCodecs, subtitleCodecs;
    std::vector<HdDvdPlaylistTitle> titles;  // the FirstPlayTitle, when there is one, first
};

// The playlist in `text`; raises QuarnelError with the reason when it holds no TitleSet.
HdDvdPlaylist readHdDvdPlaylist(std::string_view text);

// The codec of item `index` (1-based) in `codecs`; "" when there is none.
std::string codecOf(const std::vector<std::string>& codecs, int index);

}  // namespace quarnel
