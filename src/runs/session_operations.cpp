// SPDX-License-Identifier: GPL-3.0-or-later
// The operations as a session starts them: the controls that must wait are disabled, the
// session's request runs, and what it found comes back to the session's boxes and buttons.
#include <cstdio>
#include <string>

#include "runs/mkv_texts.h"
#include "runs/operations.h"
#include "runs/request_runs.h"
#include "runs/run_support.h"

namespace quarnel::runs {
namespace {

// Each slot that holds a stream gets its box enabled and ticked, captioned with the stream's
// kind and the slot number.
template <size_t N>
void offerStreams(std::array<StreamBox, N>& boxes, const int32_t* ids, size_t count, StreamKind kind,
                  bool aob) {
    for (size_t k = 0; k < count; ++k) {
        StreamBox& box = boxes[k];
        box.enabled = ids[k] > -1;
        box.ticked = box.enabled;
        if (!box.ticked) continue;
        if (std::string caption = boxCaption(kind, ids[k], k, aob); !caption.empty())
            box.caption = std::move(caption);
    }
}

void offerTableStreams(Session& s) {
    const bool aob = upperExtension(s.sourcePath) == ".AOB";
    offerStreams(s.boxes.video, s.table.video.data(), kUsedVideoBoxes, StreamKind::Video, aob);
    offerStreams(s.boxes.audio, s.table.audio.data(), kAudioBoxes, StreamKind::Audio, aob);
    offerStreams(s.boxes.sub, s.table.sub.data(), kSubBoxes, StreamKind::Subpicture, aob);
    // An HD DVD title plays only the audio and subtitle streams its clips list: the others its
    // EVOs carry are offered, not ticked.
    if (!s.title || s.title->origin != TitleOrigin::HdDvdPlaylist || s.title->tracks.empty()) return;
    for (size_t k = 0; k < size_t(kAudioBoxes); ++k)
        if (!titleTrack(*s.title, StreamKind::Audio, k)) s.boxes.audio[k].ticked = false;
    for (size_t k = 0; k < size_t(kSubBoxes); ++k)
        if (!titleTrack(*s.title, StreamKind::Subpicture, k)) s.boxes.sub[k].ticked = false;
}

// The streams a playlist lists: their slots marked in the table, their boxes (video only the
// first) enabled, ticked and named.
void offerPlaylistStreams(Session& s) {
    const PlaylistTitle& t = s.playlist.title;
    s.table.video.fill(-1);
    s.table.audio.fill(-1);
    s.table.sub.fill(-1);
    s.tableFromPlaylist = true;
    const auto offer = [](const auto& streams, auto& slots, StreamBox* boxes, size_t boxCount, bool tooltip) {
        for (size_t k = 0; k < streams.size(); ++k) {
            if (!streams[k].listed) continue;
            slots[k] = 1;
            if (k >= boxCount) continue;  // video streams after the first appear in the tree only
            StreamBox& box = boxes[k];
            box.enabled = box.ticked = true;
            box.caption = streams[k].name;
            if (tooltip) box.tooltip = streams[k].name;
        }
    };
    offer(t.video, s.table.video, s.boxes.video.data(), 1, false);
    offer(t.audio, s.table.audio, s.boxes.audio.data(), size_t(kAudioBoxes), true);
    offer(t.sub, s.table.sub, s.boxes.sub.data(), size_t(kSubBoxes), true);
}

// The controls that start a run disabled while one works that writes outputs, and given back
// as they were.
class WritingButtons {
  public:
    explicit WritingButtons(Session& s) : s_(s) {
        s_.buttons.demux = s_.buttons.rebuild = false;
        before_ = s_.buttons;
        Buttons& b = s_.buttons;
        b.readSource = b.readPlaylist = b.readVti = b.chooseSource = b.choosePlaylist = false;
    }
    ~WritingButtons() {
        Buttons& b = s_.buttons;
        b.readSource = before_.readSource;
        b.readPlaylist = before_.readPlaylist;
        b.readVti = before_.readVti;
        b.chooseSource = before_.chooseSource;
        b.choosePlaylist = before_.choosePlaylist;
        s_.updateRunButtons();
    }
    WritingButtons(const WritingButtons&) = delete;
    WritingButtons& operator=(const WritingButtons&) = delete;

  private:
    Session& s_;
    Buttons before_;
};

}  // namespace

void read(Session& session, Host& host) {
    if (session.runActive) return;
    const Request request = session.request();
    session.baseName = request.baseName;
    Buttons& b = session.buttons;
    const bool readPlaylistWasEnabled = b.readPlaylist;
    b.readSource = b.readPlaylist = b.demux = b.rebuild = b.chooseSource = b.choosePlaylist = b.readVti =
        false;
    session.resetBoxes();
    const ReadOutcome outcome = readTitle(request, session, host);
    if (outcome.readEveryFile) session.tableFromPlaylist = false;
    if (outcome.finished) offerTableStreams(session);
    b.readSource = b.chooseSource = b.choosePlaylist = b.readVti = true;
    b.readPlaylist = readPlaylistWasEnabled;
    session.updateRunButtons();
    // A Read that was cancelled ends there: nothing follows it.
    if (!outcome.finished || session.run.cancel) return;
    if (session.options.autoProcess == AutoProcess::Demux) demux(session, host);
    if (session.options.autoProcess == AutoProcess::Rebuild) rebuild(session, host);
    // Only an HD DVD has a VTI file beside its video (a folder disc's in its HVDVD_TS).
    const bool hdDvdFolder = session.disc && !session.disc->navigationFolder.empty();
    if (session.options.readVti && (upperExtension(session.sourcePath) == ".EVO" || hdDvdFolder))
        readVtiAfterRead(session, host);
}

void demux(Session& session, Host& host) {
    if (session.runActive) return;
    const Request request = session.request();
    session.baseName = request.baseName;
    const WritingButtons buttons(session);
    demuxTitle(request, session, host);
    reportFailure(session, host);
}

void rebuild(Session& session, Host& host) {
    if (session.runActive) return;
    const Request request = session.request();
    const WritingButtons buttons(session);
    rebuildTitle(request, session, host);
}

void makeMkv(Session& session, Host& host) {
    if (session.runActive) return;
    // As the command line does: the playlist the field names is read for a source given by
    // name when none was; the boxes stay as they are.
    if (!session.title && !session.playlistOfSource() && session.playlistPath != kPlaylistName &&
        fileExists(session.playlistPath)) {
        if (!readPlaylistInto({session.playlistPath, session.sourcePath}, session.playlist, session, host))
            return;
        session.playlistSource = session.sourcePath;
        session.buttons.writeChapters = !session.playlist.chapters.empty();
    }
    const Request request = session.request();
    if (!session.playlistOfSource() && !session.playlist.tags.empty())
        MessageLog(host).log(
            mkv_texts::playlistOfOtherSource(nameOf(session.playlistSource), nameOf(session.sourcePath)));
    else if (session.playlistOfSource() && !session.playlist.namesSource)
        MessageLog(host).log(mkv_texts::playlistNamesNoClipOf(nameOf(session.sourcePath)));
    session.baseName = request.baseName;
    const StreamBoxes chosen = session.boxes;
    bool readAgain = false;
    {
        const WritingButtons buttons(session);
        readAgain = makeMkvOfTitle(request, session, host);
    }
    reportFailure(session, host);
    if (!readAgain) return;
    // The title was read again: its boxes as a Read leaves them, with the playlist's names and
    // the ticks made before.
    session.tableFromPlaylist = false;
    session.resetBoxes();
    offerTableStreams(session);
    const auto keep = [](auto& boxes, const auto& before) {
        for (size_t k = 0; k < boxes.size(); ++k) {
            if (!before[k].enabled) boxes[k].ticked = false;
            if (!boxes[k].enabled || !before[k].enabled) continue;
            boxes[k].ticked = before[k].ticked;
            boxes[k].caption = before[k].caption;
        }
    };
    keep(session.boxes.video, chosen.video);
    keep(session.boxes.audio, chosen.audio);
    keep(session.boxes.sub, chosen.sub);
    session.updateRunButtons();
}

void readPlaylist(Session& session, Host& host) {
    if (session.runActive) return;
    Buttons& b = session.buttons;
    const bool readSourceWasEnabled = b.readSource;
    b.readPlaylist = b.chooseSource = b.choosePlaylist = b.readSource = false;
    // A disc's title: the playlist's part for that title, the boxes left as the disc's
    // navigation filled them.
    const bool discTitle = session.disc && session.title;
    const std::optional<int> number = discTitle ? std::optional(session.titleNumber) : std::nullopt;
    // A playlist that cannot be read leaves the boxes as they were.
    if (readPlaylistInto({session.playlistPath, session.sourcePath, number}, session.playlist, session,
                         host)) {
        if (!discTitle) {
            session.resetBoxes();
            offerPlaylistStreams(session);
        }
        session.playlistSource = session.sourcePath;
    }
    b.readPlaylist = b.chooseSource = b.choosePlaylist = true;
    b.readSource = readSourceWasEnabled;
    b.writeChapters = !session.playlist.chapters.empty();
    session.updateRunButtons();
}

}  // namespace quarnel::runs
