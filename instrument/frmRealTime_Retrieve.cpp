// "Retrieve Last Result": a stand-alone run pulled out of the unit's memory
// into the database as a new test. The timer stays stopped while the unit
// sends (no poll may interleave), the window shows the records as they
// arrive, and nothing is stored unless the whole reply came in.
#include "app/NumberFormat.h"
#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "instrument/RetrievedTest.h"
#include "instrument/StoredResultsRetrieval.h"
#include "instrument/UnitLink.h"
#include "instrument/frmRealTime.h"
#include "instrument/ui/LiveTestDisplay.h"
#include "testinfo/TestInfoFields.h"
#include "testinfo/frmTestRelatedInfo.h"

#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>

namespace tz {

namespace {
const QString kStopTestFirst =
    QStringLiteral("A test is running on this unit. Stop it before retrieving the unit's last result.");
}

void frmRealTime::retrieveClicked()
{
    if (!m_controller || !m_connection || (m_retrieval && m_retrieval->running()))
        return;
    // The window's test id would move to the retrieved test while the
    // running one still records its points.
    if (m_controller->running()) {
        m_prompt.message(this, kStopTestFirst);
        return;
    }
    m_timer.stop();

    std::unique_ptr<frmTestRelatedInfo> dialog;
    try {
        dialog = std::make_unique<frmTestRelatedInfo>(*m_connection, m_prompt, this);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
        restartTimer();
        return;
    }
    dialog->setWindowTitle(QStringLiteral("Input Test Information"));
    if (!m_bobStr.isEmpty()) dialog->setBobNo(m_bobStr);
    dialog->exec();
    if (dialog->mlCanceled()) {
        restartTimer();
        return;
    }
    const TestInfoFields fields = dialog->fields();
    m_retrieveInfo = toTestInformation(fields);
    m_retrieveAdditives = toAdditiveEntries(dialog->additiveRows());
    dialog.reset();
    // The factors follow the entered bob; the stored values themselves are
    // kept as the unit sent them. A bob that cannot hang in the rotor would
    // leave the test without its K', K'slot and viscosities: nothing is asked
    // of the unit, nothing stored.
    if (!acceptBob(fields)) {
        restartTimer();
        return;
    }

    if (!m_retrieval) {
        m_retrieval = new StoredResultsRetrieval(*m_link, this);
        connect(m_retrieval, &StoredResultsRetrieval::progress, this, [this](int bytes, int records) {
            m_lblPoints->setStyleSheet(QString());
            m_lblPoints->setText(QStringLiteral("Retrieving the last result: %1 record(s) received (%2 bytes)...")
                                     .arg(records)
                                     .arg(bytes));
        });
        connect(m_retrieval, &StoredResultsRetrieval::finished, this, &frmRealTime::retrievalFinished);
    }
    // Disabling the group that holds the focus would hand the focus, and with
    // it the frame's front place, to another unit's window.
    m_grid->setFocus(Qt::OtherFocusReason);
    for (QGroupBox* box : m_area->findChildren<QGroupBox*>()) box->setEnabled(false);
    m_lblPoints->setStyleSheet(QString());
    m_lblPoints->setText(QStringLiteral("Retrieving the last result: waiting for the unit..."));
    m_retrieval->start();
}

void frmRealTime::retrievalFinished(const StoredResults& results)
{
    if (m_unloaded) return;
    for (QGroupBox* box : m_area->findChildren<QGroupBox*>()) box->setEnabled(true);
    const QString failure = StoredResultsRetrieval::failureMessage(results);
    if (!failure.isEmpty()) {
        m_lblPoints->setText(failure);
        m_prompt.message(this, failure, StoredResultsRetrieval::kErrorTitle, Prompt::Icon::Exclamation);
        restartTimer();
        return;
    }
    try {
        const int id = storeRetrievedTest(*m_connection, m_retrieveInfo, m_retrieveAdditives, results.records);
        m_lblTestName->setText(QStringLiteral("Test: ") + m_retrieveInfo.testName);
        m_lblTestName->setToolTip(m_lblTestName->text());
        m_shownTestId = id;
        m_live->startTest(m_retrieveInfo.bobRadiusCm);
        QList<RecordedPoint> points;
        for (const StoredRecord& r : results.records)
            points.append(toRecordedPoint(id, r));
        m_live->addPoints(points);
        QString text = QStringLiteral("Last result retrieved: %1 point(s) stored in test \"%2\".")
                           .arg(results.records.size())
                           .arg(m_retrieveInfo.testName);
        if (results.malformed > 0)
            text += QStringLiteral("\n%1 unreadable record(s) skipped.").arg(results.malformed);
        m_lblPoints->setText(text);
    } catch (const TestNameTakenError&) {
        // Another bench took the name during the download; the unit keeps its
        // memory, so the operator retrieves again under another name.
        m_lblPoints->setText(QString());
        m_prompt.message(this, kDuplicateTestNameMessage);
    } catch (const DbError& e) {
        m_lblPoints->setText(QString());
        m_prompt.message(this, QStringLiteral("The retrieved test could not be stored: ") + e.text(), QString(),
                         Prompt::Icon::Critical);
    }
    restartTimer();
}

}  // namespace tz
