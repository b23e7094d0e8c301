// SPDX-License-Identifier: GPL-3.0-or-later
// Whether work may run beside a pass, on a second core.
#pragma once

namespace quarnel {

// True when the process may run on more than one core. A second thread is then worth starting
// whatever the load: on a busy two-core machine a Demux with its threads took 0.69–0.89 s where
// one thread took 0.92–1.08 s, and a decision taken from the load as a run starts was often
// wrong (a moment's kernel work after a sync turned the threads off for the whole run).
bool aSecondCoreToRunOn();

}  // namespace quarnel
