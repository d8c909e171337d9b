// The search window on a real TZ360.db: criteria typed into its rows, the
// results grid, the choice by double-click or Enter, and its messages.
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "testinfo/frmOpenTest.h"
#include "testinfo/frmSearch.h"
#include "tests/support/ScriptedPrompt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QApplication>
#include <QTest>
#include <QTimer>

using tz::ScriptedPrompt;

class TestFrmSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsListsAndClears();
    void searchFillsGrid();
    void wrongValueKeepsGridAndSays();
    void doubleClickChooses();
    void enterChooses();
    void cancelReturnsNothing();
    void openDialogTakesTheChosenName();
    void screenshot();

private:
    QTemporaryDir dir;
    ScriptedPrompt prompt;
};

namespace {

template <typename T>
T* child(QWidget& w, const QString& name)
{
    T* found = w.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

}  // namespace

void TestFrmSearch::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    clsConnection connection;
    connection.OpenDB("msORA", "system", "", "", dir.path());
    clsTEST_INFO info;
    info.ConnectX(connection);
    clsTEST_ADDITIVE additive;
    const char* names[] = {"Base gel", "O'Brien crosslink", "Hot run"};
    const char* fluids[] = {"WF-30", "O'Brien's gel", "CMHPG"};
    for (int i = 0; i < 3; ++i) {
        info.SetDefaults();
        info.setTEST_NAME(QString::fromUtf8(names[i]));
        info.setFluid_ID(QString::fromUtf8(fluids[i]));
        info.setTEST_TIME(QDateTime(QDate(2011, 3, 1 + i), QTime(10, 0)));
        info.AddNew();
        info.GetTestDetail();
        additive.setTESTId(info.Test_Id());
        additive.ConnectX(connection);
        additive.setADDITIVE_NM(i == 1 ? QStringLiteral("guar") : QStringLiteral("breaker"));
        additive.AddNew();
    }
}

void TestFrmSearch::loadsListsAndClears()
{
    frmSearch w(prompt, dir.path());
    QCOMPARE(w.windowTitle(), QStringLiteral("Test Search"));
    auto* column = child<QComboBox>(w, "Combo1_2");
    QCOMPARE(column->count(), 12);
    QCOMPARE(column->itemText(3), QStringLiteral("TEST_TIME"));
    QCOMPARE(child<QComboBox>(w, "Combo2_0")->itemText(2), QStringLiteral("ADDITIVE_NM"));
    QCOMPARE(child<QComboBox>(w, "cmbmath2_1")->itemText(6), QStringLiteral(" Like "));
    QCOMPARE(child<QPushButton>(w, "Command1")->text(), QStringLiteral("Cancel && retrun"));

    column->setCurrentIndex(4);
    child<QComboBox>(w, "cmbmath1_2")->setCurrentIndex(5);
    child<QLineEdit>(w, "Text2_1")->setText("x");
    QTest::mouseClick(child<QPushButton>(w, "cmdClear"), Qt::LeftButton);
    QCOMPARE(column->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(w, "cmbmath1_2")->currentIndex(), 0);
    QCOMPARE(child<QLineEdit>(w, "Text2_1")->text(), QString());
    QVERIFY(prompt.shown.isEmpty());
}

void TestFrmSearch::searchFillsGrid()
{
    frmSearch w(prompt, dir.path());
    auto* grid = child<QTableWidget>(w, "MSFlexGrid1");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Hot run"));
    QCOMPARE(grid->horizontalHeaderItem(4)->text(), QStringLiteral("DESCRIPTION"));
    // Each column 1500 twips (100 pixels) or more as designed, and wide
    // enough for its field name and every value in it.
    QVERIFY(grid->columnWidth(0) >= 100);
    const QFontMetrics heading(grid->horizontalHeader()->font());
    for (int c = 0; c < 5; ++c) {
        const QString name = grid->horizontalHeaderItem(c)->text();
        QVERIFY2(heading.horizontalAdvance(name) + 8 <= grid->columnWidth(c), qPrintable(name));
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, c))
                QVERIFY2(grid->fontMetrics().horizontalAdvance(grid->item(r, c)->text()) + 8 <= grid->columnWidth(c),
                         qPrintable(grid->item(r, c)->text()));
    }

    child<QComboBox>(w, "Combo2_0")->setCurrentIndex(2);
    child<QComboBox>(w, "cmbmath2_0")->setCurrentIndex(6);
    child<QLineEdit>(w, "Text2_0")->setText("GUA");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("O'Brien crosslink"));
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("3/2/11 10:00 AM"));
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("O'Brien's gel"));
    QVERIFY(prompt.shown.isEmpty());
}

void TestFrmSearch::wrongValueKeepsGridAndSays()
{
    frmSearch w(prompt, dir.path());
    auto* grid = child<QTableWidget>(w, "MSFlexGrid1");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 3);
    child<QComboBox>(w, "Combo1_0")->setCurrentIndex(3);
    child<QLineEdit>(w, "Text1_0")->setText("2011-13-45");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QCOMPARE(prompt.lastText(), QStringLiteral("Wrong search string.  \"2011-13-45\" is not a date in the form M/d/yy."));
    QCOMPARE(grid->rowCount(), 3);
    prompt.shown.clear();
}

void TestFrmSearch::doubleClickChooses()
{
    frmSearch w(prompt, dir.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* grid = child<QTableWidget>(w, "MSFlexGrid1");
    child<QComboBox>(w, "Combo1_0")->setCurrentIndex(2);
    child<QComboBox>(w, "cmbmath1_0")->setCurrentIndex(4);  // " = "
    child<QLineEdit>(w, "Text1_0")->setText("O'Brien's gel");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 1);
    const QRect cell = grid->visualItemRect(grid->item(0, 1));
    // A double-click arrives after the press and release of its first click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!w.Canceled());
    QCOMPARE(w.selectedTestName(), QStringLiteral("O'Brien crosslink"));
    QCOMPARE(w.selectedTestId(), 2);
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void TestFrmSearch::enterChooses()
{
    frmSearch w(prompt, dir.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* grid = child<QTableWidget>(w, "MSFlexGrid1");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    grid->setFocus();
    grid->setCurrentCell(2, 0);
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(!w.Canceled());
    QCOMPARE(w.selectedTestName(), QStringLiteral("Base gel"));
}

void TestFrmSearch::cancelReturnsNothing()
{
    frmSearch w(prompt, dir.path());
    QVERIFY(w.Canceled());
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(w.Canceled());
    QCOMPARE(w.selectedTestName(), QString());

    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmSearch*>(top); d && d->isVisible())
                d->close();  // the window frame's close button
    });
    QCOMPARE(frmSearch::chooseTest(prompt, dir.path(), nullptr), std::nullopt);
}

void TestFrmSearch::openDialogTakesTheChosenName()
{
    clsConnection connection;
    connection.OpenDB("msORA", "system", "", "", dir.path());
    tz::frmOpenTest open(connection, prompt);
    open.setTestName("Hot run");
    open.show();
    open.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&open));
    // In the search window: the fluid with the apostrophe, then a double-click.
    QTimer::singleShot(0, [] {
        frmSearch* search = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmSearch*>(top); d && d->isVisible())
                search = d;
        if (!search)
            return;
        search->findChild<QComboBox*>("Combo1_0")->setCurrentIndex(2);
        search->findChild<QComboBox*>("cmbmath1_0")->setCurrentIndex(6);
        search->findChild<QLineEdit*>("Text1_0")->setText("'Brien");
        search->Search();
        auto* grid = search->findChild<QTableWidget*>("MSFlexGrid1");
        const QPoint at = grid->visualItemRect(grid->item(0, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    });
    QTest::mouseClick(open.findChild<QPushButton*>("cmdSearch"), Qt::LeftButton);
    QCOMPARE(open.testName(), QStringLiteral("O'Brien crosslink"));
    // The list shows the found test and Enter opens it, not Search again.
    auto* list = open.findChild<QTableWidget*>("MSFlexGrid1");
    QCOMPARE(list->item(list->currentRow(), 0)->text(), QStringLiteral("O'Brien crosslink"));
    auto* ok = open.findChild<QPushButton*>("cmdOK");
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ok));
    QVERIFY(ok->isDefault());

    // Cancelled: the name box keeps what it had.
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmSearch*>(top); d && d->isVisible())
                d->findChild<QPushButton*>("Command1")->click();
    });
    QTest::mouseClick(open.findChild<QPushButton*>("cmdSearch"), Qt::LeftButton);
    QCOMPARE(open.testName(), QStringLiteral("O'Brien crosslink"));
    QVERIFY(prompt.shown.isEmpty());
}

void TestFrmSearch::screenshot()
{
    frmSearch w(prompt, dir.path());
    w.resize(w.minimumSize());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.minimumWidth() <= 1280 && w.minimumHeight() <= 800);
    child<QComboBox>(w, "Combo1_0")->setCurrentIndex(3);
    child<QLineEdit>(w, "Text1_0")->setText("3/1/2011");
    QTest::mouseClick(child<QPushButton>(w, "cmdSearch"), Qt::LeftButton);
    const QString out = qEnvironmentVariable("TZ360_SCREENSHOTS");
    if (!out.isEmpty())
        QVERIFY(w.grab().save(out + "/frmSearch.png"));
}

QTEST_MAIN(TestFrmSearch)
#include "tst_frm_search.moc"
