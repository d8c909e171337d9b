#pragma once
// "Edit Test Info" of the main window for the opened test: the information
// and additives shown in the viewer, and on Save written back together.
class QWidget;
class clsConnection;

namespace tz {

class Prompt;

// Shows the viewer for the test of that id (modal). On Save the descriptive
// columns are updated and the additives replaced in one transaction; a
// database failure is shown and leaves the test as it was. True when saved.
bool editTestInfo(QWidget* parent, clsConnection& connection, int testId, Prompt& prompt);

}  // namespace tz
