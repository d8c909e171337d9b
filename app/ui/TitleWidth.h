#pragma once
// A window manager cuts a title that is wider than its window ("Input New…
// ence Name"). Dialogs whose contents are narrow widen themselves so that the
// whole title shows beside the title bar's icon and buttons.
#include <QString>

class QWidget;

namespace tz {

// Width a window needs for its title bar: the title in a bold face, the
// window icon and the close, minimise and maximise buttons.
int titleBarWidth(const QString& title);

// Raises the dialog's minimum width to titleBarWidth(its title), capped at
// what a 1280-pixel screen can show. Dialogs that size themselves from their
// layout (message and input boxes) get a strut in it as well.
void widenForTitle(QWidget* dialog);

}  // namespace tz
