// The Demux run: one output file per ticked box, then every file of the source sequence
// through the demux pass, appending each ticked stream's payload to its file.
#include <string>
#include <vector>

#include "io/file_sequence.h"
#include "runs/run_guard.h"
#include "app/main_model.h"

namespace quarnel {
namespace {

constexpr int kMaxSequenceFiles = 100;  // a sequence counts by single digits; this only bounds loops

// The source file and the files that follow it, as the sequence loop will meet them.
std::vector<std::string> sequenceFrom(const std::string& first, bool follow) {
    std::vector<std::string> files{first};
    while (follow && int(files.size()) < kMaxSequenceFiles) {
        std::string next = getnext(files.back());
        if (next.empty()) break;
        files.push_back(std::move(next));
    }
    return files;
}

}  // namespace

void MainModel::bDemuxClick() {
    if (runActive_) return;
    RunGuard guard(runActive_);
    lastError_.clear();
    buttons.bDemux = buttons.bRebuild = false;
    const Buttons before = buttons;
    buttons.bReadEVO = buttons.bReadXPL = buttons.bReadVTI = buttons.bbEVO = buttons.bbXPL = false;
    host_.showPage(Page::Status);
    run.endPtmSum = 0;
    resetFrameCounting();
    run.videoDurationSum = 0;
    evoBaseName = CutExt(evoFileName);
    std::string file = eEVOfile;
    run.busy = true;
    if (opt.cbContinue && !getnext(file).empty()) evoBaseName += "_MERGED";
    const std::string base = outputBase();

    try {
        const std::vector<std::string> sources = sequenceFrom(file, opt.cbContinue);
        const auto create = [&](OutputFile& out, const StreamBox& box, const std::string& ext) {
            if (!box.ticked) return;
            const std::string name = base + "." + box.caption + "." + ext;
            for (const auto& source : sources)
                if (sameFile(name, source))
                    throw QuarnelError("Cannot create file \"" + name +
                                       "\". It is a source file of this run and is left as it is.");
            out.create(name);
            log.log("Creating " + name);
        };
        for (int k = 0; k < kUsedVideoBoxes; ++k) create(videoOut_[k], boxes.video[k], opt.eVideoExt);
        for (int k = 0; k < kAudioBoxes; ++k) create(audioOut_[k], boxes.audio[k], opt.eAudioExt);
        for (int k = 0; k < kSubBoxes; ++k) create(subOut_[k], boxes.sub[k], opt.eSubExt);

        for (;;) {
            log.log("Opening file [b]" + nameOf(file) + "[/b]");
            log.slog("Opening", 0);
            currentFile_ = file;
            input_.open(file);
            log.log("File size: " + std::to_string(input_.size() / 1048576) + " Mbytes.");
            log.log("Demuxing " + nameOf(file));
            log.slog("Demuxing " + nameOf(file), 0);
            demux(1);
            file = getnext(file);
            if (file.empty() || !opt.cbContinue || run.cancel) break;
        }
        // Closing writes what is still buffered: a full disk shows here too.
        for (auto& o : videoOut_) o.close();
        for (auto& o : audioOut_) o.close();
        for (auto& o : subOut_) o.close();
    } catch (const std::exception& e) {
        lastError_ = e.what();
        log.log("[re]" + lastError_ + "[/re]");
    }
    input_.close();
    closeOutputs();

    logDone();
    statusReady();
    logframes(false);
    restoreStartButtons(before);
    run.busy = false;
}

}  // namespace quarnel
