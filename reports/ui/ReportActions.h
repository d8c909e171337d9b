#pragma once
// The main window's report and export commands on the opened test: the
// fixed-column text file, the brief report printed or saved, the detail
// report preview and the two spreadsheet exports. Created by the main window,
// it connects itself to the window's buttons and menu items by name.
#include "reports/ui/ReportDialogs.h"

#include <QObject>

class QWidget;

namespace tz {

class OpenedTestSession;
class Prompt;
struct Settings;

class ReportActions : public QObject {
    Q_OBJECT
public:
    ReportActions(QWidget& window, OpenedTestSession& session, const Settings& settings, Prompt& prompt);

    // The dialogs used; a test replaces them.
    ReportDialogs dialogs = ReportDialogs::desktop();

    // "Corvane Report": "<test name>.txt" in the working directory.
    void corvaneReport();
    // "Brief Print": the print dialog, then the brief report on paper.
    void briefPrint();
    // "Brief Save": the save dialog, then the brief report as text.
    void briefSave();
    // "Detail Report": the detail report in a print preview.
    void detailReport();
    // "Brief Excel" / "Detail Excel".
    void exportExcel(bool detailed);

private:
    bool requireOpenTest();
    void showCancelled();
    void showError(const QString& text);

    QWidget& m_window;
    OpenedTestSession& m_session;
    const Settings& m_settings;
    Prompt& m_prompt;
};

}  // namespace tz
