// SPDX-License-Identifier: GPL-3.0-or-later
// The Rebuild run: one new EVO holding only the streams asked for, written from the parts of
// the title in turn.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "formats/ps/pack_rewriter.h"
#include "io/write_queue.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

constexpr const char* kRebuiltSuffix = ".rebuilt.EVO";
static_assert(kReadBufferSize % kPackBytes == 0, "reads hold whole packs");
// The pack heads ahead are loaded this many bytes at a time.
constexpr size_t kHeadsStep = size_t(16) << 10;

// The stream table's streams, each marked when it is asked for.
RebuildSelection selectionOf(const StreamTable& table, const ChosenSlots& chosen, bool keepAdvanced) {
    RebuildSelection s;
    for (size_t k = 0; k < s.video.size(); ++k) {
        s.video[k] = table.video[k];
        s.videoTicked[k] = k < chosen.video.size() && chosen.video[k];
    }
    for (size_t k = 0; k < s.audio.size(); ++k) {
        s.audio[k] = table.audio[k];
        s.audioTicked[k] = chosen.audio[k];
    }
    for (size_t k = 0; k < s.sub.size(); ++k) {
        s.sub[k] = table.sub[k];
        s.subTicked[k] = chosen.sub[k];
    }
    s.keepAdvanced = keepAdvanced;
    return s;
}

// Why a rebuild cannot start, or "" when it can.
std::string refusal(const Request& r) {
    if (r.streamsFromPlaylist)
        return "The stream boxes come from the playlist, not from the source file. Read the EVO file "
               "before rebuilding it.";
    if (r.title.sourceExtension() != ".EVO") return "Only EVO files can be rebuilt.";
    if (r.streams.empty()) return "No stream is ticked: there is nothing to rebuild.";
    return {};
}

class RebuildRun {
  public:
    RebuildRun(const Request& request, RunState& state, Host& host)
        : req_(request), s_(state), host_(host), log_(host) {}

    void run() {
        if (s_.runActive) return;
        RunGuard guard(s_.runActive);
        s_.lastError.clear();
        if (std::string why = refusal(req_); !why.empty()) {
            s_.lastError = std::move(why);
            host_.showError(s_.lastError);
            return;
        }

        host_.showPage(Page::Status);
        s_.run.busy = "Rebuild";
        s_.run.outputsWritten.clear();
        savedEndPtmSum_ = s_.run.endPtmSum;
        s_.run.endPtmSum = 0;  // from here on: the time-stamp offset of the file in hand
        const std::string outName = req_.outputBase() + kRebuiltSuffix;
        selection_ = selectionOf(s_.table, req_.chosenSlots(), req_.options.keepAdvancedPacks);

        WriteQueue queue;  // outlives the output written through it
        OutputFile out;
        PendingOutputs pending;
        bool failed = false;
        try {
            const OutputLock lock = claimOutputs(req_.outputBase(), log_);
            refuseInput(outName, inputsOf(req_));
            out.create(outName, &queue);
            log_.log("Creating " + outName);
            forEachSourceFile(req_.title, req_.options, s_.run, log_, input_, Opening{},
                              [&](const std::string& file) {
                                  log_.log(fileSizeLine(input_));
                                  log_.log("Rebuilding...");
                                  log_.slog("Rebuilding " + nameOf(file), 0);
                                  rebuildFile(out, nameOf(file));
                                  input_.close();
                              });
            if (!s_.run.interrupted && !s_.run.cancel) {
                out.commit();
                std::vector<std::string> written{outName};
                if (settleExisting(pending, written, s_, host_, req_.options)) {
                    pending.commit();
                    s_.run.outputsWritten = written;
                }
            }
        } catch (const std::exception& e) {
            failed = true;
            s_.lastError = e.what();
            input_.close();
        }
        OutputFile* const outputs[] = {&out};
        settleOutputs(outputs, pending, s_.run, req_.options, failed, log_);

        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
        } else if (!failed && !s_.run.cancel) {
            logDone(log_);
        }
        // The end PTM sum goes back to what the Read run left, so that every Rebuild after it,
        // whole, cancelled or of the first file only, starts from the same sum.
        s_.run.endPtmSum = savedEndPtmSum_;
        statusReady(log_);
        s_.run.busy = nullptr;
        if (failed) host_.showError(s_.lastError);
    }

  private:
    const Request& req_;
    RunState& s_;
    Host& host_;
    MessageLog log_;
    InputFile input_;
    RebuildSelection selection_;
    Renumbering numbers_;          // handed out at the first navigation pack, kept for every file
    uint32_t savedEndPtmSum_ = 0;  // the Read's sum of end PTMs

    // Copies the open source file pack by pack to the output, as the rewriter decides, and
    // moves the end PTM sum on by the file's end PTM.
    void rebuildFile(OutputFile& out, const std::string& name) {
        RunValues& run = s_.run;
        CancelEnabled cancelEnabled(s_.cancelEnabled);
        run.cancel = run.interrupted;
        PackTimes times;
        times.firstPtm = run.firstPtm;
        times.endPtm = req_.options.adjustPts ? savedEndPtmSum_ : run.lastEndPtm;
        // The file's own end PTM moves the files after it on; a file without a DSI in its first
        // pack falls back on the end PTM of the last file read.
        uint32_t fileEndPtm = run.lastEndPtm;
        Progress progress(log_, host_, "Rebuilding " + name + " ", input_.size());

        const uint64_t size = input_.size();
        bool firstPack = true;
        std::array<uint8_t, kPackBytes> pack;  // the pack being rewritten: the input is only read
        while (input_.position() < size && !run.cancel) {
            const std::span<const uint8_t> chunk = input_.view(kReadBufferSize);
            if (chunk.empty()) break;  // the file is shorter than when it was opened
            if (chunk.data() == input_.window()->bytes().data()) out.settle();  // a new window
            const size_t n = chunk.size();
            // Copies into `pack` what the rewriter may read: a navigation pack whole, any other
            // only its head. A short last pack: the rest of its room is zeroed so that nothing
            // stale is read.
            const auto take = [&](std::span<const uint8_t> original) {
                const size_t have = original.size();
                const bool whole = have < kPackBytes || original[pack_at::kStreamId] == kSystemHeaderId;
                const size_t copied = whole ? have : kRewrittenHeadBytes;
                std::copy_n(original.begin(), copied, pack.begin());
                if (have < kPackBytes) std::fill(pack.begin() + have, pack.end(), uint8_t(0));
                return copied;
            };
            if (firstPack) {
                firstPack = false;
                take(chunk.first(std::min(kPackBytes, n)));
                uint32_t fileStartPtm = 0;
                if (const auto dsi = dsiTimes(pack)) {
                    fileStartPtm = dsi->startPtm;
                    fileEndPtm = dsi->endPtm;
                }
                const uint32_t offset = run.endPtmSum;
                if (req_.options.adjustPts && offset > 0 && offset != fileStartPtm) times.ptsShift = offset;
            }
            const PackHeadsAhead heads{chunk, input_.mappedAhead(PackHeadsAhead::kDistance)};
            for (size_t at = 0; at < n; at += kPackBytes) {
                if (at % kHeadsStep == 0)
                    heads.load(at + PackHeadsAhead::kDistance, at + PackHeadsAhead::kDistance + kHeadsStep);
                const std::span<const uint8_t> original = chunk.subspan(at, std::min(kPackBytes, n - at));
                const size_t copied = take(original);
                if (!rewritePack(pack, selection_, numbers_, times)) continue;
                // What the rewriter left as it was is written from the input, uncopied.
                if (std::equal(original.begin(), original.begin() + copied, pack.begin())) {
                    out.write(original, input_.window());
                } else {
                    out.write({pack.data(), copied});
                    if (copied < original.size()) out.write(original.subspan(copied), input_.window());
                }
            }
            input_.checkViewWhole();
            progress.at(input_.position());
        }
        run.endPtmSum += fileEndPtm;
    }
};

}  // namespace

void rebuildTitle(const Request& request, RunState& state, Host& host) {
    RebuildRun(request, state, host).run();
}

}  // namespace quarnel::runs
