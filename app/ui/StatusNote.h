#pragma once
// Says in a window's status bar what was just written and where, so that a
// report, export or save that worked is seen without a dialog to click away.
#include <QString>

class QWidget;

namespace tz {

// "Saved <file name> in <folder>" for a file just written.
QString savedFileNote(const QString& path);

// Shows text in the status line of the window that holds w: its panel named
// "panelStatus" when it has one, otherwise its status bar's message.
void showStatusNote(QWidget* w, const QString& text);

}  // namespace tz
