// SPDX-License-Identifier: GPL-3.0-or-later
// nextInSequence and withoutExtension over arbitrary names. The input is a list of names, one a line: the
// valid ones are created as files in an empty folder, then the sequence is followed from
// each. nextInSequence must name an existing file of the same folder other than the one it was
// given, and a sequence must end; withoutExtension, folderOf and nameOf must cut the name apart
// without losing any of it.
#include "fuzz_support.h"
#include "io/file_sequence.h"

using namespace quarnel;
using namespace quarnel::fuzz;

namespace {

constexpr size_t kMaxNames = 16;
constexpr int kMaxSteps = 1000;

bool creatable(const std::string& name) {
    return !name.empty() && name.size() < 200 && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> names;
    for (size_t at = 0; at <= text.size() && names.size() < kMaxNames;) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        names.push_back(text.substr(at, end - at));
        at = end + 1;
    }

    for (const std::string& name : names) {
        const std::string cut = withoutExtension(name);
        check(name.compare(0, cut.size(), cut) == 0, "withoutExtension is not a beginning of the name");
        check(folderOf(name) + nameOf(name) == name, "folder and name do not make the path");
        check(nameOf(name).find(kPathSeparator) == std::string::npos, "a name part holds a separator");
        check(folderOf(name).size() <= cut.size(), "withoutExtension cut into the folder");
    }

    const auto folder = freshScratch();
    const std::string prefix = folder.string() + "/";
    for (const std::string& name : names)
        if (creatable(name)) writeBytes(folder / name, {});
    for (const std::string& name : names) {
        if (!creatable(name)) continue;
        std::string at = prefix + name;
        int steps = 0;
        for (std::string next = nextInSequence(at); !next.empty(); at = next, next = nextInSequence(at)) {
            check(next != at, "nextInSequence named the file it was given");
            check(folderOf(next) == prefix, "nextInSequence left the folder");
            check(fileExists(next), "nextInSequence named a file that does not exist");
            check(++steps < kMaxSteps, "a sequence that does not end");
        }
    }
    // Names that are not files (paths, empty names) are only looked at.
    for (const std::string& name : names) (void)nextInSequence(name);
    return 0;
}
