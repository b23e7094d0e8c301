// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/xpl_reader.h"

#include <array>
#include <map>
#include <vector>

#include "formats/disc/safe_name.h"
#include "formats/disc/title_time.h"
#include "formats/disc/xpl_attributes.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

enum Kind { kVideo, kAudio, kSub };
constexpr const char* kItemTags[] = {"VideoAttributeItem", "AudioAttributeItem", "SubpictureAttributeItem"};
constexpr const char* kStreamTags[] = {"<VIDEO ", "<AUDIO ", "<SUBTITLE "};
constexpr const char* kStreamNumberNames[] = {"track", "streamNumber", "streamNumber"};
constexpr const char* kKindNames[] = {"Video", "Audio", "Subtitle"};
constexpr int kSlots[] = {kVideoSlots, kAudioSlots, kSubSlots};
// A title's TrackNavigationList entries, which alone carry a track's language and forced flag.
constexpr const char* kNavigationTags[] = {"", "<AUDIOTRACK ", "<SUBTITLETRACK "};

// The TrackNavigationList lines of one title by kind and track number.
using TrackNavigation = std::array<std::map<int, std::string>, 3>;

// Per title of the tag list, in document order, its TrackNavigationList lines.
std::vector<TrackNavigation> trackNavigations(const std::vector<std::string>& tags) {
    std::vector<TrackNavigation> titles;
    for (const std::string& line : tags) {
        if (containsUpper(line, "<TITLE ")) titles.emplace_back();
        if (titles.empty()) continue;
        for (int kind : {kAudio, kSub})
            if (containsUpper(line, kNavigationTags[kind]))
                titles.back()[size_t(kind)].emplace(getattrint(line, "track"), line);
    }
    return titles;
}

// The reading's lookup destinations: a lookup that finds nothing leaves the value found last.
struct Lookups {
    std::string playlistName, timeBase, tickBase;
    std::array<std::string, 3> itemIndex, itemCodec;
    std::string audioChannels;
    std::string titleName, titleDuration;
    std::array<std::string, 3> description;
};

// Problems with numbers from the playlist, each kind logged once per reading.
struct Complaints {
    std::array<bool, 3> itemIndex{}, streamNumber{}, mediaAttr{};
};

}  // namespace

class PlaylistReader::Reading {
  public:
    Reading(PlaylistView& view, MessageLog& log) : v_(view), log_(log) {}

    // The attribute items that a completed tag line defines.
    void takeItems(const std::string& line) {
        if (line.find("Playlist") != std::string::npos) getattr(line, "displayName", d_.playlistName);
        if (line.find("TitleSet") != std::string::npos) {
            getattr(line, "timeBase", d_.timeBase);
            getattr(line, "tickBase", d_.tickBase);
        }
        for (int kind : {kVideo, kAudio, kSub}) {
            if (line.find(kItemTags[kind]) == std::string::npos) continue;
            getattr(line, "index", d_.itemIndex[kind]);
            getattr(line, "codec", d_.itemCodec[kind]);
            std::string entry = d_.itemCodec[kind];
            if (kind == kAudio) {
                getattr(line, "channels", d_.audioChannels);
                if (!d_.audioChannels.empty()) entry += "." + d_.audioChannels + "ch";
            }
            const int index = lenientNumber(d_.itemIndex[kind]);
            if (index < 1 || index > kAttributeEntries) {
                complain(c_.itemIndex[kind], std::string(kItemTags[kind]) + " index " +
                                                 std::to_string(index) +
                                                 " ignored: items are numbered 1 to 8.");
                continue;
            }
            table(kind)[size_t(index - 1)] = entry;
        }
    }

    // The title and its tree from the tag list.
    void scanTitle() {
        PlaylistView& v = v_;
        v.tree.clear();
        for (const char* node : kXplTreeNodes) v.tree.push_back({node, {}});
        auto& info = v.tree[kInfoNode].children;
        if (!d_.playlistName.empty()) info.push_back("Title: " + d_.playlistName);
        int chapter = 1;
        v.titles = 0;
        for (const std::string& line : v.tags) v.titles += containsUpper(line, "<TITLE ");
        const std::vector<TrackNavigation> navigations = trackNavigations(v.tags);
        size_t title = 0;
        for (const std::string& line : v.tags) {
            if (containsUpper(line, "<TITLE ")) {
                navigation_ = &navigations[title++];
                getattr(line, "displayName", d_.titleName);
                getattr(line, "titleDuration", d_.titleDuration);
                info.push_back("Name: " + d_.titleName);
                info.push_back("Duration: " + d_.titleDuration);
                if (v.titles > 1) v.tree[kChapterNode].children.push_back(d_.titleName + ":");
            }
            for (int kind : {kVideo, kAudio, kSub})
                if (containsUpper(line, kStreamTags[kind])) takeStream(line, kind);
            if (containsUpper(line, "<CHAPTER ")) takeChapter(line, chapter);
        }
        navigation_ = nullptr;
        v.title.name = d_.titleName;
        v.title.timeBase = d_.timeBase;
        v.title.duration = d_.titleDuration;
        info.push_back("TimeBase: " + d_.timeBase);
        info.push_back("TickBase: " + d_.tickBase);
    }

  private:
    PlaylistView& v_;
    MessageLog& log_;
    Lookups d_;
    Complaints c_;
    const TrackNavigation* navigation_ = nullptr;  // the title in hand's, while scanTitle runs

    std::array<std::string, kAttributeEntries>& table(int kind) {
        return kind == kVideo ? v_.videoAttr : kind == kAudio ? v_.audioAttr : v_.subAttr;
    }
    PlaylistStream& stream(int kind, int n) {
        return kind == kVideo   ? v_.title.video[size_t(n)]
               : kind == kAudio ? v_.title.audio[size_t(n)]
                                : v_.title.sub[size_t(n)];
    }

    void complain(bool& said, const std::string& text) {
        if (said) return;
        said = true;
        log_.log("[re]" + text + "[/re]");
    }

    void takeStream(const std::string& line, int kind) {
        const int n = getattrint(line, kStreamNumberNames[kind]) - 1;
        if (n < 0 || n >= kSlots[kind]) {
            complain(c_.streamNumber[kind], std::string(kKindNames[kind]) + " stream with " +
                                                kStreamNumberNames[kind] + " " + std::to_string(n + 1) +
                                                " ignored: streams are numbered 1 to " +
                                                std::to_string(kSlots[kind]) + ".");
            return;
        }
        PlaylistStream& stream = this->stream(kind, n);
        if (stream.listed) return;  // only the first element naming a stream counts
        const int media = getattrint(line, "mediaAttr");
        std::string codec;
        if (media >= 1 && media <= kAttributeEntries) {
            codec = table(kind)[size_t(media - 1)];
        } else {
            complain(c_.mediaAttr[kind], std::string(kKindNames[kind]) + " stream " + std::to_string(n + 1) +
                                             " names mediaAttr " + std::to_string(media) +
                                             ", outside 1 to 8: its coding is not named.");
        }
        stream = kind == kVideo ? PlaylistStream{.listed = true} : navigatedStream(line, kind);
        std::string name;
        if (kind == kVideo) {
            name = safeNamePart(codec + ".s" + std::to_string(n));
        } else {
            getattr(line, "description", d_.description[kind]);
            name = safeNamePart(codec + ".s" + zeropad(n, 2) + "." + d_.description[kind]);
        }
        stream.name = name;
        v_.tree[size_t(kVideoNode + kind)].children.push_back(name);
        log_.log(name + " found!");
    }

    // An audio or subtitle element with the language, code extension and forced flag of its
    // track in the title's TrackNavigationList (none there: unknown), and its own description.
    PlaylistStream navigatedStream(const std::string& line, int kind) const {
        PlaylistStream stream{.listed = true};
        if (navigation_) {
            const auto& tracks = (*navigation_)[size_t(kind)];
            if (const auto it = tracks.find(getattrint(line, "track")); it != tracks.end()) {
                stream = playlistStreamOf(it->second);
                std::string forced;
                getattr(it->second, "forced", forced);
                stream.forced = forced == "true";
            }
        }
        stream.description.clear();
        getattr(line, "description", stream.description);
        if (kind == kSub) stream.forced = stream.forced || stream.codeExtension == kForcedCaptionExtension;
        return stream;
    }

    // A chapter takes only its own values: one without a start time cannot be placed and is
    // left out of the chapter list; one without a name gets an empty name.
    void takeChapter(const std::string& line, int& chapter) {
        std::string name, begin;
        getattr(line, "displayName", name);
        getattr(line, "titleTimeBegin", begin);
        if (begin.empty()) {
            log_.log("[re]Chapter \"" + name +
                     "\" has no titleTimeBegin: left out of the chapter list.[/re]");
            return;
        }
        // Under their title's name when the playlist's titles are all listed.
        v_.tree[kChapterNode].children.push_back((v_.titles > 1 ? "  " : "") + begin + ": " + name);
        v_.title.chapters.push_back({begin, name});
        const std::string number = zeropad(chapter, 2);
        v_.chapters.push_back("CHAPTER" + number + "=" + chapterTime(begin, d_.timeBase));
        v_.chapters.push_back("CHAPTER" + number + "NAME=" + name);
        ++chapter;
    }
};

PlaylistReader::PlaylistReader(PlaylistView& view, MessageLog& log)
    : reading_(std::make_unique<Reading>(view, log)) {}
PlaylistReader::~PlaylistReader() = default;
void PlaylistReader::takeItems(const std::string& line) {
    reading_->takeItems(line);
}
void PlaylistReader::scanTitle() {
    reading_->scanTitle();
}

}  // namespace quarnel
