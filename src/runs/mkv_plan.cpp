// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/mkv_plan.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "report/xml_text.h"

namespace quarnel {
namespace {

using Json = nlohmann::ordered_json;

// Matroska chapter times: HH:MM:SS.nnnnnnnnn.
std::string chapterTimeText(uint64_t ns) {
    const auto seconds = static_cast<unsigned long long>(ns / 1000000000ull);
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu.%09llu", seconds / 3600, seconds / 60 % 60,
                  seconds % 60, static_cast<unsigned long long>(ns % 1000000000ull));
    return text;
}

Json eventsJson(const std::vector<TimelineEvent>& events, bool drops) {
    Json list = Json::array();
    for (const TimelineEvent& e : events) {
        Json j{{"atMs", e.atMs}, {"lengthMs", e.lengthMs}, {"file", e.file}};
        if (drops) j["frames"] = e.frames;
        list.push_back(std::move(j));
    }
    return list;
}

}  // namespace

std::vector<std::string> mkvmergeArguments(const MkvPlan& plan) {
    std::vector<std::string> args = {"--output", plan.output};
    if (!plan.title.empty()) args.insert(args.end(), {"--title", plan.title});
    if (!plan.chaptersFile.empty()) args.insert(args.end(), {"--chapters", plan.chaptersFile});
    for (const MkvTrack& t : plan.tracks) {
        // Each input holds one track, number 0. Audio frames keep their own blocks so that
        // every frame keeps its exact time.
        args.insert(args.end(), {"--language", "0:" + t.language, "--default-track-flag",
                                 std::string("0:") + (t.defaultTrack ? "1" : "0")});
        if (!t.name.empty()) args.insert(args.end(), {"--track-name", "0:" + t.name});
        if (t.forced) args.insert(args.end(), {"--forced-display-flag", "0:1"});
        if (!t.timestamps.empty())
            args.insert(args.end(), {"--timestamps", "0:" + t.timestamps});
        else if (t.delayMs != 0)
            args.insert(args.end(), {"--sync", "0:" + std::to_string(t.delayMs)});
        if (t.type == "audio") args.push_back("--disable-lacing");
        args.push_back(t.file);
    }
    return args;
}

std::string optionFileText(const std::vector<std::string>& arguments) {
    return Json(arguments).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string planText(const MkvPlan& plan) {
    Json tracks = Json::array();
    for (const MkvTrack& t : plan.tracks)
        tracks.push_back({{"stream", t.stream},
                          {"type", t.type},
                          {"codec", t.codec},
                          {"file", t.file},
                          {"timestamps", t.timestamps.empty() ? Json(nullptr) : Json(t.timestamps)},
                          {"name", t.name},
                          {"language", t.language},
                          {"default", t.defaultTrack},
                          {"forced", t.forced},
                          {"startMs", t.startMs},
                          {"delayMs", t.delayMs},
                          {"droppedFrames", eventsJson(t.drops, true)},
                          {"gaps", eventsJson(t.gaps, false)}});
    Json files = Json::array();
    for (const MkvFile& f : plan.files) files.push_back({{"name", f.name}, {"shiftMs", f.shiftMs}});
    Json chapters = Json::array();
    for (const MkvChapter& c : plan.chapters)
        chapters.push_back({{"startNs", c.startNs}, {"start", chapterTimeText(c.startNs)}, {"name", c.name}});
    const Json j{{"output", plan.output},
                 {"title", plan.title},
                 {"files", files},
                 {"tracks", tracks},
                 {"chapters", chapters}};
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string chapterXml(const std::vector<MkvChapter>& chapters) {
    std::string x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE Chapters SYSTEM \"matroskachapters.dtd\">\n"
        "<Chapters>\n"
        "  <EditionEntry>\n";
    for (const MkvChapter& c : chapters) {
        x += "    <ChapterAtom>\n";
        x += "      <ChapterTimeStart>" + chapterTimeText(c.startNs) + "</ChapterTimeStart>\n";
        x += "      <ChapterDisplay>\n";
        x += "        <ChapterString>" + escapeXmlText(c.name) + "</ChapterString>\n";
        x += "      </ChapterDisplay>\n";
        x += "    </ChapterAtom>\n";
    }
    return x + "  </EditionEntry>\n</Chapters>\n";
}

}  // namespace quarnel
