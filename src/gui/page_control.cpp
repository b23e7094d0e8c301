// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/page_control.h"

#include <QPainter>

namespace quarnel {
namespace {

constexpr QColor kActiveBar(255, 187, 0);
constexpr int kCaptionTop = 4;  // caption's distance from the top of the tab strip
constexpr int kBarInset = 4;    // bar's distance from the tab's left and right edges
constexpr int kBarTop = 2;
constexpr int kBarHeight = 3;

QFont captionFont(QFont font, bool active) {
    font.setBold(active);
    return font;
}

}  // namespace

QSize PageTabBar::tabSizeHint(int index) const {
    // Wide enough for the bold caption, so that choosing a tab does not clip its text.
    const QFontMetrics bold(captionFont(font(), true));
    const QSize base = QTabBar::tabSizeHint(index);
    return {std::max(base.width(), bold.horizontalAdvance(tabText(index)) + 16),
            std::max(base.height(), bold.height() + kCaptionTop + 6)};
}

void PageTabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < count(); ++i) drawTab(painter, i, i == currentIndex());
}

void PageTabBar::drawTab(QPainter& painter, int index, bool active) const {
    const QRect tab = tabRect(index);
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(tab, face);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(tab.adjusted(0, 0, -1, active ? 0 : -1));
    painter.fillRect(
        QRect(tab.left() + kBarInset, tab.top() + kBarTop, tab.width() - 2 * kBarInset, kBarHeight),
        active ? kActiveBar : face);
    const QFont font = captionFont(this->font(), active);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics metrics(font);
    const int textWidth = metrics.horizontalAdvance(tabText(index));
    const QPoint at(tab.left() + (tab.width() - textWidth) / 2, tab.top() + kCaptionTop + metrics.ascent());
    painter.drawText(at, tabText(index));
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("PageControl"));
    setTabBar(new PageTabBar(this));
}

}  // namespace quarnel
