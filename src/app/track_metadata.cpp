// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/track_metadata.h"

#include <cstdio>
#include <cstdlib>

#include "formats/disc/playlist_view.h"
#include "formats/disc/title.h"
#include "formats/ocr/ocr_languages.h"
#include "report/xml_text.h"

namespace quarnel {

std::string streamName(StreamKind kind, size_t slot) {
    char name[8];
    if (kind == StreamKind::Video)
        std::snprintf(name, sizeof name, "v%zu", slot);
    else
        std::snprintf(name, sizeof name, "%c%02zu", kind == StreamKind::Audio ? 'a' : 's', slot);
    return name;
}

bool isStreamName(std::string_view name) {
    if (name.size() < 2 || name.find_first_not_of("0123456789", 1) != std::string_view::npos) return false;
    const int k = std::atoi(std::string(name.substr(1)).c_str());
    return (name[0] == 'v' && name.size() == 2 && k < kUsedVideoSlots) ||
           (name[0] == 'a' && name.size() == 3 && k < kAudioSlots) ||
           (name[0] == 's' && name.size() == 3 && k < kSubSlots);
}

namespace {

// Name and language as a disc title's navigation lists the stream: "English", "German
// (Commentary)", "English (Forced)"; the coding's name without a language. An HD DVD track is
// named by its playlist's description, where it has one.
void nameFrom(TrackMetadata& m, const TitleTrack& listed, const std::string& codec, TitleOrigin origin) {
    if (!listed.language.empty()) m.language = listed.language;
    m.forced = listed.forced;
    if (origin == TitleOrigin::HdDvdPlaylist && !listed.name.empty()) {
        m.name = listed.name;
        return;
    }
    const OcrLanguage* language = languageOf(listed.language);
    m.name = language ? language->name : codec;
    if (listed.commentary) m.name += m.name.empty() ? "Commentary" : " (Commentary)";
    if (listed.forced) m.name += m.name.empty() ? "Forced" : " (Forced)";
}

}  // namespace

TrackMetadata listedMetadata(const PlaylistTitle& playlist, const Title& title, StreamKind kind, size_t slot,
                             const std::string& codec, std::string* unreadLangcode) {
    TrackMetadata m;
    if (kind == StreamKind::Video) return m;
    const PlaylistStream& p = kind == StreamKind::Audio ? playlist.audio[slot] : playlist.sub[slot];
    if (!p.listed) {
        m.name = codec;
    } else {
        m.name = decodeXmlText(p.description);
        m.forced = kind == StreamKind::Subpicture && p.forced;
        if (!p.language.empty())
            m.language = p.language;
        else if (!p.langcode.empty() && p.langcode != "*" && unreadLangcode)
            *unreadLangcode = p.langcode;
    }
    if (const TitleTrack* listed = titleTrack(title, kind, slot)) nameFrom(m, *listed, codec, title.origin);
    if (kind == StreamKind::Audio) m.forced = false;
    return m;
}

TrackMetadata effectiveMetadata(TrackMetadata m, const TrackEdits& edits, const std::string& stream) {
    for (const auto& [named, edit] : edits)
        if (!stream.empty() && named[0] == stream[0] && edit.defaultTrack.value_or(false))
            m.defaultTrack = false;
    const auto found = edits.find(stream);
    if (found == edits.end()) return m;
    const TrackEdit& edit = found->second;
    if (edit.name) m.name = *edit.name;
    if (edit.language) m.language = *edit.language;
    if (edit.defaultTrack) m.defaultTrack = *edit.defaultTrack;
    if (edit.forced) m.forced = *edit.forced;
    return m;
}

bool validTrackLanguage(std::string_view code) {
    // A primary subtag of two or three letters, then subtags of one to eight letters or digits.
    const auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
    const auto isAlnum = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    size_t at = 0;
    while (at < code.size() && isLower(code[at])) ++at;
    if (at < 2 || at > 3) return false;
    while (at < code.size()) {
        if (code[at++] != '-') return false;
        const size_t start = at;
        while (at < code.size() && isAlnum(code[at])) ++at;
        if (at == start || at - start > 8) return false;
    }
    return true;
}

std::string addTrackEdit(const std::string& flag, const std::string& value, TrackEdits& edits) {
    const size_t equals = value.find('=');
    const std::string track = value.substr(0, equals);
    const std::optional<std::string> given =
        equals == std::string::npos ? std::nullopt : std::optional(value.substr(equals + 1));
    if (!isStreamName(track))
        return "option " + flag + " names a track as v0 v1 a00..a15 s00..s31, not \"" + track + "\"";
    TrackEdit& edit = edits[track];
    if (flag == "--track-name") {
        if (!given) return "option --track-name takes TRACK=NAME";
        edit.name = *given;
    } else if (flag == "--language") {
        if (!given || !validTrackLanguage(*given))
            return "option --language takes TRACK=LANG, LANG an ISO 639 code such as eng, fre or de";
        edit.language = *given;
    } else {
        const bool on = !given || *given == "yes" || *given == "1";
        if (given && !on && *given != "no" && *given != "0")
            return "option " + flag + " takes TRACK, TRACK=yes or TRACK=no";
        (flag == "--default" ? edit.defaultTrack : edit.forced) = on;
    }
    return {};
}

}  // namespace quarnel
