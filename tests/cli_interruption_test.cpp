// SPDX-License-Identifier: GPL-3.0-or-later
// The command line stopped by a signal, and the inputs it must not trust: SIGINT and SIGTERM in
// the Read and in the writing of a Demux and a Rebuild (exit status, "Interrupted.", nothing
// unfinished left, --keep-partial), a pipe as the source, names with control characters, a
// standard output that cannot be written; outputs that take their names together, after the
// whole run, the leftovers of a killed run, and two runs on the same names.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "fixtures/build_paths.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/run_command.h"
#include "fixtures/sample_streams.h"
#include "fixtures/temp_dir.h"
#include "formats/ocr/ocr_engine.h"

extern char** environ;

namespace quarnel {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

constexpr uint32_t kStart = 0x00200000;

// The command line run with its output on a pipe; `signal` is sent once the log holds `marker`.
// `slowed`: the run waits for the signal at its first step after the marker, and each step is
// stretched by the test delay, so that a signal finds it busy however loaded the machine is.
struct Stopped {
    int status = -1;  // exit status, -1 when it did not exit by itself
    std::string out;
};

Stopped runUntil(const std::vector<std::string>& args, const std::string& marker, int signal,
                 bool slowed = true) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> all = {QUARNEL_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    if (slowed) {
        env.emplace_back("QUARNEL_TEST_PUMP_DELAY_MS=40");
        env.emplace_back("QUARNEL_TEST_PAUSE_AT=" + marker);
    }
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    // The run starts with no signal blocked, whatever the mask of the thread that spawns it (a
    // sanitizer may hold signals blocked for a moment, and the child would inherit that: the
    // signal would wait unseen until the run ended).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, QUARNEL_CLI, &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeFds[1]);
    Stopped r;
    if (spawned != 0) return r;
    bool sent = false;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) {
        r.out.append(buf, size_t(n));
        if (!sent && r.out.find(marker) != std::string::npos) {
            ::kill(pid, signal);
            sent = true;
        }
    }
    ::close(pipeFds[0]);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

struct Interruption : ::testing::Test {
    TempDir dir;
    std::string out = dir.file("out");
    std::string source = dir.file("FEATURE_1.EVO");
    const std::string sample = std::string(QUARNEL_SOURCE_DIR) + "/sample/HVDVD_TS/FEATURE_1.EVO";

    void SetUp() override {
        // About 24 MiB: six steps of a run, each stretched by the test delay.
        writeFile(source, buildProgramStream({mpeg2Video(0xE0, 4000, 6000, kStart),
                                              audio(EsKind::Ac3, 0x80, 400, 500, kStart, 1)},
                                             {}));
        fs::create_directories(out);
    }
    // Every name in the output folder.
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out)) names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(Interruption, ASignalInAnyPhaseStopsTheRunAndLeavesNothingUnfinished) {
    struct Case {
        const char* command;
        const char* marker;
        int signal;
        int status;
    };
    for (const Case& c :
         {Case{"demux", "Reading...", SIGINT, 130}, Case{"demux", "Demuxing", SIGTERM, 143},
          Case{"rebuild", "Rebuilding...", SIGINT, 130}, Case{"read", "Reading...", SIGTERM, 143}}) {
        SCOPED_TRACE(std::string(c.command) + " at " + c.marker);
        const Stopped r = runUntil({c.command, "--full", "-o", out, source}, c.marker, c.signal);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_NE(r.out.find("\nInterrupted.\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Demuxing", r.out.find("Interrupted.")), std::string::npos)
            << "no Demux after it";
        EXPECT_EQ(r.out.find("Done.", r.out.find("Interrupted.")), std::string::npos) << r.out;
        EXPECT_TRUE(outputs().empty());
    }
    // With --keep-partial what was written stays, under names that say it is unfinished.
    const Stopped r = runUntil({"demux", "--full", "--keep-partial", "-o", out, source}, "Demuxing", SIGINT);
    EXPECT_EQ(r.status, 130);
    for (const std::string& name : outputs()) EXPECT_TRUE(name.ends_with(".partial")) << name;
    EXPECT_FALSE(outputs().empty());
}

// Each file of the output folder (hidden ones too) with its bytes and modification time.
std::map<std::string, std::pair<Bytes, fs::file_time_type>> folderState(const std::string& folder) {
    std::map<std::string, std::pair<Bytes, fs::file_time_type>> state;
    for (const auto& e : fs::directory_iterator(folder))
        state[e.path().filename().string()] = {readFile(e.path().string()), e.last_write_time()};
    return state;
}

// A signal while the text of the subtitles is read, in a Demux or in a conversion, comes
// before any output takes its name: every file of the earlier run stays as it was.
TEST_F(Interruption, ASignalBeforeTheOutputsTakeTheirNamesLeavesEveryEarlierOneAsItWas) {
    if (!ocrAvailable()) GTEST_SKIP() << "this build has no character recognition (libtesseract-dev)";
    const std::string cli = QUARNEL_CLI;
    const CommandResult whole =
        runCommand(cli + " demux -q --subs sup,pgs,srt -o " + out + " " + sample, dir.file("err.txt"));
    ASSERT_EQ(whole.status, 0) << whole.err;
    const auto before = folderState(out);
    ASSERT_EQ(before.size(), 13u);

    const Stopped demux =
        runUntil({"demux", "--subs", "sup,pgs,srt", "-o", out, sample}, "Reading the text", SIGINT);
    EXPECT_EQ(demux.status, 130) << demux.out;
    EXPECT_EQ(folderState(out), before);

    const Stopped subs =
        runUntil({"subs", "--to", "pgs,srt", "-o", out, out + "/FEATURE_1_MERGED.Subpicture.01.sup"},
                 "Reading the text", SIGTERM);
    EXPECT_EQ(subs.status, 143) << subs.out;
    EXPECT_EQ(folderState(out), before);
}

// What a killed run leaves (hidden temporaries, a scratch folder) is removed by the next run on
// those names, which says so.
TEST_F(Interruption, AKilledRunsLeftoversGoWithTheNextRunOnThoseNames) {
    for (const char* command : {"demux", "mkv"}) {
        SCOPED_TRACE(command);
        runUntil({command, "--full", "-o", out, command == std::string("mkv") ? sample : source}, "Demuxing",
                 SIGKILL);
        size_t left = 0;
        for (const std::string& name : outputs())
            left +=
                name.find(".partial-") != std::string::npos || name.find(".mkv-temp") != std::string::npos;
        EXPECT_GT(left, 0u);
        const CommandResult r = runCommand(std::string(QUARNEL_CLI) + " " + command + " --full -o " + out +
                                               " " + (command == std::string("mkv") ? sample : source),
                                           dir.file("err.txt"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(", left by a run that was stopped."), std::string::npos) << r.out;
        for (const std::string& name : outputs()) {
            EXPECT_FALSE(name.starts_with(".")) << name;
            EXPECT_EQ(name.find("mkv-temp"), std::string::npos) << name;
        }
    }
}

// Two runs started together on the same names: one waits for nothing and fails at once, or
// they follow each other; the MKV is always one run's whole file.
TEST_F(Interruption, TwoRunsOnTheSameNamesNeverMixTheirFiles) {
    const std::string command = std::string(QUARNEL_CLI) + " mkv -q -o " + out + " " + sample;
    int refused = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        CommandResult first, second;
        std::thread a([&] { first = runCommand(command, dir.file("a.txt")); });
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt * 90 / 19));
        std::thread b([&] { second = runCommand(command, dir.file("b.txt")); });
        a.join();
        b.join();
        for (const CommandResult* r : {&first, &second}) {
            if (r->status == 0) continue;
            ++refused;
            EXPECT_EQ(r->status, 1);
            EXPECT_EQ(r->err, "quarnel-cli: Another run is writing FEATURE_1_MERGED.\n");
        }
        EXPECT_TRUE(first.status == 0 || second.status == 0);
        const CommandResult probe =
            runCommand("mkvmerge -J " + out + "/FEATURE_1_MERGED.mkv", dir.file("probe.txt"));
        const auto report = nlohmann::json::parse(probe.out);
        EXPECT_EQ(report["tracks"].size(), 9u);
        EXPECT_LT(report["container"]["properties"]["duration"].get<double>(), 4.5e9);  // not doubled
        EXPECT_EQ(outputs(), std::vector<std::string>{"FEATURE_1_MERGED.mkv"});
    }
    EXPECT_GT(refused, 0);  // the runs did meet
}

TEST_F(Interruption, PipesControlCharactersAndAStandardOutputThatCannotBeWritten) {
    const std::string fifo = dir.file("pipe.EVO");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CommandResult r = runCommand(std::string(QUARNEL_CLI) + " read " + fifo, dir.file("err.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("It is not a regular file"), std::string::npos) << r.err;

    const std::string odd = dir.file("A\x1b[31mB.EVO");
    fs::copy_file(source, odd);
    r = runCommand(std::string(QUARNEL_CLI) + " read --no-details --no-count-frames '" + odd + "'",
                   dir.file("err.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("Opening file A\\x1B[31mB.EVO"), std::string::npos) << r.out;

    if (fs::exists("/dev/full")) {
        r = runCommand(std::string(QUARNEL_CLI) + " read --json " + source + " > /dev/full",
                       dir.file("err.txt"));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Cannot write the standard output."), std::string::npos) << r.err;
    }
}

// A mkvmerge that misbehaves costs neither the MKV of an earlier run nor the memory nor the
// time: one that exits 0 without writing, one that prints 100 MB without a line end, one that
// ignores SIGTERM when the run is interrupted.
TEST_F(Interruption, AMisbehavingMkvmergeLeavesTheEarlierMkvAndIsStopped) {
    const std::string earlier = out + "/FEATURE_1_MERGED.mkv";
    writeFile(earlier, {'o', 'l', 'd'});
    struct Case {
        const char* script;
        int signal;
        int status;
        const char* said;
    };
    const Case cases[] = {
        {"exit 0", 0, 1, "mkvmerge ended without writing the MKV: its output is empty."},
        {"head -c 100000000 /dev/zero | tr '\\0' x; exit 0", 0, 1, "its output is empty."},
        {"trap '' TERM; exec sleep 30", SIGINT, 130, "Interrupted."},
    };
    for (const Case& c : cases) {
        const std::string fake = dir.file("mkvmerge.sh");
        const std::string text = std::string("#!/bin/sh\n") + c.script + "\n";
        writeFile(fake, Bytes(text.begin(), text.end()));
        fs::permissions(fake, fs::perms::owner_all);
        ::setenv("QUARNEL_MKVMERGE", fake.c_str(), 1);
        const auto started = std::chrono::steady_clock::now();
        const Stopped r = runUntil({"mkv", "-o", out, sample}, "Running " + fake, c.signal, false);
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        ::unsetenv("QUARNEL_MKVMERGE");
        EXPECT_EQ(r.status, c.status) << c.script << "\n" << r.out;
        EXPECT_NE(r.out.find(c.said), std::string::npos) << c.script << "\n" << r.out;
        EXPECT_EQ(readFile(earlier), (Bytes{'o', 'l', 'd'})) << c.script;
        EXPECT_LT(seconds, 20.0) << c.script;  // SIGKILL 3 s after SIGTERM, not the child's 30 s
    }
}

}  // namespace
}  // namespace quarnel
