// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/bdn_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "formats/subtitles/png_image.h"
#include "io/files.h"
#include "report/xml_text.h"

namespace quarnel {
namespace {

// The VideoFormat name of a canvas height.
struct VideoFormat {
    int height;
    const char* name;
};
constexpr VideoFormat kVideoFormats[] = {{480, "480i"}, {576, "576i"}, {720, "720p"}, {1080, "1080p"}};

const char* videoFormat(int height) {
    for (const VideoFormat& f : kVideoFormats)
        if (f.height == height) return f.name;
    return "1080p";
}

uint64_t frameAt(uint64_t ticks, const FrameRate& r) {
    const uint64_t per = uint64_t(r.denominator) * 90000;
    return (ticks * r.numerator + per / 2) / per;
}

std::string timecodeOf(uint64_t frame, const FrameRate& r) {
    const uint64_t seconds = frame / r.timecodeFrames;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02llu:%02u:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  unsigned(seconds / 60 % 60), unsigned(seconds % 60), unsigned(frame % r.timecodeFrames));
    return buf;
}

// A picture's name as pngName() makes it: four or more digits, then ".png".
bool isPngName(std::string_view name) {
    constexpr std::string_view kPng = ".png";
    if (name.size() < 4 + kPng.size() || !name.ends_with(kPng)) return false;
    const std::string_view digits = name.substr(0, name.size() - kPng.size());
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string pngName(size_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits + ".png";
}

void writeWhole(const std::string& path, const uint8_t* data, size_t size) {
    OutputFile out;
    out.create(path);
    out.write({data, size});
    out.commit();
}

bool plainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::string BdnWriter::timecode(uint64_t ticks, const FrameRate& rate) {
    return timecodeOf(frameAt(ticks, rate), rate);
}

BdnWriter::BdnWriter(const std::string& folder, const std::string& xmlName, BdnOptions options)
    : xmlName_(xmlName), options_(std::move(options)) {
    if (!plainFileName(xmlName_)) throw QuarnelError("\"" + xmlName_ + "\" is not a plain file name.");
    // An earlier BDN folder of this stream is replaced; one that holds other files is not.
    folder_.create(folder, [this](std::string_view name) { return name == xmlName_ || isPngName(name); });
}

bool BdnWriter::add(const SubpictureEvent& e) {
    if (e.empty() || e.x < 0 || e.y < 0 || e.width > options_.canvasWidth - e.x ||
        e.height > options_.canvasHeight - e.y)
        return false;
    const std::optional<std::vector<uint8_t>> png = encodePng(e.width, e.height, eventRgba(e));
    if (!png)
        throw QuarnelError("Cannot code the picture of subtitle " + std::to_string(entries_.size() + 1) +
                           ".");
    writeWhole(folder_.temporaryPath() + "/" + pngName(entries_.size() + 1), png->data(), png->size());
    const uint64_t in = frameAt(e.start, options_.rate);
    const uint64_t out = std::max(frameAt(e.stop, options_.rate), in + 1);  // shown for a frame at least
    entries_.push_back({in, out, e.forced, e.x, e.y, e.width, e.height});
    return true;
}

void BdnWriter::finish() {
    const FrameRate& r = options_.rate;
    const std::string first = entries_.empty() ? timecodeOf(0, r) : timecodeOf(entries_.front().in, r);
    const std::string last = entries_.empty() ? timecodeOf(0, r) : timecodeOf(entries_.back().out, r);
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    x += "<BDN Version=\"0.93\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xsi:noNamespaceSchemaLocation=\"BD-03-006-0093b BDN File Format.xsd\">\n";
    x += "  <Description>\n";
    x += "    <Name Title=\"" + escapeXmlText(options_.title) + "\" Content=\"\"/>\n";
    x += "    <Language Code=\"" + escapeXmlText(options_.language) + "\"/>\n";
    x += "    <Format VideoFormat=\"" + std::string(videoFormat(options_.canvasHeight)) + "\" FrameRate=\"" +
         std::string(r.name) + "\" DropFrame=\"False\"/>\n";
    x += "    <Events Type=\"Graphic\" FirstEventInTC=\"" + first + "\" LastEventOutTC=\"" + last +
         "\" NumberofEvents=\"" + std::to_string(entries_.size()) + "\"/>\n";
    x += "  </Description>\n  <Events>\n";
    for (size_t k = 0; k < entries_.size(); ++k) {
        const Entry& e = entries_[k];
        x += "    <Event InTC=\"" + timecodeOf(e.in, r) + "\" OutTC=\"" + timecodeOf(e.out, r) +
             "\" Forced=\"" + (e.forced ? "True" : "False") + "\">\n";
        x += "      <Graphic Width=\"" + std::to_string(e.width) + "\" Height=\"" + std::to_string(e.height) +
             "\" X=\"" + std::to_string(e.x) + "\" Y=\"" + std::to_string(e.y) + "\">" + pngName(k + 1) +
             "</Graphic>\n";
        x += "    </Event>\n";
    }
    x += "  </Events>\n</BDN>\n";
    writeWhole(folder_.temporaryPath() + "/" + xmlName_, reinterpret_cast<const uint8_t*>(x.data()),
               x.size());
    folder_.commit();
}

}  // namespace quarnel
