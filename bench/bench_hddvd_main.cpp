// SPDX-License-Identifier: GPL-3.0-or-later
// An HD DVD disc folder around one benchmark EVO (bench/hddvd.sh): the EVO, its time map, the
// VTI and a playlist of two titles, the whole EVO and a stretch of its middle half.
#include <cstdio>
#include <string>

#include "fixtures/hddvd_disc_builder.h"

using namespace quarnel::fixtures;

namespace {

// HH:MM:SS:FF of `counts` at 60 counts a second.
std::string timeOf(uint64_t counts) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu", static_cast<unsigned long long>(counts / 216000),
                  static_cast<unsigned long long>(counts / 3600 % 60), static_cast<unsigned long long>(counts / 60 % 60),
                  static_cast<unsigned long long>(counts % 60));
    return text;
}

std::string clip(uint64_t titleEnd, uint64_t clipBegin) {
    return "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/FEATURE_1.MAP\" titleTimeBegin=\"00:00:00:00\" "
           "titleTimeEnd=\"" +
           timeOf(titleEnd) + "\" clipTimeBegin=\"" + timeOf(clipBegin) +
           "\"><Video track=\"1\"/><Audio track=\"1\" streamNumber=\"1\"/></PrimaryAudioVideoClip>";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quarnel-bench-hddvd EVO DISC_FOLDER\n");
        return 2;
    }
    const HdDvdEvo evo = hdDvdEvoOf("FEATURE_1.EVO", readFile(argv[1]), 1);
    const uint64_t counts = uint64_t(evo.endPtm - evo.startPtm) * 2 / 3003;  // 1501.5 ticks a count
    const std::string playlist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Playlist><MediaAttributeList>"
        "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/><AudioAttributeItem index=\"1\" codec=\"AC-3\"/>"
        "</MediaAttributeList><TitleSet timeBase=\"60fps\">"
        "<Title titleNumber=\"1\" titleDuration=\"" +
        timeOf(counts) + "\">" + clip(counts, 0) + "</Title><Title titleNumber=\"2\" titleDuration=\"" +
        timeOf(counts / 2) + "\">" + clip(counts / 2, counts / 4) + "</Title></TitleSet></Playlist>\n";
    writeHdDvdDisc(argv[2], {evo}, playlist);
    std::printf("%s: a title of %.1f s and one of its middle half\n", argv[2], double(counts) * 1001 / 60000);
    return 0;
}
