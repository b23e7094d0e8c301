// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: a host that checks every log line it is given, a scratch
// folder in memory, and the source files a run is pointed at, built from the fuzzer's bytes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "report/host.h"
#include "app/session.h"
#include "runs/operations.h"
#include "runs/run_support.h"

namespace quarnel::fuzz {

// Stops the fuzzer with a report: libFuzzer saves the input that got here.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// Every styled run lies inside its line's text, and the runs follow one another.
inline void checkLine(const LogLine& line) {
    size_t end = 0;
    for (const StyledRun& r : line.runs) {
        check(r.length > 0, "empty styled run");
        check(r.start >= end, "styled runs overlap");
        check(r.start <= line.text.size() && r.length <= line.text.size() - r.start,
              "styled run past the text");
        end = r.start + r.length;
    }
}

class CheckingHost : public Host {
  public:
    std::vector<std::string> markup;
    std::vector<std::string> errors;

    void appendLog(std::string_view m, const LogLine& line) override {
        checkLine(line);
        markup.emplace_back(m);
    }
    void clearLog() override { markup.clear(); }
    void setStatus(int, const std::string&) override {}
    void pumpEvents() override {}
    bool askYesNo(const std::string&) override { return true; }
    size_t askChoice(const std::string&, const std::vector<std::string>&) override { return 0; }
    void showError(const std::string& text) override { errors.push_back(text); }
    void showPage(Page) override {}

    bool logged(std::string_view line) const {
        for (const auto& m : markup)
            if (m == line) return true;
        return false;
    }
};

// A folder of this process on a memory file system (/dev/shm when there is one), emptied
// before each input and removed at exit (the handler is registered once the path is built, so
// it runs before the path's own destructor).
inline const std::filesystem::path& scratch() {
    static const std::filesystem::path root = [] {
        const std::filesystem::path shm = "/dev/shm";
        const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        auto p = base / ("quarnel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    [[maybe_unused]] static const int removeAtExit =
        std::atexit([] { std::filesystem::remove_all(scratch()); });
    return root;
}

inline std::filesystem::path freshScratch() {
    const auto& root = scratch();
    for (const auto& entry : std::filesystem::directory_iterator(root))
        std::filesystem::remove_all(entry.path());
    return root;
}

inline void writeBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    check(bool(out), "cannot write a scratch file");
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    check(bool(in), "cannot read a scratch file");
    return bytes;
}

// The first bytes of an input choose how the run is set up; the rest is the source.
//   byte 0: bits 0-1 the extension (EVO, VOB, AOB, EVO), bit 2 "Detailed info",
//           bit 3 "Count frames", bit 4 the bytes start just before the end of the first
//           256 KiB read, bit 5 the source is split into two files of a sequence,
//           bit 6 a fast check that stops after the first read, bit 7 free for the target
//   bytes 1-2: where the padding ends / where the split falls (little-endian)
//   byte 3: the target's own choices
struct SourceSetup {
    uint8_t flags = 0;
    uint16_t where = 0;
    uint8_t choice = 0;
    std::span<const uint8_t> bytes;
    std::vector<std::filesystem::path> files;  // the written sources, in sequence order
    std::vector<std::vector<uint8_t>> contents;

    static constexpr size_t kHeader = 4;
    static constexpr size_t kMaxShift = 4096;

    // False when the input is too short to hold the set-up bytes.
    bool parse(const uint8_t* data, size_t size) {
        if (size < kHeader) return false;
        flags = data[0];
        where = uint16_t(data[1] | data[2] << 8);
        choice = data[3];
        bytes = {data + kHeader, size - kHeader};
        return true;
    }
    const char* extension() const {
        static constexpr const char* kExt[4] = {".EVO", ".VOB", ".AOB", ".EVO"};
        return kExt[flags & 3];
    }

    // `count` bytes that the scanner passes over quickly: padding packets, skipped whole, then
    // 0xFF bytes, which never begin a start code. The fuzzer's bytes then meet the boundary
    // of the first 256 KiB read.
    static std::vector<uint8_t> padding(size_t count) {
        constexpr size_t kPacket = 6 + 0xFFFF;
        std::vector<uint8_t> b;
        b.reserve(count);
        while (count - b.size() >= kPacket) {
            const uint8_t header[6] = {0x00, 0x00, 0x01, 0xBE, 0xFF, 0xFF};
            b.insert(b.end(), header, header + 6);
            b.resize(b.size() + 0xFFFF, 0xFF);
        }
        b.resize(count, 0xFF);
        return b;
    }

    // Writes the source file(s) into `folder` and points the model at the first.
    void write(const std::filesystem::path& folder, Session& m) {
        std::vector<uint8_t> whole;
        if (flags & 0x10) whole = padding(kReadBufferSize - where % kMaxShift);
        const size_t padding = whole.size();
        whole.insert(whole.end(), bytes.begin(), bytes.end());
        files.clear();
        contents.clear();
        const std::string ext = extension();
        if (flags & 0x20) {
            const size_t cut = padding + std::min<size_t>(bytes.size(), where);
            contents.emplace_back(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
            contents.emplace_back(whole.begin() + std::ptrdiff_t(cut), whole.end());
            files = {folder / ("FEATURE_1" + ext), folder / ("FEATURE_2" + ext)};
        } else {
            contents.push_back(std::move(whole));
            files = {folder / ("FEATURE_1" + ext)};
        }
        for (size_t k = 0; k < files.size(); ++k) writeBytes(files[k], contents[k]);
        m.options.details = flags & 0x04;
        m.options.countFrames = flags & 0x08;
        m.options.continueSequence = true;
        m.options.fastCheck = flags & 0x40;
        m.options.fastCheckMiB = 0;
        m.options.readVti = false;
        m.options.autoProcess = AutoProcess::None;
        m.sourcePath = files.front().string();
        m.sourceChanged();
    }

    // The sources are never written to.
    void checkSourcesUntouched() const {
        for (size_t k = 0; k < files.size(); ++k)
            check(readBytes(files[k]) == contents[k], "a source file was changed");
    }
    uint64_t sourceBytes() const {
        uint64_t n = 0;
        for (const auto& c : contents) n += c.size();
        return n;
    }
};

}  // namespace quarnel::fuzz
