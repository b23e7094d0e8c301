// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_report.h"

#include <nlohmann/json.hpp>

#include <filesystem>

#include "app/session.h"
#include "codecs/channel_assignments.h"
#include "codecs/lpcm.h"
#include "formats/stream_kinds.h"
#include "io/file_sequence.h"

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

// One entry per slot that holds a stream: its name on the command line (v0, a03, s17), kind,
// coding, stream id, slot and box caption.
void addStreams(Json& streams, const Session& m, StreamKind kind, const int32_t* ids, int count,
                const std::array<StreamBox, 8>* video, const StreamBox* boxes, char letter, int digits, bool aob) {
    for (int k = 0; k < count; ++k) {
        if (ids[k] < 0) continue;
        char name[8];
        std::snprintf(name, sizeof name, "%c%0*d", letter, digits, k);
        const auto id = uint8_t(ids[k]);
        const IdPlace place = kind == StreamKind::Video && (id == 0x55 || id == 0x56) ? IdPlace::Extension
                              : kind == StreamKind::Video                             ? IdPlace::StreamId
                                                                                      : IdPlace::SubstreamId;
        const StreamKindEntry* entry = streamKindOf(place, id, aob);
        const StreamBox& box = video ? (*video)[size_t(k)] : boxes[k];
        Json stream{{"stream", name},         {"type", kKindNames[int(kind)]}, {"codec", entry ? entry->codec : nullptr},
                    {"id", ids[k]},          {"slot", k},                     {"caption", box.caption}};
        if (kind == StreamKind::Audio && m.run.aobLpcm[size_t(k)]) stream["dvdAudio"] = dvdAudioFormat(*m.run.aobLpcm[size_t(k)]);
        streams.push_back(std::move(stream));
    }
}

}  // namespace

std::string jsonReport(const Session& m, const std::vector<std::string>& logLines) {
    const bool aob = upperExtension(m.sourcePath) == ".AOB";
    Json streams = Json::array();
    addStreams(streams, m, StreamKind::Video, m.table.video.data(), kUsedVideoSlots, &m.boxes.video, nullptr, 'v', 1,
               aob);
    addStreams(streams, m, StreamKind::Audio, m.table.audio.data(), kAudioSlots, nullptr, m.boxes.audio.data(), 'a',
               2, aob);
    addStreams(streams, m, StreamKind::Subpicture, m.table.sub.data(), kSubSlots, nullptr, m.boxes.sub.data(), 's',
               2, aob);
    Json outputs = Json::array();
    for (const std::string& path : m.run.outputsWritten) {
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(path, ec);
        outputs.push_back(Json{{"path", path}, {"bytes", ec ? Json(nullptr) : Json(bytes)}});
    }
    Json texts = Json::array();
    for (const SubtitleTextOutput& t : m.run.subtitleTexts)
        texts.push_back(Json{
            {"path", t.path}, {"cues", t.cues}, {"forcedCues", t.forcedCues}, {"emptyCues", t.emptyCues}});
    const RunValues& r = m.run;
    Json report = {
        {"schemaVersion", kSchemaVersion},
        {"source", m.sourcePath},
        {"baseName", m.baseName},
        {"streams", streams},
        {"firstPtm", r.firstPtm},
        {"lastEndPtm", r.lastEndPtm},
        {"earliestFirstPts", r.earliestFirstPts == kNoPts ? Json(nullptr) : Json(r.earliestFirstPts)},
        {"fastCheckCut", r.fastCheckCut},
        {"videoDurationSeconds", r.videoDurationSum},
        {"countedFrames", r.countedFrames},
        {"frameRate", r.frameRate},
        {"outputs", outputs},
        {"subtitleTexts", texts},
        {"log", logLines},
    };
    // Names and log lines come from files: bytes that are not UTF-8 are replaced, so the
    // report is always valid JSON.
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace quarnel
