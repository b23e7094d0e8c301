// SPDX-License-Identifier: GPL-3.0-or-later
// The Read run: every part of the title through the analysis pass, then "Done." and the frame
// report; the stream table it leaves is the title's.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "runs/pack_pass.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

// The streams the disc's navigation lists for the title take their slots too: a stream that
// starts after what a fast check read, or that has no packet in the parts read, still gets its
// box.
void addListedTracks(const Title& title, StreamTable& table) {
    for (const TitleTrack& t : title.tracks) {
        if (t.kind == StreamKind::Video) continue;
        const int32_t id = tableIdOf(t);
        const StreamKindEntry* entry = streamKindIn(t.kind, id);
        if (!entry) continue;
        const uint8_t at = entry->slotOf(uint8_t(id));
        int32_t& slot = t.kind == StreamKind::Audio ? table.audio[at] : table.sub[at];
        if (slot == -1) slot = id;
    }
}

class ReadRun {
  public:
    // The pass counts frames in every video byte: copied views put them in the cache first.
    ReadRun(const Request& request, RunState& state, Host& host)
        : req_(request), s_(state), host_(host), log_(host), frames_(state.run) {
        input_.setViewAccess(ViewAccess::Copied);
    }

    ReadOutcome run() {
        s_.lastError.clear();
        if (req_.options.autoClear) log_.clear();
        s_.table.reset();  // the streams of every file of the source, each slot its first
        host_.showPage(Page::Status);
        frames_.reset();
        s_.run.earliestFirstPts.reset();
        s_.run.firstPtm = 0;
        s_.run.fastCheckCut = false;
        s_.run.aobLpcm = {};
        s_.run.videoReading = {};
        s_.run.audioReading = {};
        s_.run.subReading = {};
        s_.run.navigation.clear();
        s_.run.endPtmSum = 0;  // the sum of this run's end PTMs, which a Rebuild takes over
        s_.run.videoDurationSum = 0;

        if (req_.title.origin == TitleOrigin::DvdProgramChain)
            log_.log("[b]" + req_.title.name + "[/b]: " + std::to_string(req_.title.parts.size()) +
                     (req_.title.parts.size() == 1 ? " part, " : " parts, ") +
                     formatSpanMs(req_.title.durationSeconds.value_or(0)));
        std::string next;
        try {
            const PassInput in{req_, s_, host_, log_, input_, frames_, nullptr};
            const Opening opening{.dotFirst = req_.options.details, .statusOpening = false};
            next = forEachSourceFile(req_.title, req_.options, s_.run, log_, input_, opening,
                                     [&](const std::string& file) {
                                         log_.log("Reading...");
                                         log_.slog("Reading " + nameOf(file) + " ", 0);
                                         log_.log(fileSizeLine(input_));
                                         passOverFile(Pass::Analyse, in);
                                     });
        } catch (const std::exception& e) {
            input_.close();
            s_.lastError = e.what();
            statusReady(log_);
            host_.showError(s_.lastError);
            return {};
        }
        input_.close();
        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
            statusReady(log_);
            return {};
        }
        // A source without a single stream (an empty file, text, noise) is not read "Done.".
        const auto found = [](const auto& slots) {
            return std::ranges::any_of(slots, [](int32_t id) { return id >= 0; });
        };
        if (!s_.run.cancel && !s_.run.fastCheckCut && !found(s_.table.video) && !found(s_.table.audio) &&
            !found(s_.table.sub)) {
            s_.lastError = "No streams found in " + nameOf(req_.title.firstFile()) + ".";
            statusReady(log_);
            host_.showError(s_.lastError);
            return {.readEveryFile = true};
        }

        if (req_.title.sourceExtension() == ".AOB") readTracks(req_.title.firstFile(), log_);
        addListedTracks(req_.title, s_.table);
        // A disc's title knows its length: its frames are calculated from it, not from the VOBs
        // its cells lie in.
        if (req_.title.origin == TitleOrigin::DvdProgramChain && req_.title.durationSeconds)
            s_.run.videoDurationSum = *req_.title.durationSeconds;

        logDone(log_);
        statusReady(log_);
        reportFrames(s_.run, log_, next == req_.title.firstFile());
        return {.readEveryFile = true, .finished = true};
    }

  private:
    const Request& req_;
    RunState& s_;
    Host& host_;
    MessageLog log_;
    FrameCounter frames_;
    InputFile input_;
};

}  // namespace

ReadOutcome readTitle(const Request& request, RunState& state, Host& host) {
    if (state.runActive) return {};
    RunGuard guard(state.runActive);
    return ReadRun(request, state, host).run();
}

}  // namespace quarnel::runs
