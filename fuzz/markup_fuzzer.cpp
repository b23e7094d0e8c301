// SPDX-License-Identifier: GPL-3.0-or-later
// The log's mark-up parser over arbitrary text: runs stay inside the line and follow one
// another, and the line text is never longer than the message.
#include "fuzz_support.h"
#include "report/markup.h"

using namespace quarnel;
using namespace quarnel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string message(reinterpret_cast<const char*>(data), size);
    const LogLine line = parseMarkup(message);
    checkLine(line);
    check(line.text.size() <= message.size(), "a line text longer than its message");
    size_t covered = 0;
    for (const StyledRun& r : line.runs) covered += r.length;
    check(covered == line.text.size(), "styled runs do not cover the line text");
    // A message without brackets is its own text.
    if (message.find('[') == std::string::npos) check(line.text == message, "plain text was changed");
    return 0;
}
