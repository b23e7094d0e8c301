// SPDX-License-Identifier: GPL-3.0-or-later
// The page control with its own tab look: button-face tabs, the caption bold on the active
// tab, and an orange bar under the top edge of the active tab.
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace quarnel {

class PageTabBar : public QTabBar {
  public:
    explicit PageTabBar(QWidget* parent) : QTabBar(parent) {}

  protected:
    void paintEvent(QPaintEvent*) override;
    QSize tabSizeHint(int index) const override;

  private:
    void drawTab(QPainter& painter, int index, bool active) const;
};

class PageControl : public QTabWidget {
  public:
    explicit PageControl(QWidget* parent);
};

}  // namespace quarnel
