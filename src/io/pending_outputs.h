// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs of a run that are written whole and wait to take their final names: a run puts
// them in place together when it ends well, so that a failure or a signal before that leaves
// every earlier file of those names as it was.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quarnel {

// Appended to the final name of what a stopped run keeps.
inline constexpr const char* kPartialMark = ".partial";

// While a PendingOutputs lives, OutputFile::commit() and OutputFolder::commit() on its thread
// hand their finished temporaries to it instead of renaming them. Sets nest: the innermost
// one collects, and its commit() hands what it holds to the one around it; the outermost puts
// the files in place. Destroyed uncommitted, it removes what it holds.
class PendingOutputs {
  public:
    PendingOutputs();
    ~PendingOutputs();
    PendingOutputs(const PendingOutputs&) = delete;
    PendingOutputs& operator=(const PendingOutputs&) = delete;

    // The set that collects on this thread, or none.
    static PendingOutputs* current();

    // Taken in the order given: a member of a pair that names the others (a VobSub index, a
    // BDN XML) is handed over last, so that it is also put in place last.
    void addFile(std::string temporary, std::string final);
    void addFolder(std::string temporary, std::string final);
    // Renames every temporary onto its final name, back to back with the stopping signals
    // held off, in the order they came (or hands them to the set around this one). Raises on
    // the first rename that fails.
    void commit();
    // Keeps each file as "NAME.partial" (a folder is removed): a run stopped on the way.
    // Returns the names kept.
    std::vector<std::string> keepPartial() noexcept;
    void discard() noexcept;
    bool empty() const { return entries_.empty(); }
    // The final names held that name a file or folder already there.
    std::vector<std::string> existingFinals() const;
    // Gives every output held the name "NAME (n).EXT" (n from 2, one n for all of them, the
    // first that names nothing there), so that what is there stays beside the new ones: a
    // VobSub pair or a set of streams keeps one name. Returns each final name before and after.
    std::vector<std::pair<std::string, std::string>> keepBoth();

  private:
    struct Entry {
        std::string temporary, final;
        bool folder = false;
    };
    std::vector<Entry> entries_;
    PendingOutputs* outer_;
};

// "NAME (n).EXT" of a path NAME.EXT: the number before the last extension.
std::string numberedName(const std::string& path, int n);

// The renames themselves, also used by outputs outside any set.
void putFileInPlace(const std::string& temporary, const std::string& final);
void putFolderInPlace(const std::string& temporary, const std::string& final);

}  // namespace quarnel
