// The chunk loop over the open input stream and what is done with what the scanner finds:
// discovery lines, first time stamps, analysers (Read), elementary-stream output (Demux).
#include <chrono>
#include <string>

#include "codecs/analysers.h"
#include "formats/navigation.h"
#include "codecs/start_code_count.h"
#include "io/file_sequence.h"
#include "app/main_model.h"
#include "report/text_format.h"

namespace quarnel {

namespace {

constexpr uint64_t kMiB = 1048576;
constexpr size_t kSupHeaderSize = 10;

std::string foundLine(RevealKind kind, const ScanState& st, int index, bool aob) {
    const std::string n = std::to_string(index);
    switch (kind) {
        case RevealKind::Video:
            switch (st.videoType) {
                case VideoType::Mpeg2:
                    return "[b]MPEG-2[/b] video stream " + n + " found!";
                case VideoType::H264:
                    return "[b]H.264 (AVC)[/b] video stream " + n + " found!";
                case VideoType::Vc1:
                    return "[b]VC-1[/b] video stream " + n + " found!";
            }
            break;
        case RevealKind::Subpicture:
            return isExtendedSubpictureId(st.subId) ? "[b]Extended subpicture[/b] stream " + n + " found!"
                                                    : "[b]Subpicture[/b] stream " + n + " found!";
        case RevealKind::Audio:
            switch (st.audioCodec) {
                case AudioCodec::Ac3:
                    return "[b]Dolby Digital[/b] audio stream " + n + " found!";
                case AudioCodec::Dts:
                    return "[b]DTS HD (DTS)[/b] audio stream " + n + " found!";
                case AudioCodec::Eac3:
                    return "[b]Dolby Digital[/b] Plus audio stream " + n + " found!";
                case AudioCodec::Lpcm:
                    return st.audioId == 0xA1 && aob ? "[b]MLP[/b] audio stream " + n + " found!"
                                                     : "[b]LPCM[/b] audio stream " + n + " found!";
                case AudioCodec::Mlp:
                    return "[b]Dolby TrueHD[/b] audio stream " + n + " found!";
            }
            break;
    }
    return {};
}

}  // namespace

// What the scanner's findings mean for the model, in the analysis mode (0) or the demux mode (1).
struct DemuxSink {
    MainModel& m;
    const int mode;
    const bool aob;         // the source is an .AOB file
    const bool vobLayout;   // the source is a .VOB file
    const uint8_t* buf = nullptr;
    StreamCounts counts{};

    void reveal(ScanState& st, RevealKind kind, int index, int id) {
        int32_t& slot = kind == RevealKind::Video   ? m.table.video[index]
                        : kind == RevealKind::Audio ? m.table.audio[index]
                                                    : m.table.sub[index];
        if (slot != -1) return;
        slot = id;
        switch (kind) {
            case RevealKind::Video:
                if (st.videoType != VideoType::H264) st.videoPts = st.currentPts;
                break;
            case RevealKind::Audio:
                st.audioPts = st.currentPts;
                break;
            case RevealKind::Subpicture:
                if (mode == 0) st.subPts = st.currentPts;
                break;
        }
        if (mode == 0) m.log.log(foundLine(kind, st, index, aob));
    }

    void payload(ScanState& st, size_t offset, size_t count) {
        const std::span<const uint8_t> piece(buf + offset, count);
        if (mode == 0) analysePiece(st, piece);
        else writePiece(st, piece);
    }

    void navigation(ScanState&, uint8_t subId, std::span<const uint8_t> packet) {
        if (subId != kDsiSubstream) {
            reportCopyControl(packet, m.log);
            return;
        }
        const DsiInfo dsi = decodeDsi(packet, vobLayout);
        if (counts.audio == 0) counts.audio = dsi.audioEntries;
        counts.sub = dsi.subpictureEntries;
        if (mode == 0) reportDsi(dsi, counts, m.log);
        // The time span of the title: the first file's start, the last file's end, the sums
        // that a Rebuild and the frame report take over.
        if (m.run.firstPtm == 0) m.run.firstPtm = dsi.startPtm;
        m.run.lastEndPtm = dsi.endPtm;
        m.run.endPtmSum += dsi.endPtm;
        m.run.videoDurationSum += dsi.seconds();
        m.run.fileDuration = dsi.seconds();
    }

    // First time stamp line, sub-stream id line; the earliest first PTS is kept even
    // without details, since the .sup records of a later Demux are timed from it.
    void firstPts(uint32_t pts, uint8_t id, bool details, bool lowersEarliest) {
        if (details) {
            std::string line = "   First PTS = [re]" + hexUpper(pts, 8) + "[/re]";
            if (pts != m.run.firstPtm)
                line += "  ([re]+" + std::to_string(uint32_t(pts - m.run.firstPtm) / 90) + "[/re]ms)";
            m.log.log(line);
            m.log.log("   Substream id = " + hexUpper(id, 2));
        }
        if (lowersEarliest && pts < m.run.earliestFirstPts) m.run.earliestFirstPts = pts;
    }

    AnalyserInput analyserInput(const ScanState& st, std::span<const uint8_t> piece, int index) const {
        const bool audio = st.kind == PacketKind::Audio;
        return {piece, std::span<const uint8_t>(st.privateHeader.data(), audio ? st.privateHeaderLength : 0), index,
                st.videoPts, st.videoDts, aob};
    }

    void analysePiece(ScanState& st, std::span<const uint8_t> piece) {
        const bool details = m.opt.cbDetails;
        switch (st.kind) {
            case PacketKind::Video: {
                const int i = st.videoIndex;
                if (m.opt.cbCountFr) m.countframes(piece, i, st.videoType);
                if (m.table.videoFirstPts[i] || m.table.video[i] != st.videoId) return;
                m.table.videoFirstPts[i] = true;
                firstPts(st.videoPts, st.videoId, details, true);
                if (!details) return;
                const AnalyserInput in = analyserInput(st, piece, i);
                std::optional<double> rate;
                switch (st.videoType) {
                    case VideoType::Mpeg2:
                        rate = analyseMpeg2Video(in, m.log);
                        break;
                    case VideoType::H264:
                        rate = analyseH264(in, m.log);
                        break;
                    case VideoType::Vc1:
                        rate = analyseVc1(in, m.log);
                        break;
                }
                if (rate) m.run.frameRate[i] = *rate;
                return;
            }
            case PacketKind::Audio: {
                const int i = st.audioIndex;
                if (m.table.audioFirstPts[i] || m.table.audio[i] != st.audioId) return;
                m.table.audioFirstPts[i] = true;
                firstPts(st.audioPts, st.audioId, details, true);
                if (!details) return;
                const AnalyserInput in = analyserInput(st, piece, i);
                switch (st.audioCodec) {
                    case AudioCodec::Ac3:
                    case AudioCodec::Eac3:
                        analyseDolby(in, m.log);
                        break;
                    case AudioCodec::Dts:
                        analyseDts(in, m.log);
                        break;
                    case AudioCodec::Lpcm:
                        if (st.audioId == 0xA1 && aob) analyseMlp(in, m.log);
                        else analyseLpcm(in, m.log);
                        break;
                    case AudioCodec::Mlp:
                        analyseMlp(in, m.log);
                        break;
                }
                return;
            }
            case PacketKind::Subpicture: {
                const int i = st.subIndex;
                if (m.table.subFirstPts[i] || m.table.sub[i] != st.subId) return;
                m.table.subFirstPts[i] = true;
                firstPts(st.subPts, st.subId, details, false);
                if (details) analyseSubpicture(analyserInput(st, piece, i), m.log);
                return;
            }
            default:
                return;
        }
    }

    // A piece goes to its slot's output only when the box is ticked, the output open and the
    // packet's own id is the one that owns the slot (two codings sharing a slot never mix).
    void writePiece(ScanState& st, std::span<const uint8_t> piece) {
        switch (st.kind) {
            case PacketKind::Video: {
                const int i = st.videoIndex;
                const bool ticked = m.boxes.video[i].ticked;
                if (m.opt.cbCountFr && ticked) m.countframes(piece, i, st.videoType);
                if (ticked && m.videoOut_[i].isOpen() && m.table.video[i] == st.videoId)
                    m.videoOut_[i].write(piece);
                break;
            }
            case PacketKind::Audio: {
                const int i = st.audioIndex;
                if (m.boxes.audio[i].ticked && m.audioOut_[i].isOpen() && m.table.audio[i] == st.audioId)
                    m.audioOut_[i].write(piece);
                break;
            }
            case PacketKind::Subpicture: {
                const int i = st.subIndex;
                const bool write = m.boxes.sub[i].ticked && m.subOut_[i].isOpen() && m.table.sub[i] == st.subId;
                if (write && st.currentPts != 0) {
                    const uint32_t t = st.currentPts - m.run.earliestFirstPts;
                    const uint8_t header[kSupHeaderSize] = {'S', 'P', uint8_t(t), uint8_t(t >> 8), uint8_t(t >> 16),
                                                            uint8_t(t >> 24), 0, 0, 0, 0};
                    m.subOut_[i].write(header);
                }
                if (write) m.subOut_[i].write(piece);
                break;
            }
            default:
                break;
        }
        st.currentPts = 0;
    }
};

void MainModel::demux(int mode) {
    struct CancelButton {
        bool& enabled;
        explicit CancelButton(bool& e) : enabled(e) { enabled = true; }
        ~CancelButton() { enabled = false; }
    } cancelButton(buttons.bCancel);

    run.busy = mode == 1;
    run.cancel = false;
    run.fastStop = false;
    table.reset();
    *scan_ = ScanState{};
    const auto started = std::chrono::steady_clock::now();
    const std::string ext = upperExtension(currentFile_);
    DemuxSink sink{*this, mode, ext == ".AOB", ext == ".VOB"};
    sink.buf = buffer_.get();
    Scanner<DemuxSink> scanner(*scan_, sink, mode == 0);

    const uint64_t size = input_.size();
    while (input_.position() < size && !run.cancel && !run.fastStop) {
        const size_t n = input_.read(buffer_.get(), kReadBufferSize);
        if (n == 0) break;  // the file is shorter than when it was opened
        const uint64_t pos = input_.position();
        if (pos % kProgressStep == 0) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const double remaining = elapsed * (double(size) / double(pos) - 1.0) + 1.0;
            log.slog(std::to_string(pos / kMiB) + "/" + std::to_string(size / kMiB) +
                         " Mbytes, Remaining time: " + formatSpan(remaining),
                     1);
            host_.pumpEvents();
        }
        if (mode == 0 && opt.cbFastCheck && pos > uint64_t(opt.ieFastSize) * kMiB) run.fastStop = true;
        if (mode == 0 && pos == kReadBufferSize) takeSystemHeaderCounts(sink.counts, sink.aob);
        scanner.scan(buffer_.get(), n);
    }
    scanner.finish();
    if (run.cancel) run.countedFrames = {0, 0};
}

// The system header right after the first pack header gives the video and audio bounds.
void MainModel::takeSystemHeaderCounts(StreamCounts& counts, bool aob) {
    const uint8_t* b = buffer_.get();
    if (b[16] != 0x01 || b[17] != kSystemHeaderId) return;
    counts.video = b[24] & 0x1F;
    counts.audio = b[23] >> 2;
    if (!aob) return;
    std::string line = "It contains";
    if (counts.video > 0) line += " [b]" + std::to_string(counts.video) + "[/b] video stream and";
    line += " [b]" + std::to_string(counts.audio) + "[/b] audio stream" + (counts.audio > 1 ? "s." : ".");
    log.log(line);
}

void MainModel::countframes(std::span<const uint8_t> payload, int index, VideoType type) {
    const uint8_t last = type == VideoType::Mpeg2 ? 0x00 : type == VideoType::H264 ? 0x09 : 0x0D;
    const uint32_t code = 0x00000100u | last;
    const uint8_t* p = payload.data();
    const size_t n = payload.size();
    int32_t found = 0;
    uint32_t w = frameWindow_[index];
    // Codes that end in the first three bytes began in an earlier piece.
    for (size_t i = 0; i < n && i < 3; ++i) {
        w = w << 8 | p[i];
        if (w == code) ++found;
    }
    // Codes wholly inside the piece (they end at index 3 or later).
    found += countStartCodes(p, n, last);
    if (n >= 4) w = uint32_t(p[n - 4]) << 24 | uint32_t(p[n - 3]) << 16 | uint32_t(p[n - 2]) << 8 | p[n - 1];
    frameWindow_[index] = w;
    run.countedFrames[index] += found;
}

}  // namespace quarnel
