// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/run_owner.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarnel {
namespace {

// Field 22 of /proc/PID/stat: the start time; the name in field 2 may hold spaces and
// parentheses, so the fields are counted from its closing parenthesis.
std::string startTimeOf(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(in, line)) return {};
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int n = 3; n <= 22; ++n)
        if (!(fields >> field)) return {};
    return field;
}

bool isDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The owner's mark in a temporary's name ("….partial-PID.START-XXXXXX"), empty when the name
// carries none.
std::string_view markInName(std::string_view name) {
    static constexpr std::string_view kPartial = ".partial-";
    const size_t at = name.rfind(kPartial);
    if (at == std::string_view::npos || name.size() < at + kPartial.size() + 7) return {};
    const std::string_view rest = name.substr(at + kPartial.size());
    const std::string_view mark = rest.substr(0, rest.size() - 7);
    if (rest[rest.size() - 7] != '-') return {};
    return mark;
}

bool wellFormed(std::string_view mark) {
    const size_t dot = mark.find('.');
    return dot != std::string_view::npos && isDigits(mark.substr(0, dot)) && isDigits(mark.substr(dot + 1));
}

}  // namespace

const std::string& ownerMark() {
    static const std::string mark = [] {
        const std::string pid = std::to_string(::getpid());
        return pid + "." + startTimeOf(pid);
    }();
    return mark;
}

bool ownerRuns(std::string_view mark) {
    if (!wellFormed(mark)) return true;  // not ours to judge: left alone
    const size_t dot = mark.find('.');
    const std::string start = startTimeOf(std::string(mark.substr(0, dot)));
    return !start.empty() && start == mark.substr(dot + 1);
}

bool markFolderOwner(const std::string& folder) {
    std::ofstream out(folder + "/" + kOwnerFileName);
    out << ownerMark() << '\n';
    return bool(out.flush());
}

std::vector<std::string> removeStaleTemporaries(const std::string& folder, const std::string& base) {
    namespace fs = std::filesystem;
    std::vector<std::string> removed;
    std::vector<std::pair<fs::path, std::string>> stale;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
        const std::string name = entry.path().filename().string();
        std::string mark;
        if (name.starts_with("." + base)) {
            mark = std::string(markInName(name));
        } else if (name.starts_with(base) && entry.is_directory(ec) && !entry.is_symlink(ec)) {
            std::ifstream in(entry.path() / kOwnerFileName);
            std::getline(in, mark);
        }
        if (!mark.empty() && wellFormed(mark) && !ownerRuns(mark)) stale.emplace_back(entry.path(), name);
    }
    for (const auto& [path, name] : stale) {
        std::error_code gone;
        fs::remove_all(path, gone);
        if (!gone) removed.push_back(name);
    }
    return removed;
}

}  // namespace quarnel
