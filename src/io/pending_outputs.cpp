// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/pending_outputs.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <filesystem>

#include "io/files.h"

namespace quarnel {
namespace {

thread_local PendingOutputs* innermost = nullptr;

// Holds off the signals that stop a run while the renames run, so that a stop lands before
// the first or after the last of them.
class StopSignalsHeld {
  public:
    StopSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, sig);
        ::pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

  private:
    sigset_t before_;
};

void removeQuietly(const std::string& path, bool folder) noexcept {
    std::error_code ec;
    if (folder)
        std::filesystem::remove_all(path, ec);
    else
        ::unlink(path.c_str());
}

}  // namespace

void putFileInPlace(const std::string& temporary, const std::string& final) {
    if (::rename(temporary.c_str(), final.c_str()) != 0)
        throw QuarnelError("Cannot create file \"" + final + "\". " + systemReason(errno));
}

void putFolderInPlace(const std::string& temporary, const std::string& final) {
    // A folder of the final name is exchanged with the new one in one step, then removed.
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, final.c_str(), RENAME_EXCHANGE) == 0) {
        std::error_code ec;
        std::filesystem::remove_all(temporary, ec);  // now the earlier folder
        return;
    }
    std::error_code ec;
    std::filesystem::remove_all(final, ec);
    if (::rename(temporary.c_str(), final.c_str()) != 0)
        throw QuarnelError("Cannot create folder \"" + final + "\". " + systemReason(errno));
}

PendingOutputs::PendingOutputs() : outer_(innermost) {
    innermost = this;
}

PendingOutputs::~PendingOutputs() {
    discard();
    innermost = outer_;
}

PendingOutputs* PendingOutputs::current() {
    return innermost;
}

std::string numberedName(const std::string& path, int n) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
    const size_t at = hasExtension ? dot : path.size();
    return path.substr(0, at) + " (" + std::to_string(n) + ")" + path.substr(at);
}

std::vector<std::string> PendingOutputs::existingFinals() const {
    std::vector<std::string> there;
    for (const Entry& e : entries_) {
        std::error_code ec;
        if (std::filesystem::exists(e.final, ec)) there.push_back(e.final);
    }
    return there;
}

std::vector<std::pair<std::string, std::string>> PendingOutputs::keepBoth() {
    const auto free = [this](int n) {
        for (const Entry& e : entries_) {
            std::error_code ec;
            if (std::filesystem::exists(numberedName(e.final, n), ec)) return false;
        }
        return true;
    };
    int n = 2;
    while (!free(n)) ++n;
    std::vector<std::pair<std::string, std::string>> renamed;
    for (Entry& e : entries_) {
        renamed.emplace_back(e.final, numberedName(e.final, n));
        e.final = renamed.back().second;
    }
    return renamed;
}

void PendingOutputs::addFile(std::string temporary, std::string final) {
    entries_.push_back({std::move(temporary), std::move(final), false});
}

void PendingOutputs::addFolder(std::string temporary, std::string final) {
    entries_.push_back({std::move(temporary), std::move(final), true});
}

void PendingOutputs::commit() {
    if (outer_) {
        outer_->entries_.insert(outer_->entries_.end(), entries_.begin(), entries_.end());
        entries_.clear();
        return;
    }
    const StopSignalsHeld held;
    while (!entries_.empty()) {
        const Entry& e = entries_.front();
        if (e.folder)
            putFolderInPlace(e.temporary, e.final);
        else
            putFileInPlace(e.temporary, e.final);
        entries_.erase(entries_.begin());
    }
}

std::vector<std::string> PendingOutputs::keepPartial() noexcept {
    std::vector<std::string> kept;
    for (const Entry& e : entries_) {
        const std::string partial = e.final + kPartialMark;
        if (!e.folder && ::rename(e.temporary.c_str(), partial.c_str()) == 0) {
            try {
                kept.push_back(partial);
            } catch (...) {
            }
        } else {
            removeQuietly(e.temporary, e.folder);
        }
    }
    entries_.clear();
    return kept;
}

void PendingOutputs::discard() noexcept {
    for (const Entry& e : entries_) removeQuietly(e.temporary, e.folder);
    entries_.clear();
}

}  // namespace quarnel
