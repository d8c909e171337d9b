// The unit window's spreadsheet report: a double click on its results grid
// exports the test the window shows (running, finished or retrieved), laid
// out like the main window's brief export and with the grid's own settings.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "instrument/frmRealTime.h"
#include "instrument/ui/LiveTestDisplay.h"
#include "reports/ui/ExcelExportDialog.h"

namespace tz {

void frmRealTime::exportShownTest() {
    if (!m_connection || m_shownTestId <= 0) return;
    try {
        const std::optional<OpenedTest> test = loadTest(*m_connection, m_shownTestId);
        if (!test) {
            m_prompt.message(this, QStringLiteral("The test of this window is no longer stored."));
            return;
        }
        const Settings settings = LiveRampAnalysis::liveSettings(m_live->unitSystem());
        const ResultsTable table = buildResultsTable(test->analyse(settings), settings);
        exportToExcelWithDialog(this, m_prompt, *test, table, settings.unitSystem, false, m_reportDialogs);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QStringLiteral("Excel Report"), Prompt::Icon::Critical);
    }
}

}  // namespace tz
