// SPDX-License-Identifier: GPL-3.0-or-later
// The log lines and errors of Make MKV, in one place.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "report/text_format.h"
#include "runs/audio_timeline.h"

namespace quarnel::runs::mkv_texts {

inline const std::string kMkvmergeMissing = "mkvmerge not found: install MKVToolNix (package mkvtoolnix)";
// QUARNEL_MKVMERGE names a program that is not there or cannot be run.
inline std::string chosenMkvmergeMissing(const std::string& path) {
    return "QUARNEL_MKVMERGE names " + path + ", which is not a program that can be run";
}
inline const std::string kNothingTicked = "No stream is ticked: there is nothing to put in the MKV.";
inline const std::string kCancelled = "Cancelled.";
inline const std::string kMuxingStatus = "Muxing";

inline std::string notEvoOrVob(const std::string& name) {
    return "\"" + name +
           "\" is not an EVO or VOB file: an MKV is made from the video files of an HD DVD or DVD.";
}
inline std::string cannotCreateFolder(const std::string& path, const std::string& why) {
    return "Cannot create folder \"" + path + "\". " + why + ".";
}
// The playlist read last belongs to another source than the one made into an MKV.
inline std::string playlistNamesNoClipOf(const std::string& source) {
    return "The playlist names no clip of " + source +
           ": its title, names, languages and chapters are not used.";
}
inline std::string playlistOfOtherSource(const std::string& playlistSource, const std::string& source) {
    return "The playlist was read for " +
           (playlistSource.empty() ? std::string("no source") : playlistSource) + ", not for " + source +
           ": its title, names, languages and chapters are not used.";
}
inline std::string scratchFolder(const std::string& path) {
    return "Scratch folder: " + path;
}
inline std::string scratchKept(const std::string& path) {
    return "Kept what was written in " + path;
}
inline std::string fileMoved(const std::string& file, double ms) {
    return "[re]" + file + ": its time stamps do not go on from what plays before it; moved by " +
           std::to_string(std::llround(ms)) + " ms.[/re]";
}
inline std::string stretchMoved(const std::string& file, uint32_t vobu, double ms) {
    return "[re]" + file + " from its VOBU " + std::to_string(vobu + 1) +
           ": its time stamps do not go on from those before; moved by " + std::to_string(std::llround(ms)) +
           " ms.[/re]";
}
inline std::string trackLeftOut(const std::string& caption) {
    return "[re]" + caption + ": nothing was written for it; it is left out of the MKV.[/re]";
}
inline std::string noSubtitlesLeftOut(const std::string& caption) {
    return "[re]" + caption + ": no subtitle could be converted; it is left out of the MKV.[/re]";
}
inline std::string lpcmJoinsNotFollowed(const std::string& caption) {
    return "[re]" + caption +
           ": LPCM is placed by its first time stamp only; its joins are not checked.[/re]";
}
inline std::string at(double ms) {
    return formatSpanMs(ms / 1000.0);
}
inline std::string bytesSkipped(const std::string& caption, uint64_t bytes) {
    return "[re]" + caption + ": " + std::to_string(bytes) +
           " bytes that begin no whole frame left out.[/re]";
}
inline std::string framesDropped(const std::string& caption, const TimelineEvent& e) {
    return "[re]" + caption + ": " + std::to_string(e.frames) + (e.frames == 1 ? " frame" : " frames") +
           " (" + std::to_string(std::llround(e.lengthMs)) + " ms) at " + at(e.atMs) + " in " + e.file +
           " dropped: they repeat time already covered.[/re]";
}
inline std::string pastTitleEnd(const std::string& caption, const TimelineEvent& e) {
    return caption + ": " + std::to_string(e.frames) + (e.frames == 1 ? " frame" : " frames") + " (" +
           std::to_string(std::llround(e.lengthMs)) + " ms) from " + at(e.atMs) +
           " left out: the title ends there.";
}
inline std::string beforeTitleStart(const std::string& caption, const TimelineEvent& e) {
    return caption + ": " + std::to_string(e.frames) + (e.frames == 1 ? " frame" : " frames") + " (" +
           std::to_string(std::llround(e.lengthMs)) + " ms) before the title's start left out.";
}
inline std::string outsideClips(const std::string& caption, const TimelineEvent& e) {
    return caption + ": " + std::to_string(e.frames) + (e.frames == 1 ? " frame" : " frames") + " (" +
           std::to_string(std::llround(e.lengthMs)) +
           " ms) that the title does not play left out at its clips' joins.";
}
inline std::string startNotTimed(const std::string& caption, const std::string& why) {
    return "[re]" + caption + ": " + why +
           "; its pictures are placed by its frame rate from its first one.[/re]";
}
inline std::string gapLeft(const std::string& caption, const TimelineEvent& e) {
    return "[re]" + caption + ": no audio for " + std::to_string(std::llround(e.lengthMs)) + " ms at " +
           at(e.atMs) + " (" + e.file + "); the gap is kept so that sync after it stays.[/re]";
}
inline std::string listedButAbsent(const std::string& stream) {
    return "[re]The playlist names stream " + stream + ", which the source does not hold.[/re]";
}
constexpr size_t kEventsLogged = 5;  // per stream, of its dropped frames and of its gaps
inline std::string moreEvents(const std::string& caption, size_t more) {
    return "[re]" + caption + ": " + std::to_string(more) +
           " more dropped frames or gaps; the plan lists them all.[/re]";
}
inline std::string editedTrackAbsent(const std::string& stream) {
    return "[re]Track " + stream +
           " is not in the MKV: its name, language and flags given are not used.[/re]";
}
inline std::string notALanguage(const std::string& stream, const std::string& langcode) {
    return "[re]" + stream + ": langcode \"" + langcode + "\" is not an ISO 639-1 code; language und.[/re]";
}
inline std::string unknownTimeBase(const std::string& timeBase) {
    return "[re]Time base \"" + timeBase +
           "\" is not 60fps, 50fps or 24fps: chapter times are read at 60fps.[/re]";
}
inline std::string chapterTimeUnreadable(const std::string& name, const std::string& begin) {
    return "[re]Chapter \"" + name + "\": \"" + begin + "\" is not a time HH:MM:SS:FF; left out.[/re]";
}
inline std::string chapterPastEnd(const std::string& name, const std::string& begin,
                                  const std::string& duration) {
    return "[re]Chapter \"" + name + "\" at " + begin + " lies past the title's end (" + duration +
           "); left out.[/re]";
}
inline std::string tracksPlanned(size_t tracks, size_t chapters) {
    return "MKV: " + std::to_string(tracks) + " tracks, " + std::to_string(chapters) + " chapters.";
}
inline std::string planWritten(const std::string& output) {
    return "Plan written; mkvmerge was not run (it would write " + output + ").";
}
inline std::string running(const std::string& program) {
    return "Running " + program;
}
inline std::string muxingProgress(int percent) {
    return " " + std::to_string(percent) + "%";
}
// mkvmerge's warnings and errors, as it prints them.
inline bool isProblemLine(const std::string& line) {
    return line.rfind("Warning:", 0) == 0 || line.rfind("Error:", 0) == 0 ||
           line.rfind("#GUI#warning", 0) == 0 || line.rfind("#GUI#error", 0) == 0;
}
// The text of such a line, as "Warning: ..." or "Error: ...".
inline std::string problemText(const std::string& line) {
    if (line.rfind("#GUI#warning ", 0) == 0) return "Warning: " + line.substr(13);
    if (line.rfind("#GUI#error ", 0) == 0) return "Error: " + line.substr(11);
    return line;
}
inline std::string mkvmergeFailed(int status, const std::string& problem) {
    return "mkvmerge failed (exit status " + std::to_string(status) + ")" +
           (problem.empty() ? "." : ": " + problem);
}
inline std::string written(const std::string& path) {
    return "Written " + path;
}
// mkvmerge ended well but what it wrote is not the MKV asked for.
inline std::string mkvmergeWroteNoMkv(const std::string& why, const std::string& problem) {
    return "mkvmerge ended without writing the MKV: " + why +
           (problem.empty() ? "" : " (mkvmerge: " + problem + ")");
}
inline const std::string kMkvEmpty = "its output is empty.";
inline const std::string kMkvUnreadable = "mkvmerge -J cannot read its output.";
inline std::string mkvTracksMissing(size_t found, size_t asked) {
    return "its output holds " + std::to_string(found) + " of the " + std::to_string(asked) +
           " tracks asked for.";
}

}  // namespace quarnel::runs::mkv_texts
