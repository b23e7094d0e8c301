#include "gui/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

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

}  // namespace quarnel
