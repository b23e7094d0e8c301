// SPDX-License-Identifier: GPL-3.0-or-later
// A run's progress on the desktop's task bar or dock, where the desktop shows one (KDE Plasma,
// the docks of GNOME and Ubuntu): the launcher-entry signal on the session bus, naming the
// window's desktop entry. Without a session bus nothing is sent.
#pragma once

#include <cstdint>

namespace quarnel {

class TaskbarProgress {
  public:
    void set(uint64_t done, uint64_t total);
    void clear();

  private:
    bool shown_ = false;
};

}  // namespace quarnel
