// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/subs_command.h"

#include <filesystem>
#include <map>

#include "formats/frame_rates.h"
#include "formats/ocr_languages.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "report/message_log.h"
#include "runs/run_support.h"
#include "runs/subtitle_conversion.h"

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
    if ((subs.srt && ext == "srt") || (subs.vobsub && (ext == "idx" || ext == "sub")))
        return "--sub-ext " + ext + " is the extension of a converted subtitle output: choose another";
    return "";
}

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
    // No output of the run may be one of its inputs: checked for all before anything is written.
    try {
        for (const std::string& file : args.supFiles)
            for (const std::string& output :
                 conversionOutputs(subsOutputBase(file, args.options.outputDir), args.convertTo))
                refuseInput(output, args.supFiles);
    } catch (const std::exception& e) {
        host.showError(e.what());
        return false;
    }
    bool allConverted = true;
    for (const std::string& file : args.supFiles) {
        if (run.interrupted) break;
        const std::string base = subsOutputBase(file, args.options.outputDir);
        try {
            if (!fileExists(file)) throw QuarnelError("Cannot open file \"" + file + "\". No such file.");
            log.log("Converting [b]" + nameOf(file) + "[/b]");
            const ConversionCounts counts = convertSup(file, base, args.convertTo, settings, log);
            run.outputsWritten.insert(run.outputsWritten.end(), counts.outputs.begin(), counts.outputs.end());
            if (args.convertTo.srt)
                run.subtitleTexts.push_back({base + ".srt", counts.events, counts.forcedCues, counts.emptyCues});
        } catch (const std::exception& e) {
            allConverted = false;
            host.showError(e.what());
        }
    }
    if (run.interrupted) {
        logInterrupted(log);
        return false;
    }
    if (allConverted) log.log("Done.");
    return allConverted;
}

}  // namespace quarnel
