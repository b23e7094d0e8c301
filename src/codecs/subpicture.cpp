// Subpictures: the run-length coding of the first unit. A 2-bit unit of a DVD begins with its
// non-zero 16-bit size; an 8-bit unit of an HD DVD begins with a zero word and a 32-bit size.
#include "codecs/analysers.h"

namespace quarnel {

void analyseSubpicture(const AnalyserInput& in, MessageLog& log) {
    if (in.payload.size() < 2) return;
    const bool eightBit = in.payload[0] == 0 && in.payload[1] == 0;
    log.log(eightBit ? "   Format = [bl]8bitRLE[/bl]" : "   Format = [bl]2bitRLE[/bl]");
}

}  // namespace quarnel
