// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_report.h"

#include <nlohmann/json.hpp>

#include <filesystem>

#include "app/session.h"
#include "app/track_rows.h"
#include "codecs/channel_assignments.h"
#include "codecs/lpcm.h"
#include "formats/disc/title_time.h"
#include "formats/ps/stream_kinds.h"
#include "io/file_sequence.h"
#include "report/xml_text.h"

namespace quarnel {
namespace {

using Json = nlohmann::ordered_json;

// Raised when a field of the report changes its meaning or is taken away; new fields keep it.
constexpr int kSchemaVersion = 1;

constexpr const char* kKindNames[] = {"video", "audio", "subpicture"};

// A DVD-Audio LPCM stream's two channel groups (bits, sampling frequency; null when unused) and
// its channel assignment.
Json dvdAudioFormat(const AobLpcmHeader& h) {
    const auto group = [](uint8_t bits, uint8_t rate) {
        const auto b = lpcmBitsOf(bits);
        const auto r = lpcmRateOf(rate);
        return b && r ? Json{{"bitDepth", *b}, {"sampleRate", *r}} : Json(nullptr);
    };
    Json f{{"group1", group(h.group1Bits, h.group1Rate)},
           {"group2", group(h.group2Bits, h.group2Rate)},
           {"channelAssignment", h.channelAssignment}};
    if (const auto a = channelAssignment(h.channelAssignment)) {
        f["channels"] = a->channels;
        f["speakers"] = std::string(a->name);
    }
    return f;
}

// Each file a run put in place, with its size (null for a folder).
Json outputsJson(const RunValues& r) {
    Json outputs = Json::array();
    for (const std::string& path : r.outputsWritten) {
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(path, ec);
        outputs.push_back(Json{{"path", path}, {"bytes", ec ? Json(nullptr) : Json(bytes)}});
    }
    return outputs;
}

Json subtitleTextsJson(const RunValues& r) {
    Json texts = Json::array();
    for (const SubtitleTextOutput& t : r.subtitleTexts)
        texts.push_back(Json{
            {"path", t.path}, {"cues", t.cues}, {"forcedCues", t.forcedCues}, {"emptyCues", t.emptyCues}});
    return texts;
}

// Names and log lines come from files: bytes that are not UTF-8 are replaced, so the report is
// always valid JSON.
std::string text(const Json& report) {
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

// The title of a playlist read: its name, time base, chapters at their exact title times.
Json playlistJson(const PlaylistView& v) {
    const PlaylistTitle& t = v.title;
    const TimeBase base = timeBaseOf(t.timeBase).value_or(TimeBase{});
    Json chapters = Json::array();
    for (const PlaylistChapter& c : t.chapters) {
        const auto ns = titleTimeNs(c.begin, base);
        chapters.push_back({{"name", decodeXmlText(c.name)},
                            {"begin", c.begin},
                            {"seconds", ns ? Json(double(*ns) / 1e9) : Json(nullptr)}});
    }
    return {{"title", decodeXmlText(t.name)},
            {"timeBase", t.timeBase},
            {"titleDuration", t.duration},
            {"chapters", chapters}};
}

// The values the analysers found, each only when found.
void addFacts(Json& stream, const StreamFacts& f) {
    const auto put = [&](const char* name, const auto& value) {
        if (value) stream[name] = *value;
    };
    put("width", f.width);
    put("height", f.height);
    put("frameRate", f.frameRate);
    put("sampleRate", f.sampleRate);
    put("channels", f.channels);
    put("bitRate", f.bitRate);
    put("bitDepth", f.bitDepth);
    if (!f.profile.empty()) stream["profile"] = f.profile;
}

// What the playlist says of a stream, when a playlist was read.
void addPlaylistFacts(Json& stream, const PlaylistStream& p, bool subtitle) {
    if (!p.listed) return;
    stream["name"] = decodeXmlText(p.description);
    stream["language"] = p.language.empty() ? "und" : p.language;
    if (subtitle) stream["forced"] = p.forced;
}

// One entry per stream: its name on the command line (v0, a03, s17), kind, coding, stream id,
// slot and box caption, time stamps, what the analysers found and what the playlist says.
Json streamsJson(const Session& m) {
    Json streams = Json::array();
    for (const TrackRow& row : trackRowsOf(m)) {
        Json stream{{"stream", row.stream},
                    {"type", kKindNames[int(row.kind)]},
                    {"codec", row.codec.empty() ? Json(nullptr) : Json(row.codec)},
                    {"id", row.id & 0xFF},
                    {"slot", row.slot},
                    {"caption", row.caption}};
        if (row.id & kStreamIdKey) stream["streamId"] = row.id & 0xFF;
        if (row.kind == StreamKind::Audio && m.run.aobLpcm[row.slot])
            stream["dvdAudio"] = dvdAudioFormat(*m.run.aobLpcm[row.slot]);
        stream["firstPts"] = row.firstPts ? Json(*row.firstPts) : Json(nullptr);
        stream["delayMs"] = row.delayMs ? Json(*row.delayMs) : Json(nullptr);
        stream["bytesRead"] = row.bytes;
        addFacts(stream, row.facts);
        if (row.kind == StreamKind::Audio) addPlaylistFacts(stream, m.playlist.title.audio[row.slot], false);
        if (row.kind == StreamKind::Subpicture) {
            addPlaylistFacts(stream, m.playlist.title.sub[row.slot], true);
            if (const auto dropped = m.run.droppedSubtitleRecords[row.slot])
                stream["droppedSubtitleRecords"] = *dropped;
        }
        streams.push_back(std::move(stream));
    }
    return streams;
}

}  // namespace

std::string jsonReport(const Session& m, const std::vector<std::string>& logLines) {
    const Json streams = streamsJson(m);
    const Json outputs = outputsJson(m.run), texts = subtitleTextsJson(m.run);
    const RunValues& r = m.run;
    Json navigation = Json::array();
    for (const RunValues::FileNavigation& n : r.navigation) {
        Json file{{"file", n.file},
                  {"vobNumber", n.vobNumber ? Json(*n.vobNumber) : Json(nullptr)},
                  {"firstPtm", n.startPtm ? Json(*n.startPtm) : Json(nullptr)},
                  {"lastPtm", n.endPtm ? Json(*n.endPtm) : Json(nullptr)},
                  {"durationSeconds", n.startPtm && n.endPtm
                                          ? Json(double(uint32_t(*n.endPtm - *n.startPtm)) / 90000.0)
                                          : Json(nullptr)}};
        if (n.copyControl)
            file["copyControl"] = {{"encrypted", n.copyControl->encrypted},
                                   {"copyState", kCopyStateNames[n.copyControl->copyState]},
                                   {"aps", kApsNames[n.copyControl->aps]},
                                   {"ict", n.copyControl->ict},
                                   {"dot", n.copyControl->dot}};
        navigation.push_back(std::move(file));
    }
    Json report = {
        {"schemaVersion", kSchemaVersion},
        {"source", m.sourcePath},
        {"baseName", m.baseName},
        {"streams", streams},
        {"firstPtm", r.firstPtm},
        {"lastEndPtm", r.lastEndPtm},
        {"earliestFirstPts", r.earliestFirstPts ? Json(*r.earliestFirstPts) : Json(nullptr)},
        {"fastCheckCut", r.fastCheckCut},
        {"videoDurationSeconds", r.videoDurationSum},
        {"countedFrames", r.countedFrames},
        {"frameRate", r.frameRate},
        {"navigation", navigation},
        {"outputs", outputs},
        {"subtitleTexts", texts},
        {"log", logLines},
    };
    if (!r.vtiError.empty()) report["vtiError"] = r.vtiError;
    if (!m.playlist.tags.empty()) report["playlist"] = playlistJson(m.playlist);
    if (!r.mkvPlan.empty()) report["mkv"] = Json::parse(r.mkvPlan, nullptr, false);
    return text(report);
}

std::string jsonErrorReport(const std::string& error, int exitStatus) {
    return text(Json{{"schemaVersion", kSchemaVersion}, {"error", error}, {"exitStatus", exitStatus}});
}

std::string jsonTitlesReport(const Json& titles, const std::vector<std::string>& logLines) {
    Json report{{"schemaVersion", kSchemaVersion}, {"command", "titles"}};
    report.update(titles);
    report["log"] = logLines;
    return text(report);
}

std::string jsonCommandReport(const std::string& command, const Session& m,
                              const std::vector<std::string>& logLines) {
    Json report{{"schemaVersion", kSchemaVersion}, {"command", command}};
    if (command == "xpl" || command == "chapters") {
        report["playlist"] = playlistJson(m.playlist);
        Json streams = Json::array();
        const auto add = [&](const auto& list, char letter, const char* type, bool subtitle) {
            for (size_t k = 0; k < list.size(); ++k) {
                if (!list[k].listed) continue;
                char name[8];
                std::snprintf(name, sizeof name, "%c%02zu", letter, k);
                Json s{{"stream", name}, {"type", type}, {"langcode", list[k].langcode}};
                addPlaylistFacts(s, list[k], subtitle);
                streams.push_back(std::move(s));
            }
        };
        add(m.playlist.title.audio, 'a', "audio", false);
        add(m.playlist.title.sub, 's', "subpicture", true);
        report["streams"] = streams;
    }
    if (command == "vti") {
        Json evobs = Json::array();
        for (const VtsEvobi& e : m.vti.evobs)
            evobs.push_back({{"name", e.name},
                             {"attributeNumber", e.attributeNumber},
                             {"firstPtm", e.startPtm},
                             {"lastPtm", e.endPtm},
                             {"durationSeconds", double(uint32_t(e.endPtm - e.startPtm)) / 90000.0},
                             {"sizeBlocks", e.size},
                             {"addressOffset", e.addressOffset}});
        Json attributes = Json::array();
        for (const VtsEvobAtr& a : m.vti.attributes)
            attributes.push_back({{"mainAudioStreams", a.mainAudioCount},
                                  {"subAudioStreams", a.subAudioCount},
                                  {"subpictureStreams", a.subpictureCount}});
        report["evobs"] = evobs;
        report["attributes"] = attributes;
    }
    report["outputs"] = outputsJson(m.run);
    if (command == "subs") report["subtitleTexts"] = subtitleTextsJson(m.run);
    report["log"] = logLines;
    return text(report);
}

}  // namespace quarnel
