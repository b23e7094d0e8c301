// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the threads of the write queue and of the OCR pool. A machine out of threads makes a
// start fail with std::system_error; both then go on without the thread or fail with a
// message. A test makes every start fail this way while a ScopedFailingThreadStarts lives.
#pragma once

#include <system_error>
#include <thread>
#include <utility>

namespace quarnel {

bool threadStartsFail();

template <class... Args>
std::thread startThread(Args&&... args) {
    if (threadStartsFail())
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                "no thread could be started");
    return std::thread(std::forward<Args>(args)...);
}

class ScopedFailingThreadStarts {
  public:
    ScopedFailingThreadStarts();
    ~ScopedFailingThreadStarts();
    ScopedFailingThreadStarts(const ScopedFailingThreadStarts&) = delete;
    ScopedFailingThreadStarts& operator=(const ScopedFailingThreadStarts&) = delete;
};

}  // namespace quarnel
