// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/subs_command.h"

#include "formats/frame_rates.h"
#include "formats/ocr_languages.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "report/message_log.h"
#include "runs/run_support.h"
#include "runs/subtitle_conversion.h"

namespace quarnel {

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
    const std::string& outDir = args.options.outputDir;
    bool allConverted = true;
    for (const std::string& file : args.supFiles) {
        if (run.interrupted) break;
        // FILEBASE: the file's name without ".sup", in the output folder or beside the file.
        const std::string folder =
            outDir.empty() ? folderOf(file) : outDir + (outDir.back() == kPathSeparator ? "" : "/");
        const std::string base = folder + withoutExtension(nameOf(file));
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
