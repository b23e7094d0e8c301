// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window_geometry.h"

#include <algorithm>

namespace quarnel {

QRect clientWithin(const QRect& outer, const QMargins& frame) {
    return outer.marginsRemoved(frame);
}

QRect outerAround(const QRect& client, const QMargins& frame) {
    return client.marginsAdded(frame);
}

QRect pulledOnto(const QRect& outer, const QList<QRect>& availableAreas) {
    if (availableAreas.isEmpty()) return outer;
    QRect area = availableAreas.first();
    qint64 shown = 0;
    for (const QRect& a : availableAreas) {
        const QRect common = a.intersected(outer);
        const qint64 size = qint64(common.width()) * common.height();
        if (size > shown) {
            shown = size;
            area = a;
        }
    }
    QRect fitted(outer.topLeft(), outer.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}

}  // namespace quarnel
