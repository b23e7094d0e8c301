// The Read run: every file of the source sequence through the analysis pass, then the stream
// boxes for the streams found, "Done." and the frame report.
#include <cstdio>
#include <string>

#include "io/file_sequence.h"
#include "runs/run_guard.h"
#include "formats/stream_names.h"
#include "app/main_model.h"

namespace quarnel {
namespace {

template <size_t N>
void offerStreams(std::array<StreamBox, N>& boxes, const int32_t* ids, size_t count,
                  void (*kindName)(int32_t, std::string&), int digits) {
    for (size_t k = 0; k < count; ++k) {
        StreamBox& box = boxes[k];
        box.enabled = ids[k] > -1;
        box.ticked = box.enabled;
        if (!box.ticked) continue;
        std::string name;
        kindName(ids[k], name);
        if (name.empty()) continue;
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".%0*zu", digits, k);
        box.caption = name + suffix;
    }
}

}  // namespace

void MainModel::bReadEVOClick() {
    if (runActive_) return;
    bool finished = false;
    {
        RunGuard guard(runActive_);
        finished = readRun();
    }
    if (!finished) return;
    if (opt.autoProcess == AutoProcess::Demux) bDemuxClick();
    if (opt.autoProcess == AutoProcess::Rebuild) bRebuildClick();
    if (opt.cbReadVTI) bReadVTIClick();
}

bool MainModel::readRun() {
    lastError_.clear();
    if (opt.cbAutoClear) log.clear();
    buttons.bReadEVO = false;
    const bool readXplWasEnabled = buttons.bReadXPL;
    buttons.bReadXPL = buttons.bDemux = buttons.bRebuild = buttons.bbEVO = buttons.bbXPL = false;
    buttons.bReadVTI = false;
    Resetcbs();
    host_.showPage(Page::Status);
    resetFrameCounting();
    run.earliestFirstPts = kNoPts;
    run.firstPtm = 0;
    run.endPtmSum = 0;  // the sum of this run's end PTMs, which a Rebuild takes over
    evoBaseName = CutExt(evoFileName);
    run.videoDurationSum = 0;
    std::string file = eEVOfile;
    if (opt.cbContinue && !getnext(file).empty()) evoBaseName += "_MERGED";

    const auto restoreButtons = [&] {
        buttons.bReadEVO = buttons.bbEVO = buttons.bbXPL = buttons.bReadVTI = true;
        buttons.bReadXPL = readXplWasEnabled;
        cbVideoClick();
    };
    try {
        for (;;) {
            if (opt.cbDetails) log.log(".");
            log.log("Opening file [b]" + nameOf(file) + "[/b]");
            currentFile_ = file;
            input_.open(file);
            log.log("Reading...");
            log.slog("Reading " + nameOf(file) + " ", 0);
            log.log("File size: " + std::to_string(input_.size() / 1048576) + " Mbytes.");
            demux(0);
            file = getnext(file);
            if (file.empty() || !opt.cbContinue || run.cancel) break;
        }
    } catch (const std::exception& e) {
        input_.close();
        lastError_ = e.what();
        statusReady();
        restoreButtons();
        host_.showError(lastError_);
        return false;
    }
    input_.close();
    tableFromPlaylist = false;

    offerStreams(boxes.video, table.video.data(), kUsedVideoBoxes, VideoKind, 1);
    offerStreams(boxes.audio, table.audio.data(), kAudioBoxes, AudioKind, 2);
    offerStreams(boxes.sub, table.sub.data(), kSubBoxes, SubpictureKind, 2);

    logDone();
    statusReady();
    logframes(file == eEVOfile);
    restoreButtons();
    return true;
}

}  // namespace quarnel
