// SPDX-License-Identifier: GPL-3.0-or-later
// The two-panel status bar: panel 0 the program's state, panel 1 a detail; the bar's
// tooltip repeats panel 1.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <cstdint>

class QProgressBar;
class QPushButton;

namespace quarnel {

class StatusLine : public QStatusBar {
  public:
    explicit StatusLine(QWidget* parent);

    // Sets the panel's text (already led by a blank), fits the panel to it and redraws the
    // bar at once, so that progress shows in the middle of a run.
    void setPanel(int panel, const QString& text);
    QString panelText(int panel) const { return panels_[panel & 1]->text(); }
    // The bar at the right end shows how far a run has come through its file; it shows only
    // while a run reports progress and is hidden again when the run ends.
    void setProgress(uint64_t done, uint64_t total);
    void endProgress();
    // "Open folder" at the right end, opening `folder` in the desktop's file manager; an empty
    // folder hides it.
    void offerFolder(const QString& folder);

  private:
    QLabel* panels_[2];
    QProgressBar* progress_;
    QPushButton* openFolder_;
    QString folder_;
};

}  // namespace quarnel
