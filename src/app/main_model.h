// The application's one state: options, stream boxes, button states, paths, the stream
// table and the run values, with the operations that work on them. The window, the command
// line and the tests drive it through the same operations.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>

#include "formats/playlist_view.h"
#include "formats/vti_view.h"
#include "io/files.h"
#include "formats/navigation.h"
#include "app/run_values.h"
#include "formats/scanner.h"
#include "formats/stream_table.h"
#include "report/host.h"
#include "report/message_log.h"
#include "app/options.h"
#include "app/stream_boxes.h"

namespace quarnel {

constexpr size_t kReadBufferSize = 262144;    // one read of the chunk loop
constexpr uint64_t kProgressStep = 0x400000;  // 4 MiB: progress and user events

class MainModel {
  public:
    explicit MainModel(Host& host);

    // --- state the window mirrors ---
    Options opt;
    StreamBoxes boxes;
    Buttons buttons;
    std::string eEVOfile;  // source path
    std::string eXPLfile;  // playlist path
    std::string evoDir, evoFileName, evoBaseName;
    std::string xplDir, xplFileName;
    StreamTable table;
    // The table holds the playlist reader's slot markers, not stream ids, until a Read run.
    bool tableFromPlaylist = false;
    RunValues run;
    MessageLog log;
    PlaylistView xpl;  // the "XPL" page
    VtiView vti;       // the "VTI" page

    // --- selection ---
    void EVOadj();
    void XPLadj();
    void Resetcbs();
    void cbVideoClick();

    // --- runs ---
    void bReadEVOClick();
    void bDemuxClick();
    void bRebuildClick();
    void bReadVTIClick();
    void bReadXPLClick();
    void bWriteChapsClick();
    void bCancelClick();
    bool FormCloseQuery();
    bool runActive() const { return runActive_; }
    // The text of the error that stopped the last run, empty when it ran to its end.
    const std::string& lastError() const { return lastError_; }

    // --- engine ---
    void demux(int mode);
    void countframes(std::span<const uint8_t> payload, int index, VideoType type);
    void resetFrameCounting();
    void logframes(bool showDuration);

  private:
    friend struct DemuxSink;

    Host& host_;
    bool runActive_ = false;
    std::string lastError_;
    InputFile input_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::unique_ptr<ScanState> scan_;
    std::string currentFile_;  // the source file being read
    // Frame start-code windows per video index, kept across payload pieces.
    std::array<uint32_t, 2> frameWindow_{};
    std::array<OutputFile, 2> videoOut_;
    std::array<OutputFile, 16> audioOut_;
    std::array<OutputFile, 32> subOut_;

    void takeSystemHeaderCounts(StreamCounts& counts, bool aob);
    bool readRun();
    std::string outputBase() const;
    void closeOutputs() noexcept;
    // The closings every run shares: "Done." and an empty line in the log; "Ready" in the
    // status line's first panel with the second emptied; the controls that start a run given
    // back as they were before it.
    void logDone();
    void statusReady();
    void restoreStartButtons(const Buttons& before);
};

}  // namespace quarnel
