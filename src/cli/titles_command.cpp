// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/titles_command.h"

#include <cmath>
#include <cstdio>

#include "io/file_sequence.h"
#include "report/message_log.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

using Json = nlohmann::ordered_json;
constexpr double kTicksPerSecond = 90000.0;

// The slot name of a listed track ("a00", "s03"), "" when its id has no slot.
std::string trackName(const TitleTrack& t) {
    const int32_t id = tableIdOf(t);
    const StreamKindEntry* entry = streamKindIn(t.kind, id);
    if (!entry) return {};
    char name[8];
    std::snprintf(name, sizeof name, "%c%02d", t.kind == StreamKind::Audio ? 'a' : 's',
                  entry->slotOf(uint8_t(id)));
    return name;
}

std::string trackLine(const TitleTrack& t) {
    const std::string slot = trackName(t);
    std::string line = "  " + std::string(t.kind == StreamKind::Audio ? "Audio " : "Subpicture ") +
                       (slot.empty() ? "(stream " + hexUpper(t.streamId, 2) + ")" : slot) + ": " + t.coding;
    if (t.channels > 0) line += ", " + std::to_string(t.channels) + " ch";
    line += ", " + (t.language.empty() ? std::string("no language") : t.language);
    if (!t.name.empty()) line += ", " + t.name;
    return line;
}

std::string partLine(const DvdDisc& disc, const DvdCell& c) {
    std::string line = disc.kind == DiscKind::HdDvd
                           ? "  Clip " + std::to_string(c.cellId) + ": " + c.file + ", sectors " +
                                 std::to_string(c.firstSector) + "-" + std::to_string(c.lastSector)
                           : "  Cell " + std::to_string(c.cellId) + " of VOB " + std::to_string(c.vobId) +
                                 ": sectors " + std::to_string(c.firstSector) + "-" +
                                 std::to_string(c.lastSector);
    line += ", " + formatSpanMs(c.seconds);
    if (c.angle != 0) line += ", angle " + std::to_string(c.angle);
    if (disc.kind == DiscKind::HdDvd && c.seamless) line += ", seamless";
    return line;
}

void logTitle(const DvdDisc& disc, const DvdTitle& t, MessageLog& log) {
    std::string head = "[b]Title " + std::to_string(t.number) + "[/b]: " + formatSpanMs(t.seconds) + ", " +
                       std::to_string(t.title.chapters.size()) +
                       (t.title.chapters.size() == 1 ? " chapter, " : " chapters, ") +
                       std::to_string(t.angles) + (t.angles == 1 ? " angle" : " angles");
    if (disc.kind == DiscKind::HdDvd)
        head += ", " + std::to_string(t.cells.size()) + (t.cells.size() == 1 ? " clip" : " clips");
    else
        head +=
            ", title set " + std::to_string(t.titleSet) + ", program chain " + std::to_string(t.programChain);
    if (!t.name.empty()) head += ", \"" + t.name + "\"";
    if (t.number == disc.mainTitle()) head += " (longest)";
    if (t.number == disc.firstPlayTitle) head += " (first play)";
    log.log(head);
    std::string chapters = "  Chapters:";
    for (size_t k = 0; k < t.title.chapters.size(); ++k)
        chapters += " " + std::to_string(k + 1) + " " +
                    formatSpanMs(double(t.title.chapters[k].time) / kTicksPerSecond);
    if (!t.title.chapters.empty()) log.log(chapters);
    for (const DvdCell& c : t.cells) log.log(partLine(disc, c));
    for (const TitleTrack& track : t.title.tracks)
        if (track.kind != StreamKind::Video) log.log(trackLine(track));
}

Json titleJson(const DvdDisc& disc, const DvdTitle& t) {
    Json parts = Json::array();
    double start = 0;
    for (const DvdCell& c : t.cells) {
        if (disc.kind == DiscKind::HdDvd) {
            parts.push_back({{"clip", c.cellId},
                             {"file", c.file},
                             {"evobIndex", c.vobId},
                             {"firstSector", c.firstSector},
                             {"lastSector", c.lastSector},
                             {"startSeconds", start},
                             {"seconds", c.seconds},
                             {"seamless", c.seamless}});
            start += c.seconds;
            continue;
        }
        parts.push_back({{"vobId", c.vobId},
                         {"cellId", c.cellId},
                         {"firstSector", c.firstSector},
                         {"lastSector", c.lastSector},
                         {"startSeconds", start},
                         {"seconds", c.seconds},
                         {"angle", c.angle},
                         {"seamless", c.seamless}});
        if (c.angle <= 1) start += c.seconds;
    }
    Json chapters = Json::array();
    for (size_t k = 0; k < t.title.chapters.size(); ++k)
        chapters.push_back({{"number", k + 1},
                            {"name", t.title.chapters[k].name},
                            {"startSeconds", double(t.title.chapters[k].time) / kTicksPerSecond}});
    Json tracks = Json::array();
    for (const TitleTrack& track : t.title.tracks) {
        if (track.kind == StreamKind::Video) continue;
        Json j{{"track", trackName(track)},
               {"type", track.kind == StreamKind::Audio ? "audio" : "subpicture"},
               {"streamId", track.streamId},
               {"subStreamId", track.subStreamId ? Json(*track.subStreamId) : Json(nullptr)},
               {"codec", track.coding},
               {"language", track.language.empty() ? "und" : track.language},
               {"name", track.name},
               {"commentary", track.commentary},
               {"forced", track.forced},
               {"default", track.isDefault}};
        if (track.channels > 0) j["channels"] = track.channels;
        tracks.push_back(std::move(j));
    }
    if (disc.kind == DiscKind::HdDvd)
        return {{"number", t.number},
                {"name", t.title.name},
                {"displayName", t.name},
                {"onEnd", t.onEnd},
                {"durationSeconds", t.seconds},
                {"main", t.number == disc.mainTitle()},
                {"firstPlay", t.number == 0},
                {"angles", t.angles},
                {"parts", parts},
                {"chapters", chapters},
                {"tracks", tracks}};
    return {{"number", t.number},
            {"name", t.title.name},
            {"durationSeconds", t.seconds},
            {"main", t.number == disc.mainTitle()},
            {"firstPlay", t.number == disc.firstPlayTitle},
            {"angles", t.angles},
            {"titleSet", t.titleSet},
            {"programChain", t.programChain},
            {"parts", parts},
            {"chapters", chapters},
            {"tracks", tracks}};
}

}  // namespace

void logDiscNotes(const DvdDisc& disc, MessageLog& log) {
    for (const std::string& note : disc.notes) log.log("[re]" + note + "[/re]");
}

std::optional<DvdDisc> openDisc(const std::string& path, int angle, std::string& error) {
    try {
        return readDisc(path, angle);
    } catch (const std::exception& e) {
        error = "Cannot read the disc \"" + path + "\": " + e.what() + ".";
        return std::nullopt;
    }
}

std::string runTitlesCommand(const CliArgs& args, Host& host, Json& json) {
    std::string error;
    const std::optional<DvdDisc> disc = openDisc(args.source, args.angle, error);
    if (!disc) return error;
    MessageLog log(host);
    log.log("Disc [b]" + disc->name + "[/b] (" + (disc->kind == DiscKind::HdDvd ? "HD DVD" : "DVD-Video") +
            ", " + (disc->image ? "image" : "folder") + " " + disc->path +
            "): " + std::to_string(disc->titles.size()) + (disc->titles.size() == 1 ? " title" : " titles"));
    logDiscNotes(*disc, log);
    Json titles = Json::array();
    for (const DvdTitle& t : disc->titles) {
        logTitle(*disc, t, log);
        titles.push_back(titleJson(*disc, t));
    }
    json = {{"disc",
             {{"kind", disc->kind == DiscKind::HdDvd ? "hd-dvd" : "dvd-video"},
              {"name", disc->name},
              {"path", disc->path}}},
            {"titles", titles}};
    return {};
}

std::string chooseDiscTitle(Session& m, const CliArgs& args, const DvdDisc& disc) {
    const int number = args.title.value_or(disc.mainTitle());
    const auto it = std::ranges::find_if(disc.titles, [&](const DvdTitle& t) { return t.number == number; });
    if (it == disc.titles.end())
        return "The disc \"" + disc.path + "\" has no title " + std::to_string(number) +
               ": its titles are 1 to " + std::to_string(disc.titles.size()) +
               " (quarnel-cli titles lists them).";
    if (it->title.parts.empty())
        return "Title " + std::to_string(number) +
               " has no clip that can be read (the log says why, or the disc runs it by its own program): "
               "choose another one.";
    if (args.angle > it->angles)
        return "Title " + std::to_string(number) + " has " + std::to_string(it->angles) +
               (it->angles == 1 ? " angle" : " angles") + ": there is no angle " +
               std::to_string(args.angle) + ".";
    m.sourcePath = disc.path;
    m.sourceChanged();
    m.disc = disc;
    m.chooseDiscTitle(number);
    return {};
}

}  // namespace quarnel
