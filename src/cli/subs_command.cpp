// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/subs_command.h"

#include <filesystem>
#include <map>

#include <cctype>

#include "formats/disc/dvd_ifo.h"
#include "formats/ocr/ocr_languages.h"
#include "formats/subtitles/frame_rates.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "report/message_log.h"
#include "runs/run_support.h"
#include "runs/subtitle_conversion.h"
#include "runs/subtitle_outputs.h"

namespace quarnel {

std::string subsOutputBase(const std::string& file, const std::string& outDir) {
    const std::string folder =
        outDir.empty() ? folderOf(file) : outDir + (outDir.back() == kPathSeparator ? "" : "/");
    return folder + withoutExtension(nameOf(file));
}

std::string outputClash(const CliArgs& args) {
    if (args.command == "subs") {
        std::map<std::string, std::string> byBase;  // the files' output bases, made absolute
        for (const std::string& file : args.supFiles) {
            std::error_code ec;
            const std::string base =
                std::filesystem::absolute(subsOutputBase(file, args.options.outputDir), ec)
                    .lexically_normal()
                    .string();
            const auto [at, added] = byBase.emplace(base, file);
            if (!added)
                return at->second + " and " + file + " would write the same outputs (" + nameOf(base) +
                       ".*): convert them into different folders (-o)";
        }
    }
    const SubtitleFormats& subs = args.options.subtitles;
    const std::string& ext = args.options.subExtension;
    for (const SubtitleOutput& row : kSubtitleOutputs)
        for (const std::string_view suffix : row.suffixes)
            if (row.writer && subs.*row.chosen && suffix == "." + ext)
                return "--sub-ext " + ext +
                       " is the extension of a converted subtitle output: choose another";
    return "";
}

namespace {

// The IFO a .sup's colours, picture and language come from: --ifo, else VTS_nn_0.IFO beside a
// .sup named VTS_nn_m.* (as a Demux of that VOB names it); "" when there is none.
std::string ifoFor(const CliArgs& args, const std::string& sup) {
    if (!args.ifo.empty()) return args.ifo;
    const std::string name = nameOf(sup);
    if (name.size() < 9 || name[8] != '.') return {};
    const std::string ifo = ifoBeside(folderOf(sup) + name.substr(0, 8) + ".VOB");
    return !ifo.empty() && fileExists(ifo) ? ifo : std::string();
}

// The slot of a .sup named BASE.Subpicture.NN.sup (or Ext.Subpicture), or -1.
int slotOfSup(const std::string& sup) {
    const std::string stem = withoutExtension(nameOf(sup));
    const size_t dot = stem.find_last_of('.');
    if (dot == std::string::npos || stem.size() - dot != 3 || stem.find("Subpicture.") == std::string::npos)
        return -1;
    return std::isdigit(static_cast<unsigned char>(stem[dot + 1])) &&
                   std::isdigit(static_cast<unsigned char>(stem[dot + 2]))
               ? std::stoi(stem.substr(dot + 1))
               : -1;
}

// Colours, picture size and language from the IFO, what the command line does not give; a log
// line says where the colours come from.
void takeIfo(const CliArgs& args, const std::string& sup, ConversionSettings& settings, MessageLog& log) {
    settings.palette.reset();
    settings.canvasWidth = args.canvasWidth;
    settings.canvasHeight = args.canvasHeight;
    settings.language = "en";
    settings.bdnLanguage = "eng";
    settings.ocrLanguage = ocrLanguageFor(args.options.ocrLanguage, "");
    const std::string ifo = ifoFor(args, sup);
    std::string why = "no IFO is given (--ifo FILE)";
    if (!ifo.empty()) {
        try {
            settings.palette = readIfoPalette(ifo);
        } catch (const std::exception& e) {
            why = e.what();
        }
        std::optional<IfoSubpictureFacts> facts;
        try {
            facts = readIfoSubpictureFacts(ifo);
        } catch (const std::exception& e) {
            why = e.what();
        }
        if (facts) {
            if (!args.canvasWidth) settings.canvasWidth = facts->width, settings.canvasHeight = facts->height;
            const int slot = slotOfSup(sup);
            if (slot >= 0 && slot < int(facts->languages.size()))
                if (const OcrLanguage* l = languageOf(facts->languages[size_t(slot)])) {
                    settings.language = l->iso639_1;
                    settings.bdnLanguage = l->iso639_2;
                    settings.ocrLanguage = ocrLanguageFor(args.options.ocrLanguage, l->iso639_1);
                }
        }
        if (!settings.palette) why = nameOf(ifo) + " cannot be read (" + why + ")";
    }
    log.log(paletteLine(settings.palette.has_value(), nameOf(ifo), why));
}

}  // namespace

bool runSubsCommand(const CliArgs& args, Host& host, RunValues& run) {
    MessageLog log(host);
    ConversionSettings settings;
    settings.canvasWidth = args.canvasWidth;
    settings.canvasHeight = args.canvasHeight;
    if (const auto rate = frameRateNamed(args.frameRate)) settings.rate = *rate;
    settings.ocrLanguage = ocrLanguageFor(args.options.ocrLanguage, "");
    // A signal stops the reading of text (which may take minutes) and the files after it.
    settings.ocrProgress = [&](size_t done, size_t total) {
        host.setProgress(done, total);
        host.pumpEvents();
        return !run.interrupted;
    };
    // No output of the run may be one of its inputs: checked for all before anything is written,
    // and no other run may write the same names meanwhile.
    std::vector<OutputLock> locks;
    try {
        for (const std::string& file : args.supFiles) {
            const std::string base = subsOutputBase(file, args.options.outputDir);
            for (const std::string& output : conversionOutputs(base, args.convertTo))
                refuseInput(output, args.supFiles);
            locks.push_back(claimOutputs(base, log));
        }
    } catch (const std::exception& e) {
        host.showError(e.what());
        return false;
    }
    // The outputs of every file converted whole wait here, and take their final names together
    // at the end: a signal on the way leaves every earlier file as it was.
    PendingOutputs converted;
    std::vector<std::string> written;
    bool allConverted = true;
    for (const std::string& file : args.supFiles) {
        if (run.interrupted) break;
        const std::string base = subsOutputBase(file, args.options.outputDir);
        try {
            PendingOutputs ofThisFile;  // dropped when this file fails
            if (!fileExists(file)) throw QuarnelError("Cannot open file \"" + file + "\". No such file.");
            log.log("Converting [b]" + nameOf(file) + "[/b]");
            takeIfo(args, file, settings, log);
            const ConversionCounts counts = convertSup(file, base, args.convertTo, settings, log);
            if (run.interrupted) break;
            ofThisFile.commit();
            written.insert(written.end(), counts.outputs.begin(), counts.outputs.end());
            if (args.convertTo.srt)
                run.subtitleTexts.push_back(
                    {base + ".srt", counts.events, counts.forcedCues, counts.emptyCues});
        } catch (const std::exception& e) {
            allConverted = false;
            host.showError(e.what());
        }
    }
    if (run.interrupted) {
        if (args.options.keepPartial)
            for (const std::string& name : converted.keepPartial()) logKeptPartial(log, name);
        logInterrupted(log);
        return false;
    }
    try {
        converted.commit();
    } catch (const std::exception& e) {
        host.showError(e.what());
        return false;
    }
    run.outputsWritten = std::move(written);
    if (allConverted) log.log("Done.");
    return allConverted;
}

}  // namespace quarnel
