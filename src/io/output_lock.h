// SPDX-License-Identifier: GPL-3.0-or-later
// A run's claim on the outputs of one base name in one folder: a lock (flock) on the hidden
// file ".BASE.lock" there, so that two runs never write files of the same names at once.
#pragma once

#include <string>

namespace quarnel {

class OutputLock {
  public:
    OutputLock() = default;
    // Takes the lock on BASE in `folder` (the current folder when empty). Raises "Another run
    // is writing BASE." at once when another process holds it; takes none where the lock file
    // cannot be made (no output can be either). Within one process it may be taken again.
    OutputLock(const std::string& folder, const std::string& base);
    ~OutputLock();
    OutputLock(OutputLock&& other) noexcept;
    OutputLock& operator=(OutputLock&& other) noexcept;

  private:
    std::string path_;  // the lock file, while held
    void release() noexcept;
};

}  // namespace quarnel
