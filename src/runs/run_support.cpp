// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/run_support.h"

#include <algorithm>
#include <filesystem>

#include "formats/disc/dvd_ifo.h"
#include "formats/disc/vti_file.h"
#include "io/run_owner.h"
#include "report/text_format.h"

namespace quarnel {

std::optional<std::vector<AtsTitle>> readTracks(const std::string& source, MessageLog& log) {
    const std::string ifo = atsIfoBeside(source);
    if (ifo.empty() || !fileExists(ifo)) {
        log.log("No track list: there is no ATS_nn_0.IFO beside the source; a Demux writes whole streams.");
        return std::nullopt;
    }
    std::vector<AtsTitle> titles;
    try {
        titles = readAtsIfo(ifo);
    } catch (const QuarnelError& e) {
        log.log("[re]No track list: " + nameOf(ifo) + " cannot be read (" + e.what() +
                "); a Demux writes whole streams.[/re]");
        return std::nullopt;
    }
    log.log("Tracks of " + nameOf(ifo) + ":");
    reportAtsTitles(titles, log);
    return titles;
}

void logDone(MessageLog& log) {
    log.log("Done.");
    log.log("");
}

void statusReady(MessageLog& log) {
    log.slog("Ready", 0);
    log.slog("", 1);
}

void logError(MessageLog& log, const std::string& error) {
    log.log("[er]" + error + "[/er]");
}

void reportFailure(const RunState& state, Host& host) {
    if (state.lastError.empty() || state.run.interrupted || state.run.cancel) return;
    MessageLog log(host);
    log.slog("Failed", 0);
    log.slog(state.lastError, 1);
    host.showError(state.lastError);
}

bool settleExisting(PendingOutputs& pending, std::vector<std::string>& written, RunState& state, Host& host,
                    const Options& options) {
    if (!options.askBeforeReplacing) return true;
    const std::vector<std::string> there = pending.existingFinals();
    if (there.empty()) return true;
    const std::string others = there.size() == 1 ? "" : " and " + std::to_string(there.size() - 1) + " more";
    const size_t answer =
        host.askChoice(nameOf(there.front()) + others + " already there in " + folderOf(there.front()) +
                           ". Replace what is there, keep both (the new ones numbered), or write nothing?",
                       {"Replace", "Keep both", "Cancel"});
    MessageLog log(host);
    if (answer == 1) {
        for (const auto& [before, after] : pending.keepBoth()) {
            std::replace(written.begin(), written.end(), before, after);
            log.log("Written as " + nameOf(after) + " beside " + nameOf(before));
        }
    } else if (answer != 0) {
        pending.discard();
        state.run.cancel = true;
        log.log("Nothing written: the outputs already there are kept.");
        return false;
    }
    return true;
}

void logInterrupted(MessageLog& log) {
    log.log("Interrupted.");
}

std::vector<std::string> inputsOf(const Request& request) {
    const std::string& first = request.title.firstFile();
    std::vector<std::string> inputs = sequenceFrom(first, true);
    for (const TitlePart& part : request.title.parts) inputs.push_back(part.file);
    if (!request.playlistPath.empty()) inputs.push_back(request.playlistPath);
    inputs.push_back(folderOf(first) + kVtiFileName);
    if (std::string ifo = ifoBeside(first); !ifo.empty()) inputs.push_back(std::move(ifo));
    return inputs;
}

void refuseInput(const std::string& output, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (fileExists(input) && sameFile(output, input))
            throw QuarnelError("Cannot create file \"" + output +
                               "\": it would replace a source file of this run (\"" + input +
                               "\"), which is left as it is. Choose another output folder.");
}

void settleOutputs(std::span<OutputFile* const> outputs, PendingOutputs& pending, const RunValues& run,
                   const Options& options, bool failed, MessageLog& log) {
    const bool keep = run.interrupted ? options.keepPartial : run.cancel && run.keepStopped && !failed;
    std::vector<std::string> kept;
    if (keep)
        kept = pending.keepPartial();
    else
        pending.discard();
    for (OutputFile* out : outputs) {
        if (!out->pending()) continue;
        if (keep && out->keepPartial())
            kept.push_back(out->path() + kPartialMark);
        else
            out->discard();
    }
    for (const std::string& name : kept) logKeptPartial(log, name);
}

void logKeptPartial(MessageLog& log, const std::string& name) {
    log.log("Kept what was written as " + name);
}

OutputLock claimOutputs(const std::string& outputBase, MessageLog& log) {
    const std::string folder = folderOf(outputBase);
    // A missing output folder is made, as the command line makes it; one that cannot be made
    // shows in the run's error on its first output.
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    const std::string base = nameOf(outputBase);
    // Where the outputs go, by its full path: an empty folder stands for the current one.
    std::string shown =
        std::filesystem::absolute(folder.empty() ? "." : folder, ec).lexically_normal().string();
    while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    log.log("Output folder: " + shown);
    OutputLock lock(folder, base);
    for (const std::string& name : removeStaleTemporaries(folder, base))
        log.log("Removed " + name + ", left by a run that was stopped.");
    return lock;
}

std::string partText(const TitlePart& part) {
    if (!part.firstByte && !part.endByte) return {};
    std::string text = " from sector " + std::to_string(part.firstByte.value_or(0) / kPackBytes);
    if (part.endByte) text += " to " + std::to_string(*part.endByte / kPackBytes - 1);
    return text;
}

std::string fileSizeLine(const InputFile& input) {
    return "File size: " + std::to_string((input.size() - std::min(input.position(), input.size())) / kMiB) +
           " Mbytes.";
}

Progress::Progress(MessageLog& log, Host& host, std::string prefix, uint64_t size, const ProgressSpan& span,
                   uint64_t start)
    : log_(log), host_(host), prefix_(std::move(prefix)), size_(size), span_(span), start_(start) {
    if (span_.total == 0) span_.started = std::chrono::steady_clock::now();
}

void Progress::at(uint64_t position) {
    if (position % kProgressStep != 0) return;
    const uint64_t inFile = position - std::min(position, start_);
    const uint64_t done = span_.total > 0 ? span_.before + inFile : position;
    const uint64_t total = span_.total > 0 ? std::max(span_.total, done) : size_;
    const double share = total > 0 ? double(done) / double(total) : 0.0;
    const double bar = span_.bar(share);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - span_.started).count();
    const double remaining = bar > 0 ? elapsed * (1.0 / bar - 1.0) + 1.0 : 0.0;
    log_.slog(prefix_ + std::to_string(done / kMiB) + "/" + std::to_string(total / kMiB) +
                  " Mbytes, Remaining time: " + formatSpan(remaining),
              1);
    host_.setProgress(uint64_t(bar * 10000.0), 10000);
    host_.pumpEvents();
}

uint64_t partBytes(const TitlePart& part) {
    if (part.firstByte && part.endByte) return *part.endByte - std::min(*part.endByte, *part.firstByte);
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(part.file, ec);
    if (ec) return 0;
    return part.endByte ? std::min(size, *part.endByte) - std::min(size, part.firstByte.value_or(0))
                        : size - std::min(size, part.firstByte.value_or(0));
}

}  // namespace quarnel
