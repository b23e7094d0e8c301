// The chapter export: the playlist's chapter list as BASE.chapters.txt in the output folder,
// every line ended by CR LF.
#include <string>

#include "runs/run_guard.h"
#include "app/main_model.h"

namespace quarnel {

void MainModel::bWriteChapsClick() {
    if (runActive_) return;
    RunGuard guard(runActive_);
    lastError_.clear();
    buttons.bWriteChaps = false;
    OutputFile out;
    try {
        // The file is named after the EVO file; without one it would be a bare ".chapters.txt".
        if (evoBaseName.empty())
            throw QuarnelError(
                "No EVO file is chosen: the chapter file is named after it. Choose the EVO file first.");
        const std::string name = outputBase() + ".chapters.txt";
        out.create(name);
        for (const std::string& line : xpl.mChapter) {
            out.write(std::span(reinterpret_cast<const uint8_t*>(line.data()), line.size()));
            out.write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("\r\n"), 2));
        }
        out.close();
        log.log("Chapters info writed to " + name);
    } catch (const std::exception& e) {
        out.closeQuietly();
        lastError_ = e.what();
        host_.showError(lastError_);
    }
    buttons.bWriteChaps = true;
}

}  // namespace quarnel
