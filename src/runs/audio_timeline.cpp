// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/audio_timeline.h"

#include <cinttypes>
#include <cstdio>

#include "io/files.h"
#include "io/mapped_file.h"

namespace quarnel {
namespace {

constexpr double kTicksPerMs = 90.0;
// A frame that starts less than this share of its length before or after where the frame
// before it ends continues it: time stamps are whole ticks, frame lengths need not be.
constexpr double kJoinTolerance = 0.25;

struct Walk {
    const TimelineInput& in;
    AudioTimeline out;
    size_t anchor = 0;      // the next anchor not yet used
    double nominal = 0;     // ticks: where the next frame begins if it takes no anchor
    double coveredEnd = 0;  // ticks: the end of the last frame kept
    bool any = false;       // a frame has been kept
    bool dropping = false;  // the frame before was dropped
    uint32_t file = 0;      // the source file of the frame at hand
    uint32_t keptFile = 0;  // the source file of the last frame kept

    // The title time of the frame at `offset`: the last anchor at or before it that no earlier
    // frame took, or else the end of the frame before.
    double timeOf(uint64_t offset) {
        const std::vector<PtsAnchor>& anchors = *in.anchors;
        bool found = false;
        double t = nominal;
        while (anchor < anchors.size() && anchors[anchor].offset <= offset) {
            const PtsAnchor& a = anchors[anchor++];
            file = a.file;
            const int64_t shift = a.file < in.fileShift.size() ? in.fileShift[a.file] : 0;
            t = double(stampDistance(a.pts, in.origin) + shift);
            found = true;
        }
        return found ? t : nominal;
    }

    std::string fileName() const { return file < in.files->size() ? (*in.files)[file].name : ""; }

    // True when the frame is kept.
    bool place(double t, double ticks) {
        const double tolerance = ticks * kJoinTolerance;
        nominal = t + ticks;
        // A frame that ends by the start goes, and one that would begin before the output's
        // time 0 (which holds no earlier time).
        if (in.startTicks && (t + ticks <= *in.startTicks || t < 0)) {
            if (out.beforeStart.frames == 0) out.beforeStart = {t / kTicksPerMs, 0, 0, fileName()};
            out.beforeStart.lengthMs += ticks / kTicksPerMs;
            ++out.beforeStart.frames;
            return false;
        }
        if (in.endTicks && t >= *in.endTicks) {
            if (out.pastEnd.frames == 0) out.pastEnd = {t / kTicksPerMs, 0, 0, fileName()};
            out.pastEnd.lengthMs += ticks / kTicksPerMs;
            ++out.pastEnd.frames;
            return false;
        }
        // Where two clips join, their frames need not meet: a frame of the later clip that
        // overlaps the one before by less than a frame goes with the stretch the title does not
        // play, and a hole of less than a frame is no gap worth a line.
        const bool join = file < in.fileWindows.size() && any && file != keptFile;
        if ((file < in.fileWindows.size() &&
             (t + ticks <= in.fileWindows[file].first || t >= in.fileWindows[file].second)) ||
            (join && t < coveredEnd - tolerance && coveredEnd - t < ticks)) {
            if (out.outsideClips.frames == 0) out.outsideClips = {t / kTicksPerMs, 0, 0, fileName()};
            out.outsideClips.lengthMs += ticks / kTicksPerMs;
            ++out.outsideClips.frames;
            return false;
        }
        if (any && t < coveredEnd - tolerance) {
            if (!dropping) out.drops.push_back({t / kTicksPerMs, 0, 0, fileName()});
            out.drops.back().lengthMs += ticks / kTicksPerMs;
            ++out.drops.back().frames;
            dropping = true;
            return false;
        }
        dropping = false;
        if (any && t > coveredEnd + tolerance && !(join && t - coveredEnd < ticks))
            out.gaps.push_back({coveredEnd / kTicksPerMs, (t - coveredEnd) / kTicksPerMs, 0, fileName()});
        if (!any) out.firstMs = t / kTicksPerMs;
        any = true;
        keptFile = file;
        coveredEnd = t + ticks;
        ++out.frames;
        return true;
    }
};

// The kept frames' times, written as they are found.
class TimestampWriter {
  public:
    explicit TimestampWriter(const std::string& path) {
        file_.create(path);
        put("# timestamp format v2\n");
    }
    void add(double ticks) {
        char line[48];
        const int n = std::snprintf(line, sizeof line, "%.6f\n", ticks / kTicksPerMs);
        file_.write(std::span(reinterpret_cast<const uint8_t*>(line), size_t(n)));
    }
    void done() {
        file_.finish();
        file_.commit();
    }

  private:
    OutputFile file_;
    void put(std::string_view text) {
        file_.write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
};

}  // namespace

AudioTimeline followAudio(const TimelineInput& in) {
    const MappedFile demuxed(in.demuxedPath);
    const std::span<const uint8_t> bytes = demuxed.bytes();
    Walk walk{in, {}};
    TimestampWriter times(in.timestampsPath);

    // First pass: which frames stay. A second walk copies them only when some do not.
    AudioFrameWalker frames(in.coding, bytes);
    AudioFrame f;
    bool anyDropped = false;
    while (frames.next(f)) {
        const double t = walk.timeOf(f.offset);
        if (walk.place(t, f.ticks))
            times.add(t);
        else
            anyDropped = true;
    }
    times.done();
    AudioTimeline result = std::move(walk.out);
    result.skippedBytes = frames.skippedBytes();
    result.streamPath = in.demuxedPath;
    if (!anyDropped && result.skippedBytes == 0) return result;

    // The same walk again, writing the frames that stay.
    OutputFile kept;
    kept.create(in.keptPath);
    Walk again{in, {}};
    AudioFrameWalker second(in.coding, bytes);
    while (second.next(f))
        if (again.place(again.timeOf(f.offset), f.ticks)) kept.write(bytes.subspan(f.offset, f.size));
    kept.finish();
    kept.commit();
    result.streamPath = in.keptPath;
    return result;
}

}  // namespace quarnel
