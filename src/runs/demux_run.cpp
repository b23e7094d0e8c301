// SPDX-License-Identifier: GPL-3.0-or-later
// The Demux run: one output file per stream asked for, then every part of the title through
// the demux pass, appending each stream's payload to its file.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/disc/dvd_ifo.h"
#include "report/text_format.h"
#include "runs/pack_pass.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"
#include "runs/subtitle_conversion.h"
#include "runs/subtitle_outputs.h"
#include "runs/video_cuts.h"

namespace quarnel::runs {
namespace {

class DemuxRun {
  public:
    DemuxRun(const Request& request, RunState& state, Host& host, DemuxTiming* timing)
        : req_(request), s_(state), host_(host), log_(host), frames_(state.run) {
        // Every Demux follows the title's time line: the .sup records of a stretch whose time
        // stamps restart go on from the stretch before.
        ownTiming_.anchorsKept = false;
        outputs_.timing = timing ? timing : &ownTiming_;
    }

    // True when every output was written and put in place.
    bool run() {
        if (s_.runActive) return false;
        RunGuard guard(s_.runActive);
        s_.lastError.clear();
        host_.showPage(Page::Status);
        s_.run.endPtmSum = 0;
        frames_.reset();
        s_.run.videoDurationSum = 0;
        // Within Make MKV the Demux is a step of that run, which the Cancel question names.
        const char* const busyBefore = s_.run.busy;
        if (!busyBefore) s_.run.busy = "Demux";
        s_.run.outputsWritten.clear();
        s_.run.subtitleTexts.clear();
        s_.run.droppedSubtitleRecords = {};

        bool failed = false;
        // Every output waits here once written; they take their final names together, when
        // the whole run has gone well.
        PendingOutputs pending;
        try {
            const OutputLock lock = claimOutputs(req_.outputBase(), log_);
            if (req_.options.splitTracks && req_.title.sourceExtension() == ".AOB") takeTracks();
            createOutputs(inputsOf(req_));
            const PassInput in{req_, s_, host_, log_, input_, frames_, &outputs_};
            outputs_.sequenceBase = atsBytesBefore(req_.title.firstFile());
            // A clip that begins inside an EVOBU is read from the EVOBU's start, its first
            // picture that can be decoded.
            if (req_.title.leadIn > 0)
                log_.log("The title begins " + formatSpanMs(double(req_.title.leadIn) / 90000) +
                         " into the first EVOBU it plays, which is read from its start.");
            placeParts();
            size_t part = 0;
            forEachSourceFile(
                req_.title, req_.options, s_.run, log_, input_, Opening{}, [&](const std::string& file) {
                    beginPart(part++);
                    log_.log(fileSizeLine(input_));
                    log_.log("Demuxing " + nameOf(file));
                    log_.slog("Demuxing " + nameOf(file), 0);
                    passOverFile(Pass::Demux, in);
                    outputs_.sequenceBase += input_.size();
                    if (!outputs_.timing->parts.empty())
                        for (size_t k = 0; k < size_t(kUsedVideoSlots); ++k)
                            outputs_.timing->parts.back().finish[k] = outputs_.video[k].written();
                });
            if (!stopped()) {
                // Finishing writes what is still buffered: a full disk shows here too, before
                // any output takes its final name.
                outputs_.finish();
                cutVideoToParts();
                convertSubtitles();
                std::vector<std::string> written = outputs_.commit();
                written.insert(written.end(), converted_.begin(), converted_.end());
                if (!stopped() && settleExisting(pending, written, s_, host_, req_.options)) {
                    pending.commit();
                    s_.run.outputsWritten = std::move(written);
                }
            }
        } catch (const std::exception& e) {
            failed = true;
            s_.lastError = e.what();
            logError(log_, s_.lastError);
        }
        input_.close();
        settleOutputs(outputs_.all(), pending, s_.run, req_.options, failed, log_);
        frames_.takeWritten();
        for (size_t k = 0; k < cutPictures_.size(); ++k) s_.run.countedFrames[k] -= int32_t(cutPictures_[k]);

        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
        } else if (!failed && !s_.run.cancel) {
            logDone(log_);
        }
        statusReady(log_);
        reportFrames(s_.run, log_, false);
        s_.run.busy = busyBefore;
        return !failed && !s_.run.interrupted && !s_.run.cancel;
    }

  private:
    bool stopped() const { return s_.run.interrupted || s_.run.cancel; }

    const Request& req_;
    RunState& s_;
    Host& host_;
    MessageLog log_;
    FrameCounter frames_;
    InputFile input_;
    DemuxTiming ownTiming_;
    StreamOutputs outputs_;
    std::vector<std::string> converted_;  // the subtitle conversions' outputs, in place
    // The pictures that the video cuts left out.
    std::array<size_t, kUsedVideoSlots> cutPictures_{};

    static std::string pictures(size_t n) { return std::to_string(n) + (n == 1 ? " picture" : " pictures"); }

    // A part of a disc title: where its window lies and where its video begins in each output.
    void beginPart(size_t k) {
        if (k >= req_.title.parts.size()) return;
        const TitlePart& part = req_.title.parts[k];
        PartVideo video;
        video.start = part.startPts;
        video.end = part.endPts;
        for (size_t slot = 0; slot < size_t(kUsedVideoSlots); ++slot)
            video.begin[slot] = outputs_.video[slot].written();
        outputs_.timing->parts.push_back(std::move(video));
    }

    // A title whose parts join inside EVOBUs places each part at its own title time: ticks added
    // to its time stamps, the first part's none.
    void placeParts() {
        const Title& title = req_.title;
        if (!title.joinsInsideEvobus()) return;
        std::vector<int64_t> placed;
        for (const TitlePart& part : title.parts) {
            if (!part.firstPts || !title.parts[0].firstPts) return;
            placed.push_back(
                part.dataTitleTicks() - title.parts[0].dataTitleTicks() -
                stampDistance(*part.firstPts & kTimeStampMask, *title.parts[0].firstPts & kTimeStampMask));
        }
        outputs_.timing->placed = std::move(placed);
        log_.log("The title's clips join inside EVOBUs: each is cut to its stretch and placed at its time.");
    }

    // Each video stream cut to the windows of the parts, the last part first so that the places
    // noted for the parts before it stay where they were.
    void cutVideoToParts() {
        std::vector<PartVideo>& parts = outputs_.timing->parts;
        for (size_t k = 0; k < size_t(kUsedVideoSlots); ++k) {
            const StreamKindEntry* kind = streamKindIn(StreamKind::Video, s_.table.video[k]);
            if (!outputs_.video[k].pending() || !kind || !kind->pictures) continue;
            PictureCut ends;
            PictureCut starts;
            for (size_t p = parts.size(); p-- > 0;) {
                PartVideo& part = parts[p];
                if (part.end) {
                    const PictureCut cut = cutVideoAtEnd(outputs_.video[k], *kind->pictures, part.tail[k],
                                                         *part.end, part.finish[k]);
                    part.tailReferences[k] = cut.references;
                    part.cutBytes[k] += cut.bytes;
                    ends.dropped += cut.dropped, ends.references += cut.references;
                }
                if (part.start) {
                    const PictureCut cut = cutVideoAtStart(outputs_.video[k], *kind->pictures, part.head[k],
                                                           *part.start, part.begin[k]);
                    part.headReferences[k] = cut.references;
                    part.cutBytes[k] += cut.bytes;
                    starts.dropped += cut.dropped, starts.references += cut.references;
                }
            }
            cutPictures_[k] = ends.dropped + starts.dropped;
            logCuts(req_.chosen(StreamKind::Video, int(k))->name, starts, ends, parts.size() > 1);
        }
    }

    void logCuts(const std::string& name, const PictureCut& starts, const PictureCut& ends, bool clips) {
        const std::string start = clips ? "its clips' starts" : "the title's start";
        const std::string end = clips ? "its clips' ends" : "the title's end";
        if (starts.dropped > 0)
            log_.log(name + ": " + pictures(starts.dropped) + " before " + start + " left out.");
        if (starts.references > 0)
            log_.log(
                name + ": " + pictures(starts.references) + " before " + start +
                " kept, since later pictures are predicted from them; they are shown for a moment only.");
        if (ends.dropped == 0) return;
        std::string line = name + ": " + pictures(ends.dropped) + " after " + end + " left out";
        if (ends.references > 0)
            line += "; " + pictures(ends.references) +
                    " after it kept, since pictures before the end are predicted from them";
        log_.log(line + ".");
    }

    // Each ticked subpicture stream's .sup into the other chosen formats, timed as its records;
    // a .sup that was not chosen itself is then dropped.
    void convertSubtitles() {
        const SubtitleFormats& formats = req_.options.subtitles;
        if (!formats.converts() && formats.sup) return;
        ConversionSettings settings = conversionSettings();
        // The title's end on the records' time line, where they hold the last part's.
        const DemuxTiming& timing = *outputs_.timing;
        const TimeStamp earliest = s_.run.earliestFirstPts.value_or(0);
        if (!timing.parts.empty() && timing.parts.front().start)
            settings.titleStart =
                uint64_t(std::max<int64_t>(0, stampDistance(*timing.parts.front().start, earliest)));
        if (!timing.parts.empty() && timing.parts.back().end && !timing.files.empty())
            settings.titleEnd = uint64_t(stampDistance(*timing.parts.back().end, earliest) +
                                         timing.shiftOf(timing.files.size() - 1));
        settings.ocrProgress = [this](size_t done, size_t total) {
            host_.setProgress(done, total);
            host_.pumpEvents();
            return !s_.run.cancel;
        };
        for (size_t k = 0; k < outputs_.sub.size(); ++k) {
            OutputFile& sup = outputs_.sub[k];
            if (!sup.pending() || s_.run.cancel) continue;
            const std::string base =
                req_.outputBase() + "." + req_.chosen(StreamKind::Subpicture, int(k))->name;
            for (const SubtitleOutput& row : kSubtitleOutputs)
                for (const std::string& path : outputPaths(base, row))
                    if (row.writer && !path.empty()) refuseInput(path, inputsOf(req_));
            // The stream's language, as the playlist or the disc's navigation gives it: the text
            // is read in it, and the VobSub and BDN files name it.
            const TitleTrack* listed = titleTrack(req_.title, StreamKind::Subpicture, k);
            const std::string& language = !req_.playlist.sub[k].language.empty()
                                              ? req_.playlist.sub[k].language
                                          : listed ? listed->language
                                                   : req_.playlist.sub[k].language;
            settings.ocrLanguage = ocrLanguageFor(req_.options.ocrLanguage, language);
            const OcrLanguage* known = languageOf(language);
            settings.language = known ? known->iso639_1 : "en";
            settings.bdnLanguage = known ? known->iso639_2 : "eng";
            if (formats.converts()) {
                ConversionCounts counts = convertSup(sup.temporaryPath(), base, formats, settings, log_);
                s_.run.droppedSubtitleRecords[k] = counts.dropped;
                converted_.insert(converted_.end(), counts.outputs.begin(), counts.outputs.end());
                if (formats.srt)
                    s_.run.subtitleTexts.push_back(
                        {base + ".srt", counts.events, counts.forcedCues, counts.emptyCues});
            }
            if (!formats.sup) sup.discard();
        }
    }

    // The video's frame rate, and the palette of a DVD title set's 2-bit subpictures.
    ConversionSettings conversionSettings() {
        ConversionSettings settings;
        const double fps = s_.run.frameRate[0];
        for (const FrameRate& r : kFrameRates)
            if (fps > 0 && std::abs(fps - double(r.numerator) / r.denominator) < 0.01) settings.rate = r;
        // The picture the subtitles stand on: an HD DVD's, or a DVD's by its frame rate.
        const std::string ext = req_.title.sourceExtension();
        const bool pal = std::abs(fps - 25) < 0.01 || std::abs(fps - 50) < 0.01;
        if (req_.title.pictureHeight > 0) {
            settings.canvasWidth = req_.title.pictureWidth, settings.canvasHeight = req_.title.pictureHeight;
        } else if (ext == ".EVO") {
            settings.canvasWidth = 1920, settings.canvasHeight = 1080;
        } else if (ext == ".VOB" && fps > 0) {
            settings.canvasWidth = 720, settings.canvasHeight = pal ? 576 : 480;
        }
        const std::string ifo = ifoBeside(req_.title.firstFile());
        std::string why = "there is no VTS_nn_0.IFO beside the source";
        if (req_.title.palette) {
            settings.palette = req_.title.palette;
            log_.log("Subpicture colours from the title's program chain");
            return settings;
        }
        if (!ifo.empty() && fileExists(ifo)) {
            try {
                settings.palette = readIfoPalette(ifo);
            } catch (const std::exception& e) {
                why = e.what();
            }
        }
        log_.log(paletteLine(settings.palette.has_value(), nameOf(ifo), why));
        return settings;
    }

    // Every track of every title of the title set, in order.
    void takeTracks() {
        const auto titles = readTracks(req_.title.firstFile(), log_);
        if (!titles) return;
        for (size_t t = 0; t < titles->size(); ++t)
            for (size_t k = 0; k < (*titles)[t].tracks.size(); ++k) {
                const AtsTrack& track = (*titles)[t].tracks[k];
                outputs_.tracks.push_back({int(t + 1), int(k + 1), track.firstSector, track.lastSector});
            }
    }

    // One output per stream asked for, named BASE.NAME.EXT, none of them an input of the run. Each
    // is written to a temporary file: outputs of an earlier run stay as they are until the
    // end.
    void createOutputs(const std::vector<std::string>& inputs) {
        const std::string base = req_.outputBase();
        const auto create = [&](OutputFile& out, const StreamChoice* choice, const std::string& ext,
                                bool kept) {
            if (!choice) return;
            const std::string name = base + "." + choice->name + "." + ext;
            refuseInput(name, inputs);
            out.create(name, &outputs_.queue);
            if (kept) log_.log("Creating " + name);
        };
        const Options& o = req_.options;
        for (int k = 0; k < kUsedVideoSlots; ++k) {
            create(outputs_.video[k], req_.chosen(StreamKind::Video, k), o.videoExtension, true);
            frames_.countAfterWrite(outputs_.video[k], k);
        }
        static const std::string kWavExtension = "wav";
        const bool aob = req_.title.sourceExtension() == ".AOB";
        for (int k = 0; k < kAudioSlots; ++k) {
            const StreamChoice* choice = req_.chosen(StreamKind::Audio, k);
            const int32_t id = s_.table.audio[size_t(k)];
            const StreamKindEntry* entry = id >= 0 ? streamKindIn(StreamKind::Audio, id, aob) : nullptr;
            outputs_.audioAsWav[size_t(k)] = o.lpcmWav && entry && entry->coding == Coding::Lpcm;
            const std::string& ext = outputs_.audioAsWav[size_t(k)] ? kWavExtension : o.audioExtension;
            if (outputs_.tracks.empty()) {
                create(outputs_.audio[k], choice, ext, true);
                continue;
            }
            if (!choice) continue;
            for (const StreamOutputs::Track& t : outputs_.tracks) {
                char part[16];
                std::snprintf(part, sizeof part, ".T%02d.TR%02d", t.title, t.track);
                const std::string name = base + part + "." + choice->name + "." + ext;
                refuseInput(name, inputs);
                outputs_.trackAudio[size_t(k)].push_back(std::make_unique<OutputFile>());
                outputs_.trackAudio[size_t(k)].back()->create(name, &outputs_.queue);
                outputs_.trackWav[size_t(k)].push_back(std::make_unique<LpcmWav>());
                log_.log("Creating " + name);
            }
        }
        // A .sup that is only read for its conversions never takes its name.
        for (int k = 0; k < kSubSlots; ++k)
            create(outputs_.sub[k], req_.chosen(StreamKind::Subpicture, k), o.subExtension, o.subtitles.sup);
    }
};

}  // namespace

bool demuxTitle(const Request& request, RunState& state, Host& host, DemuxTiming* timing) {
    return DemuxRun(request, state, host, timing).run();
}

}  // namespace quarnel::runs
