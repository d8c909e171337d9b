// The open and overlap lists over a real database: order, name box, prefix
// search, delete, and how each dialog reports the choice.
#include "StoredTests.h"
#include "db/TempDatabase.h"
#include "support/ScriptedPrompt.h"
#include "testinfo/frmOpenTest.h"
#include "testinfo/frmOverlapTest.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace tz;

namespace {

QStringList column(QTableWidget* grid, int c) {
    QStringList cells;
    for (int r = 0; r < grid->rowCount(); ++r) cells << grid->item(r, c)->text();
    return cells;
}

// Three tests, stored out of time order; newest first is B, A, Linear.
void storeThree(TempDatabase& db) {
    const QDateTime t0(QDate(2026, 3, 1), QTime(8, 30));
    fixture::storeTest(db.connection, "Gel A 150F", fixture::powerLawPoints(1, 0.5, 10), {}, 1.5987, t0);
    fixture::storeTest(db.connection, "Gel B 250F", fixture::powerLawPoints(1, 0.5, 10), {}, 1.5987,
                       t0.addDays(1), "M. Chen");
    fixture::storeTest(db.connection, "Linear 80F", fixture::powerLawPoints(1, 0.5, 10), {}, 1.5987,
                       t0.addDays(-1));
}

}  // namespace

class TestTestLists : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    void emptyDatabaseShowsHeadingOnly() {
        TempDatabase db;
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        frmOverlapTest overlap(db.connection, prompt);
        QCOMPARE(open.list()->rowCount(), 0);
        QCOMPARE(open.list()->currentRow(), -1);
        QVERIFY(open.testName().isEmpty());
        auto headings = [](QTableWidget* g) {
            QStringList h;
            for (int c = 0; c < 3; ++c) h << g->horizontalHeaderItem(c)->text();
            return h;
        };
        QCOMPARE(headings(open.list()), QStringList({"Test\nName", "Test\nTime", "Researcher\nName"}));
        QCOMPARE(headings(overlap.list()), QStringList({"Sequence\nName", "Test\nTime", "Researcher\nName"}));
        QCOMPARE(open.windowTitle(), QString("Open Saved Test"));
        QCOMPARE(overlap.windowTitle(), QString("Overlap Saved Test"));
        QVERIFY(open.findChild<QPushButton*>("cmdSearch")->isEnabled());
        QVERIFY(prompt.shown.isEmpty());
    }

    void listsNewestFirstAndAClickTakesTheName() {
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        QCOMPARE(column(open.list(), 0), QStringList({"Gel B 250F", "Gel A 150F", "Linear 80F"}));
        QCOMPARE(column(open.list(), 1).first(), QString("2026-03-02 08:30:00"));
        QCOMPARE(column(open.list(), 2).first(), QString("M. Chen"));
        QCOMPARE(open.list()->currentRow(), 0);
        // Row 1 is highlighted and its name is in the box: OK takes it.
        QCOMPARE(open.testName(), QString("Gel B 250F"));
        const QRect row0 = open.list()->visualItemRect(open.list()->item(0, 0));
        QTest::mouseClick(open.list()->viewport(), Qt::LeftButton, {}, row0.center());
        QCOMPARE(open.testName(), QString("Gel B 250F"));
        const QRect row2 = open.list()->visualItemRect(open.list()->item(2, 0));
        QTest::mouseClick(open.list()->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(open.testName(), QString("Linear 80F"));
    }

    // Typing selects the first row whose name starts with the text, letter
    // case as typed; without a match the selection stays.
    void prefixSearch_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        QTest::newRow("Gel") << "Gel" << 0;
        QTest::newRow("Gel A") << "Gel A" << 1;
        QTest::newRow("L") << "L" << 2;
        QTest::newRow("other case") << "gel a" << 2;
        QTest::newRow("no match") << "X" << 2;
    }
    void prefixSearch() {
        QFETCH(QString, typed);
        QFETCH(int, row);
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        open.list()->setCurrentCell(2, 0);
        open.nameBox()->clear();
        QTest::keyClicks(open.nameBox(), typed);
        QCOMPARE(open.list()->currentRow(), row);
        QCOMPARE(open.testName(), typed);  // typing is never overwritten
    }

    void deleteAsksThenRemovesAndRefills() {
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        QSignalSpy deleted(&open, &frmOpenTest::testDeleted);
        open.setTestName("Gel A 150F");
        prompt.answers = {false};
        QTest::mouseClick(open.findChild<QPushButton*>("cmdDelete"), Qt::LeftButton);
        QCOMPARE(prompt.lastText(), QString("Are you sure to delete this test?"));
        QCOMPARE(open.list()->rowCount(), 3);
        QCOMPARE(open.testName(), QString("Gel A 150F"));

        QTest::mouseClick(open.findChild<QPushButton*>("cmdDelete"), Qt::LeftButton);
        QCOMPARE(column(open.list(), 0), QStringList({"Gel B 250F", "Linear 80F"}));
        // Nothing is chosen after a deletion: no name and no highlighted row.
        QVERIFY(open.testName().isEmpty());
        QCOMPARE(open.list()->currentRow(), -1);
        QVERIFY(open.list()->selectedItems().isEmpty());
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.first().first().toString(), QString("Gel A 150F"));
        QCOMPARE(db.count("TEST_RESULT"), 12);

        for (const char* name : {"Gel B 250F", "Linear 80F"}) {
            open.setTestName(name);
            open.deleteTest();
        }
        QCOMPARE(open.list()->rowCount(), 0);
        QVERIFY(open.testName().isEmpty());
        QCOMPARE(db.count("TEST_RESULT"), 0);
    }

    void okAndDoubleClickReportTheChoice() {
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        QSignalSpy selected(&open, &frmOpenTest::Selected);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        QTest::mouseClick(open.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(selected.count(), 1);
        // The handler decides whether the dialog goes away.
        QVERIFY(open.isVisible());
        const QRect row1 = open.list()->visualItemRect(open.list()->item(1, 0));
        QTest::mouseClick(open.list()->viewport(), Qt::LeftButton, {}, row1.center());
        QTest::mouseDClick(open.list()->viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(selected.count(), 2);
        QCOMPARE(open.testName(), QString("Gel A 150F"));
        QTest::mouseClick(open.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QVERIFY(!open.isVisible());
        QCOMPARE(selected.count(), 2);
    }

    void overlapHidesOnChoiceAndRefusesTheFrame() {
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOverlapTest overlap(db.connection, prompt);
        QSignalSpy chosen(&overlap, &frmOverlapTest::OverSelected);
        overlap.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlap));
        QVERIFY(!overlap.close());
        QVERIFY(overlap.isVisible());
        const QRect row2 = overlap.list()->visualItemRect(overlap.list()->item(2, 0));
        QTest::mouseClick(overlap.list()->viewport(), Qt::LeftButton, {}, row2.center());
        QTest::mouseDClick(overlap.list()->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(chosen.count(), 1);
        QVERIFY(!overlap.isVisible());
        QCOMPARE(overlap.testName(), QString("Linear 80F"));
    }

    // Tab runs name box, list, OK, Cancel, Delete and back: never stuck in the list.
    void tabNeverStaysInTheList() {
        TempDatabase db;
        storeThree(db);
        ScriptedPrompt prompt;
        frmOpenTest open(db.connection, prompt);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        open.activateWindow();
        open.nameBox()->setFocus();
        QTRY_VERIFY(open.nameBox()->hasFocus());
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"MSFlexGrid1", "cmdOK", "cmdCancel", "cmdDelete", "cmdSearch", "txtSeqName"}));
    }
};

QTEST_MAIN(TestTestLists)
#include "tst_test_lists.moc"
