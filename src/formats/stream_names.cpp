#include "formats/stream_names.h"

#include <span>

namespace quarnel {
namespace {

void kindName(std::span<const KindName> table, int32_t id, std::string& name) {
    for (const auto& k : table)
        if (id >= k.first && id <= k.last) {
            name = k.name;
            return;
        }
}

}  // namespace

void VideoKind(int32_t id, std::string& name) { kindName(kVideoKindNames, id, name); }
void AudioKind(int32_t id, std::string& name) { kindName(kAudioKindNames, id, name); }
void SubpictureKind(int32_t id, std::string& name) { kindName(kSubpictureKindNames, id, name); }

}  // namespace quarnel
