// SPDX-License-Identifier: GPL-3.0-or-later
// The "VTI" page: the EVOB chosen in cbEVOname with its information record, and the
// attribute record it names: video lists, audio and subpicture grids.
#pragma once

#include <QWidget>
#include <functional>

#include "formats/disc/vti_view.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quarnel {

class VtiPage : public QWidget {
  public:
    explicit VtiPage(QWidget* parent);

    // Shows the model's page state; lists are refilled only when their entries changed.
    void mirror(const VtiView& view);

    // The user picked another EVOB or another attribute record (the entry's index).
    std::function<void(int)> onEVOnameChosen;
    std::function<void(int)> onAttrNoChosen;

    QPushButton* bReadVTI = nullptr;

  private:
    QComboBox *cbEVOname_, *cbAttrNo_, *cbAppType_, *cbA0gap_, *cbA1gap_;
    QLineEdit *eEVOBname_, *eAddrOffs_, *ieEVOsize_, *ieEVOindex_, *eStartPTM_, *eEndPTM_;
    QComboBox *cbMainCompr_, *cbMainRes_, *cbMainTV_, *cbMainProgInt_, *cbMainAspect_;
    QComboBox *cbSubCompr_, *cbSubRes_, *cbSubTV_, *cbSubProgInt_, *cbSubAspect_;
    QTableWidget *sgMainAudio_, *sgSubAudio_, *sgSubpicture_;
    QLabel *lMainAudio_, *lSubAudio_, *lSubpicture_;
    QWidget* gridPanel_;

    void placeGrids();
};

}  // namespace quarnel
