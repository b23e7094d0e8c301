// Kind names of the stream boxes' captions, by the stream id a slot holds.
#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

struct KindName {
    int32_t first, last;
    const char* name;
};

constexpr KindName kVideoKindNames[] = {
    {-1, -1, "No video stream"}, {0x55, 0x56, "VC-1.stream"}, {0xE0, 0xE1, "MPEG-2.stream"}, {0xE2, 0xE3, "H.264.stream"}};
constexpr KindName kAudioKindNames[] = {
    {-1, -1, "No audio stream"}, {0x80, 0x87, "DD.stream"},  {0x88, 0x8F, "DTSHD.stream"},
    {0xA0, 0xA7, "LPCM.stream"}, {0xB0, 0xB7, "MLP.stream"}, {0xC0, 0xCF, "DD+.stream"}};
constexpr KindName kSubpictureKindNames[] = {
    {-1, -1, "No subpicture stream"}, {0x20, 0x3F, "Subpicture"}, {0x60, 0x7F, "Ext.Subpicture"}};

// Each overwrites `name` with the kind name of `id`; an unlisted id leaves it unchanged.
void VideoKind(int32_t id, std::string& name);
void AudioKind(int32_t id, std::string& name);
void SubpictureKind(int32_t id, std::string& name);

}  // namespace quarnel
