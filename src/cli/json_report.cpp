#include "cli/json_report.h"

#include <cstdio>

#include "app/session.h"
#include "runs/operations.h"

namespace quarnel {
namespace {

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

template <class Boxes>
void addStreams(std::string& out, bool& first, const Boxes& boxes, const int32_t* ids, int count, char letter,
                int digits) {
    for (int k = 0; k < count; ++k) {
        if (ids[k] < 0) continue;
        char name[8];
        std::snprintf(name, sizeof name, "%c%0*d", letter, digits, k);
        out += first ? "\n    " : ",\n    ";
        first = false;
        out += "{\"stream\": " + quoted(name) + ", \"id\": " + std::to_string(ids[k]) +
               ", \"caption\": " + quoted(boxes[size_t(k)].caption) + "}";
    }
}

}  // namespace

std::string jsonReport(const Session& m, const std::vector<std::string>& logLines) {
    std::string out = "{\n  \"source\": " + quoted(m.sourcePath) + ",\n  \"baseName\": " + quoted(m.baseName) +
                      ",\n  \"streams\": [";
    bool first = true;
    addStreams(out, first, m.boxes.video, m.table.video.data(), kUsedVideoSlots, 'v', 1);
    addStreams(out, first, m.boxes.audio, m.table.audio.data(), kAudioSlots, 'a', 2);
    addStreams(out, first, m.boxes.sub, m.table.sub.data(), kSubSlots, 's', 2);
    out += "\n  ],\n";
    out += "  \"firstPtm\": " + std::to_string(m.run.firstPtm) + ",\n";
    out += "  \"lastEndPtm\": " + std::to_string(m.run.lastEndPtm) + ",\n";
    out += "  \"earliestFirstPts\": " +
           (m.run.earliestFirstPts == kNoPts ? std::string("null") : std::to_string(m.run.earliestFirstPts)) + ",\n";
    out += std::string("  \"fastCheckCut\": ") + (m.run.fastCheckCut ? "true" : "false") + ",\n";
    out += "  \"videoDurationSeconds\": " + number(m.run.videoDurationSum) + ",\n";
    out += "  \"countedFrames\": [" + std::to_string(m.run.countedFrames[0]) + ", " +
           std::to_string(m.run.countedFrames[1]) + "],\n";
    out += "  \"frameRate\": [" + number(m.run.frameRate[0]) + ", " + number(m.run.frameRate[1]) + "],\n";
    out += "  \"log\": [";
    for (size_t i = 0; i < logLines.size(); ++i) out += (i ? ",\n    " : "\n    ") + quoted(logLines[i]);
    out += "\n  ]\n}\n";
    return out;
}

}  // namespace quarnel
