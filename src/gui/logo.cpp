// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace quarnel {

QPixmap paintLogo() {
    QPixmap pixmap(kLogoWidth, kLogoHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, kLogoHeight);
    fill.setColorAt(0, QColor(255, 204, 64));
    fill.setColorAt(1, QColor(230, 140, 0));
    QPainterPath disc;
    disc.addRoundedRect(QRectF(1, 1, kLogoWidth - 2, kLogoHeight - 2), 10, 10);
    p.fillPath(disc, fill);
    p.setPen(QPen(QColor(160, 90, 0), 1.5));
    p.drawPath(disc);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kLogoWidth, kLogoHeight), Qt::AlignCenter, QStringLiteral("Quarnel"));
    return pixmap;
}

QIcon paintIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient fill(0, 0, 0, size);
        fill.setColorAt(0, QColor(255, 204, 64));
        fill.setColorAt(1, QColor(230, 140, 0));
        QPainterPath face;
        face.addRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 6.0, size / 6.0);
        p.fillPath(face, fill);
        p.setPen(QPen(QColor(160, 90, 0), std::max(1.0, size / 32.0)));
        p.drawPath(face);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(size * 3 / 4);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("Q"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quarnel
