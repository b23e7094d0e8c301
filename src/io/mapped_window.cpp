// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/mapped_window.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace quarnel {

namespace {

// The windows mapped at one time, as the handler sees them: a handful per run is plenty, and a
// window that finds no free place is still read, only without the guard.
constexpr int kGuardedWindows = 16;

struct GuardedWindow {
    std::atomic<bool> taken{false};
    std::atomic<uintptr_t> begin{0}, end{0};
    std::atomic<bool> shortened{false};
};

GuardedWindow guarded[kGuardedWindows];
struct sigaction previousAction {};
uintptr_t pageSize = 4096;

// A touch of a page past the end of a mapped file: within a guarded window, the rest of the
// window becomes zero pages and the window is marked; anywhere else, the signal goes to
// whatever handled it before (by default, the end of the process). Only async-signal-safe
// calls here.
void onBusError(int signal, siginfo_t* info, void* context) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (GuardedWindow& w : guarded) {
        const uintptr_t begin = w.begin.load(), end = w.end.load();
        if (begin == 0 || at < begin || at >= end) continue;
        const uintptr_t page = at & ~(pageSize - 1);
        void* const zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED) break;
        w.shortened.store(true);
        return;
    }
    if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    } else {
        // The faulting access runs again, now under the earlier disposition.
        ::sigaction(SIGBUS, &previousAction, nullptr);
    }
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

int takeSlot(uintptr_t begin, uintptr_t end) {
    for (int k = 0; k < kGuardedWindows; ++k) {
        bool free = false;
        if (!guarded[k].taken.compare_exchange_strong(free, true)) continue;
        guarded[k].shortened.store(false);
        guarded[k].end.store(end);
        guarded[k].begin.store(begin);
        return k;
    }
    return -1;
}

}  // namespace

int MappedWindow::map(int fd, uint64_t offset, size_t count) {
    unmap();
    if (count == 0) return 0;
    installHandler();
    void* const p = ::mmap(nullptr, count, PROT_READ, MAP_PRIVATE, fd, off_t(offset));
    if (p == MAP_FAILED) return copy(fd, offset, count);
    ::madvise(p, count, MADV_SEQUENTIAL);
    data_ = static_cast<const uint8_t*>(p);
    size_ = count;
    offset_ = offset;
    slot_ = takeSlot(uintptr_t(p), uintptr_t(p) + count);
    return 0;
}

int MappedWindow::copy(int fd, uint64_t offset, size_t count) {
    if (!read_) unmap();
    if (readCapacity_ < count) {
        read_ = std::make_unique_for_overwrite<uint8_t[]>(count);
        readCapacity_ = count;
    }
    size_t got = 0;
    while (got < count) {
        const ssize_t r = ::pread(fd, read_.get() + got, count - got, off_t(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            const int err = errno;
            unmap();
            return err;
        }
        if (r == 0) break;
        got += size_t(r);
    }
    data_ = read_.get();
    size_ = got;
    offset_ = offset;
    return 0;
}

void MappedWindow::unmap() noexcept {
    if (read_) {
        read_.reset();
        readCapacity_ = 0;
        data_ = nullptr;
        size_ = 0;
        return;
    }
    if (!data_) return;
    if (slot_ >= 0) {
        guarded[slot_].begin.store(0);
        guarded[slot_].end.store(0);
        guarded[slot_].taken.store(false);
        slot_ = -1;
    }
    ::munmap(const_cast<uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

bool MappedWindow::shortened() const {
    return slot_ >= 0 && guarded[slot_].shortened.load();
}

}  // namespace quarnel
