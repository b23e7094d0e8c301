#include "gui/status_line.h"

namespace quarnel {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    for (int k = 0; k < 2; ++k) {
        panels_[k] = new QLabel(this);
        panels_[k]->setObjectName(QStringLiteral("StatusPanel%1").arg(k));
        panels_[k]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        addWidget(panels_[k], k == 1 ? 1 : 0);
    }
}

void StatusLine::setPanel(int panel, const QString& text) {
    QLabel* label = panels_[panel & 1];
    label->setText(text);
    const int frame = 2 * label->frameWidth() + label->margin() * 2;
    label->setFixedWidth(fontMetrics().horizontalAdvance(text + QLatin1Char('a')) + frame);
    if ((panel & 1) == 1) setToolTip(text.mid(1));
    repaint();
}

}  // namespace quarnel
