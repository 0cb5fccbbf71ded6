#pragma once

#include <QRect>
#include <QSize>
#include <QStringView>

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

// Under Wayland the compositor places top-level windows: a program can
// neither move them nor read back where they are (the position read back is
// meaningless). The first form asks the running application.
bool compositorPlacesWindows();
bool compositorPlacesWindows(QStringView platformName);

// The bounds to keep for a window shown at `shown`, when `kept` were last
// loaded or saved: where the compositor places windows, the position stays
// the kept one and only the size is the window's.
QRect keptBounds(const QRect &shown, const QRect &kept, bool compositorPlaces = compositorPlacesWindows());

// Makes a dialog a transient of the main window, so that the window system
// (a Wayland compositor above all) keeps it over that window and treats it
// as the program's dialog rather than as a window of its own.
void openAsTransientOf(QWidget &dialog, QWidget &mainWindow);
