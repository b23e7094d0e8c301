// SPDX-License-Identifier: GPL-3.0-or-later
// What the runs share: the read buffer's size, the guard that keeps runs from nesting, the
// Cancel button while a run works, the closings every run ends with, progress in the status
// line, and the loop over the files of the source sequence.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/requests.h"
#include "app/run_state.h"
#include "formats/disc/ats_ifo.h"
#include "formats/ps/pack_layout.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "io/output_lock.h"
#include "io/pending_outputs.h"
#include "report/host.h"
#include "report/message_log.h"

namespace quarnel {

constexpr size_t kReadBufferSize = 262144;    // one read of the chunk loop
constexpr uint64_t kProgressStep = 0x400000;  // 4 MiB: progress and user events
constexpr uint64_t kMiB = 1048576;

// Loads the first byte of every pack that begins in [from, to), offsets from the start of
// `chunk`, past its end from `ahead` (the mapped bytes that follow it). A pass over a mapped
// input reads each pack's head ahead of need this way: one pack every 2048 bytes is too far
// apart for the processor to fetch them by itself, and loads issued side by side are all
// waited for where a prefetch hint that misses the address cache is often dropped.
struct PackHeadsAhead {
    std::span<const uint8_t> chunk, ahead;
    static constexpr size_t kDistance = size_t(128) << 10;  // how far ahead of the pass

    void load(size_t from, size_t to) const {
        uint8_t seen = 0;
        for (size_t at = from; at < to; at += kPackBytes) {
            if (at < chunk.size())
                seen ^= chunk[at];
            else if (at - chunk.size() < ahead.size())
                seen ^= ahead[at - chunk.size()];
        }
        asm volatile("" : : "r"(seen));  // the loads are made, though nothing uses their bytes
    }
};

// Marks a run as active for its lifetime, so that no second run starts inside it.
class RunGuard {
  public:
    explicit RunGuard(bool& active) : active_(active) { active_ = true; }
    ~RunGuard() { active_ = false; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

  private:
    bool& active_;
};

// Cancel can be pressed while one of these lives.
class CancelEnabled {
  public:
    explicit CancelEnabled(bool& enabled) : enabled_(enabled) { enabled_ = true; }
    ~CancelEnabled() { enabled_ = false; }
    CancelEnabled(const CancelEnabled&) = delete;
    CancelEnabled& operator=(const CancelEnabled&) = delete;

  private:
    bool& enabled_;
};

// "Done." and an empty line in the log.
void logDone(MessageLog& log);

// The titles and tracks of ATS_nn_0.IFO beside an AOB source; a missing or unreadable file is
// logged and gives nothing (a Demux then writes whole streams).
std::optional<std::vector<AtsTitle>> readTracks(const std::string& source, MessageLog& log);
// "Ready" in the status line's first panel, the second emptied.
void statusReady(MessageLog& log);

// The error that stopped a run, in the log as an error.
void logError(MessageLog& log, const std::string& error);
// A run that failed (not one a Cancel or a signal stopped) says so in the status line and
// shows its error.
void reportFailure(const RunState& state, Host& host);

// "Interrupted." in the log: a signal stopped the run; no "Done." follows.
void logInterrupted(MessageLog& log);

// The files a run reads: the source and the files that follow it, the playlist, the VTI file,
// a DVD title set's IFO.
std::vector<std::string> inputsOf(const Request& request);
// Raises when `output` is one of `inputs`: the same file, by device and inode, through a link
// too.
void refuseInput(const std::string& output, const std::vector<std::string>& inputs);

// The outputs of a run that did not put them in place (those still open, and those finished
// and waiting in `pending`): removed when it failed or was stopped, or kept as NAME.partial
// when a signal stopped it and the options say so, or when its Cancel chose to keep them (the
// log names each one kept). A run that ends well has put its outputs in place already; one
// that did not never leaves a file under a final name.
void settleOutputs(std::span<OutputFile* const> outputs, PendingOutputs& pending, const RunValues& run,
                   const Options& options, bool failed, MessageLog& log);

// Before a run puts what it wrote in place: when outputs of those names are there already and
// the user asked to be asked, "Replace", "Keep both" (the new ones as NAME (2).EXT, `written`
// renamed to match) or "Cancel" (returns false: nothing is put in place, and the run counts
// as cancelled).
bool settleExisting(PendingOutputs& pending, std::vector<std::string>& written, RunState& state, Host& host,
                    const Options& options);

// "Kept what was written as NAME.partial"
void logKeptPartial(MessageLog& log, const std::string& name);

// The claim of a run on its output names (OUTPUT_BASE = folder/base): the lock that keeps
// another run off them, taken before anything is written (the output folder made when it is
// missing), then what runs that were killed left under those names removed, with a log line
// for each. Raises "Another run is writing BASE." when another run holds them. The log names
// the folder by its full path.
OutputLock claimOutputs(const std::string& outputBase, MessageLog& log);

// "File size: N Mbytes." of the input just opened: the bytes from where it is read to its end
// (a stretch of a disc's file counts its own bytes).
std::string fileSizeLine(const InputFile& input);

// The second status panel every 4 MiB of a file: "PREFIXn/m Mbytes, Remaining time: h:mm:ss";
// then the host's pending events run (a Cancel click).
// With the run's span the figures are the whole run's: the parts before the file in hand
// counted, the bar filling the share of the pass in hand, the time left the run's.
class Progress {
  public:
    Progress(MessageLog& log, Host& host, std::string prefix, uint64_t size, const ProgressSpan& span = {},
             uint64_t start = 0);
    void at(uint64_t position);

  private:
    MessageLog& log_;
    Host& host_;
    std::string prefix_;
    uint64_t size_;
    ProgressSpan span_;
    uint64_t start_;  // where the file's stretch begins
};

// The bytes of each part of the title: its stretch, or its whole file.
uint64_t partBytes(const TitlePart& part);

// How a run opens each file: a "." line first (a detailed Read), "Opening" in the status line.
struct Opening {
    bool dotFirst = false;
    bool statusOpening = true;
};

// " from sector A to B" for a part that is a stretch of its file, "" for a whole file.
std::string partText(const TitlePart& part);

// Opens each part of the title in turn, while the options go on with the sequence and the run
// is not cancelled: "Opening file NAME" in the log, the file opened into `input`, then
// `body(file)`. Returns the name that would have come next ("" at the end of the title). A
// failure to open raises QuarnelError.
template <class Body>
std::string forEachSourceFile(const Title& title, const Options& options, RunValues& run, MessageLog& log,
                              InputFile& input, Opening opening, Body&& body) {
    // The bar runs once over every part, not once per file.
    run.progress.total = 0;
    for (const TitlePart& part : title.parts) run.progress.total += partBytes(part);
    run.progress.before = 0;
    if (run.progress.from == 0) run.progress.started = std::chrono::steady_clock::now();
    for (size_t k = 0; k < title.parts.size(); ++k) {
        const std::string& file = title.parts[k].file;
        if (opening.dotFirst) log.log(".");
        const TitlePart& part = title.parts[k];
        log.log("Opening file [b]" + nameOf(file) + "[/b]" + partText(part));
        if (opening.statusOpening) log.slog("Opening", 0);
        input.open(file);
        if (part.firstByte || part.endByte)
            input.narrow(part.firstByte.value_or(0), part.endByte.value_or(input.size()));
        body(file);
        run.progress.before += partBytes(part);
        const bool last = k + 1 == title.parts.size();
        if (last || !options.continueSequence || run.cancel)
            return !last ? title.parts[k + 1].file : options.continueSequence ? "" : nextInSequence(file);
    }
    return {};
}

}  // namespace quarnel
