// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/file_sequence.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>

#include "io/files.h"

namespace quarnel {
namespace {

constexpr int kMaxSequenceFiles = 100;  // a sequence counts by single digits; this only bounds loops
constexpr const char* kMergedSuffix = "_MERGED";

size_t nameStart(const std::string& path) {
    const size_t sep = path.find_last_of(kPathSeparator);
    return sep == std::string::npos ? 0 : sep + 1;
}

// The candidate with the digit at `at` raised by one, if that digit lies in [low, '8'].
std::string raised(const std::string& folder, const std::string& file, size_t at, char low) {
    if (at >= file.size() || file[at] < low || file[at] > '8') return {};
    std::string next = file;
    ++next[at];
    return fileExists(folder + next) ? folder + next : std::string();
}

// A DVD title set's file: VTS_nn_m.VOB (DVD-Video) or ATS_nn_m.AOB (DVD-Audio), m the digit at
// kSetPartAt. Its files follow one another within the set only.
struct DvdSetName {
    const char* prefix;
    const char* extension;
};
constexpr DvdSetName kDvdSetNames[] = {{"VTS_", ".VOB"}, {"ATS_", ".AOB"}};
constexpr size_t kSetPartAt = 7;
constexpr size_t kSetNameLength = 12;

// Names match in any case (vts_01_1.vob is a title set's file); the set keeps the case it has.
bool isDvdSetName(const std::string& file) {
    const auto digit = [&](size_t at) { return std::isdigit(static_cast<unsigned char>(file[at])) != 0; };
    for (const DvdSetName& n : kDvdSetNames)
        if (file.size() == kSetNameLength && startsInAnyCase(file, n.prefix) && digit(4) && digit(5) &&
            file[6] == '_' && digit(kSetPartAt) && upperExtension(file) == n.extension)
            return true;
    return false;
}

}  // namespace

bool startsInAnyCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(text[k])) != prefix[k]) return false;
    return true;
}

std::string withoutExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart(name)) return name;
    return name.substr(0, dot);
}

std::string folderOf(const std::string& path) {
    return path.substr(0, nameStart(path));
}

std::string nameOf(const std::string& path) {
    return path.substr(nameStart(path));
}

std::string upperExtension(const std::string& path) {
    const std::string name = nameOf(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

std::string nextInSequence(const std::string& name) {
    const std::string folder = folderOf(name);
    const std::string file = nameOf(name);
    // part 0 (the menu) starts no sequence, and part 9 is a set's last
    if (isDvdSetName(file)) return raised(folder, file, kSetPartAt, '1');
    std::string result;
    const size_t u = file.find('_');
    if (u != std::string::npos) {
        // A: a digit right after the first underscore (FEATURE_1 -> FEATURE_2)
        if (auto c = raised(folder, file, u + 1, '1'); !c.empty()) result = c;
        // B: "0" then a digit after it (FEATURE_01 -> FEATURE_02, VTS_01_1 -> VTS_02_1)
        if (u + 1 < file.size() && file[u + 1] == '0')
            if (auto c = raised(folder, file, u + 2, '1'); !c.empty()) result = c;
        // C: a digit right before it (L0_ -> L1_)
        if (u > 0)
            if (auto c = raised(folder, file, u - 1, '0'); !c.empty()) result = c;
    }
    if (result.empty()) {
        const std::string divide = folder + withoutExtension(file) + "_Divide.EVO";
        if (fileExists(divide)) result = divide;
    }
    return result;
}

std::vector<std::string> sequenceFrom(const std::string& first, bool follow) {
    std::vector<std::string> files{first};
    while (follow && int(files.size()) < kMaxSequenceFiles) {
        std::string next = nextInSequence(files.back());
        if (next.empty()) break;
        files.push_back(std::move(next));
    }
    return files;
}

std::string outputBaseName(const std::string& source, bool follow) {
    const std::string base = withoutExtension(nameOf(source));
    return follow && !nextInSequence(source).empty() ? base + kMergedSuffix : base;
}

std::string findInAnyCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return {};
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    std::string found;
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry.size() == upper.size() && startsInAnyCase(entry, upper)) {
            found = entry;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace quarnel
