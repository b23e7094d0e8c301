#include "cli/discmeta_commands.h"

#include <cstdio>

#include "formats/page_text.h"
#include "io/file_sequence.h"

namespace quarnel {
namespace {

void print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
}

// The source whose boxes the playlist names, and the base name a Read run of it would use,
// so that the chapter file lands beside the demuxed streams.
void chooseSource(MainModel& m, const std::string& source) {
    if (source.empty()) return;
    m.eEVOfile = source;
    m.EVOadj();
    if (m.opt.cbContinue && !getnext(source).empty()) m.evoBaseName += "_MERGED";
}

void choosePlaylist(MainModel& m, const std::string& playlist) {
    m.eXPLfile = playlist;
    m.XPLadj();
}

}  // namespace

bool isDiscmetaCommand(const std::string& command) {
    return command == "xpl" || command == "chapters" || command == "vti";
}

std::string runDiscmetaCommand(MainModel& m, const CliArgs& args) {
    if (args.command == "vti") {
        m.eEVOfile = args.source;
        m.EVOadj();
        m.opt.cbReadVTI = true;
        m.bReadVTIClick();
        if (!m.lastError().empty()) return "";
        const std::string path = m.evoDir + "HVA00001.VTI";
        if (!fileExists(path)) return "HVA00001.VTI not found beside " + args.source;
        if (m.vti.evobs.empty()) return "no EVOB records read from " + path;
        std::fflush(stdout);
        for (size_t j = 0; j < m.vti.evobs.size(); ++j) {
            m.vti.cbEVOname.selected = int(j);
            m.vti.cbEVOnameChange();
            if (j > 0) std::printf("\n");
            print(vtiPageText(m.vti));
        }
        return "";
    }

    chooseSource(m, args.playlistSource);
    choosePlaylist(m, args.source);
    m.bReadXPLClick();
    if (!m.lastError().empty()) return "";
    if (args.command == "xpl") {
        std::fflush(stdout);
        print(playlistPageText(m.xpl));
        return "";
    }
    if (m.xpl.mChapter.empty()) return "the playlist lists no chapters for this title";
    m.bWriteChapsClick();
    return "";
}

}  // namespace quarnel
