// SPDX-License-Identifier: GPL-3.0-or-later
// The files of a split movie (FEATURE_1.EVO, FEATURE_2.EVO, ...) and the names derived
// from a source name.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

constexpr char kPathSeparator = '/';

// The name without its extension: the text from the last "." after the last separator is cut.
std::string withoutExtension(const std::string& name);
// The folder part of a path, ending with its separator ("" when there is none).
std::string folderOf(const std::string& path);
// The name part of a path.
std::string nameOf(const std::string& path);
// The upper-cased extension with its dot (".EVO"), "" when there is none.
std::string upperExtension(const std::string& path);

// Whether `text` begins with the upper-case `prefix` in any case.
bool startsInAnyCase(const std::string& text, const std::string& prefix);

// The name in `folder` that equals `name` in any case, or "".
std::string findInAnyCase(const std::string& folder, const std::string& name);

// The full name of the file that follows `name` in its sequence, or "" when none exists.
std::string nextInSequence(const std::string& name);

// `first` and, when `follow`, the files that follow it, as a run will meet them.
std::vector<std::string> sequenceFrom(const std::string& first, bool follow);

// The name a run's outputs are named after: the source's name without its extension, with
// "_MERGED" when the run goes on with the files that follow it.
std::string outputBaseName(const std::string& source, bool follow);

}  // namespace quarnel
