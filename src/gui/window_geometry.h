// SPDX-License-Identifier: GPL-3.0-or-later
// The window's place on the desktop: the outer bounds (frame included) that the settings
// store keeps, and where they go when the screen they were on is gone or smaller.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

namespace quarnel {

// The client rectangle that a frame with these margins turns into the outer bounds, and back.
QRect clientWithin(const QRect& outer, const QMargins& frame);
QRect outerAround(const QRect& client, const QMargins& frame);

// The outer bounds moved, and shrunk where they are larger, so that they lie wholly within the
// available area of the screen that shows most of them (the first area when none does).
QRect pulledOnto(const QRect& outer, const QList<QRect>& availableAreas);

}  // namespace quarnel
