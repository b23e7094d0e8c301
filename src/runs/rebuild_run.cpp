// The Rebuild run: one new EVO holding only the ticked streams, written from the source file
// and, with "Continue with the next EVO", from the files that follow it.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "formats/pack_rewriter.h"
#include "io/file_sequence.h"
#include "runs/run_guard.h"
#include "app/main_model.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

constexpr uint64_t kMiB = 1048576;
constexpr int kMaxSequenceFiles = 100;  // a sequence counts by single digits; this only bounds loops
constexpr const char* kRebuiltSuffix = ".rebuilt.EVO";
static_assert(kReadBufferSize % kPackBytes == 0, "reads hold whole packs");

// The stream table's streams with their boxes' ticks.
RebuildSelection selectionOf(const StreamTable& table, const StreamBoxes& boxes, bool keepAdvanced) {
    RebuildSelection s;
    for (size_t k = 0; k < s.video.size(); ++k) {
        s.video[k] = table.video[k];
        s.videoTicked[k] = boxes.video[k].ticked;
    }
    for (size_t k = 0; k < s.audio.size(); ++k) {
        s.audio[k] = table.audio[k];
        s.audioTicked[k] = boxes.audio[k].ticked;
    }
    for (size_t k = 0; k < s.sub.size(); ++k) {
        s.sub[k] = table.sub[k];
        s.subTicked[k] = boxes.sub[k].ticked;
    }
    s.keepAdvanced = keepAdvanced;
    return s;
}

// Why a rebuild cannot start, or "" when it can.
std::string refusal(const MainModel& m) {
    if (m.tableFromPlaylist)
        return "The stream boxes come from the playlist, not from the source file. Read the EVO file "
               "before rebuilding it.";
    if (upperExtension(m.eEVOfile) != ".EVO") return "Only EVO files can be rebuilt.";
    if (!m.boxes.anyTicked()) return "No stream is ticked: there is nothing to rebuild.";
    return {};
}

// What one file's pass works with.
struct RebuildPass {
    InputFile& in;
    uint8_t* buffer;  // kReadBufferSize bytes
    OutputFile& out;
    MainModel& m;
    Host& host;
    const RebuildSelection& selection;
    Renumbering& numbers;
    uint32_t savedEndPtmSum;
    uint64_t& handedOver;  // bytes given to the output so far
};

// Copies the open source file pack by pack to the output, as the rewriter decides, and moves
// the end PTM sum on by the file's end PTM.
void Rebuild(const RebuildPass& pass, const std::string& name) {
    MainModel& m = pass.m;
    struct CancelButton {
        bool& enabled;
        explicit CancelButton(bool& e) : enabled(e) { enabled = true; }
        ~CancelButton() { enabled = false; }
    } cancelButton(m.buttons.bCancel);
    m.run.cancel = false;
    const auto started = std::chrono::steady_clock::now();

    PackTimes times;
    times.firstPtm = m.run.firstPtm;
    times.endPtm = m.opt.cbAdjustPTS ? pass.savedEndPtmSum : m.run.lastEndPtm;
    // The file's own end PTM moves the files after it on; a file without a DSI in its first
    // pack falls back on the end PTM of the last file read.
    uint32_t fileEndPtm = m.run.lastEndPtm;

    const uint64_t size = pass.in.size();
    bool firstPack = true;
    while (pass.in.position() < size && !m.run.cancel) {
        const size_t n = pass.in.read(pass.buffer, kReadBufferSize);
        if (n == 0) break;  // the file is shorter than when it was opened
        if (n % kPackBytes != 0) {
            // A short last pack: zero the rest of its room so that nothing stale is read.
            const size_t end = n - n % kPackBytes + kPackBytes;
            std::memset(pass.buffer + n, 0, end - n);
        }
        if (firstPack) {
            firstPack = false;
            uint32_t fileStartPtm = 0;
            if (const auto dsi = dsiTimes(std::span<const uint8_t, kPackBytes>(pass.buffer, kPackBytes))) {
                fileStartPtm = dsi->startPtm;
                fileEndPtm = dsi->endPtm;
            }
            const uint32_t offset = m.run.endPtmSum;
            if (m.opt.cbAdjustPTS && offset > 0 && offset != fileStartPtm) times.ptsShift = offset;
        }
        for (size_t at = 0; at < n; at += kPackBytes) {
            std::span<uint8_t, kPackBytes> pack(pass.buffer + at, kPackBytes);
            if (rewritePack(pack, pass.selection, pass.numbers, times)) {
                const size_t count = std::min(kPackBytes, n - at);
                pass.out.write({pass.buffer + at, count});
                pass.handedOver += count;
            }
        }
        const uint64_t pos = pass.in.position();
        if (pos % kProgressStep == 0) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const double remaining = elapsed * double(size) / double(pos) - elapsed + 1.0;
            m.log.slog("Rebuilding " + name + " " + std::to_string(pos / kMiB) + "/" +
                           std::to_string(size / kMiB) + " Mbytes, Remaining time: " + formatSpan(remaining),
                       1);
            pass.host.pumpEvents();
        }
    }
    m.run.endPtmSum += fileEndPtm;
}

// A failed write may leave part of a pack at the end of the output: cut it back to whole
// packs. A file that holds everything handed over to it (a short last pack of a source
// included) is left as it is.
void trimToWholePacks(const std::string& path, uint64_t handedOver) noexcept {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size != handedOver && size % kPackBytes != 0)
        std::filesystem::resize_file(path, size - size % kPackBytes, ec);
}

}  // namespace

void MainModel::bRebuildClick() {
    if (runActive_) return;
    RunGuard guard(runActive_);
    lastError_.clear();
    if (std::string why = refusal(*this); !why.empty()) {
        lastError_ = std::move(why);
        host_.showError(lastError_);
        return;
    }

    buttons.bDemux = buttons.bRebuild = false;
    const Buttons before = buttons;
    buttons.bReadEVO = buttons.bReadXPL = buttons.bReadVTI = buttons.bbEVO = buttons.bbXPL = false;
    host_.showPage(Page::Status);
    run.busy = true;
    Renumbering numbers;
    const uint32_t savedEndPtmSum = run.endPtmSum;
    run.endPtmSum = 0;  // from here on: the time-stamp offset of the file in hand
    evoBaseName = CutExt(evoFileName);
    std::string file = eEVOfile;
    if (opt.cbContinue && !getnext(file).empty()) evoBaseName += "_MERGED";
    const std::string outName = outputBase() + kRebuiltSuffix;
    const RebuildSelection selection = selectionOf(table, boxes, opt.cbRBAdvanced);

    OutputFile out;
    bool created = false;
    uint64_t handedOver = 0;
    try {
        // Creating the output empties it: it must not be the source or a file after it.
        std::string source = file;
        for (int k = 0; k < kMaxSequenceFiles && !source.empty(); ++k, source = getnext(source))
            if (sameFile(outName, source))
                throw QuarnelError(
                    "The rebuilt file \"" + outName +
                    "\" would replace a source file of this run. Choose another output folder.");
        out.create(outName);
        created = true;
        log.log("Creating " + outName);
        const RebuildPass pass{input_,  buffer_.get(),  out,       *this, host_, selection,
                               numbers, savedEndPtmSum, handedOver};
        for (;;) {
            log.log("Opening file [b]" + nameOf(file) + "[/b]");
            log.slog("Opening", 0);
            currentFile_ = file;
            input_.open(file);
            log.log("File size: " + std::to_string(input_.size() / kMiB) + " Mbytes.");
            log.log("Rebuilding...");
            log.slog("Rebuilding " + nameOf(file), 0);
            Rebuild(pass, nameOf(file));
            input_.close();
            file = getnext(file);
            if (file.empty() || !opt.cbContinue || run.cancel) break;
        }
        out.close();
    } catch (const std::exception& e) {
        lastError_ = e.what();
        input_.close();
        if (created) {
            out.closeQuietly();
            trimToWholePacks(outName, handedOver);
        }
    }

    if (lastError_.empty()) {
        logDone();
    }
    // The end PTM sum goes back to what the Read run left, so that every Rebuild after it,
    // whole, cancelled or of the first file only, starts from the same sum.
    run.endPtmSum = savedEndPtmSum;
    statusReady();
    restoreStartButtons(before);
    run.busy = false;
    if (!lastError_.empty()) host_.showError(lastError_);
}

}  // namespace quarnel
