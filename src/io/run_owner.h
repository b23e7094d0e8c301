// SPDX-License-Identifier: GPL-3.0-or-later
// Who made a temporary file or scratch folder: the process's id and start time, written into
// the temporary's name (or a marker file in a folder), so that a later run can tell the
// leftovers of a run that was killed from those of a run that still writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// "PID.START" of this process (START: its start time in clock ticks after boot).
const std::string& ownerMark();
// True while the process that `mark` names runs (the same id and the same start time; an id
// given to another process since does not count).
bool ownerRuns(std::string_view mark);

// The marker file a scratch folder holds: its content is the owner's mark.
inline constexpr const char* kOwnerFileName = ".quarnel-owner";
// Writes the marker file into `folder`; false when it cannot be written.
bool markFolderOwner(const std::string& folder);

// Removes what runs that no longer run left in `folder` under names of `base`: the hidden
// temporaries ".BASE….partial-MARK-XXXXXX" (files, and folders being built) and the scratch
// folders "BASE…" that hold a marker file. Returns the names removed.
std::vector<std::string> removeStaleTemporaries(const std::string& folder, const std::string& base);

}  // namespace quarnel
