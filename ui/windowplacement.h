#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// A window's bounds (its frame, left, top, width, height) made to fit the
// available area of a screen: no larger than the area, never smaller than
// the minimum, and moved so that the whole frame lies on the area, or its
// top-left corner at the area's when even the minimum is too large. Bounds
// from a settings file may be anything; an invalid area leaves them alone
// apart from the minimum.
QRect fitToScreen(const QRect &bounds, const QRect &available, const QSize &minimum);

// The same for a top-level window on its screen: the minimum is the window's
// own, with the decorations of its frame.
QRect fitToScreen(const QWidget &window, const QRect &bounds);
