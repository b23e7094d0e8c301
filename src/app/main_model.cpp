#include "app/main_model.h"

#include "io/file_sequence.h"

namespace quarnel {
namespace {

constexpr const char* kEvoFolderName = "HVDVD_TS/";
constexpr const char* kXplFolderName = "ADV_OBJ/";
constexpr const char* kPlaylistName = "VPLST000.XPL";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

MainModel::MainModel(Host& host)
    : log(host),
      host_(host),
      buffer_(std::make_unique<uint8_t[]>(kReadBufferSize)),
      scan_(std::make_unique<ScanState>()) {
    resetFrameCounting();
    Resetcbs();
}

void MainModel::EVOadj() {
    buttons.bReadEVO = !eEVOfile.empty();
    evoFileName = nameOf(eEVOfile);
    evoBaseName = CutExt(evoFileName);
    evoDir = folderOf(eEVOfile);
    eXPLfile = kPlaylistName;
    if (endsWith(evoDir, kEvoFolderName)) {
        xplDir = evoDir.substr(0, evoDir.size() - 9) + kXplFolderName;
        xplFileName = kPlaylistName;
        eXPLfile = xplDir + xplFileName;
    }
    buttons.bReadXPL = !xplFileName.empty();
}

void MainModel::XPLadj() {
    xplFileName = nameOf(eXPLfile);
    xplDir = folderOf(eXPLfile);
    buttons.bReadXPL = !xplFileName.empty();
    if (endsWith(xplDir, kXplFolderName)) evoDir = xplDir.substr(0, xplDir.size() - 8) + kEvoFolderName;
}

void MainModel::Resetcbs() {
    const auto reset = [](auto& boxArray, const char* caption) {
        for (auto& b : boxArray) {
            b.enabled = false;
            b.ticked = false;
            b.caption = caption;
        }
    };
    reset(boxes.video, kNoVideoCaption);
    reset(boxes.audio, kNoAudioCaption);
    reset(boxes.sub, kNoSubCaption);
    cbVideoClick();
}

void MainModel::cbVideoClick() {
    buttons.bDemux = boxes.anyTicked();
    buttons.bRebuild = buttons.bDemux && upperExtension(eEVOfile) == ".EVO";
}

void MainModel::bCancelClick() {
    if (!run.busy) {
        run.cancel = true;
        return;
    }
    if (host_.askYesNo("Are you sure to stop demuxing?")) {
        run.cancel = true;
        log.log("Cancelled.");
    }
}

bool MainModel::FormCloseQuery() {
    if (!run.busy) {
        run.cancel = true;
        return true;
    }
    bCancelClick();
    return run.cancel;
}

void MainModel::resetFrameCounting() {
    run.countedFrames = {0, 0};
    frameWindow_.fill(0xFFFFFFFF);
}

std::string MainModel::outputBase() const {
    if (opt.eWorkdir.empty()) return evoBaseName;
    const bool hasSeparator = opt.eWorkdir.back() == kPathSeparator;
    return opt.eWorkdir + (hasSeparator ? "" : std::string(1, kPathSeparator)) + evoBaseName;
}

void MainModel::logDone() {
    log.log("Done.");
    log.log("");
}

void MainModel::statusReady() {
    log.slog("Ready", 0);
    log.slog("", 1);
}

void MainModel::restoreStartButtons(const Buttons& before) {
    buttons.bReadEVO = before.bReadEVO;
    buttons.bReadXPL = before.bReadXPL;
    buttons.bReadVTI = before.bReadVTI;
    buttons.bbEVO = before.bbEVO;
    buttons.bbXPL = before.bbXPL;
    cbVideoClick();
}

void MainModel::closeOutputs() noexcept {
    for (auto& o : videoOut_) o.closeQuietly();
    for (auto& o : audioOut_) o.closeQuietly();
    for (auto& o : subOut_) o.closeQuietly();
}

}  // namespace quarnel
