// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/cores.h"

#include <sched.h>

namespace quarnel {

bool aSecondCoreToRunOn() {
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    return ::sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) >= 2;
}

}  // namespace quarnel
