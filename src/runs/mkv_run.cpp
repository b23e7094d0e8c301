// SPDX-License-Identifier: GPL-3.0-or-later
// Make MKV: the streams asked for demuxed into a scratch folder (subpictures as PGS, LPCM as WAV),
// each audio stream's frames placed on the title's time line, the playlist's names, languages
// and chapters, then mkvmerge writing BASE.mkv.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/external_program.h"
#include "app/stream_boxes.h"
#include "codecs/picture_units.h"
#include "formats/disc/title_time.h"
#include "io/mapped_file.h"
#include "io/run_owner.h"
#include "report/xml_text.h"
#include "runs/mkv_plan.h"
#include "runs/mkv_texts.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"
#include "runs/video_timestamps.h"

namespace quarnel::runs {
namespace {

namespace fs = std::filesystem;

constexpr double kTicksPerMs = 90.0;
// Shares of the progress bar: a Read of the title when the streams came from the playlist,
// the demux up to half, mkvmerge the rest.
constexpr double kReadAgainShare = 0.1;
constexpr double kDemuxShare = 0.5;
constexpr int kPollMs = 100;  // how long mkvmerge's output is waited for between user events

// mkvmerge's progress in percent from a "#GUI#progress 42%" line.
std::optional<int> progressOf(const std::string& line) {
    static const std::string prefix = "#GUI#progress ";
    if (line.rfind(prefix, 0) != 0) return std::nullopt;
    return std::atoi(line.c_str() + prefix.size());
}

class MkvRun {
  public:
    MkvRun(const Request& request, RunState& state, Host& host)
        : req_(request), chosen_(request), s_(state), host_(host), log_(host) {}

    // True when the title was read again through every file (its streams came from a playlist).
    bool run() {
        work();
        return readAgainThrough_;
    }

  private:
    void work() {
        if (s_.runActive) return;
        s_.run.busy = "Make MKV";
        const struct NotBusy {
            RunValues& run;
            ~NotBusy() {
                run.busy = nullptr;
                run.progress.from = 0;  // the next run's bar is its own
                run.progress.to = 1;
            }
        } notBusy{s_.run};
        s_.lastError.clear();
        s_.run.mkvPlan.clear();
        try {
            if (req_.streamsFromPlaylist && !readAgain()) return;
            if (!prepare()) return;
            if (!demux()) return finishFailed();
            RunGuard guard(s_.runActive);
            buildPlan();
            writePlanFiles();
            if (req_.options.mkvPlanOnly) {
                log_.log(mkv_texts::planWritten(plan_.output));
                s_.run.outputsWritten = {planPath_, optionPath_};
            } else {
                mux();
            }
        } catch (const std::exception& e) {
            s_.lastError = e.what();
            logError(log_, s_.lastError);
        }
        if (!s_.lastError.empty()) return finishFailed();
        removeScratch();
        logDone(log_);
        statusReady(log_);
    }

    const Request& req_;
    Request chosen_;  // the request with the streams the title holds, after a read again
    RunState& s_;
    Host& host_;
    MessageLog log_;
    std::string mkvmerge_, scratch_, finalPath_, planPath_, optionPath_;
    // A title placed by its clips (see placeTitle): the PTS at MKV time 0, and how far into the
    // MKV the title starts (its video's reference pictures from before it are shown there).
    std::optional<TimeStamp> titleOrigin_;
    double titleStartMs_ = 0;
    DemuxTiming timing_;
    MkvPlan plan_;
    double readAgainShare_ = 0;  // of the bar, taken by a Read of the title first
    bool readAgainThrough_ = false;
    OutputLock lock_;  // the run's claim on BASE.mkv and its scratch folder

    bool fail(const std::string& why) {
        s_.lastError = why;
        logError(log_, why);
        statusReady(log_);
        return false;
    }

    void finishFailed() {
        if (s_.lastError.empty()) s_.lastError = s_.run.interrupted ? "Interrupted." : mkv_texts::kCancelled;
        // A Cancel that keeps what was written keeps the scratch folder with the streams.
        if (!scratch_.empty() && !s_.run.interrupted && s_.run.cancel && s_.run.keepStopped) {
            keepScratch();
            log_.log(mkv_texts::scratchKept(scratch_));
        } else {
            removeScratch();
        }
        statusReady(log_);
    }

    // The run's own scratch folder: BASE.mkv-temp, or when a folder of that name is there
    // already (another run's, or a user's), a new BASE.mkv-temp-XXXXXX beside it; only a folder
    // the run made itself is ever removed. Returns the system's reason on failure.
    std::string createScratch(const std::string& wanted) {
        std::error_code ec;
        fs::create_directories(fs::path(wanted).parent_path(), ec);
        if (::mkdir(wanted.c_str(), 0777) == 0) {
            scratch_ = wanted;
        } else {
            if (errno != EEXIST) return std::error_code(errno, std::generic_category()).message();
            std::string unique = wanted + "-XXXXXX";
            if (!::mkdtemp(unique.data())) return std::error_code(errno, std::generic_category()).message();
            scratch_ = unique;
        }
        // Marked as this run's, so that a later run removes it should this one be killed.
        markFolderOwner(scratch_);
        return {};
    }

    void removeScratch() {
        if (scratch_.empty()) return;
        if (req_.options.keepTemp || req_.options.mkvPlanOnly) return keepScratch();
        std::error_code ec;
        fs::remove_all(scratch_, ec);
    }

    // A scratch folder kept for the user is no longer the run's: without its marker, no later
    // run takes it for a killed run's leftovers.
    void keepScratch() const { ::unlink((scratch_ + "/" + kOwnerFileName).c_str()); }

    // Streams chosen from a playlist's list have no ids yet: the title is read, and each stream
    // asked for that it holds keeps its playlist name and takes the id found in its slot.
    bool readAgain() {
        s_.run.progress.from = 0;
        s_.run.progress.to = readAgainShare_ = kReadAgainShare;
        const ReadOutcome outcome = readTitle(req_, s_, host_);
        readAgainThrough_ = outcome.readEveryFile;
        if (!outcome.finished || s_.run.cancel) return false;
        chosen_.streams.clear();
        chosen_.streamsFromPlaylist = false;
        for (StreamChoice c : req_.streams) {
            const int32_t id = c.kind == StreamKind::Video
                                   ? (c.slot < kUsedVideoSlots ? s_.table.video[size_t(c.slot)] : -1)
                               : c.kind == StreamKind::Audio ? s_.table.audio[size_t(c.slot)]
                                                             : s_.table.sub[size_t(c.slot)];
            if (id < 0) continue;
            c.id = id;
            chosen_.streams.push_back(std::move(c));
        }
        addStreamsThePlaylistDoesNotList();
        return true;
    }

    // A stream the playlist does not list had no box to untick: it is muxed as a Read ticks it
    // (an HD DVD title's, only where the title lists it), so that Make MKV after the playlist
    // alone makes what it makes after a Read.
    void addStreamsThePlaylistDoesNotList() {
        const bool aob = req_.title.sourceExtension() == ".AOB";
        const bool discTitle = req_.title.origin == TitleOrigin::HdDvdPlaylist && !req_.title.tracks.empty();
        const auto add = [&](StreamKind kind, const auto& ids, const auto& listed, size_t count,
                             size_t boxes) {
            for (size_t k = 0; k < count; ++k) {
                if (ids[k] < 0 || (k < boxes && listed[k].listed)) continue;
                if (discTitle && kind != StreamKind::Video && !titleTrack(req_.title, kind, k)) continue;
                chosen_.streams.push_back(
                    {.kind = kind, .slot = int(k), .id = ids[k], .name = boxCaption(kind, ids[k], k, aob)});
            }
        };
        add(StreamKind::Video, s_.table.video, req_.playlist.video, size_t(kUsedVideoSlots), 1);
        add(StreamKind::Audio, s_.table.audio, req_.playlist.audio, size_t(kAudioSlots), size_t(kAudioSlots));
        add(StreamKind::Subpicture, s_.table.sub, req_.playlist.sub, size_t(kSubSlots), size_t(kSubSlots));
    }

    // The source, mkvmerge and the names: what must hold before anything is written.
    bool prepare() {
        const std::string ext = req_.title.sourceExtension();
        if (ext != ".EVO" && ext != ".VOB")
            return fail(mkv_texts::notEvoOrVob(nameOf(req_.title.firstFile())));
        if (chosen_.streams.empty()) return fail(mkv_texts::kNothingTicked);
        if (!req_.options.mkvPlanOnly) {
            const char* chosen = std::getenv("QUARNEL_MKVMERGE");
            mkvmerge_ = ExternalProgram::find(chosen && *chosen ? chosen : "mkvmerge");
            if (mkvmerge_.empty())
                return fail(chosen && *chosen ? mkv_texts::chosenMkvmergeMissing(chosen)
                                              : mkv_texts::kMkvmergeMissing);
        }
        // Absolute names: the option file works from any folder (`mkvmerge @BASE.mkvmerge.json`).
        std::error_code absoluteFailed;
        const fs::path base = fs::absolute(req_.outputBase(), absoluteFailed);
        const std::string outputBase = absoluteFailed ? req_.outputBase() : base.lexically_normal().string();
        finalPath_ = outputBase + ".mkv";
        refuseInput(finalPath_, inputsOf(req_));
        lock_ = claimOutputs(outputBase, log_);
        const std::string wanted = outputBase + ".mkv-temp";
        const std::string why = createScratch(wanted);
        if (!why.empty()) return fail(mkv_texts::cannotCreateFolder(wanted, why));
        log_.log(mkv_texts::scratchFolder(scratch_));
        return true;
    }

    // What is wrong with the file mkvmerge wrote, by `mkvmerge -J`; "" when it holds every track
    // of the plan.
    std::string missingFromOutput(const std::string& path) const {
        std::error_code ec;
        if (fs::file_size(path, ec) == 0 || ec) return mkv_texts::kMkvEmpty;
        std::vector<std::string> lines;
        if (runToEnd(mkvmerge_, {"-J", path}, lines) > 1) return mkv_texts::kMkvUnreadable;
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        const nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
        if (report.is_discarded() || !report.is_object() || !report.contains("tracks") ||
            !report["tracks"].is_array())
            return mkv_texts::kMkvUnreadable;
        const size_t found = report["tracks"].size();
        if (found < plan_.tracks.size()) return mkv_texts::mkvTracksMissing(found, plan_.tracks.size());
        return {};
    }

    // The streams asked for into the scratch folder, subpictures as PGS only, LPCM as WAV.
    bool demux() {
        Request demuxing = chosen_;
        demuxing.options.outputDir = scratch_;
        demuxing.options.subtitles = SubtitleFormats{.sup = false, .pgs = true};
        demuxing.options.lpcmWav = true;
        demuxing.options.splitTracks = false;
        // The demux fills the first half of the bar; mkvmerge, which reads about as many bytes
        // again, the second.
        s_.run.progress.from = readAgainShare_;
        s_.run.progress.to = kDemuxShare;
        const bool done = demuxTitle(demuxing, s_, host_, &timing_);
        s_.run.progress.from = kDemuxShare;
        s_.run.progress.to = 1;
        host_.setProgress(uint64_t(s_.run.progress.bar(0) * 100), 100);
        host_.pumpEvents();  // the window keeps drawing while the plan is built
        return done;
    }

    std::string demuxedPath(const StreamChoice& stream, const std::string& ext) const {
        return scratch_ + "/" + req_.baseName + "." + stream.name + "." + ext;
    }

    // The time origin: the earliest first PTS of the audio and video streams, as the Read found
    // it (the subpicture records are timed from it too).
    TimeStamp origin() const { return titleOrigin_.value_or(s_.run.earliestFirstPts.value_or(0)); }

    // A title whose video was cut to its clips' windows (a clip that begins or ends inside an
    // EVOBU, where the clips do not simply follow one another) is placed by its clips' title
    // times: the MKV starts right before the title, each video stream's reference pictures from
    // before it a millisecond each, then the title.
    void placeTitle() {
        const std::vector<PartVideo>& parts = timing_.parts;
        if (parts.empty() || parts.size() != req_.title.parts.size()) return;
        if (!parts.front().start && timing_.placed.empty()) return;
        const TitlePart& first = req_.title.parts.front();
        const std::optional<uint64_t> start = parts.front().start ? parts.front().start : first.firstPts;
        if (!start) return;
        size_t most = 0;
        for (size_t k = 0; k < size_t(kUsedVideoSlots); ++k)
            if (chosen_.chosen(StreamKind::Video, int(k)))
                most = std::max(most, parts.front().headReferences[k]);
        titleStartMs_ = double(most);
        titleOrigin_ = (*start - TimeStamp(most) * TimeStamp(kTicksPerMs)) & kTimeStampMask;
    }

    // Where a part's window starts on the title's time line, in ticks from the title's start.
    uint64_t partTitleTicks(size_t p) const {
        const std::vector<TitlePart>& parts = req_.title.parts;
        return parts[p].clipTitleStart - std::min(parts[p].clipTitleStart, parts.front().clipTitleStart);
    }

    // Where the title's clips join inside EVOBUs: each part's window on the output's time line,
    // in ticks (the next part's start, the last one's the title's end).
    std::vector<std::pair<double, double>> clipWindows() const {
        std::vector<std::pair<double, double>> windows;
        if (!titleOrigin_ || timing_.placed.empty() || timing_.files.size() != req_.title.parts.size())
            return windows;
        const double start = titleStartMs_ * kTicksPerMs;
        for (size_t p = 0; p < req_.title.parts.size(); ++p)
            windows.push_back({start + double(partTitleTicks(p)), p + 1 < req_.title.parts.size()
                                                                      ? start + double(partTitleTicks(p + 1))
                                                                      : titleEndTicks().value_or(1e300)});
        return windows;
    }

    // Each part of a video stream: its pictures, as the cut output holds them, and the
    // references kept outside its window.
    std::vector<PartPictures> partPictures(const std::string& file, size_t slot) const {
        const StreamKindEntry* kind = streamKindIn(StreamKind::Video, s_.table.video[slot]);
        if (!kind || !kind->pictures) throw QuarnelError("its pictures cannot be told apart");
        const MappedFile mapped(file);
        std::vector<PartPictures> parts;
        uint64_t cut = 0;  // bytes left out of the parts before
        for (size_t p = 0; p < timing_.parts.size(); ++p) {
            const PartVideo& part = timing_.parts[p];
            const uint64_t begin = part.begin[slot] - cut;
            cut += part.cutBytes[slot];
            const uint64_t end = std::min<uint64_t>(part.finish[slot] - cut, mapped.bytes().size());
            const size_t pictures =
                begin < end ? pictureUnits(*kind->pictures, mapped.bytes().subspan(begin, end - begin)).size()
                            : 0;
            parts.push_back({pictures, part.headReferences[slot], part.tailReferences[slot],
                             titleStartMs_ + double(partTitleTicks(p)) / kTicksPerMs});
        }
        return parts;
    }

    // The video stream's times from the title's clips (see video_timestamps.h); false, with a
    // line, when they cannot be made.
    bool timeByClips(MkvTrack& t, size_t slot) {
        std::string extract = (fs::path(mkvmerge_).parent_path() / "mkvextract").string();
        if (mkvmerge_.empty() || ::access(extract.c_str(), X_OK) != 0)
            extract = ExternalProgram::find("mkvextract");
        const std::string mkvmerge = mkvmerge_.empty() ? ExternalProgram::find("mkvmerge") : mkvmerge_;
        try {
            if (mkvmerge.empty() || extract.empty())
                throw QuarnelError(
                    "mkvmerge and mkvextract (MKVToolNix) are needed to time it from the title's clips");
            const std::string base = scratch_ + "/" + req_.baseName + "." + t.stream;
            const double endMs = titleStartMs_ + req_.title.durationSeconds.value_or(0) * 1000.0;
            const std::vector<PartPictures> parts = partPictures(t.file, slot);
            writeVideoTimestamps({mkvmerge, extract, t.file, base, base + ".timestamps.txt", parts, endMs});
            t.timestamps = base + ".timestamps.txt";
            t.startMs = titleStartMs_ - double(parts.front().before);
            return true;
        } catch (const QuarnelError& e) {
            log_.log(mkv_texts::startNotTimed(t.stream, e.what()));
            return false;
        }
    }

    // Title time, in ticks from the origin, at which the title starts: its first picture and
    // the lead-in before a first clip's in-point, or where its start was placed.
    double titleStartTicks() const {
        if (titleOrigin_) return titleStartMs_ * kTicksPerMs;
        const MaybeTimeStamp video = firstVideoPts();
        return (video ? double(stampDistance(*video, origin())) : 0.0) + double(req_.title.leadIn);
    }

    double msFromOrigin(TimeStamp pts) const { return double(stampDistance(pts, origin())) / kTicksPerMs; }

    // Each later file whose time stamps restart or jump is moved to go on where the file
    // before it ended (the Demux moved its subpicture records already).
    std::vector<int64_t> fileShifts() {
        std::vector<int64_t> shifts;
        for (size_t k = 0; k < timing_.files.size(); ++k) {
            shifts.push_back(timing_.shiftOf(k));
            if (k == 0 || shifts[k] == shifts[k - 1]) continue;
            const FileTiming& t = timing_.files[k];
            const double ms = double(shifts[k] - shifts[k - 1]) / kTicksPerMs;
            log_.log(t.fromVobu == 0 ? mkv_texts::fileMoved(t.name, ms)
                                     : mkv_texts::stretchMoved(t.name, t.fromVobu, ms));
        }
        return shifts;
    }

    // Streams the playlist names that the source does not hold.
    void reportAbsentStreams() {
        for (size_t k = 0; k < size_t(kAudioSlots); ++k)
            if (req_.playlist.audio[k].listed && s_.table.audio[k] < 0)
                log_.log(mkv_texts::listedButAbsent(streamName(StreamKind::Audio, k)));
        for (size_t k = 0; k < size_t(kSubSlots); ++k)
            if (req_.playlist.sub[k].listed && s_.table.sub[k] < 0)
                log_.log(mkv_texts::listedButAbsent(streamName(StreamKind::Subpicture, k)));
    }

    void buildPlan() {
        plan_.output = finalPath_;
        reportAbsentStreams();
        placeTitle();
        const std::vector<int64_t> shifts = fileShifts();
        for (size_t k = 0; k < timing_.files.size(); ++k)
            plan_.files.push_back({timing_.files[k].name, double(shifts[k]) / kTicksPerMs});
        plan_.title = req_.playlist.name.empty() ? req_.title.displayName : decodeXmlText(req_.playlist.name);
        addVideo();
        host_.pumpEvents();
        addAudio(shifts);
        host_.pumpEvents();
        addSubtitles();
        applyTrackEdits();
        addChapters();
    }

    // The first PTS of a video slot, of the first file that holds it.
    MaybeTimeStamp firstVideoPts(size_t slot = 0) const {
        for (const FileTiming& f : timing_.files)
            if (f.firstVideoPts[slot]) return f.firstVideoPts[slot];
        return std::nullopt;
    }

    // Video is placed by its first time stamp: mkvmerge times its frames from the frame rate.
    void addVideo() {
        bool firstVideo = true;
        for (size_t k = 0; k < size_t(kUsedVideoSlots); ++k) {
            const StreamChoice* stream = chosen_.chosen(StreamKind::Video, int(k));
            if (!stream) continue;
            const StreamKindEntry* kind = streamKindIn(StreamKind::Video, s_.table.video[k]);
            MkvTrack t{.stream = streamName(StreamKind::Video, k),
                       .type = "video",
                       .codec = kind ? kind->codec : "",
                       .file = demuxedPath(*stream, req_.options.videoExtension)};
            if (!fileExists(t.file)) {
                log_.log(mkv_texts::trackLeftOut(stream->name));
                continue;
            }
            const bool timed = titleOrigin_ && timeByClips(t, k);
            if (const auto pts = firstVideoPts(k); pts && !timed) {
                t.startMs = msFromOrigin(*pts);
                t.delayMs = std::llround(t.startMs);
            }
            t.defaultTrack = firstVideo;
            firstVideo = false;
            plan_.tracks.push_back(std::move(t));
        }
    }

    void addAudio(const std::vector<int64_t>& shifts) {
        bool firstAudio = true;
        for (size_t k = 0; k < size_t(kAudioSlots); ++k) {
            const StreamChoice* stream = chosen_.chosen(StreamKind::Audio, int(k));
            if (!stream) continue;
            const StreamKindEntry* kind = streamKindIn(StreamKind::Audio, s_.table.audio[k]);
            if (!kind) continue;
            const std::optional<FramedAudio> framed = kind->frames;
            const bool wav = kind->coding == Coding::Lpcm;
            MkvTrack t{.stream = streamName(StreamKind::Audio, k),
                       .type = "audio",
                       .codec = kind->codec,
                       .file = demuxedPath(*stream, wav ? "wav" : req_.options.audioExtension)};
            if (!fileExists(t.file)) {
                log_.log(mkv_texts::trackLeftOut(stream->name));
                continue;
            }
            takeListedMetadata(t, StreamKind::Audio, k, kind->codec);
            t.defaultTrack = firstAudio;
            firstAudio = false;
            const std::vector<PtsAnchor>& anchors = timing_.audio[k];
            if (framed) {
                TimelineInput in{*framed,
                                 t.file,
                                 demuxedPath(*stream, "kept"),
                                 demuxedPath(*stream, "timestamps.txt"),
                                 &anchors,
                                 &timing_.files,
                                 shifts,
                                 origin(),
                                 titleEndTicks(),
                                 titleOrigin_ ? std::optional<double>(titleStartTicks()) : std::nullopt};
                in.fileWindows = clipWindows();
                const AudioTimeline line = followAudio(in);
                t.file = line.streamPath;
                t.timestamps = in.timestampsPath;
                t.startMs = line.firstMs;
                t.drops = line.drops;
                t.gaps = line.gaps;
                reportTimeline(stream->name, line);
            } else if (!anchors.empty()) {
                t.startMs =
                    msFromOrigin(anchors.front().pts) + double(shifts[anchors.front().file]) / kTicksPerMs;
                t.delayMs = std::llround(t.startMs);
                if (timing_.files.size() > 1) log_.log(mkv_texts::lpcmJoinsNotFollowed(stream->name));
            }
            plan_.tracks.push_back(std::move(t));
        }
    }

    // Title time at which an HD DVD title ends: its duration after its start (its first picture
    // and the lead-in before a first clip's in-point). Audio that a clip's last EVOBU carries
    // beyond it is not the title's.
    std::optional<double> titleEndTicks() const {
        if (req_.title.origin != TitleOrigin::HdDvdPlaylist || !req_.title.durationSeconds)
            return std::nullopt;
        return titleStartTicks() + *req_.title.durationSeconds * 1000.0 * kTicksPerMs;
    }

    // The first few drops and gaps of a stream in lines of their own, the rest counted: a
    // damaged stream could have thousands (the plan lists them all).
    void reportTimeline(const std::string& caption, const AudioTimeline& line) {
        if (line.skippedBytes > 0) log_.log(mkv_texts::bytesSkipped(caption, line.skippedBytes));
        for (size_t k = 0; k < line.drops.size() && k < mkv_texts::kEventsLogged; ++k)
            log_.log(mkv_texts::framesDropped(caption, line.drops[k]));
        for (size_t k = 0; k < line.gaps.size() && k < mkv_texts::kEventsLogged; ++k)
            log_.log(mkv_texts::gapLeft(caption, line.gaps[k]));
        const size_t more = line.drops.size() + line.gaps.size() -
                            std::min(line.drops.size(), mkv_texts::kEventsLogged) -
                            std::min(line.gaps.size(), mkv_texts::kEventsLogged);
        if (more > 0) log_.log(mkv_texts::moreEvents(caption, more));
        if (line.pastEnd.frames > 0) log_.log(mkv_texts::pastTitleEnd(caption, line.pastEnd));
        if (line.beforeStart.frames > 0) log_.log(mkv_texts::beforeTitleStart(caption, line.beforeStart));
        if (line.outsideClips.frames > 0) log_.log(mkv_texts::outsideClips(caption, line.outsideClips));
    }

    void addSubtitles() {
        for (size_t k = 0; k < size_t(kSubSlots); ++k) {
            const StreamChoice* stream = chosen_.chosen(StreamKind::Subpicture, int(k));
            if (!stream) continue;
            MkvTrack t{.stream = streamName(StreamKind::Subpicture, k),
                       .type = "subtitles",
                       .codec = "PGS",
                       .file = demuxedPath(*stream, "pgs.sup")};
            std::error_code ec;
            if (!fileExists(t.file) || fs::file_size(t.file, ec) == 0) {
                log_.log(mkv_texts::noSubtitlesLeftOut(stream->name));
                continue;
            }
            takeListedMetadata(t, StreamKind::Subpicture, k, "");
            t.defaultTrack = t.forced;
            // Its records are timed from the earliest first PTS.
            if (titleOrigin_)
                t.delayMs = std::llround(
                    double(stampDistance(s_.run.earliestFirstPts.value_or(0), origin())) / kTicksPerMs);
            plan_.tracks.push_back(std::move(t));
        }
    }

    // The name, language and forced flag the playlist and the disc's title give the stream.
    void takeListedMetadata(MkvTrack& t, StreamKind kind, size_t slot, const std::string& codec) {
        std::string unread;
        const TrackMetadata m = listedMetadata(req_.playlist, req_.title, kind, slot, codec, &unread);
        if (!unread.empty()) log_.log(mkv_texts::notALanguage(t.stream, unread));
        t.name = m.name;
        t.language = m.language;
        t.forced = m.forced;
    }

    // The user's names, languages and flags over the navigation's; a default named for a kind
    // takes the flag from the other tracks of that kind.
    void applyTrackEdits() {
        for (const auto& edit : req_.trackEdits) {
            const std::string& stream = edit.first;
            if (std::ranges::none_of(plan_.tracks, [&](const MkvTrack& t) { return t.stream == stream; }))
                log_.log(mkv_texts::editedTrackAbsent(stream));
        }
        for (MkvTrack& t : plan_.tracks) {
            const TrackMetadata m =
                effectiveMetadata({t.name, t.language, t.defaultTrack, t.forced}, req_.trackEdits, t.stream);
            t.name = m.name;
            t.language = m.language;
            t.defaultTrack = m.defaultTrack;
            t.forced = m.forced;
        }
    }

    // The playlist's chapters at their title times, moved by where the video starts.
    void addChapters() {
        const PlaylistTitle& v = req_.playlist;
        const auto video = firstVideoPts();
        const int64_t offsetNs = titleOrigin_ ? int64_t(std::llround(titleStartMs_ * 1e6))
                                 : video      ? int64_t(std::llround(msFromOrigin(*video) * 1e6))
                                              : 0;
        // A disc title's chapters, from its start.
        if (v.chapters.empty()) {
            const int64_t startNs = int64_t(std::llround(titleStartTicks() / kTicksPerMs * 1e6));
            for (const TitleChapter& c : req_.title.chapters)
                plan_.chapters.push_back(
                    {uint64_t(std::max<int64_t>(0, int64_t(c.time * 100000 / 9) + startNs)), c.name});
            return;
        }
        const std::optional<TimeBase> base = timeBaseOf(v.timeBase);
        if (!base) log_.log(mkv_texts::unknownTimeBase(v.timeBase));
        const TimeBase tb = base.value_or(TimeBase{});
        const std::optional<uint64_t> end = titleTimeNs(v.duration, tb);
        for (const PlaylistChapter& c : v.chapters) {
            const std::optional<uint64_t> at = titleTimeNs(c.begin, tb);
            const std::string name = decodeXmlText(c.name);
            if (!at) {
                log_.log(mkv_texts::chapterTimeUnreadable(name, c.begin));
                continue;
            }
            if (end && *at > *end) {
                log_.log(mkv_texts::chapterPastEnd(name, c.begin, v.duration));
                continue;
            }
            plan_.chapters.push_back({uint64_t(std::max<int64_t>(0, int64_t(*at) + offsetNs)), name});
        }
    }

    void writePlanFiles() {
        if (!plan_.chapters.empty()) {
            plan_.chaptersFile = scratch_ + "/" + req_.baseName + ".chapters.xml";
            writeTextFile(plan_.chaptersFile, chapterXml(plan_.chapters));
        }
        const bool keep = req_.options.mkvPlanOnly;
        optionPath_ = (keep ? req_.outputBase() : scratch_ + "/" + req_.baseName) + ".mkvmerge.json";
        planPath_ = (keep ? req_.outputBase() : scratch_ + "/" + req_.baseName) + ".plan.json";
        refuseInput(optionPath_, inputsOf(req_));
        refuseInput(planPath_, inputsOf(req_));
        writeTextFile(optionPath_, optionFileText(mkvmergeArguments(plan_)));
        s_.run.mkvPlan = planText(plan_);
        writeTextFile(planPath_, s_.run.mkvPlan);
        log_.log(mkv_texts::tracksPlanned(plan_.tracks.size(), plan_.chapters.size()));
    }

    // mkvmerge writes the MKV under a temporary name that takes the final one when it ends well.
    void mux() {
        OutputFile mkv;
        mkv.create(finalPath_);
        mkv.finish();
        std::vector<std::string> args = mkvmergeArguments(plan_);
        args[1] = mkv.temporaryPath();
        const std::string options = scratch_ + "/" + req_.baseName + ".run.json";
        writeTextFile(options, optionFileText(args));
        log_.log(mkv_texts::running(mkvmerge_));
        log_.slog(mkv_texts::kMuxingStatus, 0);

        CancelEnabled cancelEnabled(s_.cancelEnabled);
        s_.run.cancel = s_.run.interrupted;
        ExternalProgram program;
        program.start(mkvmerge_, {"--gui-mode", "@" + options});
        std::vector<std::string> lines;
        std::string lastProblem;
        bool open = true;
        while (open) {
            lines.clear();
            open = program.readLines(lines, kPollMs);
            for (const std::string& line : lines) {
                if (const auto percent = progressOf(line)) {
                    host_.setProgress(uint64_t(s_.run.progress.bar(*percent / 100.0) * 100), 100);
                    log_.slog(mkv_texts::muxingProgress(*percent), 1);
                } else if (mkv_texts::isProblemLine(line)) {
                    lastProblem = mkv_texts::problemText(line);
                    log_.log("[re]mkvmerge: " + escapeControls(lastProblem) + "[/re]");
                }
            }
            host_.pumpEvents();
            if (s_.run.cancel || s_.run.interrupted) {
                program.stop();
                break;
            }
        }
        const int status = program.wait();
        if (s_.run.cancel || s_.run.interrupted) {
            const bool keep = s_.run.interrupted ? req_.options.keepPartial : s_.run.keepStopped;
            if (keep && mkv.keepPartial())
                logKeptPartial(log_, finalPath_ + kPartialMark);
            else
                mkv.discard();
            if (s_.run.interrupted) logInterrupted(log_);
            s_.lastError = s_.run.interrupted ? "Interrupted." : mkv_texts::kCancelled;
            return;
        }
        // 0: done; 1: done with warnings (logged above); anything else: failed.
        if (status != 0 && status != 1) {
            mkv.discard();
            s_.lastError = mkv_texts::mkvmergeFailed(status, lastProblem);
            logError(log_, s_.lastError);
            return;
        }
        // An exit status alone does not say an MKV was written: the earlier one of the name
        // stays unless mkvmerge's own reading finds every track in the new one.
        if (const std::string why = missingFromOutput(mkv.temporaryPath()); !why.empty()) {
            mkv.discard();
            s_.lastError = mkv_texts::mkvmergeWroteNoMkv(why, lastProblem);
            logError(log_, s_.lastError);
            return;
        }
        PendingOutputs pending;
        mkv.commit();
        std::vector<std::string> written{finalPath_};
        if (!settleExisting(pending, written, s_, host_, req_.options)) {
            s_.lastError = mkv_texts::kCancelled;
            return;
        }
        pending.commit();
        s_.run.outputsWritten = written;
        log_.log(mkv_texts::written(written.front()));
    }
};

}  // namespace

bool makeMkvOfTitle(const Request& request, RunState& state, Host& host) {
    return MkvRun(request, state, host).run();
}

}  // namespace quarnel::runs
