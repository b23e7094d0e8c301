// The frame report: frames counted in the video payload and frames calculated from the
// navigation packs' duration and the stream's frame rate.
#include <cmath>
#include <string>

#include "app/main_model.h"
#include "report/text_format.h"

namespace quarnel {

void MainModel::logframes(bool showDuration) {
    for (int k = 0; k < 2; ++k) {
        const int32_t c = run.countedFrames[k];
        const double r = run.frameRate[k];
        const std::string stream = std::to_string(k) + ".";
        if (c > 0) {
            if (r > 0)
                log.log(std::to_string(c) + " counted frames ([b]" + formatSpanMs(double(c) / r) +
                        "[/b]) in video stream " + stream);
            else
                log.log(std::to_string(c) + " frames count in video stream " + stream);
        }
        if (r > 0) {
            // nearbyint rounds halves to the even neighbour
            const auto n = int64_t(std::nearbyint(run.videoDurationSum * r));
            std::string line = std::to_string(n) + " calculated frames";
            if (showDuration) line += " ([b]" + formatSpanMs(run.videoDurationSum, ':') + "[/b])";
            log.log(line + " in video stream " + stream);
        }
    }
    if (run.countedFrames[0] + run.countedFrames[1] > 0) log.log("");
}

}  // namespace quarnel
