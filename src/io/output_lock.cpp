// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/output_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "io/files.h"

namespace quarnel {
namespace {

// The locks this process holds: the lock file's descriptor and how many holders share it
// (flock on a second descriptor of the same file would refuse the process its own lock).
struct Held {
    int fd = -1;
    int holders = 0;
};
std::mutex heldLock;
std::map<std::string, Held> held;

bool sameInode(int fd, const std::string& path) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

}  // namespace

OutputLock::OutputLock(const std::string& folder, const std::string& base) {
    const bool bare = folder.empty() || folder.back() == '/';
    const std::string path = folder + (bare ? "" : "/") + "." + base + ".lock";
    const std::lock_guard guard(heldLock);
    if (auto it = held.find(path); it != held.end()) {
        ++it->second.holders;
        path_ = path;
        return;
    }
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        // Where no file can be made (a missing or read-only folder) no run writes either: the
        // outputs fail with their own names, and there is nothing to guard.
        if (fd < 0) return;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) throw QuarnelError("Another run is writing " + base + ".");
            throw QuarnelError("Cannot lock file \"" + path + "\". " + systemReason(err));
        }
        // The holder before may have removed the file between our open and our lock: the lock
        // then guards a file no longer named, and is taken again on the file of the name.
        if (sameInode(fd, path)) {
            held[path] = {fd, 1};
            path_ = path;
            return;
        }
        ::close(fd);
    }
}

OutputLock::~OutputLock() {
    release();
}

OutputLock::OutputLock(OutputLock&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

OutputLock& OutputLock::operator=(OutputLock&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

void OutputLock::release() noexcept {
    if (path_.empty()) return;
    const std::lock_guard guard(heldLock);
    auto it = held.find(path_);
    if (it != held.end() && --it->second.holders == 0) {
        // Removed while still locked, so that no run locks a file that is about to go.
        ::unlink(path_.c_str());
        ::close(it->second.fd);
        held.erase(it);
    }
    path_.clear();
}

}  // namespace quarnel
