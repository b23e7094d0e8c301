// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/arguments.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/track_metadata.h"
#include "cli/subs_command.h"
#include "formats/disc/dvd_disc.h"
#include "formats/disc/hddvd_disc.h"
#include "formats/ocr/ocr_languages.h"
#include "formats/ps/stream_kinds.h"
#include "formats/subtitles/frame_rates.h"
#include "io/file_sequence.h"
#include "io/files.h"
#include "runs/subtitle_outputs.h"

namespace quarnel {

const char* const kUsageTemplate =
    "Usage: quarnel-cli COMMAND [options] SOURCE\n"
    "\n"
    "Commands:\n"
    "%COMMANDS%"
    "\n"
    "Options:\n"
    "  -o, --output-dir DIR  folder for output files (default: the current folder)\n"
    "  --streams LIST        streams to process, comma or space separated: v0 v1 a00..a15\n"
    "                        s00..s31, or all (default: every stream found)\n"
    "%OPTIONS%"
    "  --subs LIST           demux: the formats of each subpicture stream, comma separated:\n"
    "                        %SUBTITLE_FORMATS% (default sup)\n"
    "  --to LIST             subs: the formats to convert into: %CONVERTED_FORMATS%\n"
    "  --ocr-lang LANG       srt: the language the text is read in (eng, fra, deu, ... or\n"
    "                        en, fr, de, ...; default: the stream's language in the\n"
    "                        playlist, else eng)\n"
    "  --canvas WxH          subs: the picture size (default 1920x1080 for 8-bit subpictures,\n"
    "                        720x576 for 2-bit ones that fit it)\n"
    "  --fps RATE            subs: the video's frame rate: 23.976 24 25 29.97 50 59.94\n"
    "                        (default 23.976)\n"
    "  --ifo FILE            subs: the VTS_nn_0.IFO of the .sup files' title set: their\n"
    "                        colours, picture size and languages (default: the IFO beside a\n"
    "                        .sup named VTS_nn_m.*, when there is one)\n"
    "  --source EVO          xpl, chapters: the EVO file whose title the playlist describes\n"
    "  --title N             a disc's title N (default: the longest, the lowest number on a\n"
    "                        tie); SOURCE is then the disc: its folder, VIDEO_TS, an IFO\n"
    "                        file or an .iso image; an HD DVD's folder, HVDVD_TS or .iso\n"
    "                        image (title 0: the one it plays first)\n"
    "  --angle K             a disc's angle K where a title has angles (default 1)\n"
    "  --all-titles          mkv: one MKV per title of the disc (see --min-length)\n"
    "  --min-length S        mkv --all-titles: only titles of at least S seconds (default 0)\n"
    "  --xpl FILE            mkv: the playlist that names the streams and holds the chapters\n"
    "                        (default ADV_OBJ/VPLST000.XPL beside HVDVD_TS, when there is one)\n"
    "  --track-name TRACK=NAME\n"
    "                        mkv: the name of track TRACK (v0, a01, s02...) in the MKV\n"
    "                        (default: its playlist's description or its language's name)\n"
    "  --language TRACK=LANG mkv: the language of track TRACK: an ISO 639 code (eng, fre,\n"
    "                        de, pt-BR...; default: the playlist's or the disc's, else und)\n"
    "  --default TRACK[=no]  mkv: mark TRACK as its kind's default track (default: the first\n"
    "                        video and audio track, and forced subtitles)\n"
    "  --forced TRACK[=no]   mkv: mark TRACK as forced (default: as the disc marks it)\n"
    "  --markup              print each log line as logged, tags kept\n"
    "  -q, --quiet           print nothing but errors (and the JSON asked for)\n"
    "  --color WHEN          colour the log on a terminal: auto, always, never (default\n"
    "                        auto: on a terminal, unless NO_COLOR is set or TERM is dumb)\n"
    "  --json                print what the command read and wrote, and its log, as one JSON\n"
    "                        object (every command; docs/json.md)\n"
    "  --help                show this text (after a command: that command's)\n"
    "  --version             show the version\n"
    "\n"
    "Options take their value after a blank or an =: --fast-size=100. After --, every word\n"
    "is a file name.\n"
    "\n"
    "Exit status: 0 when the operation ran to its end, 1 when an error stopped it,\n"
    "2 for a usage error, 130 or 143 when SIGINT or SIGTERM stopped it.\n";

namespace {

// Each command: its name, what it takes, and the help text (further lines indented by the
// generator).
struct CommandHelp {
    const char* name;
    const char* argument;
    const char* help;
};
constexpr CommandHelp kCommands[] = {
    {"read", "SOURCE",
     "read an EVO, VOB or AOB file (and the files that follow it) and report\nevery stream, its time stamps "
     "and "
     "frame counts"},
    {"demux", "SOURCE", "read, then write the selected streams to elementary-stream files"},
    {"rebuild", "SOURCE",
     "read, then write a new EVO holding only the selected streams,\nrenumbered, as BASE.rebuilt.EVO (EVO "
     "sources "
     "only)"},
    {"mkv", "SOURCE",
     "read (with the playlist), demux, convert subpictures to PGS and LPCM to\nWAV, place every track on the "
     "title's "
     "time line, and run mkvmerge:\nBASE.mkv with names, languages and chapters"},
    {"titles", "DISC",
     "list the titles of a DVD-Video disc (its folder, VIDEO_TS, an IFO file or\nan .iso image) or of an HD "
     "DVD (its folder, HVDVD_TS, playlist or image):\nduration, chapters, angles, cells or clips, audio and "
     "subpicture streams\nwith their languages"},
    {"xpl", "PLAYLIST", "read a VPLST000.XPL playlist: print its tags, titles, streams and chapters"},
    {"chapters", "PLAYLIST",
     "read the playlist, then write the chapters of the source's title as\nBASE.chapters.txt (needs "
     "--source); "
     "of a DVD (its folder, VIDEO_TS,\nan IFO or an .iso): the chapters of title --title N as\n"
     "DISC_titleNN.chapters.txt"},
    {"vti", "SOURCE", "read HVA00001.VTI beside SOURCE and print every EVOB record decoded"},
    {"subs", "FILE.sup...",
     "convert the .sup files of a Demux (--to LIST) as FILEBASE.pgs.sup,\nFILEBASE.idx + .sub, "
     "FILEBASE.bdn/, "
     "FILEBASE.srt (in -o DIR or beside\neach file)"},
};
constexpr size_t kCommandHelpColumn = 21;

const CommandHelp* findCommand(const std::string& name) {
    for (const CommandHelp& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

// A command's help lines: "  name     ARGUMENT  text", further lines indented.
std::string commandLines(const CommandHelp& c) {
    std::string line = std::string("  ") + c.name;
    line.resize(std::max(line.size() + 1, size_t(11)), ' ');
    line += c.argument;
    line.resize(std::max(line.size() + 2, kCommandHelpColumn), ' ');
    for (const char ch : std::string(c.help))
        line += ch == '\n' ? "\n" + std::string(kCommandHelpColumn, ' ') : std::string(1, ch);
    return line + "\n";
}
constexpr size_t kHelpColumn = 24;  // where the help text of an option line starts

// The commands an option applies to, by its long name; an option not listed applies to every
// command (--output-dir, --json, --quiet, --markup, --color, --help, --version).
struct OptionScope {
    std::string_view name;
    std::string_view commands;  // blank separated
};
constexpr std::string_view kReadingCommands = "read demux rebuild mkv";
constexpr OptionScope kOptionScopes[] = {
    {"--streams", "demux rebuild mkv"},
    {"--no-continue", kReadingCommands},
    {"--full", kReadingCommands},
    {"--fast-size", kReadingCommands},
    {"--no-details", kReadingCommands},
    {"--no-count-frames", kReadingCommands},
    {"--no-vti", kReadingCommands},
    {"--video-ext", "demux mkv"},
    {"--audio-ext", "demux mkv"},
    {"--sub-ext", "demux mkv"},
    {"--adv-pck", "rebuild"},
    {"--adjust-pts", "rebuild"},
    {"--lpcm-wav", "demux"},
    {"--split-tracks", "demux"},
    {"--plan", "mkv"},
    {"--keep-temp", "mkv"},
    {"--keep-partial", "demux rebuild mkv subs"},
    {"--subs", "demux"},
    {"--to", "subs"},
    {"--canvas", "subs"},
    {"--fps", "subs"},
    {"--ifo", "subs"},
    {"--ocr-lang", "demux subs"},
    {"--source", "xpl chapters"},
    {"--xpl", "mkv"},
    {"--title", "read demux rebuild mkv chapters"},
    {"--angle", "titles read demux rebuild mkv chapters"},
    {"--all-titles", "mkv"},
    {"--track-name", "mkv"},
    {"--language", "mkv"},
    {"--default", "mkv"},
    {"--forced", "mkv"},
    {"--min-length", "mkv"},
};

bool appliesTo(std::string_view option, std::string_view command) {
    for (const OptionScope& s : kOptionScopes) {
        if (s.name != option) continue;
        for (size_t at = 0; at < s.commands.size();) {
            const size_t end = std::min(s.commands.find(' ', at), s.commands.size());
            if (s.commands.substr(at, end - at) == command) return true;
            at = end + 1;
        }
        return false;
    }
    return true;
}

// The option entries of the usage text that apply to `command`: an entry is a line that
// begins "  -" and the indented lines after it, named by its first "--" word.
std::string optionsOf(const std::string& options, const std::string& command) {
    std::string out;
    bool keep = true;
    for (size_t at = 0; at < options.size();) {
        const size_t end = std::min(options.find('\n', at), options.size());
        const std::string line = options.substr(at, end - at);
        if (line.rfind("  -", 0) == 0) {
            const size_t name = line.find("--");
            const size_t stop = line.find_first_of(" =,", name);
            keep = name == std::string::npos || appliesTo(line.substr(name, stop - name), command);
        } else if (line.rfind("   ", 0) != 0) {
            keep = true;  // the text after the options
        }
        if (keep) out += line + "\n";
        at = end + 1;
    }
    return out;
}

const OptionFlag* findFlag(const std::string& name) {
    for (const OptionFlag& f : kOptionFlags)
        if (name == f.name) return &f;
    return nullptr;
}

// The default of a flag with an argument, as its help line shows it.
std::string defaultText(const OptionFlag& flag) {
    static const Options defaults;
    if (const auto* n = std::get_if<int Options::*>(&flag.member)) return std::to_string(defaults.*(*n));
    if (const auto* t = std::get_if<std::string Options::*>(&flag.member)) return defaults.*(*t);
    return {};
}

// The option table's lines of the usage text: the flag and its argument, the help text (its
// further lines indented to the same column) and the default.
std::string optionLines() {
    std::string out;
    for (const OptionFlag& f : kOptionFlags) {
        std::string line = std::string("  ") + f.name + (f.argument ? std::string(" ") + f.argument : "");
        line.resize(std::max(line.size() + 1, kHelpColumn), ' ');
        for (const char c : std::string(f.help))
            line += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
        if (f.argument) line += " (default " + defaultText(f) + ")";
        out += line + "\n";
    }
    return out;
}

bool splitInto(const std::string& list, std::vector<std::string>& into) {
    std::string token;
    for (size_t i = 0; i <= list.size(); ++i) {
        const char c = i < list.size() ? list[i] : ',';
        if (c == ',' || c == ' ') {
            if (!token.empty()) into.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    return !into.empty();
}

}  // namespace

ParsedArgs parseArguments(const std::vector<std::string>& argv) {
    ParsedArgs r;
    CliArgs& a = r.args;
    std::vector<std::string> positional;
    std::vector<std::string> given;  // the options on the line, by their long names
    bool optionsEnded = false;       // after "--" every word is a file name or the command
    for (size_t i = 0; i < argv.size() && r.error.empty(); ++i) {
        if (optionsEnded || argv[i].size() < 2 || argv[i][0] != '-') {
            positional.push_back(argv[i]);
            continue;
        }
        if (argv[i] == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" is "--name value".
        const size_t equals = argv[i].rfind("--", 0) == 0 ? argv[i].find('=') : std::string::npos;
        const std::string arg = argv[i].substr(0, equals);
        given.push_back(arg == "-o"   ? "--output-dir"
                        : arg == "-q" ? "--quiet"
                        : arg == "-h" ? "--help"
                                      : arg);
        std::optional<std::string> attached;
        if (equals != std::string::npos) attached = argv[i].substr(equals + 1);
        const auto value = [&](std::string& into) {
            if (attached) {
                into = *attached;
                attached.reset();
                return true;
            }
            if (i + 1 >= argv.size()) {
                r.error = "option " + arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        // A flag of the option table: a switch sets its option, a flag with an argument takes
        // the value within the option's limits.
        const auto takeFlag = [&](const OptionFlag& flag) {
            std::string v;
            if (const auto* b = std::get_if<bool Options::*>(&flag.member)) {
                a.options.*(*b) = flag.switchValue;
            } else if (const auto* n = std::get_if<int Options::*>(&flag.member)) {
                if (!value(v)) return;
                char* end = nullptr;
                const long mb = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || mb < 0 || mb > kMaxFastCheckMiB)
                    r.error = "option " + arg + " takes a whole number of MB from 0 to " +
                              std::to_string(kMaxFastCheckMiB);
                else
                    a.options.*(*n) = int(mb);
            } else if (const auto* t = std::get_if<std::string Options::*>(&flag.member)) {
                std::string& text = a.options.*(*t);
                if (!value(text)) return;
                if (text.empty() || text.size() > kMaxExtensionLength)
                    r.error = "option " + arg + " takes 1 to " + std::to_string(kMaxExtensionLength) +
                              " characters";
            }
        };
        std::string v;
        if (arg == "-o" || arg == "--output-dir")
            value(a.options.outputDir);
        else if (arg == "--streams") {
            if (value(v)) {
                std::vector<std::string> list;
                if (!splitInto(v, list))
                    r.error = "option --streams needs a list";
                else if (!(list.size() == 1 && list[0] == "all")) {
                    for (const std::string& token : list)
                        if (!isStreamName(token))
                            r.error = "unknown stream " + token +
                                      " in --streams (use v0 v1 a00..a15 s00..s31 or all)";
                    a.streams = list;
                }
            }
        } else if (const OptionFlag* flag = findFlag(arg)) {
            takeFlag(*flag);
        } else if (arg == "-q" || arg == "--quiet") {
            a.quiet = true;
        } else if (arg == "--color") {
            if (value(v)) {
                if (v != "auto" && v != "always" && v != "never")
                    r.error = "option --color takes auto, always or never";
                a.color = v;
            }
        } else if (arg == "--subs" || arg == "--to") {
            SubtitleFormats& into = arg == "--subs" ? a.options.subtitles : a.convertTo;
            if (value(v)) {
                try {
                    into = parseSubtitleFormats(v);
                } catch (const QuarnelError& e) {
                    r.error = "option " + arg + ": " + e.what();
                }
            }
        } else if (arg == "--ocr-lang") {
            if (value(v)) {
                if (!validOcrLanguage(v))
                    r.error = "option --ocr-lang takes a language code such as eng, fra or chi_sim";
                a.options.ocrLanguage = v;
            }
        } else if (arg == "--canvas") {
            if (value(v)) {
                int w = 0, h = 0;
                char x = 0, rest = 0;
                if (std::sscanf(v.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || x != 'x' || w < 1 ||
                    h < 1 || w > 4096 || h > 4096)
                    r.error = "option --canvas takes WIDTHxHEIGHT, e.g. 1920x1080";
                else
                    a.canvasWidth = w, a.canvasHeight = h;
            }
        } else if (arg == "--fps") {
            if (value(v)) {
                if (!frameRateNamed(v)) r.error = "option --fps takes 23.976, 24, 25, 29.97, 50 or 59.94";
                a.frameRate = v;
            }
        } else if (arg == "--title" || arg == "--angle") {
            if (value(v)) {
                char* end = nullptr;
                const long n = std::strtol(v.c_str(), &end, 10);
                // Title 0 is the one an HD DVD plays first; angles count from 1.
                const long lowest = arg == "--title" ? 0 : 1;
                if (v.empty() || *end != 0 || n < lowest || n > 99)
                    r.error = "option " + arg + " takes a number from " + std::to_string(lowest) + " to 99";
                if (arg == "--title")
                    a.title = int(n);
                else
                    a.angle = int(n);
            }
        } else if (arg == "--track-name" || arg == "--language" || arg == "--default" || arg == "--forced") {
            if (value(v)) r.error = addTrackEdit(arg, v, a.trackEdits);
        } else if (arg == "--all-titles") {
            a.allTitles = true;
        } else if (arg == "--min-length") {
            if (value(v)) {
                char* end = nullptr;
                a.minLength = std::strtod(v.c_str(), &end);
                if (v.empty() || *end != 0 || !(a.minLength >= 0))
                    r.error = "option --min-length takes seconds";
            }
        } else if (arg == "--ifo") {
            value(a.ifo);
        } else if (arg == "--source")
            value(a.playlistSource);
        else if (arg == "--xpl")
            value(a.playlist);
        else if (arg == "--markup")
            a.markup = true;
        else if (arg == "--json")
            a.json = true;
        else if (arg == "--help" || arg == "-h")
            a.help = true;
        else if (arg == "--version")
            a.version = true;
        else
            r.error = "unknown option " + arg;
        if (attached && r.error.empty()) r.error = "option " + arg + " takes no value";
    }
    if (!positional.empty()) a.command = positional[0];
    if (!r.error.empty() || a.help || a.version) return r;
    if (positional.empty()) {
        r.error = "no command given";
        return r;
    }
    bool known = false;
    known = findCommand(a.command) != nullptr;
    if (!known) {
        r.error = "unknown command " + a.command;
        return r;
    }
    for (const std::string& option : given)
        if (!appliesTo(option, a.command)) {
            r.error = "option " + option + " does not apply to the command " + a.command;
            return r;
        }
    if (a.command == "subs") {
        a.supFiles.assign(positional.begin() + 1, positional.end());
        if (a.supFiles.empty())
            r.error = "the command subs takes one or more .sup files";
        else if (!a.convertTo.converts())
            r.error = "the command subs needs --to LIST (" + subtitleFormatNames(true) + ")";
    } else if (positional.size() != 2)
        r.error = "the command " + a.command + " takes one file name";
    else
        a.source = positional[1];
    // xpl and chapters read the playlist; a video file given in its place would be read as one.
    const std::string ext = upperExtension(a.source);
    const bool playlistCommand = a.command == "xpl" || a.command == "chapters";
    if (r.error.empty() && a.command == "chapters" && a.playlistSource.empty() &&
        !(isDiscSource(a.source) && upperExtension(a.source) != ".XPL"))
        r.error = "the command chapters needs --source EVO: the chapter file is named after it";
    if (r.error.empty() && playlistCommand && (ext == ".EVO" || ext == ".VOB" || ext == ".AOB"))
        r.error = "the command " + a.command + " takes the playlist (ADV_OBJ/VPLST000.XPL); give the " +
                  ext.substr(1) + " file with --source";
    if (r.error.empty()) r.error = outputClash(a);
    return r;
}

const std::string& usageText() {
    static const std::string text = [] {
        std::string t = kUsageTemplate;
        std::string commands;
        for (const CommandHelp& c : kCommands) commands += commandLines(c);
        t.replace(t.find("%COMMANDS%"), 10, commands);
        t.replace(t.find("%SUBTITLE_FORMATS%"), 18, subtitleFormatNames());
        t.replace(t.find("%CONVERTED_FORMATS%"), 19, subtitleFormatNames(true));
        return t.replace(t.find("%OPTIONS%"), 9, optionLines());
    }();
    return text;
}

std::string commandHelpText(const std::string& command) {
    const CommandHelp* c = findCommand(command);
    if (!c) return usageText();
    const std::string& all = usageText();
    return "Usage: quarnel-cli " + command + " [options] " + c->argument + "\n\n" + commandLines(*c) + "\n" +
           optionsOf(all.substr(all.find("Options:\n")), command);
}

std::string usageHint(const std::string& command) {
    return "try 'quarnel-cli " + (findCommand(command) ? command + " " : std::string()) + "--help'";
}

}  // namespace quarnel
