// The files of a split movie (FEATURE_1.EVO, FEATURE_2.EVO, ...) and the names derived
// from a source name.
#pragma once

#include <string>

namespace quarnel {

constexpr char kPathSeparator = '/';

// The name without its extension: the text from the last "." after the last separator is cut.
std::string CutExt(const std::string& name);
// The folder part of a path, ending with its separator ("" when there is none).
std::string folderOf(const std::string& path);
// The name part of a path.
std::string nameOf(const std::string& path);
// The upper-cased extension with its dot (".EVO"), "" when there is none.
std::string upperExtension(const std::string& path);

// The full name of the file that follows `name` in its sequence, or "" when none exists.
std::string getnext(const std::string& name);

}  // namespace quarnel
