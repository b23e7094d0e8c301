// SPDX-License-Identifier: GPL-3.0-or-later
// What an MKV says of each track besides its data: name, language, default and forced. The
// disc's navigation gives the first values; the user's edits (the Tracks page, the command
// line's --track-name, --language, --default, --forced) go over them.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ps/stream_kinds.h"

namespace quarnel {

struct PlaylistTitle;
struct Title;

struct TrackMetadata {
    std::string name;
    std::string language = "und";
    bool defaultTrack = false;
    bool forced = false;

    bool operator==(const TrackMetadata&) const = default;
};

// A user's changes to one track; what is not set keeps the navigation's value.
struct TrackEdit {
    std::optional<std::string> name, language;
    std::optional<bool> defaultTrack, forced;

    bool operator==(const TrackEdit&) const = default;
};

// By the stream's name on the command line: v0, a01, s02.
using TrackEdits = std::map<std::string, TrackEdit>;

// The stream's name on the command line: "v0", "a03", "s17".
std::string streamName(StreamKind kind, size_t slot);
// Whether `name` names a stream slot: v0 v1, a00..a15, s00..s31.
bool isStreamName(std::string_view name);

// What the playlist read for the source and the disc's title say of the stream in `slot`:
// its name (the playlist's description, else the language's name with "(Commentary)" or
// "(Forced)", else `codec`), language and forced flag. `unreadLangcode` receives a langcode
// the playlist gives that is no language (else it is left alone). The default flag is not
// set here: it depends on which tracks the MKV holds.
TrackMetadata listedMetadata(const PlaylistTitle& playlist, const Title& title, StreamKind kind, size_t slot,
                             const std::string& codec, std::string* unreadLangcode = nullptr);

// The metadata of track `stream` as the MKV gets it: the navigation's `listed` values with the
// user's edit over them. An edit that marks a track default takes the flag from the other
// tracks of its kind that no edit marks default.
TrackMetadata effectiveMetadata(TrackMetadata listed, const TrackEdits& edits, const std::string& stream);

// A language as Matroska takes it: an ISO 639-2 or 639-1 code ("fre", "fr"), or a BCP 47 tag
// ("pt-BR"); "und" for none.
bool validTrackLanguage(std::string_view code);

// Reads one option of the command line into `edits`: `flag` is "--track-name" (TRACK=NAME),
// "--language" (TRACK=LANG), "--default" or "--forced" (TRACK, TRACK=yes or TRACK=no).
// Returns why the value is not understood, "" when it is.
std::string addTrackEdit(const std::string& flag, const std::string& value, TrackEdits& edits);

}  // namespace quarnel
