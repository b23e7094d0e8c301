// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/hddvd_playlist.h"

#include <charconv>

#include "formats/disc/xml_elements.h"
#include "io/files.h"

namespace quarnel {
namespace {

int numberOf(const XmlElement& e, std::string_view name, int fallback) {
    const std::string* text = e.attribute(name);
    int value = fallback;
    if (!text || std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc())
        return fallback;
    return value;
}

std::string textOf(const XmlElement& e, std::string_view name) {
    const std::string* text = e.attribute(name);
    return text ? *text : std::string();
}

// The file name at the end of a clip's src ("file:///dvddisc/HVDVD_TS/FEATURE_1.MAP").
std::string fileNameOf(const std::string& src) {
    return src.substr(src.find_last_of('/') + 1);
}

void takeItem(std::vector<std::string>& codecs, const XmlElement& e) {
    const int index = numberOf(e, "index", 0);
    if (index < 1 || index > 64) return;
    if (codecs.size() < size_t(index)) codecs.resize(size_t(index));
    codecs[size_t(index - 1)] = textOf(e, "codec");
}

}  // namespace

std::string codecOf(const std::vector<std::string>& codecs, int index) {
    return index >= 1 && size_t(index) <= codecs.size() ? codecs[size_t(index - 1)] : std::string();
}

HdDvdPlaylist readHdDvdPlaylist(std::string_view text) {
    HdDvdPlaylist playlist;
    bool titleSet = false;
    HdDvdPlaylistTitle* title = nullptr;
    PlaylistClip* clip = nullptr;
    int titles = 0;
    const auto time = [&](const XmlElement& e, std::string_view name) {
        const std::string* expression = e.attribute(name);
        return expression ? titleTimeCounts(*expression, playlist.timeBase).value_or(0) : 0;
    };
    for (const XmlElement& e : xmlElements(text)) {
        const std::string& n = e.name;
        if (e.closing) {
            if (n == "Title" || n == "FirstPlayTitle") title = nullptr;
            if (n == "PrimaryAudioVideoClip") clip = nullptr;
            continue;
        }
        if (n == "VideoAttributeItem")
            takeItem(playlist.videoCodecs, e);
        else if (n == "AudioAttributeItem")
            takeItem(playlist.audioCodecs, e);
        else if (n == "SubpictureAttributeItem")
            takeItem(playlist.subtitleCodecs, e);
        else if (n == "TitleSet") {
            titleSet = true;
            playlist.timeBase = timeBaseOf(textOf(e, "timeBase")).value_or(TimeBase{});
        } else if (n == "Title" || n == "FirstPlayTitle") {
            HdDvdPlaylistTitle t;
            t.number = n == "Title" ? ++titles : 0;
            t.id = textOf(e, "id");
            t.name = textOf(e, "displayName");
            t.onEnd = textOf(e, "onEnd");
            t.duration = time(e, "titleDuration");
            playlist.titles.push_back(std::move(t));
            title = e.empty ? nullptr : &playlist.titles.back();
            clip = nullptr;
        } else if (!title) {
            continue;
        } else if (n == "PrimaryAudioVideoClip") {
            PlaylistClip c;
            c.map = fileNameOf(textOf(e, "src"));
            c.titleBegin = time(e, "titleTimeBegin");
            c.titleEnd = time(e, "titleTimeEnd");
            c.clipBegin = time(e, "clipTimeBegin");
            c.seamless = textOf(e, "seamless") == "true";
            title->clips.push_back(std::move(c));
            clip = e.empty ? nullptr : &title->clips.back();
        } else if (clip && (n == "Video" || n == "Audio" || n == "Subtitle")) {
            PlaylistClipStream s{numberOf(e, "track", 1), numberOf(e, "streamNumber", 1),
                                 numberOf(e, "angleNumber", 1), numberOf(e, "mediaAttr", 1),
                                 textOf(e, "description")};
            (n == "Video"   ? clip->video
             : n == "Audio" ? clip->audio
                            : clip->subtitles)
                .push_back(std::move(s));
        } else if (n == "TrackNavigationList") {
            title->trackNavigation = true;
        } else if (n == "AudioTrack" || n == "SubtitleTrack") {
            PlaylistTrackNavigation track{numberOf(e, "track", 0), textOf(e, "langcode"),
                                          textOf(e, "forced") == "true"};
            (n == "AudioTrack" ? title->audioTracks : title->subtitleTracks).push_back(std::move(track));
        } else if (n == "Chapter") {
            title->chapters.push_back({time(e, "titleTimeBegin"), textOf(e, "displayName")});
        }
    }
    if (!titleSet) throw QuarnelError("it holds no TitleSet");
    return playlist;
}

}  // namespace quarnel
