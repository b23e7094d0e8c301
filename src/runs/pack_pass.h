// SPDX-License-Identifier: GPL-3.0-or-later
// One file through the program-stream scanner: the chunk loop over the open input, with what
// the scanner finds handed to a Read's analysis or a Demux's outputs.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/requests.h"
#include "app/run_state.h"
#include "formats/audio/lpcm_wav.h"
#include "formats/ps/stream_kinds.h"
#include "io/files.h"
#include "io/write_queue.h"
#include "report/host.h"
#include "report/message_log.h"
#include "runs/demux_timing.h"
#include "runs/frame_counter.h"

namespace quarnel {

enum class Pass {
    Analyse,  // a Read: found lines, first time stamps, stream analysis, navigation report
    Demux,    // each ticked stream's payload appended to its output
};

// The output file of each slot of a Demux; those of unticked boxes stay closed.
struct StreamOutputs {
    // What the outputs write goes through here (created with it, it outlives them).
    WriteQueue queue;
    std::array<OutputFile, kUsedVideoSlots> video;
    std::array<OutputFile, kAudioSlots> audio;
    std::array<OutputFile, kSubSlots> sub;
    // The LPCM streams that go to WAV files (--lpcm-wav): their samples pass through these.
    std::array<bool, kAudioSlots> audioAsWav{};
    std::array<LpcmWav, kAudioSlots> wav;

    // --split-tracks: the tracks of a DVD-Audio title set in sectors of its AOB files, and for
    // each audio slot one output per track (audio[] then stays closed).
    struct Track {
        int title, track;
        uint32_t firstSector, lastSector;
    };
    std::vector<Track> tracks;
    std::array<std::vector<std::unique_ptr<OutputFile>>, kAudioSlots> trackAudio;
    std::array<std::vector<std::unique_ptr<LpcmWav>>, kAudioSlots> trackWav;
    uint64_t sequenceBase = 0;  // bytes of the title set's files before the one being read
    // Where the time stamps are noted for a muxer; none in a plain Demux.
    DemuxTiming* timing = nullptr;

    // The track that holds `sector`, or tracks.size().
    size_t trackAt(uint64_t sector) const;

    // The input has moved on to a new window: see OutputFile::settle.
    void settle();
    // Writes what is still buffered and closes; raises on a failed write (a full disk).
    void finish();
    // Every finished output onto its final name; returns their names.
    std::vector<std::string> commit();
    // Every output, created or not.
    std::vector<OutputFile*> all();
};

// What one pass works with.
struct PassInput {
    const Request& request;
    RunState& state;
    Host& host;
    MessageLog& log;
    InputFile& input;
    FrameCounter& frames;
    StreamOutputs* outputs;  // the Demux's
};

// Scans the open input from its position to its end (or the fast-check limit of a Read, or a
// cancel), with the stream table emptied first.
void passOverFile(Pass pass, const PassInput& in);

}  // namespace quarnel
