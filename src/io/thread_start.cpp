// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/thread_start.h"

#include <atomic>

namespace quarnel {
namespace {

std::atomic<int> failing{0};

}  // namespace

bool threadStartsFail() {
    return failing.load(std::memory_order_relaxed) > 0;
}

ScopedFailingThreadStarts::ScopedFailingThreadStarts() {
    ++failing;
}

ScopedFailingThreadStarts::~ScopedFailingThreadStarts() {
    --failing;
}

}  // namespace quarnel
