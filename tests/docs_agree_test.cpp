// SPDX-License-Identifier: GPL-3.0-or-later
// The documents tell the truth: every option of --help is in the manual page, the completion
// and the README (and nothing else is in the first two); the README's and the manual page's
// examples run on the shipped sample, write the files the README names, and the MKV the README
// describes is the one mkvmerge finds.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/temp_dir.h"
#include "formats/ocr/ocr_engine.h"
#include "runs/subtitle_outputs.h"

namespace quarnel {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

std::string textOf(const std::string& path) {
    const Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// A document's text; the manual page's with its escaped hyphens plain.
std::string document(const std::string& name) {
    const std::string text = textOf(std::string(QUARNEL_SOURCE_DIR) + "/" + name);
    if (!name.ends_with(".1")) return text;
    return std::regex_replace(std::regex_replace(text, std::regex(R"(\\-)"), "-"), std::regex(R"(\\f[BIRP])"),
                              "");
}

std::set<std::string> optionsIn(const std::string& text) {
    std::set<std::string> found;
    static const std::regex option(R"((^|[^\w-])(--[a-z][a-z0-9-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        found.insert((*it)[2]);
    return found;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        all.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return all;
}

TEST(Docs, EveryOptionAgreesInTheHelpManualPageCompletionAndReadme) {
    TempDir dir;
    const CommandResult help = runCommand(std::string(QUARNEL_CLI) + " --help", dir.file("err.txt"));
    ASSERT_EQ(help.status, 0);
    std::set<std::string> options;
    for (const std::string& line : lines(help.out))
        if (line.starts_with("  -")) options.merge(optionsIn(line.substr(0, line.find("  ", 3))));
    ASSERT_GT(options.size(), 30u);

    const auto agree = [&](const std::string& document, bool onlyThose) {
        const std::set<std::string> named = optionsIn(quarnel::document(document));
        for (const std::string& o : options) EXPECT_TRUE(named.contains(o)) << o << " is not in " << document;
        for (const std::string& o : named) {
            if (onlyThose) {
                EXPECT_TRUE(options.contains(o)) << document << " names " << o;
            }
        }
    };
    agree("docs/man/quarnel-cli.1", true);
    agree("tools/completion/quarnel-cli.bash", true);
    agree("README.md", false);

    // Every subtitle format of the table, in the completion's list and the manual page's.
    const std::string completion = document("tools/completion/quarnel-cli.bash");
    const std::string man = document("docs/man/quarnel-cli.1");
    for (const SubtitleOutput& row : kSubtitleOutputs) {
        const std::string name(row.name);
        EXPECT_TRUE(
            std::regex_search(completion, std::regex("--to\\).*compgen -W \"[^\"]*\\b" + name + "\\b")))
            << name << " is not offered by the completion";
        EXPECT_NE(man.find(".B " + name + "\n"), std::string::npos) << name << " is not in the manual page";
        EXPECT_NE(help.out.find(name), std::string::npos) << name << " is not in --help";
    }
}

// An example's command line as run: the program by its path in this build.
struct Example {
    std::string args;  // after the program's name
    std::string folder;
};

std::vector<Example> readmeExamples(const std::string& readme, const std::string& folder) {
    std::vector<Example> found;
    // The blocks' commands in order (a later one may convert what an earlier one wrote); those
    // of a DVD-Audio disc the sample does not have are left out.
    static const std::regex block(R"(^    (?:\$ )?build/bin/quarnel-cli ((?!.*AUDIO_TS).*)$)");
    static const std::regex inline_(R"(`quarnel-cli ([^`]*sample/[^`]*)`)");
    for (const std::string& line : lines(readme)) {
        std::smatch m;
        if (std::regex_match(line, m, block)) found.push_back({m[1], folder});
        for (auto it = std::sregex_iterator(line.begin(), line.end(), inline_); it != std::sregex_iterator();
             ++it)
            found.push_back({(*it)[1], folder});
    }
    return found;
}

// The manual page's examples name the disc's folders: they run in a copy of the sample.
std::vector<Example> manExamples(const std::string& folder) {
    std::vector<Example> found;
    bool inside = false;
    for (const std::string& line : lines(document("docs/man/quarnel-cli.1"))) {
        if (line.starts_with(".SH")) inside = line == ".SH EXAMPLES";
        if (inside && line.starts_with("quarnel-cli ")) found.push_back({line.substr(12), folder});
    }
    return found;
}

bool ocrLanguageInstalled(const std::string& code) {
    std::error_code ec;
    for (const auto& version : fs::directory_iterator("/usr/share/tesseract-ocr", ec))
        if (fs::exists(version.path() / "tessdata" / (code + ".traineddata"))) return true;
    return false;
}

TEST(Docs, TheExamplesRunOnTheSampleAndDoWhatTheReadmeSays) {
    TempDir dir;
    fs::copy(std::string(QUARNEL_SOURCE_DIR) + "/sample", dir.file("sample"), fs::copy_options::recursive);
    fs::copy(dir.file("sample"), dir.file("disc"), fs::copy_options::recursive);
    const std::string readme = document("README.md");
    std::vector<Example> examples = readmeExamples(readme, dir.path());
    const std::vector<Example> man = manExamples(dir.file("disc"));
    ASSERT_GE(examples.size(), 8u);
    ASSERT_GE(man.size(), 6u);
    examples.insert(examples.end(), man.begin(), man.end());

    for (const Example& e : examples) {
        // Reading text needs the recogniser, and the language's data: without them the README
        // says what happens.
        std::smatch lang;
        const bool text = e.args.find("srt") != std::string::npos;
        const bool langMissing = std::regex_search(e.args, lang, std::regex(R"(--ocr-lang (\w+))")) &&
                                 !ocrLanguageInstalled(lang[1]);
        const CommandResult r =
            runCommand("cd '" + e.folder + "' && " + QUARNEL_CLI + " " + e.args, dir.file("err.txt"));
        if (text && !ocrAvailable()) {
            EXPECT_EQ(r.status, 2) << e.args << "\n" << r.err;
        } else if (text && langMissing) {
            EXPECT_EQ(r.status, 1) << e.args;
            EXPECT_NE(r.err.find("tesseract-ocr-" + std::string(lang[1])), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.status, 0) << e.args << "\n" << r.err;
            // `titles` lists the disc; every other command ends its log with "Done.".
            EXPECT_NE(r.out.find(e.args.starts_with("titles") ? "Disc " : "Done."), std::string::npos)
                << e.args << "\n"
                << r.out;
        }
    }

    // Every file of the sample the README names is there.
    static const std::regex named(R"(`(out/FEATURE_1[^`]*)`)");
    size_t files = 0;
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), named); it != std::sregex_iterator();
         ++it, ++files)
        EXPECT_TRUE(fs::exists(dir.file((*it)[1]))) << (*it)[1];
    EXPECT_GE(files, 3u);

    // The MKV's table: each row as mkvmerge reads the file.
    const CommandResult probe =
        runCommand("mkvmerge -J " + dir.file("out/FEATURE_1_MERGED.mkv"), dir.file("err.txt"));
    const nlohmann::json mkv = nlohmann::json::parse(probe.out);
    static const std::regex row(
        R"(^\|\s*(\d+)\s*\|\s*(video|audio|subtitles)\s*\|\s*([^|]*?)\s*\|\s*([^|]*?)\s*\|\s*(\w+)\s*\|\s*(yes)?\s*\|$)");
    size_t rows = 0;
    for (const std::string& line : lines(readme)) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        ++rows;
        const nlohmann::json& track = mkv["tracks"].at(std::stoul(m[1]));
        const nlohmann::json& p = track["properties"];
        EXPECT_EQ(track["type"], m[2].str()) << line;
        EXPECT_EQ(track["codec"], m[3].str()) << line;
        EXPECT_EQ(p.value("track_name", ""), m[4].str()) << line;
        EXPECT_EQ(p.value("language_ietf", p.value("language", "")), m[5].str()) << line;
        EXPECT_EQ(p.value("default_track", false), m[6].matched) << line;
    }
    EXPECT_EQ(rows, mkv["tracks"].size());
    std::smatch said;
    ASSERT_TRUE(
        std::regex_search(readme, said, std::regex(R"re(with the title "([^"]+)" and (\d+) chapters)re")));
    EXPECT_EQ(mkv["container"]["properties"]["title"], said[1].str());
    EXPECT_EQ(mkv["chapters"].at(0)["num_entries"], std::stoi(said[2]));
}

}  // namespace
}  // namespace quarnel
