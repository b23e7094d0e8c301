// SPDX-License-Identifier: GPL-3.0-or-later
// The Read run: every file of the source sequence through the analysis pass, then the stream
// boxes for the streams found, "Done." and the frame report.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "runs/operations.h"
#include "runs/pack_pass.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

// Each slot that holds a stream gets its box enabled and ticked, captioned with the stream's
// kind and the slot number in `digits` digits.
template <size_t N>
void offerStreams(std::array<StreamBox, N>& boxes, const int32_t* ids, size_t count, StreamKind kind,
                  int digits, bool aob) {
    for (size_t k = 0; k < count; ++k) {
        StreamBox& box = boxes[k];
        box.enabled = ids[k] > -1;
        box.ticked = box.enabled;
        if (!box.ticked) continue;
        const std::string name = captionOf(kind, ids[k], aob);
        if (name.empty()) continue;
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".%0*zu", digits, k);
        box.caption = name + suffix;
    }
}

class ReadRun {
  public:
    // The pass counts frames in every video byte: copied views put them in the cache first.
    ReadRun(Session& session, Host& host) : s_(session), host_(host), log_(host), frames_(session.run) {
        input_.setViewAccess(ViewAccess::Copied);
    }

    // True when the run read every file it was to read.
    bool run() {
        s_.lastError.clear();
        if (s_.options.autoClear) log_.clear();
        Buttons& b = s_.buttons;
        b.readSource = false;
        const bool readPlaylistWasEnabled = b.readPlaylist;
        b.readPlaylist = b.demux = b.rebuild = b.chooseSource = b.choosePlaylist = false;
        b.readVti = false;
        s_.resetBoxes();
        s_.table.reset();  // the streams of every file of the source, each slot its first
        host_.showPage(Page::Status);
        frames_.reset();
        s_.run.earliestFirstPts = kNoPts;
        s_.run.firstPtm = 0;
        s_.run.fastCheckCut = false;
        s_.run.aobLpcm = {};
        s_.run.videoReading = {};
        s_.run.audioReading = {};
        s_.run.subReading = {};
        s_.run.navigation.clear();
        s_.run.endPtmSum = 0;  // the sum of this run's end PTMs, which a Rebuild takes over
        s_.run.videoDurationSum = 0;
        s_.baseName = outputBaseName(s_.sourcePath, s_.options.continueSequence);

        const auto restoreButtons = [&] {
            b.readSource = b.chooseSource = b.choosePlaylist = b.readVti = true;
            b.readPlaylist = readPlaylistWasEnabled;
            s_.updateRunButtons();
        };
        std::string next;
        try {
            const PassInput in{s_, host_, log_, input_, frames_, nullptr};
            const Opening opening{.dotFirst = s_.options.details, .statusOpening = false};
            next = forEachSourceFile(s_, log_, input_, s_.sourcePath, opening, [&](const std::string& file) {
                log_.log("Reading...");
                log_.slog("Reading " + nameOf(file) + " ", 0);
                log_.log(fileSizeLine(input_.size()));
                passOverFile(Pass::Analyse, in);
            });
        } catch (const std::exception& e) {
            input_.close();
            s_.lastError = e.what();
            statusReady(log_);
            restoreButtons();
            host_.showError(s_.lastError);
            return false;
        }
        input_.close();
        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
            statusReady(log_);
            restoreButtons();
            return false;
        }
        s_.tableFromPlaylist = false;
        // A source without a single stream (an empty file, text, noise) is not read "Done.".
        const auto found = [](const auto& slots) {
            return std::ranges::any_of(slots, [](int32_t id) { return id >= 0; });
        };
        if (!s_.run.cancel && !s_.run.fastCheckCut && !found(s_.table.video) && !found(s_.table.audio) &&
            !found(s_.table.sub)) {
            s_.lastError = "No streams found in " + nameOf(s_.sourcePath) + ".";
            statusReady(log_);
            restoreButtons();
            host_.showError(s_.lastError);
            return false;
        }

        const bool aob = upperExtension(s_.sourcePath) == ".AOB";
        offerStreams(s_.boxes.video, s_.table.video.data(), kUsedVideoBoxes, StreamKind::Video, 1, aob);
        offerStreams(s_.boxes.audio, s_.table.audio.data(), kAudioBoxes, StreamKind::Audio, 2, aob);
        offerStreams(s_.boxes.sub, s_.table.sub.data(), kSubBoxes, StreamKind::Subpicture, 2, aob);
        if (aob) readTracks(s_.sourcePath, log_);

        logDone(log_);
        statusReady(log_);
        reportFrames(s_.run, log_, next == s_.sourcePath);
        restoreButtons();
        return true;
    }

  private:
    Session& s_;
    Host& host_;
    MessageLog log_;
    FrameCounter frames_;
    InputFile input_;
};

}  // namespace

void read(Session& session, Host& host) {
    if (session.runActive) return;
    bool finished = false;
    {
        RunGuard guard(session.runActive);
        finished = ReadRun(session, host).run();
    }
    // A Read that was cancelled ends there: nothing follows it.
    if (!finished || session.run.cancel) return;
    if (session.options.autoProcess == AutoProcess::Demux) demux(session, host);
    if (session.options.autoProcess == AutoProcess::Rebuild) rebuild(session, host);
    if (session.options.readVti) readVtiAfterRead(session, host);
}

}  // namespace quarnel::runs
