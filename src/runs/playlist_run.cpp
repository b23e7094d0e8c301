// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist reader: VPLST000.XPL as a tag list, and the title that plays the current EVO
// file typed (its name, duration, streams and chapters), with its tree and chapter list.
#include <array>
#include <memory>
#include <string>

#include "formats/safe_name.h"
#include "formats/xpl_attributes.h"
#include "formats/xpl_tag_scan.h"
#include "formats/xpl_title.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

// A playlist is a few hundred kilobytes; anything far larger is not one, and its tag list
// would fill the memory.
constexpr uint64_t kMaxPlaylistSize = 64ull << 20;
// The tag list of a playlist is a few megabytes at most; nested or empty tags could make it far
// larger than the file (each line carries its indent).
constexpr uint64_t kMaxTagListBytes = 16ull << 20;
constexpr size_t kMaxTagLines = 1u << 20;

enum Kind { kVideo, kAudio, kSub };
constexpr const char* kItemTags[] = {"VideoAttributeItem", "AudioAttributeItem", "SubpictureAttributeItem"};
constexpr const char* kStreamTags[] = {"<VIDEO ", "<AUDIO ", "<SUBTITLE "};
constexpr const char* kStreamNumberNames[] = {"track", "streamNumber", "streamNumber"};
constexpr const char* kKindNames[] = {"Video", "Audio", "Subtitle"};
constexpr int kSlots[] = {kVideoSlots, kAudioSlots, kSubSlots};

// The run's lookup destinations: a lookup that finds nothing leaves the value found last.
struct Lookups {
    std::string playlistName, timeBase, tickBase;
    std::array<std::string, 3> itemIndex, itemCodec;
    std::string audioChannels;
    std::string titleName, titleDuration;
    std::array<std::string, 3> description;
};

// Problems with numbers from the playlist, each kind logged once per run.
struct Complaints {
    std::array<bool, 3> itemIndex{}, streamNumber{}, mediaAttr{};
};

class PlaylistRead {
  public:
    PlaylistRead(PlaylistView& view, MessageLog& log) : v_(view), log_(log) {}

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
        for (const std::string& line : v.tags) {
            if (containsUpper(line, "<TITLE ")) {
                getattr(line, "displayName", d_.titleName);
                getattr(line, "titleDuration", d_.titleDuration);
                info.push_back("Name: " + d_.titleName);
                info.push_back("Duration: " + d_.titleDuration);
            }
            for (int kind : {kVideo, kAudio, kSub})
                if (containsUpper(line, kStreamTags[kind])) takeStream(line, kind);
            if (containsUpper(line, "<CHAPTER ")) takeChapter(line, chapter);
        }
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
        stream = kind == kVideo ? PlaylistStream{.listed = true} : playlistStreamOf(line);
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
        v_.tree[kChapterNode].children.push_back(begin + ": " + name);
        v_.title.chapters.push_back({begin, name});
        const std::string number = zeropad(chapter, 2);
        v_.chapters.push_back("CHAPTER" + number + "=" + chapterTime(begin, d_.timeBase));
        v_.chapters.push_back("CHAPTER" + number + "NAME=" + name);
        ++chapter;
    }
};

class PlaylistRun {
  public:
    PlaylistRun(const PlaylistRequest& request, PlaylistView& view, RunState& state, Host& host)
        : req_(request), v_(view), s_(state), host_(host), log_(host) {}

    bool run() {
        if (s_.runActive) return false;
        RunGuard guard(s_.runActive);
        s_.lastError.clear();
        host_.showPage(Page::Xpl);

        PlaylistRead reader(v_, log_);
        try {
            readTags(reader);
        } catch (const std::exception& e) {
            input_.close();
            s_.lastError = e.what();
            statusReady(log_);
            host_.showError(s_.lastError);
            return false;
        }
        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
            statusReady(log_);
            return false;
        }
        trimToTitle(v_.tags, withoutExtension(nameOf(req_.sourcePath)));
        reader.scanTitle();

        logDone(log_);
        statusReady(log_);
        return true;
    }

  private:
    const PlaylistRequest& req_;
    PlaylistView& v_;
    RunState& s_;
    Host& host_;
    MessageLog log_;
    InputFile input_;

    // The playlist's tags into the tag list, and the attribute items they define.
    void readTags(PlaylistRead& reader) {
        PlaylistView& v = v_;
        const std::string& path = req_.playlistPath;
        input_.open(path);
        log_.log("Open " + nameOf(path));
        log_.log("Filesize: " + std::to_string(input_.size()) + " bytes");
        v.tags.clear();
        v.chapters.clear();
        v.title = {};
        if (input_.size() > kMaxPlaylistSize)
            throw QuarnelError("\"" + path + "\" is " + std::to_string(input_.size()) +
                               " bytes long, too long for a playlist.");
        const auto buffer = std::make_unique<uint8_t[]>(kReadBufferSize);
        TagScan scan;
        while (input_.position() < input_.size()) {
            const size_t got = input_.read(buffer.get(), kReadBufferSize);
            if (got == 0) break;
            const size_t before = v.tags.size();
            scanTags(scan, std::span<const uint8_t>(buffer.get(), got), v.tags);
            for (size_t k = before; k < v.tags.size(); ++k) reader.takeItems(v.tags[k]);
            if (v.tags.size() > kMaxTagLines || scan.listBytes + scan.line.size() > kMaxTagListBytes)
                throw QuarnelError("\"" + path + "\" nests its tags too deeply or holds too many of them " +
                                   "to be a playlist: its tag list would pass " +
                                   std::to_string(kMaxTagListBytes >> 20) + " MiB.");
            log_.slog(std::to_string(input_.position()) + "/" + std::to_string(input_.size()) + " bytes", 1);
            host_.pumpEvents();
            if (s_.run.interrupted) break;
        }
        input_.close();
    }
};

}  // namespace

bool readPlaylistInto(const PlaylistRequest& request, PlaylistView& view, RunState& state, Host& host) {
    return PlaylistRun(request, view, state, host).run();
}

}  // namespace quarnel::runs
