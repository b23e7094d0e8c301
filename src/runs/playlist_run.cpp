// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist read: VPLST000.XPL into its tag list, narrowed to the title that plays the
// source, which the playlist reader then types.
#include <array>
#include <memory>
#include <string>

#include "formats/disc/xpl_reader.h"
#include "formats/disc/xpl_tag_scan.h"
#include "formats/disc/xpl_title.h"
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

class PlaylistRun {
  public:
    PlaylistRun(const PlaylistRequest& request, PlaylistView& view, RunState& state, Host& host)
        : req_(request), v_(view), s_(state), host_(host), log_(host) {}

    bool run() {
        if (s_.runActive) return false;
        RunGuard guard(s_.runActive);
        s_.lastError.clear();
        host_.showPage(Page::Xpl);

        PlaylistReader reader(v_, log_);
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
        v_.namesSource = req_.titleNumber ? trimToTitleNumber(v_.tags, *req_.titleNumber)
                                          : trimToTitle(v_.tags, withoutExtension(nameOf(req_.sourcePath)));
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
    void readTags(PlaylistReader& reader) {
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
