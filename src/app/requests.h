// SPDX-License-Identifier: GPL-3.0-or-later
// A request: everything one operation needs, as a value. The window and the command line build
// them from their own state; runs take them and never look further.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/track_metadata.h"
#include "formats/disc/playlist_view.h"
#include "formats/disc/title.h"
#include "formats/ps/stream_kinds.h"

namespace quarnel {

// A stream asked for: its kind and slot, the stream or sub-stream id a Read found there (empty
// while only a playlist has named the slot), and the name its outputs carry (BASE.NAME.EXT).
struct StreamChoice {
    StreamKind kind = StreamKind::Video;
    int slot = 0;
    std::optional<int32_t> id;
    std::string name;

    bool operator==(const StreamChoice&) const = default;
};

// Per slot, whether a stream of it is asked for: what a pass tests for every packet.
struct ChosenSlots {
    std::array<bool, kVideoSlots> video{};
    std::array<bool, kAudioSlots> audio{};
    std::array<bool, kSubSlots> sub{};

    bool any() const;
};

struct Request {
    Title title;                        // the source
    std::vector<StreamChoice> streams;  // the streams asked for, in slot order
    Options options;                    // the output formats, the output folder and the rest
    std::string baseName;               // outputs are named after it
    // The playlist read for the title ("" when none) and what it says of the title's streams,
    // names and chapters.
    std::string playlistPath;
    PlaylistTitle playlist;
    // The streams were chosen from a playlist's list, before any Read found their ids.
    bool streamsFromPlaylist = false;
    // The user's names, languages and flags for the MKV's tracks.
    TrackEdits trackEdits;

    // The stream asked for in a slot, or nullptr.
    const StreamChoice* chosen(StreamKind kind, int slot) const;
    ChosenSlots chosenSlots() const;
    // The output folder and the base name: where the outputs go and how they are named.
    std::string outputBase() const;

    bool operator==(const Request&) const = default;
};

// The output folder joined with a base name.
std::string outputBaseIn(const std::string& outputDir, const std::string& baseName);

}  // namespace quarnel
