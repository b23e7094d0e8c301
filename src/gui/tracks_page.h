// SPDX-License-Identifier: GPL-3.0-or-later
// The "Tracks" page: a table of the streams found, one row each with its tick, coding, the
// values its kind has, its delay and what its MKV track will be named, in which language, and
// whether it is the default or a forced track. Name and language are edited in place (F2),
// the tick and the flags by Space or the mouse.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/track_metadata.h"
#include "app/track_rows.h"

class QLabel;
class QTableWidget;

namespace quarnel {

class TracksPage : public QWidget {
  public:
    explicit TracksPage(QWidget* parent);

    // Shows the rows with the edits over their navigation's values; the table is refilled only
    // when they changed. While a run is active nothing can be changed. `playlistUnread`: a
    // playlist lies beside the source that has not been read for it (its names and languages
    // are not shown yet).
    void mirror(const std::vector<TrackRow>& rows, const TrackEdits& edits, bool idle, bool playlistUnread);

    // The user ticked or unticked a stream.
    std::function<void(StreamKind, size_t slot, bool ticked)> onTick;
    // The user changed a track: the edits of every track as they stand now.
    std::function<void(const TrackEdits&)> onEdit;

  private:
    QTableWidget* table_;
    QLabel* unreadNote_;
    std::vector<TrackRow> rows_;
    TrackEdits edits_;

    void fill();
    void cellChanged(int row, int column);
};

}  // namespace quarnel
