// SPDX-License-Identifier: GPL-3.0-or-later
// The pass over the packs of one file and what is done with what the scanner finds: found
// lines, first time stamps, analysers and the navigation report (Analyse), elementary-stream
// output (Demux).
#include "runs/pack_pass.h"

#include <algorithm>
#include <string>

#include "codecs/analysers.h"
#include "formats/ps/navigation.h"
#include "formats/ps/pack_layout.h"
#include "formats/ps/scanner.h"
#include "report/text_format.h"
#include "runs/run_support.h"

namespace quarnel {

namespace {

constexpr size_t kSupHeaderSize = 10;
// The pass scans a chunk in steps of this many bytes.
constexpr size_t kScanStep = size_t(16) << 10;

// The system header right after the first pack header gives the video and audio bounds; an
// AOB's are reported.
void takeSystemHeaderCounts(const uint8_t* b, StreamCounts& counts, bool aob, MessageLog& log) {
    using namespace first_pack_at;
    if (b[kSystemHeaderCode] != 0x01 || b[kSystemHeaderCode + 1] != kSystemHeaderId) return;
    counts.video = b[kVideoBound] & 0x1F;
    counts.audio = b[kAudioBound] >> 2;
    if (!aob) return;
    std::string line = "It contains";
    if (counts.video > 0) line += " [b]" + std::to_string(counts.video) + "[/b] video stream and";
    line += " [b]" + std::to_string(counts.audio) + "[/b] audio stream" + (counts.audio > 1 ? "s." : ".");
    log.log(line);
}

// What the scanner's findings mean for the run, in an Analyse or a Demux pass.
struct PassSink {
    const PassInput& in;
    const Pass pass;
    const bool aob;        // the source is an .AOB file
    const bool vobLayout;  // the source is a .VOB file
    StreamCounts counts{};
    const uint8_t* chunk = nullptr;           // the bytes being scanned, where the input is mapped
    uint64_t chunkStart = 0;                  // the file position of the chunk's first byte
    std::array<bool, 256> malformedLogged{};  // by sub-stream id
    // The streams of this file by slot, and whether each slot's first time stamp was reported;
    // the run state's table holds those of the whole title, each slot its first stream.
    StreamTable file;
    std::array<bool, kVideoSlots + kAudioSlots + kSubSlots> slotClashLogged{};

    const ChosenSlots chosen = in.request.chosenSlots();

    const Options& options() const { return in.request.options; }
    RunValues& run() const { return in.state.run; }
    bool analysing() const { return pass == Pass::Analyse; }

    static int32_t& slotOf(StreamTable& table, StreamKind kind, int index) {
        return kind == StreamKind::Video   ? table.video[size_t(index)]
               : kind == StreamKind::Audio ? table.audio[size_t(index)]
                                           : table.sub[size_t(index)];
    }

    // A slot keeps the first stream that claims it, in this file and across the title; another
    // id is logged (once a slot and file) and its packets are left out.
    void claimTitleSlot(StreamKind kind, int index, int id) {
        int32_t& owner = slotOf(in.state.table, kind, index);
        if (owner == -1) owner = id;
        if (owner != id) logClash(kind, index, owner, id);
    }

    void logClash(StreamKind kind, int index, int32_t owner, int id) {
        const size_t at = size_t(index) + (kind == StreamKind::Video   ? 0
                                           : kind == StreamKind::Audio ? kVideoSlots
                                                                       : kVideoSlots + kAudioSlots);
        if (slotClashLogged[at]) return;
        slotClashLogged[at] = true;
        static constexpr const char* kSlotNames[] = {"Video", "Audio", "Subpicture"};
        in.log.log("[re]" + std::string(kSlotNames[int(kind)]) + " slot " + std::to_string(index) +
                   " holds " + hexUpper(uint32_t(owner), 2) + ": " + hexUpper(uint32_t(id), 2) + " of " +
                   nameOf(in.input.path()) + " is left out.[/re]");
    }

    void reveal(ScanState& st, StreamKind kind, int index, int id) {
        int32_t& slot = slotOf(file, kind, index);
        if (slot == id) return;
        if (slot != -1) {
            logClash(kind, index, slot, id);
            return;
        }
        slot = id;
        claimTitleSlot(kind, index, id);
        switch (kind) {
            case StreamKind::Video:
                if (st.videoCoding != Coding::H264) st.videoPts = st.currentPts;
                break;
            case StreamKind::Audio:
                st.audioPts = st.currentPts;
                break;
            case StreamKind::Subpicture:
                if (analysing()) st.subPts = st.currentPts;
                break;
        }
        if (!analysing()) return;
        const IdPlace place = kind == StreamKind::Video && st.videoCoding == Coding::Vc1 ? IdPlace::Extension
                              : kind == StreamKind::Video                                ? IdPlace::StreamId
                                                          : IdPlace::SubstreamId;
        const StreamKindEntry* entry =
            kind == StreamKind::Video ? streamKindOf(place, uint8_t(id), aob) : streamKindIn(kind, id, aob);
        if (entry) in.log.log(foundLine(*entry, index));
    }

    void payload(ScanState& st, size_t offset, size_t count) {
        const std::span<const uint8_t> piece(chunk + offset, count);
        if (analysing())
            analysePiece(st, piece);
        else
            writePiece(st, piece);
    }

    // Each stream's first malformed packet is logged; the pass skips them all.
    void malformed(ScanState&, uint8_t subId) {
        if (malformedLogged[subId]) return;
        malformedLogged[subId] = true;
        in.log.log("[re]Audio sub-stream " + hexUpper(subId, 2) +
                   ": packets whose private header length is out of bounds are skipped.[/re]");
    }

    void navigation(ScanState&, uint8_t subId, std::span<const uint8_t> packet) {
        if (subId == kPciSubstream) {
            if (DemuxTiming* timing = in.outputs ? in.outputs->timing : nullptr)
                timing->vobu(decodeVobuTimes(packet));
            return;
        }
        if (subId != kDsiSubstream) {
            reportCopyControl(packet, in.log);
            if (analysing() && !run().navigation.empty())
                run().navigation.back().copyControl = decodeCopyControl(packet);
            return;
        }
        const DsiInfo dsi = decodeDsi(packet, vobLayout);
        if (analysing() && !run().navigation.empty() && !run().navigation.back().vobNumber) {
            RunValues::FileNavigation& file = run().navigation.back();
            file.vobNumber = dsi.vobNumber;
            file.startPtm = dsi.startPtm;
            file.endPtm = dsi.endPtm;
        }
        // A DVD's VOBUs time the stretches; a file without them is timed by its VOB.
        if (DemuxTiming* timing = in.outputs ? in.outputs->timing : nullptr;
            timing && timing->current().vobus == 0) {
            FileTiming& file = timing->current();
            if (!file.startPtm) file.startPtm = dsi.startPtm;
            file.endPtm = dsi.endPtm;
        }
        // A VOB cut into files: each file's first DSI gives the same VOB, which counts once.
        const bool sameVob = vobLayout && run().navigation.size() > 1 && [&] {
            const RunValues::FileNavigation& before = run().navigation[run().navigation.size() - 2];
            return before.vobNumber == dsi.vobNumber && before.startPtm == dsi.startPtm &&
                   before.endPtm == dsi.endPtm;
        }();
        if (counts.audio == 0) counts.audio = dsi.audioEntries;
        counts.sub = dsi.subpictureEntries;
        if (analysing()) reportDsi(dsi, counts, in.log);
        // The time span of the title: the first file's start, the last file's end, the sums
        // that a Rebuild and the frame report take over.
        if (run().firstPtm == 0) run().firstPtm = dsi.startPtm;
        run().lastEndPtm = dsi.endPtm;
        run().endPtmSum += dsi.endPtm;
        if (!sameVob) run().videoDurationSum += dsi.seconds();
        run().fileDuration = dsi.seconds();
    }

    // First time stamp line, sub-stream id line; the earliest first PTS is kept even
    // without details, since the .sup records of a later Demux are timed from it.
    // A first packet without a PTS gives the stream no first time stamp.
    void firstPts(MaybeTimeStamp pts, int32_t id, bool details, bool lowersEarliest) {
        if (details) {
            std::string line =
                "   First PTS = [re]" + (pts ? hexUpper(*pts, 8) : std::string("none")) + "[/re]";
            if (pts && *pts != run().firstPtm) {
                // A stream that starts before the first PTM is shown early, not wrapped round
                // the clock; milliseconds rounded toward minus infinity.
                const int64_t ticks = stampDistance(*pts, run().firstPtm);
                const int64_t ms = ticks >= 0 ? ticks / 90 : -((-ticks + 89) / 90);
                line += std::string("  ([re]") + (ms >= 0 ? "+" : "") + std::to_string(ms) + "[/re]ms)";
            }
            in.log.log(line);
            // MPEG audio is told by its stream id, every other audio and subpicture stream by its
            // sub-stream id.
            if (id & kStreamIdKey)
                in.log.log("   Stream id = " + hexUpper(uint32_t(id) & 0xFF, 2));
            else
                in.log.log("   Substream id = " + hexUpper(uint32_t(id), 2));
        }
        if (lowersEarliest && pts && (!run().earliestFirstPts || *pts < *run().earliestFirstPts))
            run().earliestFirstPts = pts;
    }

    AnalyserInput analyserInput(const ScanState& st, std::span<const uint8_t> piece, int index,
                                RunValues::StreamReading& reading) const {
        const bool audio = st.kind == PacketKind::Audio;
        const size_t header = audio ? st.privateHeaderKept() : 0;
        return {piece, std::span<const uint8_t>(st.privateHeader.data(), header),
                index, st.videoPts,
                aob,   reading.facts.sampleRate || reading.facts.width ? nullptr : &reading.facts};
    }

    // The first PTS of a stream, kept from the first file that holds it.
    static void keepFirstPts(RunValues::StreamReading& reading, MaybeTimeStamp pts) {
        if (!reading.firstPts) reading.firstPts = pts;
    }

    void analysePiece(ScanState& st, std::span<const uint8_t> piece) {
        const Options& opt = options();
        StreamTable& table = file;
        switch (st.kind) {
            case PacketKind::Video: {
                const int i = st.videoIndex;
                if (opt.countFrames) in.frames.count(piece, i, st.videoCoding);
                if (table.video[size_t(i)] == st.videoId) run().videoReading[size_t(i)].bytes += piece.size();
                if (table.videoFirstPts[size_t(i)] || table.video[size_t(i)] != st.videoId) return;
                table.videoFirstPts[size_t(i)] = true;
                firstPts(st.videoPts, st.videoId, opt.details, true);
                RunValues::StreamReading& reading = run().videoReading[size_t(i)];
                keepFirstPts(reading, st.videoPts);
                if (!opt.details) return;
                const AnalyserInput input = analyserInput(st, piece, i, reading);
                if (const std::optional<double> rate = rowOf(st.videoCoding).analyse(input, in.log))
                    run().frameRate[size_t(i)] = *rate;
                return;
            }
            case PacketKind::Audio: {
                const int i = st.audioIndex;
                if (table.audio[size_t(i)] == st.audioId) run().audioReading[size_t(i)].bytes += piece.size();
                if (table.audioFirstPts[size_t(i)] || table.audio[size_t(i)] != st.audioId) return;
                table.audioFirstPts[size_t(i)] = true;
                firstPts(st.audioPts, st.audioId, opt.details, true);
                RunValues::StreamReading& reading = run().audioReading[size_t(i)];
                keepFirstPts(reading, st.audioPts);
                const AnalyserInput input = analyserInput(st, piece, i, reading);
                if (aob && st.audioCoding == Coding::Lpcm)
                    run().aobLpcm[size_t(i)] = decodeAobLpcm(input.privateHeader);
                if (!opt.details) return;
                const StreamKindEntry* entry = streamKindIn(StreamKind::Audio, st.audioId, aob);
                (entry ? *entry : rowOf(st.audioCoding)).analyse(input, in.log);
                return;
            }
            case PacketKind::Subpicture: {
                const int i = st.subIndex;
                if (table.sub[size_t(i)] == st.subId) run().subReading[size_t(i)].bytes += piece.size();
                if (table.subFirstPts[size_t(i)] || table.sub[size_t(i)] != st.subId) return;
                table.subFirstPts[size_t(i)] = true;
                firstPts(st.subPts, st.subId, opt.details, false);
                RunValues::StreamReading& reading = run().subReading[size_t(i)];
                keepFirstPts(reading, st.subPts);
                if (opt.details)
                    rowOf(Coding::Subpicture).analyse(analyserInput(st, piece, i, reading), in.log);
                return;
            }
            default:
                return;
        }
    }

    // The first packet's private header gives the WAV file its format; a stream whose header
    // describes none that a WAV file holds is reported, and no file is written for it.
    void writeWav(const ScanState& st, size_t i, OutputFile& file, LpcmWav& wav,
                  std::span<const uint8_t> piece) {
        StreamOutputs& out = *in.outputs;
        if (!wav.started()) {
            try {
                wav.start(file, std::span(st.privateHeader.data(), st.privateHeaderKept()), aob);
            } catch (const QuarnelError& e) {
                in.log.log("[re]" + in.request.chosen(StreamKind::Audio, int(i))->name + ": " + e.what() +
                           ", so it is not written as WAV.[/re]");
                out.audio[i].discard();
                for (const auto& track : out.trackAudio[i]) track->discard();
                return;
            }
        }
        wav.write(piece);
    }

    // A piece goes to its slot's output only when the box is ticked, the output open and the
    // packet's own id is the one that owns the slot (two codings sharing a slot never mix).
    void writePiece(ScanState& st, std::span<const uint8_t> piece) {
        const StreamTable& table = in.state.table;
        StreamOutputs& out = *in.outputs;
        switch (st.kind) {
            case PacketKind::Video: {
                const size_t i = st.videoIndex;
                const bool ticked = chosen.video[i];
                const bool counted = options().countFrames && ticked;
                if (!ticked || !out.video[i].isOpen() || table.video[i] != st.videoId) {
                    if (counted) in.frames.count(piece, int(i), st.videoCoding);
                    break;
                }
                if (out.timing && st.currentPts && !out.timing->current().firstVideoPts[i])
                    out.timing->current().firstVideoPts[i] = *st.currentPts;
                if (out.timing && !out.timing->parts.empty() && st.currentPts)
                    out.timing->parts.back().note(i, out.video[i].written(), *st.currentPts);
                // A piece written is counted by the writer, right after its copy has read it.
                if (counted)
                    out.video[i].write(piece, in.input.window(), FrameCounter::markOf(st.videoCoding));
                else
                    out.video[i].write(piece, in.input.window());
                break;
            }
            case PacketKind::Audio: {
                const size_t i = st.audioIndex;
                if (!chosen.audio[i] || table.audio[i] != st.audioId) break;
                OutputFile* o = &out.audio[i];
                LpcmWav* wav = &out.wav[i];
                if (!out.tracks.empty()) {
                    const uint64_t at = out.sequenceBase + chunkStart + uint64_t(piece.data() - chunk);
                    const size_t t = out.trackAt(at / kPackBytes);
                    if (t == out.tracks.size()) break;  // between the tracks
                    o = out.trackAudio[i][t].get();
                    wav = out.trackWav[i][t].get();
                }
                if (!o->isOpen()) break;
                if (out.timing && out.timing->anchorsKept && st.audioPacketPts)
                    out.timing->audio[i].push_back(
                        {o->written(), *st.audioPacketPts, out.timing->currentIndex()});
                st.audioPacketPts.reset();
                if (out.audioAsWav[i])
                    writeWav(st, i, *o, *wav, piece);
                else
                    o->write(piece, in.input.window());
                break;
            }
            case PacketKind::Subpicture: {
                const size_t i = st.subIndex;
                const bool write = chosen.sub[i] && out.sub[i].isOpen() && table.sub[i] == st.subId;
                if (write && st.currentPts) {
                    // A record of the .sup file: "SP", the time from the earliest first PTS
                    // (little-endian), four zero bytes.
                    // A Make MKV moves a file whose time stamps restart to go on from the one before.
                    // Its 32 bits hold the distance, wrapped as it is.
                    const int64_t shift = out.timing ? out.timing->shiftOf(out.timing->currentIndex()) : 0;
                    const uint32_t t =
                        uint32_t(stampDistance(*st.currentPts, run().earliestFirstPts.value_or(0)) + shift);
                    const uint8_t header[kSupHeaderSize] = {
                        'S', 'P', uint8_t(t), uint8_t(t >> 8), uint8_t(t >> 16), uint8_t(t >> 24), 0,
                        0,   0,   0};
                    out.sub[i].write(header);
                }
                if (write) out.sub[i].write(piece, in.input.window());
                break;
            }
            default:
                break;
        }
        st.currentPts.reset();
    }
};

}  // namespace

size_t StreamOutputs::trackAt(uint64_t sector) const {
    for (size_t t = 0; t < tracks.size(); ++t)
        if (sector >= tracks[t].firstSector && sector <= tracks[t].lastSector) return t;
    return tracks.size();
}

std::vector<OutputFile*> StreamOutputs::all() {
    std::vector<OutputFile*> outputs;
    for (auto& o : video) outputs.push_back(&o);
    for (auto& o : audio) outputs.push_back(&o);
    for (auto& slot : trackAudio)
        for (auto& o : slot) outputs.push_back(o.get());
    for (auto& o : sub) outputs.push_back(&o);
    return outputs;
}

void StreamOutputs::settle() {
    for (OutputFile* o : all()) o->settle();
}

void StreamOutputs::finish() {
    for (LpcmWav& w : wav) w.finish();
    for (auto& slot : trackWav)
        for (auto& w : slot) w->finish();
    for (OutputFile* o : all()) o->finish();
}

std::vector<std::string> StreamOutputs::commit() {
    std::vector<std::string> committed;
    for (OutputFile* o : all())
        if (o->pending()) {
            o->commit();
            committed.push_back(o->path());
        }
    return committed;
}

void passOverFile(Pass pass, const PassInput& in) {
    const Options& options = in.request.options;
    RunValues& run = in.state.run;
    CancelEnabled cancelEnabled(in.state.cancelEnabled);
    run.cancel = run.interrupted;
    run.fastStop = false;
    if (in.outputs && in.outputs->timing) {
        const uint64_t from = in.input.position();  // a stretch of a disc's file begins later
        in.outputs->timing->beginFile(nameOf(in.input.path()) +
                                      (from > 0 ? " from sector " + std::to_string(from / kPackBytes) : ""));
    }
    if (pass == Pass::Analyse) run.navigation.push_back({nameOf(in.input.path()), {}, {}, {}, {}});
    ScanState scan;
    const std::string ext = in.request.title.sourceExtension();
    PassSink sink{in, pass, ext == ".AOB", ext == ".VOB"};
    scan.aob = sink.aob;
    scan.everyPci = sink.vobLayout && in.outputs && in.outputs->timing;
    Scanner<PassSink> scanner(scan, sink, pass == Pass::Analyse);
    Progress progress(in.log, in.host, "", in.input.size(), run.progress, in.input.position());

    const uint64_t size = in.input.size();
    // The fast check counts from where the file's stretch begins.
    const uint64_t fastLimit = in.input.position() + uint64_t(options.fastCheckMiB) * kMiB;
    std::weak_ptr<const MappedWindow> lastWindow;
    while (in.input.position() < size && !run.cancel && !run.fastStop) {
        const std::span<const uint8_t> chunk = in.input.view(kReadBufferSize);
        if (chunk.empty()) break;  // the file is shorter than when it was opened
        if (in.outputs &&
            (lastWindow.owner_before(in.input.window()) || in.input.window().owner_before(lastWindow))) {
            in.outputs->settle();  // no window before this one stays mapped for long
            lastWindow = in.input.window();
        }
        const size_t n = chunk.size();
        const uint64_t pos = in.input.position();
        progress.at(pos);
        if (pass == Pass::Analyse && options.fastCheck && pos > fastLimit) run.fastStop = true;
        if (pass == Pass::Analyse && pos == kReadBufferSize)
            takeSystemHeaderCounts(chunk.data(), sink.counts, sink.aob, in.log);
        // A chunk is scanned a step at a time, the pack heads of a later step loaded before
        // each (in a Copied view they are in the cache already).
        const PackHeadsAhead heads{chunk, in.input.mappedAhead(PackHeadsAhead::kDistance)};
        for (size_t at = 0; at < n; at += kScanStep) {
            heads.load(at + PackHeadsAhead::kDistance, at + PackHeadsAhead::kDistance + kScanStep);
            sink.chunk = chunk.data() + at;
            sink.chunkStart = pos - n + at;
            scanner.scan(sink.chunk, std::min(kScanStep, n - at));
        }
        in.input.checkViewWhole();
    }
    scanner.finish();
    if (run.cancel) run.countedFrames = {0, 0};
    if (pass == Pass::Analyse && run.fastStop) {
        run.fastCheckCut = true;
        in.log.log("Fast check: read " + std::to_string(std::min(in.input.position(), size) / kMiB) + " of " +
                   std::to_string(size / kMiB) + " MiB; streams that start later are not listed. " +
                   (options.commandLine ? "Give --full to read it all."
                                        : "Untick Fast EVO checking to read it all."));
    }
}

}  // namespace quarnel
