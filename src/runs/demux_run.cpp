// SPDX-License-Identifier: GPL-3.0-or-later
// The Demux run: one output file per ticked box, then every file of the source sequence
// through the demux pass, appending each ticked stream's payload to its file.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/dvd_ifo.h"
#include "runs/demux_run.h"
#include "runs/operations.h"
#include "runs/pack_pass.h"
#include "runs/run_support.h"
#include "runs/subtitle_conversion.h"

namespace quarnel::runs {
namespace {

class DemuxRun {
  public:
    DemuxRun(Session& session, Host& host, DemuxTiming* timing)
        : s_(session), host_(host), log_(host), frames_(session.run) {
        outputs_.timing = timing;
    }

    // True when every output was written and put in place.
    bool run() {
        if (s_.runActive) return false;
        RunGuard guard(s_.runActive);
        s_.lastError.clear();
        s_.buttons.demux = s_.buttons.rebuild = false;
        const Buttons before = s_.buttons;
        Buttons& b = s_.buttons;
        b.readSource = b.readPlaylist = b.readVti = b.chooseSource = b.choosePlaylist = false;
        host_.showPage(Page::Status);
        s_.run.endPtmSum = 0;
        frames_.reset();
        s_.run.videoDurationSum = 0;
        s_.run.busy = true;
        s_.run.outputsWritten.clear();
        s_.run.subtitleTexts.clear();
        s_.run.droppedSubtitleRecords = {};
        s_.baseName = outputBaseName(s_.sourcePath, s_.options.continueSequence);

        bool failed = false;
        try {
            if (s_.options.splitTracks && upperExtension(s_.sourcePath) == ".AOB") takeTracks();
            createOutputs(inputsOf(s_));
            const PassInput in{s_, host_, log_, input_, frames_, &outputs_};
            outputs_.sequenceBase = atsBytesBefore(s_.sourcePath);
            forEachSourceFile(s_, log_, input_, s_.sourcePath, Opening{}, [&](const std::string& file) {
                log_.log(fileSizeLine(input_.size()));
                log_.log("Demuxing " + nameOf(file));
                log_.slog("Demuxing " + nameOf(file), 0);
                passOverFile(Pass::Demux, in);
                outputs_.sequenceBase += input_.size();
            });
            if (!s_.run.interrupted) {
                // Finishing writes what is still buffered: a full disk shows here too, before
                // any output takes its final name.
                outputs_.finish();
                convertSubtitles();
                s_.run.outputsWritten = outputs_.commit();
                s_.run.outputsWritten.insert(s_.run.outputsWritten.end(), converted_.begin(),
                                             converted_.end());
            }
        } catch (const std::exception& e) {
            failed = true;
            s_.lastError = e.what();
            log_.log("[re]" + s_.lastError + "[/re]");
        }
        input_.close();
        settleOutputs(outputs_.all(), s_, failed);
        frames_.takeWritten();

        if (s_.run.interrupted) {
            s_.lastError = "Interrupted.";
            logInterrupted(log_);
        } else if (!failed) {
            logDone(log_);
        }
        statusReady(log_);
        reportFrames(s_.run, log_, false);
        restoreStartButtons(s_, before);
        s_.run.busy = false;
        return !failed && !s_.run.interrupted && !s_.run.cancel;
    }

  private:
    Session& s_;
    Host& host_;
    MessageLog log_;
    FrameCounter frames_;
    InputFile input_;
    StreamOutputs outputs_;
    std::vector<std::string> converted_;  // the subtitle conversions' outputs, in place

    // Each ticked subpicture stream's .sup into the other chosen formats, timed as its records;
    // a .sup that was not chosen itself is then dropped.
    void convertSubtitles() {
        const SubtitleFormats& formats = s_.options.subtitles;
        if (!formats.converts() && formats.sup) return;
        ConversionSettings settings = conversionSettings();
        settings.ocrProgress = [this](size_t done, size_t total) {
            host_.setProgress(done, total);
            host_.pumpEvents();
            return !s_.run.cancel;
        };
        for (size_t k = 0; k < outputs_.sub.size(); ++k) {
            OutputFile& sup = outputs_.sub[k];
            if (!sup.pending() || s_.run.cancel) continue;
            const std::string base = s_.outputBase() + "." + s_.boxes.sub[k].caption;
            for (const char* ext : {".pgs.sup", ".idx", ".sub", ".bdn", ".srt"})
                refuseInput(base + ext, inputsOf(s_));
            // The text is read in the stream's language, as the playlist gives it.
            settings.ocrLanguage = ocrLanguageFor(s_.options.ocrLanguage, s_.playlist.subStreams[k].language);
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
        const std::string ext = upperExtension(s_.sourcePath);
        if (ext == ".EVO") {
            settings.canvasWidth = 1920, settings.canvasHeight = 1080;
        } else if (ext == ".VOB" && fps > 0) {
            settings.canvasWidth = 720, settings.canvasHeight = settings.rate.numerator % 25 == 0 ? 576 : 480;
        }
        const std::string ifo = ifoBeside(s_.sourcePath);
        std::string why = "there is no VTS_nn_0.IFO beside the source";
        if (!ifo.empty() && fileExists(ifo)) settings.palette = readIfoPalette(ifo, why);
        if (settings.palette)
            log_.log("Subpicture colours from " + nameOf(ifo));
        else
            log_.log("Subpicture colours: " + why + "; 2-bit subpictures are shown in the default palette "
                     "(16 greys), 8-bit ones in their own.");
        return settings;
    }

    // Every track of every title of the title set, in order.
    void takeTracks() {
        const auto titles = readTracks(s_.sourcePath, log_);
        if (!titles) return;
        for (size_t t = 0; t < titles->size(); ++t)
            for (size_t k = 0; k < (*titles)[t].tracks.size(); ++k) {
                const AtsTrack& track = (*titles)[t].tracks[k];
                outputs_.tracks.push_back({int(t + 1), int(k + 1), track.firstSector, track.lastSector});
            }
    }

    // One output per ticked box, named BASE.CAPTION.EXT, none of them an input of the run. Each
    // is written to a temporary file: outputs of an earlier run stay as they are until the
    // end.
    void createOutputs(const std::vector<std::string>& inputs) {
        const std::string base = s_.outputBase();
        const auto create = [&](OutputFile& out, const StreamBox& box, const std::string& ext, bool kept) {
            if (!box.ticked) return;
            const std::string name = base + "." + box.caption + "." + ext;
            refuseInput(name, inputs);
            out.create(name, &outputs_.queue);
            if (kept) log_.log("Creating " + name);
        };
        const Options& o = s_.options;
        for (int k = 0; k < kUsedVideoBoxes; ++k) {
            create(outputs_.video[k], s_.boxes.video[k], o.videoExtension, true);
            frames_.countAfterWrite(outputs_.video[k], k);
        }
        static const std::string kWavExtension = "wav";
        const bool aob = upperExtension(s_.sourcePath) == ".AOB";
        for (int k = 0; k < kAudioBoxes; ++k) {
            const int32_t id = s_.table.audio[size_t(k)];
            const StreamKindEntry* entry =
                id >= 0 ? streamKindOf(IdPlace::SubstreamId, uint8_t(id), aob) : nullptr;
            outputs_.audioAsWav[size_t(k)] = o.lpcmWav && entry && entry->coding == Coding::Lpcm;
            const std::string& ext = outputs_.audioAsWav[size_t(k)] ? kWavExtension : o.audioExtension;
            if (outputs_.tracks.empty()) {
                create(outputs_.audio[k], s_.boxes.audio[k], ext, true);
                continue;
            }
            if (!s_.boxes.audio[k].ticked) continue;
            for (const StreamOutputs::Track& t : outputs_.tracks) {
                char part[16];
                std::snprintf(part, sizeof part, ".T%02d.TR%02d", t.title, t.track);
                const std::string name = base + part + "." + s_.boxes.audio[k].caption + "." + ext;
                refuseInput(name, inputs);
                outputs_.trackAudio[size_t(k)].push_back(std::make_unique<OutputFile>());
                outputs_.trackAudio[size_t(k)].back()->create(name, &outputs_.queue);
                outputs_.trackWav[size_t(k)].push_back(std::make_unique<LpcmWav>());
                log_.log("Creating " + name);
            }
        }
        // A .sup that is only read for its conversions never takes its name.
        for (int k = 0; k < kSubBoxes; ++k)
            create(outputs_.sub[k], s_.boxes.sub[k], o.subExtension, o.subtitles.sup);
    }
};

}  // namespace

void demux(Session& session, Host& host) { DemuxRun(session, host, nullptr).run(); }

bool demuxNotingTimes(Session& session, Host& host, DemuxTiming& timing) {
    return DemuxRun(session, host, &timing).run();
}

}  // namespace quarnel::runs
