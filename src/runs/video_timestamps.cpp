// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/video_timestamps.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "app/external_program.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {

std::vector<double> timesFromStart(const std::vector<double>& shown, size_t references, double startMs) {
    std::vector<double> times;
    const size_t first = std::min(references, shown.size());
    for (size_t k = 0; k < first; ++k) times.push_back(startMs - double(first - k));
    for (size_t k = first; k < shown.size(); ++k) times.push_back(startMs + shown[k] - shown[first]);
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
    if (shown.empty()) throw QuarnelError("mkvextract found no pictures in " + nameOf(in.video) + ".");
    std::string text = "# timestamp format v2\n";
    for (const double t : timesFromStart(shown, in.references, in.startMs)) {
        char line[48];
        std::snprintf(line, sizeof line, "%.6f\n", t);
        text += line;
    }
    OutputFile out;
    out.create(in.output);
    out.write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    out.finish();
    out.commit();
}

}  // namespace quarnel
