// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitle files as independent programs see them: ffmpeg draws them over a plain green
// picture, ffprobe lists their packets, mkvmerge identifies them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "codecs/subpicture_event.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"

namespace quarnel::oracle {

inline bool have(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

#define QUARNEL_NEED(program) \
    if (!::quarnel::oracle::have(program)) GTEST_SKIP() << program " is not installed: the check needs it"

constexpr Rgb kGreen{0, 255, 0};

struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int y) const {
        const size_t k = (size_t(y) * size_t(width) + size_t(x)) * 3;
        return {rgb[k], rgb[k + 1], rgb[k + 2]};
    }
};

// The frame at `seconds` (on the subtitles' own time line) of a green picture of the canvas size with the
// subtitles of `subs` drawn over it.
inline std::optional<Frame> render(const std::string& subs, int width, int height, double seconds,
                                   const std::string& scratch) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string out = scratch + "/frame.rgb";
    const auto r = fixtures::runCommand("ffmpeg -v error -y -copyts -f lavfi -i color=c=0x00FF00:s=" + size +
                                            ":r=25,format=rgb24 -canvas_size " + size + " -i '" + subs +
                                            "' -filter_complex '[0:v][1:s:0]overlay=format=rgb' -ss " +
                                            std::to_string(seconds) +
                                            " -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + out + "'",
                                        scratch + "/ffmpeg.err");
    if (r.status != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << r.err;
        return std::nullopt;
    }
    Frame f{width, height, fixtures::readFile(out)};
    if (f.rgb.size() != size_t(width) * size_t(height) * 3) {
        ADD_FAILURE() << "ffmpeg gave " << f.rgb.size() << " bytes";
        return std::nullopt;
    }
    return f;
}

// The colour a pixel of `c` shows over green.
inline Rgb overGreen(Rgba c) {
    const auto mix = [&](int fg, int bg) { return uint8_t((fg * c.a + bg * (255 - c.a) + 127) / 255); };
    return {mix(c.r, kGreen.r), mix(c.g, kGreen.g), mix(c.b, kGreen.b)};
}

inline int distance(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// The largest difference between two frames over the event's rectangle and 8 pixels around it.
inline int worstDifference(const Frame& f, const Frame& g, const SubpictureEvent& e) {
    int worst = 0;
    for (int y = std::max(0, e.y - 8); y < std::min(f.height, e.y + e.height + 8); ++y)
        for (int x = std::max(0, e.x - 8); x < std::min(f.width, e.x + e.width + 8); ++x)
            worst = std::max(worst, distance(f.at(x, y), g.at(x, y)));
    return worst;
}

// The largest difference between the frame and the event's pixels drawn over green, over the
// event's rectangle and a margin of 8 pixels around it (which must stay green).
inline int worstDifference(const Frame& f, const SubpictureEvent& e) {
    int worst = 0;
    for (int y = std::max(0, e.y - 8); y < std::min(f.height, e.y + e.height + 8); ++y)
        for (int x = std::max(0, e.x - 8); x < std::min(f.width, e.x + e.width + 8); ++x) {
            const bool inside = x >= e.x && y >= e.y && x < e.x + e.width && y < e.y + e.height;
            const Rgb want = inside ? overGreen(e.palette[e.at(x - e.x, y - e.y)]) : kGreen;
            worst = std::max(worst, distance(f.at(x, y), want));
        }
    return worst;
}

// True when nothing but green shows.
inline bool allGreen(const Frame& f) {
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (distance(f.at(x, y), kGreen) > 1) return false;
    return true;
}

// The time stamps (seconds) of the packets ffprobe finds in `file`.
inline std::vector<double> packetTimes(const std::string& file, const std::string& scratch) {
    const auto r =
        fixtures::runCommand("ffprobe -v error -show_entries packet=pts_time -of csv=p=0 '" + file + "'",
                             scratch + "/ffprobe.err");
    std::vector<double> times;
    size_t at = 0;
    while (at < r.out.size()) {
        const size_t end = r.out.find('\n', at);
        const std::string line = r.out.substr(at, end - at);
        if (!line.empty() && line != "N/A") times.push_back(std::stod(line));
        at = end == std::string::npos ? r.out.size() : end + 1;
    }
    return times;
}

// mkvmerge's name for the codec of the first track of `file`, or its error.
inline std::string mkvmergeCodec(const std::string& file, const std::string& scratch) {
    const auto r = fixtures::runCommand("mkvmerge -J '" + file + "'", scratch + "/mkvmerge.err");
    const size_t at = r.out.find("\"codec\": \"");
    if (at == std::string::npos) return r.out + r.err;
    const size_t from = at + 10;
    return r.out.substr(from, r.out.find('"', from) - from);
}

inline bool mkvmergeMuxes(const std::string& file, const std::string& scratch) {
    return fixtures::runCommand("mkvmerge -q -o '" + scratch + "/x.mkv' '" + file + "'",
                                scratch + "/mkvmerge.err")
               .status == 0;
}

}  // namespace quarnel::oracle
