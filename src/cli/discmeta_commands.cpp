// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/discmeta_commands.h"

#include <cstdio>

#include "cli/titles_command.h"
#include "formats/disc/page_text.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

void print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::printf("%s\n", escapeControls(line).c_str());
}

// The source whose boxes the playlist names, and the base name a Read run of it would use,
// so that the chapter file lands beside the demuxed streams.
void chooseSource(Session& m, const std::string& source) {
    if (source.empty()) return;
    m.sourcePath = source;
    m.sourceChanged();
    m.baseName = outputBaseName(source, m.options.continueSequence);
}

void choosePlaylist(Session& m, const std::string& playlist) {
    m.playlistPath = playlist;
    m.playlistChanged();
}

}  // namespace

bool isDiscmetaCommand(const std::string& command) {
    return command == "xpl" || command == "chapters" || command == "vti";
}

std::string runDiscmetaCommand(Session& m, Host& host, const CliArgs& args) {
    if (args.command == "vti") {
        m.sourcePath = args.source;
        m.sourceChanged();
        m.options.readVti = true;
        runs::readVti(m, host);
        if (!m.lastError.empty()) return "";
        const std::string path = m.sourceDir + "HVA00001.VTI";
        if (!fileExists(path)) return "HVA00001.VTI not found beside " + args.source;
        if (m.vti.evobs.empty()) return "no EVOB records read from " + path;
        if (args.json || args.quiet) return "";  // -q: nothing but errors
        std::fflush(stdout);
        for (size_t j = 0; j < m.vti.evobs.size(); ++j) {
            m.vti.evobNames.selected = int(j);
            m.vti.showSelectedEvob();
            if (j > 0) std::printf("\n");
            print(vtiPageText(m.vti));
        }
        return "";
    }

    // A disc's title has its chapters in its IFO: BASE is DISC_titleNN.
    if (args.command == "chapters" && isDiscSource(args.source) && upperExtension(args.source) != ".XPL") {
        std::string error;
        const std::optional<DvdDisc> disc = openDisc(args.source, args.angle, error);
        if (disc) error = chooseDiscTitle(m, args, *disc);
        if (!error.empty()) return error;
        if (m.title->chapters.empty()) return "the title lists no chapters";
        m.playlist.chapters = chapterFileLines(*m.title);
        runs::writeChapters(m, host);
        return "";
    }
    chooseSource(m, args.playlistSource);
    choosePlaylist(m, args.source);
    runs::readPlaylist(m, host);
    if (!m.lastError.empty()) return "";
    if (args.command == "xpl") {
        if (args.json || args.quiet) return "";  // -q: nothing but errors
        std::fflush(stdout);
        print(playlistPageText(m.playlist));
        return "";
    }
    if (m.playlist.chapters.empty()) return "the playlist lists no chapters for this title";
    runs::writeChapters(m, host);
    return "";
}

}  // namespace quarnel
