#pragma once
// Where a top-level window opens: inside the available area of its screen
// (taskbar, docks and the window's own title bar counted), centred there.
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace tz {

// The frame the window manager draws around the window (title bar, borders):
// measured once the window has been shown, a generous estimate before.
QMargins windowFrameMargins(const QWidget* window);

// The available area of the screen the window is on (the primary screen when
// it is on none yet).
QRect availableArea(const QWidget* window);

// Resizes the window to `wanted` (the size resize() takes), shrunk where the
// window and its frame would not fit `available` but never below the window's
// minimum size, and centres the frame in `available`.
void fitAndCentre(QWidget* window, QSize wanted, const QRect& available);

}  // namespace tz
