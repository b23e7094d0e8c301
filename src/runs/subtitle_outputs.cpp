// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/subtitle_outputs.h"

#include "formats/ocr/ocr_engine.h"
#include "formats/ocr/ocr_pool.h"
#include "formats/subtitles/bdn_writer.h"
#include "formats/subtitles/pgs_writer.h"
#include "formats/subtitles/srt_writer.h"
#include "formats/subtitles/vobsub_writer.h"
#include "io/file_sequence.h"
#include "io/files.h"

namespace quarnel {
namespace {

class PgsOutput final : public SubtitleWriter {
  public:
    explicit PgsOutput(const SubtitleTarget& t)
        : path_(t.paths[0]), writer_(path_, PgsOptions{t.width, t.height, t.settings.rate}) {}
    void add(const SubpictureEvent& e) override { writer_.add(e); }
    std::vector<std::string> finish(ConversionCounts&) override {
        writer_.finish();
        return {path_};
    }

  private:
    std::string path_;
    PgsWriter writer_;
};

// 2-bit units keep their palette in the .idx; 8-bit ones are reduced to four colours each.
VobSubOptions vobSubOptions(const SubtitleTarget& t) {
    VobSubOptions o{t.width, t.height, t.settings.language, std::nullopt};
    if (!t.eightBit) o.palette = t.palette;
    return o;
}

class VobSubOutput final : public SubtitleWriter {
  public:
    explicit VobSubOutput(const SubtitleTarget& t)
        : paths_(t.paths), log_(t.log), writer_(paths_[0], paths_[1], vobSubOptions(t)) {}
    void add(const SubpictureEvent& e) override { writer_.add(e); }
    std::vector<std::string> finish(ConversionCounts&) override {
        for (const std::string& note : writer_.finish()) log_.log(note);
        return {paths_[0], paths_[1]};
    }

  private:
    std::array<std::string, 2> paths_;
    MessageLog& log_;
    VobSubWriter writer_;
};

class BdnOutput final : public SubtitleWriter {
  public:
    explicit BdnOutput(const SubtitleTarget& t)
        : folder_(t.paths[0]),
          writer_(folder_, nameOf(t.base) + ".xml",
                  BdnOptions{t.width, t.height, t.settings.rate, nameOf(t.base), t.settings.bdnLanguage}) {}
    void add(const SubpictureEvent& e) override { writer_.add(e); }
    std::vector<std::string> finish(ConversionCounts&) override {
        writer_.finish();
        return {folder_};
    }

  private:
    std::string folder_;
    BdnWriter writer_;
};

// "1, 4, 7"
std::string numberList(const std::vector<size_t>& numbers) {
    std::string out;
    for (const size_t n : numbers) out += (out.empty() ? "" : ", ") + std::to_string(n);
    return out;
}

// The text of each event read on every core while the .sup is read, written as BASE.srt. Forced
// events and events without text are named in the log (the cue of an event without text stays,
// empty, so the numbering and times hold).
class SrtOutput final : public SubtitleWriter {
  public:
    explicit SrtOutput(const SubtitleTarget& t)
        : base_(t.base),
          path_(t.paths[0]),
          log_(t.log),
          pool_(announced(t), t.events, t.log, t.settings.ocrProgress) {}
    void add(const SubpictureEvent& e) override { pool_.add(e); }
    std::vector<std::string> finish(ConversionCounts& counts) override {
        const std::vector<OcrEventText> texts = pool_.finish();
        if (pool_.stopped()) {
            log_.log("[re]Reading the text of " + nameOf(base_) + " was stopped: no .srt written[/re]");
            return {};
        }
        std::vector<SrtCue> cues;
        cues.reserve(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            cues.push_back({texts[i].start, texts[i].stop, texts[i].lines});
            if (texts[i].forced) counts.forcedCues.push_back(i + 1);
            if (texts[i].lines.empty()) {
                counts.emptyCues.push_back(i + 1);
                log_.log("Subtitle " + std::to_string(i + 1) + " at " + srtTime(texts[i].start) +
                         ": no text recognised; its cue is left empty");
            }
        }
        if (!counts.forcedCues.empty()) log_.log("Forced subtitles: " + numberList(counts.forcedCues));
        writeSrt(path_, cues);
        return {path_};
    }

  private:
    // The language the text is read in, said in the log before the workers start.
    static const std::string& announced(const SubtitleTarget& t) {
        t.log.log("Reading the text of " + std::to_string(t.events) + " subtitles (OCR, language " +
                  t.settings.ocrLanguage + ")");
        return t.settings.ocrLanguage;
    }
    std::string base_, path_;
    MessageLog& log_;
    OcrPool pool_;
};

template <class Output>
std::unique_ptr<SubtitleWriter> make(const SubtitleTarget& target) {
    return std::make_unique<Output>(target);
}

}  // namespace

const std::array<SubtitleOutput, 5> kSubtitleOutputs{{
    {"sup",
     &SubtitleFormats::sup,
     {".sup", ""},
     "sup",
     "The subpicture units as they stand in the source (.sup)",
     nullptr},
    {"pgs",
     &SubtitleFormats::pgs,
     {".pgs.sup", ""},
     "PGS",
     "Blu-ray presentation graphics (.pgs.sup)",
     make<PgsOutput>},
    {"vobsub",
     &SubtitleFormats::vobsub,
     {".idx", ".sub"},
     "VobSub",
     "DVD subtitles as .idx and .sub",
     make<VobSubOutput>},
    {"bdn", &SubtitleFormats::bdn, {".bdn", ""}, "BDN", "BDN XML with one PNG per subtitle", make<BdnOutput>},
    {"srt",
     &SubtitleFormats::srt,
     {".srt", ""},
     "SRT",
     "Text read by character recognition (.srt)",
     make<SrtOutput>},
}};

std::string subtitleFormatNames(bool convertedOnly) {
    std::string out;
    for (const SubtitleOutput& row : kSubtitleOutputs)
        if (!convertedOnly || row.writer) out += (out.empty() ? "" : ", ") + std::string(row.name);
    return out;
}

std::string subtitleFormatList(const SubtitleFormats& formats) {
    std::string out;
    for (const SubtitleOutput& row : kSubtitleOutputs)
        if (formats.*row.chosen) out += (out.empty() ? "" : ",") + std::string(row.name);
    return out;
}

SubtitleFormats parseSubtitleFormats(std::string_view list) {
    const std::string choice = " (use " + subtitleFormatNames() + ")";
    SubtitleFormats chosen{.sup = false};
    bool any = false;
    std::string token;
    for (size_t i = 0; i <= list.size(); ++i) {
        const char c = i < list.size() ? list[i] : ',';
        if (c != ',' && c != ' ') {
            token += c;
            continue;
        }
        if (token.empty()) continue;
        if (token == "srt" && !ocrAvailable()) throw QuarnelError(ocrUnavailableReason());
        bool known = false;
        for (const SubtitleOutput& row : kSubtitleOutputs)
            if (token == row.name) chosen.*row.chosen = known = any = true;
        if (!known) throw QuarnelError("unknown subtitle format " + token + choice);
        token.clear();
    }
    if (!any) throw QuarnelError("no subtitle format given" + choice);
    return chosen;
}

std::array<std::string, 2> outputPaths(const std::string& base, const SubtitleOutput& row) {
    std::array<std::string, 2> paths;
    for (size_t k = 0; k < paths.size(); ++k)
        if (!row.suffixes[k].empty()) paths[k] = base + std::string(row.suffixes[k]);
    return paths;
}

std::vector<std::string> conversionOutputs(const std::string& base, const SubtitleFormats& formats) {
    std::vector<std::string> names;
    for (const SubtitleOutput& row : kSubtitleOutputs)
        if (row.writer && formats.*row.chosen)
            for (const std::string& path : outputPaths(base, row))
                if (!path.empty()) names.push_back(path);
    return names;
}

}  // namespace quarnel
