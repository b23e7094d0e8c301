// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/external_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "io/files.h"

extern char** environ;

namespace quarnel {

ExternalProgram::~ExternalProgram() {
    if (pid_ > 0) {
        stop();
        wait();
    }
    if (output_ >= 0) ::close(output_);
}

std::string ExternalProgram::find(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t at = 0;
    while (at <= folders.size()) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > at ? folders.substr(at, end - at) : ".";
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return "";
}

void ExternalProgram::start(const std::string& path, const std::vector<std::string>& args) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw QuarnelError("Cannot start " + path + ". " + systemReason(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int err = ::posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (err != 0) {
        ::close(pipeFds[0]);
        pid_ = -1;
        throw QuarnelError("Cannot start " + path + ". " + systemReason(err));
    }
    output_ = pipeFds[0];
}

bool ExternalProgram::readLines(std::vector<std::string>& lines, int timeoutMs) {
    if (output_ < 0) return false;
    pollfd p{output_, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0) return true;  // nothing yet (or a signal came): ask again
    char chunk[4096];
    const ssize_t n = ::read(output_, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
        if (!partial_.empty()) lines.push_back(std::move(partial_));
        partial_.clear();
        ::close(output_);
        output_ = -1;
        return false;
    }
    for (ssize_t k = 0; k < n; ++k) {
        const char c = chunk[k];
        if (c == '\n' || c == '\r') {
            if (!partial_.empty()) lines.push_back(std::move(partial_));
            partial_.clear();
            cutting_ = false;
        } else if (cutting_) {
            continue;  // the rest of a line that was cut
        } else if (partial_.size() < kMaxLineBytes) {
            partial_ += c;
        } else {
            cutting_ = true;
            lines.push_back(std::move(partial_));
            partial_.clear();
        }
    }
    return true;
}

void ExternalProgram::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    stopping_ = true;
}

int ExternalProgram::wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    if (stopping_) {
        // A program that ignores SIGTERM is killed once its grace is over.
        constexpr int kStepMs = 20;
        int waited = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid_, &status, WNOHANG)) == 0 && waited < kStopGraceMs) {
            ::usleep(kStepMs * 1000);
            waited += kStepMs;
        }
        if (ended == 0) ::kill(pid_, SIGKILL);
        if (ended <= 0)
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
    } else {
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
    stopping_ = false;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

int runToEnd(const std::string& path, const std::vector<std::string>& args, std::vector<std::string>& lines) {
    constexpr size_t kMaxOutputBytes = size_t(16)
                                       << 20;  // kept of what it prints; the rest is read and dropped
    ExternalProgram program;
    program.start(path, args);
    size_t kept = 0;
    std::vector<std::string> more;
    for (bool open = true; open;) {
        more.clear();
        open = program.readLines(more, 1000);
        for (std::string& line : more) {
            if (kept + line.size() > kMaxOutputBytes) continue;
            kept += line.size();
            lines.push_back(std::move(line));
        }
    }
    return program.wait();
}

}  // namespace quarnel
