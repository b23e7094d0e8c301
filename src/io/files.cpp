// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "io/pending_outputs.h"
#include "io/run_owner.h"
#include "io/write_queue.h"

namespace quarnel {

std::string systemReason(int err) {
    std::string r = std::strerror(err);
    return r + ".";
}

void InputFile::open(const std::string& path) {
    close();
    // A pipe, device or socket is refused before it is opened: opening a pipe without a
    // writer would wait for one.
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode) && !S_ISDIR(before.st_mode))
        throw QuarnelError("Cannot open file \"" + path +
                           "\". It is not a regular file (a pipe, device or socket).");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = fd < 0 ? errno : (S_ISDIR(st.st_mode) ? EISDIR : errno);
        if (fd >= 0) ::close(fd);
        throw QuarnelError("Cannot open file \"" + path + "\". " + systemReason(err));
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    fd_ = fd;
    size_ = uint64_t(st.st_size);
    position_ = 0;
    path_ = path;
}

void InputFile::close() {
    window_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = position_ = 0;
}

size_t InputFile::read(uint8_t* into, size_t count) {
    size_t got = 0;
    while (got < count) {
        const ssize_t r = ::pread(fd_, into + got, count - got, off_t(position_ + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(errno));
        }
        if (r == 0) break;
        got += size_t(r);
    }
    position_ += got;
    return got;
}

std::span<const uint8_t> InputFile::view(size_t count) {
    const std::span<const uint8_t> mapped = window_ ? window_->bytes() : std::span<const uint8_t>();
    if (mapped.empty() || position_ < window_->offset() ||
        position_ - window_->offset() + count > mapped.size()) {
        // A new window from the page that holds the position, as far as the file reaches now;
        // the one before stays mapped while outputs hold it.
        window_.reset();
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(errno));
        const uint64_t end = std::min(size_, uint64_t(st.st_size));
        if (position_ >= end) return {};
        if (access_ == ViewAccess::Copied) return copiedView(count, end);
        static const uint64_t page = uint64_t(::sysconf(_SC_PAGESIZE));
        const uint64_t from = position_ - position_ % page;
        const size_t length =
            size_t(std::min<uint64_t>(std::max(kWindowBytes, position_ - from + count), end - from));
        auto window = std::make_shared<MappedWindow>();
        if (const int err = window->map(fd_, from, length); err != 0)
            throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(err));
        window_ = std::move(window);
    }
    const std::span<const uint8_t> bytes = window_->bytes().subspan(size_t(position_ - window_->offset()));
    const std::span<const uint8_t> viewed = bytes.first(std::min(count, bytes.size()));
    position_ += viewed.size();
    return viewed;
}

std::span<const uint8_t> InputFile::copiedView(size_t count, uint64_t end) {
    if (!copied_ || copied_.use_count() > 1) copied_ = std::make_shared<MappedWindow>();
    const size_t want = size_t(std::min<uint64_t>(count, end - position_));
    if (const int err = copied_->copy(fd_, position_, want); err != 0)
        throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(err));
    const std::span<const uint8_t> viewed = copied_->bytes();
    // Fewer bytes than the file held a moment ago: it was cut short under the read. (A file
    // system that tells a size it does not hold, as sysfs does, is read as far as it reaches.)
    struct stat st {};
    if (viewed.size() < want && ::fstat(fd_, &st) == 0 && uint64_t(st.st_size) < position_ + want)
        throw QuarnelError("Cannot read file \"" + path_ + "\". It became shorter while it was being read.");
    window_ = copied_;
    position_ += viewed.size();
    return viewed;
}

std::span<const uint8_t> InputFile::mappedAhead(size_t count) const {
    if (!window_ || position_ < window_->offset()) return {};
    const std::span<const uint8_t> bytes = window_->bytes();
    const uint64_t at = position_ - window_->offset();
    if (at >= bytes.size()) return {};
    return bytes.subspan(size_t(at), std::min(count, bytes.size() - size_t(at)));
}

void InputFile::checkViewWhole() const {
    if (window_ && window_->shortened())
        throw QuarnelError("Cannot read file \"" + path_ + "\". It became shorter while it was being read.");
}

void InputFile::seek(uint64_t to) {
    position_ = to;
}

void InputFile::narrow(uint64_t first, uint64_t end) {
    size_ = std::min(size_, end);
    position_ = std::min(first, size_);
}

namespace {

QuarnelError writeError(const std::string& path, int err) {
    return QuarnelError("Cannot write file \"" + path + "\". " + systemReason(err));
}

// ".NAME.partial-PID.START-XXXXXX" beside the final name: hidden, unique, and naming its owner,
// so that a later run can remove it once its owner is gone.
std::string temporaryPattern(const std::string& path) {
    const size_t sep = path.find_last_of('/');
    const std::string folder = sep == std::string::npos ? "" : path.substr(0, sep + 1);
    const std::string tail = std::string(kPartialMark) + "-" + ownerMark() + "-XXXXXX";
    // The name is shortened so that the temporary name is no longer than the final one allows.
    const std::string name = path.substr(folder.size()).substr(0, NAME_MAX - 1 - tail.size());
    return folder + "." + name + tail;
}

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

void OutputFile::create(const std::string& path, WriteQueue* queue) {
    discard();
    const auto fail = [&](int err) {
        throw QuarnelError("Cannot create file \"" + path + "\". " + systemReason(err));
    };
    const size_t sep = path.find_last_of('/');
    if (path.size() - (sep == std::string::npos ? 0 : sep + 1) > NAME_MAX) fail(ENAMETOOLONG);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) fail(EISDIR);
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) fail(errno);
    ::fchmod(fd, creationMode());
    fd_ = fd;
    queue_ = queue;
    if (queue_) {
        buffer_ = nullptr;  // the bytes are collected in batches
        capacity_ = 0;
    } else {
        if (!own_) own_ = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);  // written before read
        buffer_ = own_.get();
        capacity_ = kBufferSize;
    }
    used_ = 0;
    written_ = 0;
    path_ = path;
    temporary_ = std::move(temporary);
}

void OutputFile::writeAll(const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd_, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw writeError(path_, errno);
        }
        p += w;
        n -= size_t(w);
        written_ += uint64_t(w);
    }
}

void OutputFile::flush() {
    if (queue_) {
        if (batch_.bytes == 0) return;
        written_ += batch_.bytes;
        WriteBatch batch = std::move(batch_);
        batch_ = {};
        accountHeld();
        queue_->submit(*this, std::move(batch));
        return;
    }
    const size_t n = used_;
    used_ = 0;
    writeAll(buffer_, n);
}

void OutputFile::accountHeld() {
    queue_->holding(ptrdiff_t(batch_.own.size()) - ptrdiff_t(heldCounted_));
    heldCounted_ = batch_.own.size();
}

void OutputFile::writeLarge(std::span<const uint8_t> bytes) {
    if (queue_) {
        batch_.add(bytes);
        accountHeld();
        if (!batch_.holdsWindows() &&
            (batch_.bytes >= WriteQueue::kBatchBytes || queue_->held() > WriteQueue::kHeldBytes))
            flush();
        return;
    }
    flush();
    if (bytes.size() >= kBufferSize) {
        writeAll(bytes.data(), bytes.size());
    } else {
        std::copy(bytes.begin(), bytes.end(), buffer_);
        used_ = bytes.size();
    }
}

void OutputFile::write(std::span<const uint8_t> bytes, const std::shared_ptr<const MappedWindow>& window) {
    if (queue_)
        batch_.add(bytes, window);
    else
        write(bytes);
}

void OutputFile::write(std::span<const uint8_t> bytes, const std::shared_ptr<const MappedWindow>& window,
                       uint8_t mark) {
    if (queue_) {
        batch_.add(bytes, window, mark);
        return;
    }
    write(bytes);
    if (watch_ && mark != 0) watch_(bytes, mark);
}

void OutputFile::settle() {
    if (!queue_ || !batch_.holdsWindows()) return;
    if (batch_.bytes >= WriteQueue::kSmallBatchBytes || queue_->held() > WriteQueue::kHeldBytes) {
        flush();
    } else {
        batch_.keepOwnCopy();
        accountHeld();
    }
}

void OutputFile::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    flush();
    if (queue_) queue_->drain(*this, true);
    if (offset > written_ || written_ - offset < bytes.size()) throw writeError(path_, EINVAL);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (w < 0) {
            if (errno == EINTR) continue;
            throw writeError(path_, errno);
        }
        done += size_t(w);
    }
}

void OutputFile::finish() {
    if (fd_ < 0) return;
    try {
        flush();
        if (queue_) queue_->drain(*this, true);
    } catch (...) {
        closeQuietly();
        throw;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw writeError(path_, errno);
}

void OutputFile::commit() {
    if (temporary_.empty()) return;
    finish();
    if (PendingOutputs* pending = PendingOutputs::current())
        pending->addFile(temporary_, path_);
    else
        putFileInPlace(temporary_, path_);
    temporary_.clear();
}

namespace {

// A descriptor closed when it goes out of scope.
struct OpenFile {
    int fd;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

void preadAll(int fd, const std::string& path, uint8_t* into, size_t count, uint64_t offset) {
    size_t got = 0;
    while (got < count) {
        const ssize_t r = ::pread(fd, into + got, count - got, off_t(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0)
            throw QuarnelError("Cannot read file \"" + path + "\". " + systemReason(r < 0 ? errno : EIO));
        got += size_t(r);
    }
}

void pwriteAll(int fd, const std::string& path, const uint8_t* from, size_t count, uint64_t offset) {
    size_t done = 0;
    while (done < count) {
        const ssize_t w = ::pwrite(fd, from + done, count - done, off_t(offset + done));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) throw writeError(path, errno);
        done += size_t(w);
    }
}

}  // namespace

std::vector<uint8_t> OutputFile::readFinished(uint64_t from, uint64_t to) const {
    const OpenFile f{::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(errno));
    if (from > to || to > written_)
        throw QuarnelError("Cannot read file \"" + path_ + "\". " + systemReason(EINVAL));
    std::vector<uint8_t> bytes(size_t(to - from));
    preadAll(f.fd, path_, bytes.data(), bytes.size(), from);
    return bytes;
}

void OutputFile::replaceFinished(uint64_t from, uint64_t to, std::span<const uint8_t> bytes) {
    const OpenFile f{::open(temporary_.c_str(), O_RDWR | O_CLOEXEC)};
    if (f.fd < 0 || from > to || to > written_ || bytes.size() > to - from)
        throw writeError(path_, f.fd < 0 ? errno : EINVAL);
    pwriteAll(f.fd, path_, bytes.data(), bytes.size(), from);
    // The rest moves down a block at a time, front first: it never overtakes what it reads.
    const uint64_t down = to - from - bytes.size();
    if (down == 0) return;
    std::vector<uint8_t> block(size_t(1) << 20);
    for (uint64_t at = to; at < written_;) {
        const size_t n = size_t(std::min<uint64_t>(block.size(), written_ - at));
        preadAll(f.fd, path_, block.data(), n, at);
        pwriteAll(f.fd, path_, block.data(), n, at - down);
        at += n;
    }
    written_ -= down;
    if (::ftruncate(f.fd, off_t(written_)) != 0) throw writeError(path_, errno);
}

void writeTextFile(const std::string& path, std::string_view text) {
    OutputFile out;
    out.create(path);
    out.write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    out.commit();
}

void OutputFile::discard() noexcept {
    closeQuietly();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool OutputFile::keepPartial() noexcept {
    if (fd_ >= 0) {
        try {
            flush();
            if (queue_) queue_->drain(*this, false);
        } catch (...) {
        }
    }
    closeQuietly();
    bool kept = false;
    if (!temporary_.empty()) {
        kept = ::rename(temporary_.c_str(), (path_ + kPartialMark).c_str()) == 0;
        if (!kept) ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return kept;
}

void OutputFile::closeQuietly() noexcept {
    if (fd_ < 0) return;
    if (queue_) {
        // The thread lets go of the file before it is closed.
        batch_ = {};
        accountHeld();
        queue_->drop(*this);
    }
    ::close(fd_);
    fd_ = -1;
    used_ = 0;
}

void OutputFolder::create(const std::string& path, const std::function<bool(std::string_view name)>& ours) {
    discard();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode))
            throw QuarnelError("Cannot create folder \"" + path + "\". A file of that name is in the way.");
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file(ec) || entry.is_symlink(ec) || !ours(name))
                throw QuarnelError("Cannot replace folder \"" + path + "\". It holds \"" + name +
                                   "\", which this output does not write.");
        }
        if (ec) throw QuarnelError("Cannot create folder \"" + path + "\". " + ec.message() + ".");
    }
    std::string temporary = temporaryPattern(path);
    if (!::mkdtemp(temporary.data()))
        throw QuarnelError("Cannot create folder \"" + path + "\". " + systemReason(errno));
    path_ = path;
    temporary_ = std::move(temporary);
}

void OutputFolder::commit() {
    if (temporary_.empty()) return;
    if (PendingOutputs* pending = PendingOutputs::current())
        pending->addFolder(temporary_, path_);
    else
        putFolderInPlace(temporary_, path_);
    temporary_.clear();
}

void OutputFolder::discard() noexcept {
    if (temporary_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(temporary_, ec);
    temporary_.clear();
}

void openClosedStandardDescriptors() noexcept {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is the closed one.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const auto ca = std::filesystem::weakly_canonical(a, ec);
    const auto cb = std::filesystem::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

}  // namespace quarnel
