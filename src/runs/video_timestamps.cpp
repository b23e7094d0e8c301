// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/video_timestamps.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "app/external_program.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {

std::vector<double> timesOfParts(const std::vector<double>& shown, const std::vector<PartPictures>& parts,
                                 double endMs) {
    size_t total = 0;
    for (const PartPictures& p : parts) total += p.pictures;
    // mkvextract lists one time more than there are pictures: where the last one ends.
    if (total != shown.size() && total + 1 != shown.size()) return {};
    std::vector<double> times;
    size_t at = 0, waiting = 0;  // the references from after the window before
    for (const PartPictures& p : parts) {
        const size_t squeezed = waiting + p.before;
        for (size_t k = 0; k < squeezed; ++k) times.push_back(p.startMs - double(squeezed - k));
        const size_t first = at + std::min(p.before, p.pictures);
        const size_t last = at + p.pictures - std::min(p.after, p.pictures - std::min(p.before, p.pictures));
        for (size_t k = first; k < last; ++k) times.push_back(p.startMs + shown[k] - shown[first]);
        waiting = at + p.pictures - last;
        at += p.pictures;
    }
    for (size_t k = 0; k < waiting; ++k) times.push_back(endMs + double(k));
    // Times stay in order, a microsecond apart at least.
    for (size_t k = 1; k < times.size(); ++k) times[k] = std::max(times[k], times[k - 1] + 0.001);
    return times;
}

void writeVideoTimestamps(const VideoTimestampsInput& in) {
    const std::string own = in.scratch + ".timing.mkv", read = in.scratch + ".timing.txt";
    std::vector<std::string> lines;
    const auto run = [&](const std::string& program, const std::vector<std::string>& args) {
        lines.clear();
        // mkvmerge and mkvextract end with 1 for warnings, which leave a whole file.
        if (runToEnd(program, args, lines) > 1)
            throw QuarnelError(nameOf(program) + " could not time " + nameOf(in.video) +
                               (lines.empty() ? std::string(".") : ": " + lines.back()));
    };
    run(in.mkvmerge, {"--quiet", "--output", own, in.video});
    run(in.mkvextract, {own, "timestamps_v2", "0:" + read});
    std::vector<double> shown;
    std::ifstream times(read);
    for (std::string line; std::getline(times, line);)
        if (!line.empty() && line[0] != '#') shown.push_back(std::stod(line));
    const std::vector<double> placed = timesOfParts(shown, in.parts, in.endMs);
    if (placed.empty())
        throw QuarnelError("mkvmerge times " + std::to_string(shown.size()) + " pictures in " +
                           nameOf(in.video) + " where its clips hold others");
    std::string text = "# timestamp format v2\n";
    for (const double t : placed) {
        char line[48];
        std::snprintf(line, sizeof line, "%.6f\n", t);
        text += line;
    }
    writeTextFile(in.output, text);
}

}  // namespace quarnel
