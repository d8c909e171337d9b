#pragma once
// The program's own icon (a rotor and bob), for every window of the process:
// the main window, the frame, each unit window and every dialog take it
// unless they set one of their own.
#include <QImage>

namespace tz {

// The icon decoded; safe on any thread, so start-up can decode it (and have
// Qt load its image plug-ins) on the second core while the window is built.
QImage programIconImage();

void installProgramIcon(const QImage& icon = programIconImage());

}  // namespace tz
