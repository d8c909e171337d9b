// The test information dialogs on a real database: name checks, bob lookup,
// copying an earlier test, the additives grid by keyboard, and the edit of a
// saved test written back in one transaction.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"

#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "testinfo/frmTestRelatedInfo.h"
#include "testinfo/frmViewRelatedInfo.h"
#include "testinfo/ui/AdditivesGrid.h"
#include "testinfo/ui/EditTestInfo.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace tz;

namespace {

// A stored test with the given bob geometry and additives; returns its id.
int storeTest(clsConnection& connection, const QString& name, const QList<AdditiveRow>& additives,
              const QString& bob = QStringLiteral("B4"), double radius = 0.9, double length = 3.5) {
    clsTEST_INFO info;
    info.ConnectX(connection);
    info.setTEST_NAME(name);
    info.setFluid_ID(QStringLiteral("HPG 40 ppt"));
    info.setRESEARCHER_NAME(QStringLiteral("M. Ortiz"));
    info.setROTOR_NO(QStringLiteral("R2"));
    info.setBOB_NO(bob);
    info.setBOB_RADIUS(radius);
    info.setBOB_EFF_LENGTH(length);
    info.setPreTest_PH(9.5);
    info.setPostTest_PH(8.25);
    info.setSAFETY(QStringLiteral("borate crosslink"));
    info.AddNew();
    info.GetTestDetail();
    const int id = static_cast<int>(info.Test_Id());
    clsTEST_ADDITIVE additive;
    additive.setTESTId(id);
    additive.ConnectX(connection);
    for (const AdditiveRow& a : additives) {
        additive.setTESTId(id);
        additive.setADDITIVE_NM(a.name);
        additive.setADD_CONCEN(a.concentration.toDouble());
        additive.setADD_UNIT(a.unit);
        additive.setADD_LOTNO(a.lotNumber);
        additive.AddNew();
    }
    return id;
}

QString text(QWidget& dialog, const char* name) {
    if (auto* e = dialog.findChild<QLineEdit*>(QLatin1String(name))) return e->text();
    return dialog.findChild<QPlainTextEdit*>(QLatin1String(name))->toPlainText();
}

void setText(QWidget& dialog, const char* name, const QString& value) {
    dialog.findChild<QLineEdit*>(QLatin1String(name))->setText(value);
}

void click(QWidget& dialog, const char* name) {
    dialog.findChild<QPushButton*>(QLatin1String(name))->click();
}

AdditivesGrid* grid(QWidget& dialog) { return dialog.findChild<AdditivesGrid*>("MSFlexGrid1"); }

}  // namespace

class TestTestInfoDialogs : public QObject {
    Q_OBJECT

private slots:
    // The dialogs read and write through the same classes on the embedded
    // file and on the lab server.
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
    void defaults();
    void nameChecks_data();
    void nameChecks();
    void closingByFrameIsCancel();
    void bobLookup_data();
    void bobLookup();
    void copyFromEarlierTest();
    void copyFromTestWithoutAdditives();
    void copyFromUnknownName();
    void pickNameCopies();
    void tabLeavesTheGrid();
    void viewerSavesAnyNonEmptyName();
    void textBoxesAreLimited();
    void okRefusesUnfitTexts_data();
    void okRefusesUnfitTexts();
    void copiedLongTextIsShownWhole();
    void editReplacesInformationAndAdditives();
    void editFailureChangesNothing();
};

void TestTestInfoDialogs::defaults() {
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("TZ360 Test Related Information"));
    QCOMPARE(text(dialog, "txtTestName"), QString());
    QCOMPARE(text(dialog, "txtResearchName"), QStringLiteral("Unknown"));
    QCOMPARE(text(dialog, "txtRotoNo"), QStringLiteral("R1"));
    QCOMPARE(text(dialog, "txtBobNo"), QStringLiteral("B5"));
    QCOMPARE(text(dialog, "txtBobRadius"), QStringLiteral("1.5987"));
    QCOMPARE(text(dialog, "txtBobLength"), QStringLiteral("7.620"));
    QCOMPARE(text(dialog, "txtPreTestPH"), QStringLiteral("7.0"));
    QCOMPARE(text(dialog, "txtPostTestPH"), QStringLiteral("7.0"));
    QCOMPARE(text(dialog, "txtTestDate"),
             QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    AdditivesGrid* g = grid(dialog);
    QCOMPARE(g->rowCount(), 20);
    QCOMPARE(g->columnCount(), 4);
    QCOMPARE(g->horizontalHeaderItem(3)->text(), QStringLiteral("Lot Number"));
    QVERIFY(dialog.additiveRows().isEmpty());
    QVERIFY(dialog.findChild<QListWidget*>("Grid_TestName")->isHidden());
    QVERIFY(!dialog.mlCanceled());
}

void TestTestInfoDialogs::nameChecks_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");  // empty: accepted

    const QStringList gel{QStringLiteral("Gel-1"), QStringLiteral("Base fluid")};
    const QString dup = kDuplicateTestNameMessage, empty = kEmptyTestNameMessage;
    QTest::newRow("same name") << gel << "Gel-1" << dup;
    QTest::newRow("older test's name") << gel << "Base fluid" << dup;
    QTest::newRow("other letter case") << gel << "gel-1" << QString();
    QTest::newRow("trailing blank") << gel << "Gel-1 " << QString();
    QTest::newRow("new name") << gel << "Gel-2" << QString();
    QTest::newRow("empty") << gel << "" << empty;
    QTest::newRow("blanks only") << gel << "   " << empty;
    QTest::newRow("empty database, any name") << QStringList() << "Gel-1" << QString();
    QTest::newRow("empty database, empty name") << QStringList() << "" << empty;
}

void TestTestInfoDialogs::nameChecks() {
    QFETCH(QStringList, stored);
    QFETCH(QString, name);
    QFETCH(QString, message);
    TempDatabase db;
    for (const QString& s : stored) storeTest(db.connection, s, {});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    QCOMPARE(dialog.storedNames().size(), stored.size());
    dialog.show();
    setText(dialog, "txtTestName", name);
    click(dialog, "cmdOK");
    if (message.isEmpty()) {
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.mlCanceled());
        QCOMPARE(dialog.fields().testName, name);
    } else {
        QCOMPARE(prompt.texts(), QStringList{message});
        QVERIFY(dialog.isVisible());
        QCOMPARE(text(dialog, "txtTestName"), name);
    }
}

void TestTestInfoDialogs::closingByFrameIsCancel() {
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo info(db.connection, prompt);
    info.show();
    setText(info, "txtTestName", QStringLiteral("Gel-9"));
    info.close();
    QVERIFY(info.mlCanceled());

    frmViewRelatedInfo view(prompt);
    view.show();
    click(view, "cmdReturn");
    QVERIFY(view.mlCanceled());
    QVERIFY(prompt.shown.isEmpty());
}

void TestTestInfoDialogs::bobLookup_data() {
    QTest::addColumn<QString>("bob");
    QTest::addColumn<QString>("radius");
    QTest::addColumn<QString>("length");
    const QString unchangedR = QStringLiteral("1.1111"), unchangedL = QStringLiteral("2.222");
    QTest::newRow("b4") << "b4" << "0.8622" << "3.810";
    QTest::newRow("B1") << "B1" << "1.7245" << "7.620";
    QTest::newRow("xb2") << "xb2" << "1.2276" << "8.785";
    QTest::newRow("XB5") << "XB5" << "1.5987" << "8.785";
    QTest::newRow("B6 unknown") << "B6" << unchangedR << unchangedL;
    QTest::newRow("B 4 unknown") << "B 4" << unchangedR << unchangedL;
}

void TestTestInfoDialogs::bobLookup() {
    QFETCH(QString, bob);
    QFETCH(QString, radius);
    QFETCH(QString, length);
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo info(db.connection, prompt);
    frmViewRelatedInfo view(prompt);
    for (TestInfoDialog* dialog : {static_cast<TestInfoDialog*>(&info), static_cast<TestInfoDialog*>(&view)}) {
        setText(*dialog, "txtBobRadius", QStringLiteral("1.1111"));
        setText(*dialog, "txtBobLength", QStringLiteral("2.222"));
        auto* box = dialog->findChild<QLineEdit*>("txtBobNo");
        dialog->show();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, bob);  // typed, as the operator does
        QCOMPARE(text(*dialog, "txtBobNo"), bob);
        QCOMPARE(text(*dialog, "txtBobRadius"), radius);
        QCOMPARE(text(*dialog, "txtBobLength"), length);
    }
}

void TestTestInfoDialogs::copyFromEarlierTest() {
    TempDatabase db;
    storeTest(db.connection, QStringLiteral("Gel-1"),
              {{"Guar", "40", "ppt", "L-17"}, {"Borate", "-1.5", "gpt", ""}});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    setText(dialog, "txtTestName", QStringLiteral("Gel-2"));
    setText(dialog, "txtCopyFrom", QStringLiteral("Gel-1"));
    click(dialog, "cmdCopy");
    QVERIFY(prompt.shown.isEmpty());
    QCOMPARE(text(dialog, "txtTestName"), QStringLiteral("Gel-2"));
    QCOMPARE(text(dialog, "txtFluidId"), QStringLiteral("HPG 40 ppt"));
    QCOMPARE(text(dialog, "txtResearchName"), QStringLiteral("M. Ortiz"));
    QCOMPARE(text(dialog, "txtRotoNo"), QStringLiteral("R2"));
    QCOMPARE(text(dialog, "txtBobNo"), QStringLiteral("B4"));
    // The stored geometry, not the table's B4 values, remains.
    QCOMPARE(text(dialog, "txtBobRadius"), QStringLiteral("0.9"));
    QCOMPARE(text(dialog, "txtBobLength"), QStringLiteral("3.5"));
    QCOMPARE(text(dialog, "txtPreTestPH"), QStringLiteral("9.5"));
    QCOMPARE(text(dialog, "txtPostTestPH"), QStringLiteral("8.25"));
    QCOMPARE(text(dialog, "txtSAFETY"), QStringLiteral("borate crosslink"));
    const QList<AdditiveRow> rows = dialog.additiveRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("Guar"));
    QCOMPARE(rows[0].concentration, QStringLiteral(" 40"));  // sign position kept
    QCOMPARE(rows[0].unit, QStringLiteral("ppt"));
    QCOMPARE(rows[0].lotNumber, QStringLiteral("L-17"));
    QCOMPARE(rows[1].concentration, QStringLiteral("-1.5"));
}

void TestTestInfoDialogs::copyFromTestWithoutAdditives() {
    TempDatabase db;
    storeTest(db.connection, QStringLiteral("Plain"), {});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    dialog.setAdditiveRows({{"KCl", "2", "%", "A1"}, {"Breaker", "1", "ppt", ""}});
    setText(dialog, "txtCopyFrom", QStringLiteral("Plain"));
    click(dialog, "cmdCopy");
    QVERIFY(prompt.shown.isEmpty());
    QCOMPARE(text(dialog, "txtFluidId"), QStringLiteral("HPG 40 ppt"));
    AdditivesGrid* g = grid(dialog);
    for (int r = 0; r < g->rowCount(); ++r)
        for (int c = 0; c < 4; ++c) QCOMPARE(g->item(r, c)->text(), QString());
}

void TestTestInfoDialogs::copyFromUnknownName() {
    TempDatabase db;
    storeTest(db.connection, QStringLiteral("Gel-1"), {});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    click(dialog, "cmdCopy");  // nothing typed: nothing happens
    QVERIFY(prompt.shown.isEmpty());
    setText(dialog, "txtCopyFrom", QStringLiteral("gel-1"));
    click(dialog, "cmdCopy");
    QCOMPARE(prompt.texts(), QStringList{kCopyNameNotFoundMessage});
    QCOMPARE(text(dialog, "txtFluidId"), QString());

    TempDatabase empty;
    ScriptedPrompt prompt2;
    frmTestRelatedInfo fresh(empty.connection, prompt2);
    fresh.show();
    setText(fresh, "txtCopyFrom", QStringLiteral("Gel-1"));
    click(fresh, "cmdCopy");
    QCOMPARE(prompt2.texts(), QStringList{kCopyNameNotFoundMessage});
}

void TestTestInfoDialogs::pickNameCopies() {
    TempDatabase db;
    storeTest(db.connection, QStringLiteral("Older"), {{"Guar", "30", "ppt", ""}});
    db.sql("UPDATE TEST_INFO SET TEST_TIME = '2020-01-01T00:00:00' WHERE TEST_NAME = 'Older'");
    storeTest(db.connection, QStringLiteral("Newer"), {});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    click(dialog, "cmdPick");
    auto* pick = dialog.findChild<QListWidget*>("Grid_TestName");
    QVERIFY(pick->isVisible());
    QCOMPARE(pick->count(), 2);
    QCOMPARE(pick->item(0)->text(), QStringLiteral("Newer"));  // newest first
    QListWidgetItem* older = pick->item(1);
    QTest::mouseClick(pick->viewport(), Qt::LeftButton, {}, pick->visualItemRect(older).center());
    QVERIFY(pick->isHidden());
    QCOMPARE(text(dialog, "txtCopyFrom"), QStringLiteral("Older"));
    QCOMPARE(dialog.additiveRows().size(), 1);
    QCOMPARE(dialog.additiveRows()[0].name, QStringLiteral("Guar"));
}

void TestTestInfoDialogs::tabLeavesTheGrid() {
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* safety = dialog.findChild<QPlainTextEdit*>("txtSAFETY");
    safety->setFocus();
    QTest::keyClick(safety, Qt::Key_Tab);  // into the grid: the first cell opens
    AdditivesGrid* g = grid(dialog);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor->parentWidget() == g->viewport());
    QTest::keyClicks(editor, QStringLiteral("Guar"));
    QTest::keyClick(editor, Qt::Key_Tab);  // out of the grid, cell written
    QCOMPARE(QApplication::focusWidget(), dialog.findChild<QWidget*>("txtCopyFrom"));
    QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Guar"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(QApplication::focusWidget() == g ||
            QApplication::focusWidget()->parentWidget() == g->viewport());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), safety);

    // Scrolling writes an open cell and takes its box away.
    g->setFocus();
    g->setCurrentCell(1, 2);
    editor = QApplication::focusWidget();
    QVERIFY(editor && editor->parentWidget() == g->viewport());
    QTest::keyClicks(editor, QStringLiteral("ppt"));
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    QTRY_VERIFY(!g->viewport()->findChild<QLineEdit*>("txtEdit") ||
                !g->viewport()->findChild<QLineEdit*>("txtEdit")->isVisible());
    QCOMPARE(g->item(1, 2)->text(), QStringLiteral("ppt"));
}

void TestTestInfoDialogs::viewerSavesAnyNonEmptyName() {
    ScriptedPrompt prompt;
    frmViewRelatedInfo dialog(prompt);
    dialog.show();
    click(dialog, "cmdSave");
    QCOMPARE(prompt.texts(), QStringList{kEmptyTestNameMessage});
    QVERIFY(dialog.isVisible());
    setText(dialog, "txtTestName", QStringLiteral("Gel-1"));  // another test's name is fine
    click(dialog, "cmdSave");
    QCOMPARE(prompt.shown.size(), 1);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.mlCanceled());
}

// Typing stops at the size of the column the text is stored in.
void TestTestInfoDialogs::textBoxesAreLimited() {
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo info(db.connection, prompt);
    frmViewRelatedInfo view(prompt);
    const QString typed(45, QLatin1Char('k'));
    for (TestInfoDialog* dialog : {static_cast<TestInfoDialog*>(&info), static_cast<TestInfoDialog*>(&view)}) {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        for (const char* name : {"txtTestName", "txtResearchName", "txtFluidId", "txtRotoNo", "txtBobNo"}) {
            auto* box = dialog->findChild<QLineEdit*>(QLatin1String(name));
            box->clear();
            box->setFocus();
            QTest::keyClicks(box, typed);
            QCOMPARE(box->text(), typed.left(40));
        }
        AdditivesGrid* g = grid(*dialog);
        for (int column : {0, 2, 3}) {
            g->setFocus();
            g->setCurrentCell(0, column);
            g->editItem(g->item(0, column));
            QLineEdit* editor = nullptr;
            for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>("txtEdit"))
                if (e->isVisible()) editor = e;
            QVERIFY(editor);
            QTest::keyClicks(editor, typed);
            g->commitOpenEditor();
            QCOMPARE(g->item(0, column)->text(), typed.left(40));
        }
    }
}

void TestTestInfoDialogs::okRefusesUnfitTexts_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");  // empty: accepted
    QTest::addColumn<bool>("viewerToo");   // the viewer does not store the name
    QTest::newRow("name with a line break")
        << "name" << "Gel\n2" << "Test Name: line breaks and other control characters are not allowed." << false;
    QTest::newRow("name of 41") << "name" << QString(41, 'n')
                                << "Test Name: at most 40 characters are allowed (41 given)." << false;
    QTest::newRow("name of 40") << "name" << QString(40, 'n') << QString() << true;
    QTest::newRow("fluid of 41") << "fluid" << QString(41, 'f')
                                 << "Fluid ID: at most 40 characters are allowed (41 given)." << true;
    QTest::newRow("researcher with a tab") << "researcher" << "M.\tOrtiz"
                                           << "Researcher's Name: line breaks and other control characters are "
                                              "not allowed." << true;
    QTest::newRow("notes of 1001") << "notes" << QString(1001, 's')
                                   << "Description, Notes and Comments: at most 1000 characters are allowed "
                                      "(1001 given)." << true;
    QTest::newRow("notes of several lines") << "notes" << "Borate crosslink.\nBreaker added at 2 h." << QString()
                                            << true;
    QTest::newRow("units of the second additive") << "unit" << QString(41, 'u')
                                                  << "Additive 2, Units: at most 40 characters are allowed "
                                                     "(41 given)." << true;
    QTest::newRow("after the last additive: not stored") << "after" << QString(41, 'u') << QString() << true;
}

void TestTestInfoDialogs::okRefusesUnfitTexts() {
    QFETCH(QString, where);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(bool, viewerToo);
    TempDatabase db;
    ScriptedPrompt prompt;
    frmTestRelatedInfo info(db.connection, prompt);
    frmViewRelatedInfo view(prompt);
    for (TestInfoDialog* dialog : {static_cast<TestInfoDialog*>(&info), static_cast<TestInfoDialog*>(&view)}) {
        prompt.shown.clear();
        TestInfoFields f;
        f.testName = QStringLiteral("Gel-2");
        QList<AdditiveRow> additives{{"Guar", "40", "ppt", "L-17"}, {"Borate", "1.5", "gpt", ""}};
        if (where == "name") f.testName = value;
        if (where == "fluid") f.fluidId = value;
        if (where == "researcher") f.researcher = value;
        if (where == "notes") f.description = value;
        if (where == "unit") additives[1].unit = value;
        if (where == "after") additives.append({"", "", value, ""}), additives.append({"Lost", "", value, ""});
        dialog->setFields(f);
        dialog->setAdditiveRows(additives);
        dialog->show();
        click(*dialog, dialog == &info ? "cmdOK" : "cmdSave");
        const bool refused = !message.isEmpty() && (dialog == &info || viewerToo);
        if (refused) {
            QCOMPARE(prompt.texts(), QStringList{message});
            QVERIFY(dialog->isVisible());
            QVERIFY(!dialog->mlCanceled());
        } else {
            QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
            QVERIFY(!dialog->isVisible());
        }
    }
}

// An older test's text longer than its column is copied whole, never cut
// silently, and OK says which field to shorten.
void TestTestInfoDialogs::copiedLongTextIsShownWhole() {
    TempDatabase db;
    if (db.onServer()) QSKIP("the server's columns cannot hold an over-long text");
    storeTest(db.connection, QStringLiteral("Old"), {});
    const QString fluid = QStringLiteral("HPG 40 ppt with borate crosslinker, batch 7 of 2019");
    db.sql("UPDATE TEST_INFO SET FLUID_ID = ?", {fluid});
    ScriptedPrompt prompt;
    frmTestRelatedInfo dialog(db.connection, prompt);
    dialog.show();
    setText(dialog, "txtTestName", QStringLiteral("New"));
    setText(dialog, "txtCopyFrom", QStringLiteral("Old"));
    click(dialog, "cmdCopy");
    QCOMPARE(text(dialog, "txtFluidId"), fluid);
    click(dialog, "cmdOK");
    QCOMPARE(prompt.texts(),
             QStringList{QStringLiteral("Fluid ID: at most 40 characters are allowed (%1 given).").arg(fluid.size())});
    QVERIFY(dialog.isVisible());
}

namespace {

// Answers the modal viewer once it is shown.
void whenViewerShown(const std::function<void(frmViewRelatedInfo&)>& act) {
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(qobject_cast<frmViewRelatedInfo*>(QApplication::activeModalWidget()));
        act(*qobject_cast<frmViewRelatedInfo*>(QApplication::activeModalWidget()));
    });
}

QStringList additiveNames(TempDatabase& db, int id) {
    QStringList names;
    for (const QVariant& v :
         db.sql("SELECT ADDITIVE_NM FROM TEST_ADDITIVE WHERE TEST_ID = ? ORDER BY TESTADD_ID", {id}))
        names << v.toString();
    return names;
}

}  // namespace

void TestTestInfoDialogs::editReplacesInformationAndAdditives() {
    TempDatabase db;
    const int id = storeTest(db.connection, QStringLiteral("Gel-1"),
                             {{"Guar", "40", "ppt", "L-17"}, {"Borate", "1.5", "gpt", ""}});
    const int other = storeTest(db.connection, QStringLiteral("Gel-2"), {{"KCl", "2", "%", ""}});
    // A test recorded without a start time keeps none after the edit.
    db.sql("UPDATE TEST_INFO SET TEST_TIME = NULL WHERE TEST_ID = ?", {id});

    ScriptedPrompt prompt;
    whenViewerShown([](frmViewRelatedInfo& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Test Related Information"));
        QCOMPARE(text(dialog, "txtTestName"), QStringLiteral("Gel-1"));
        QCOMPARE(text(dialog, "txtBobRadius"), QStringLiteral("0.9"));
        QCOMPARE(dialog.additiveRows().size(), 2);
        QCOMPARE(dialog.additiveRows()[1].name, QStringLiteral("Borate"));
        setText(dialog, "txtTestName", QStringLiteral("Renamed"));  // not stored
        setText(dialog, "txtFluidId", QStringLiteral("CMHPG"));
        setText(dialog, "txtPreTestPH", QStringLiteral("10.5 (meter)"));
        dialog.setAdditiveRows({{"Zirconate", "0.8", "gpt", "Z-3"}, {"", "", "", ""}, {"Lost", "1", "", ""}});
        click(dialog, "cmdSave");
    });
    QVERIFY(editTestInfo(nullptr, db.connection, id, prompt));
    QVERIFY(prompt.shown.isEmpty());

    QCOMPARE(db.sql("SELECT TEST_NAME FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).toString(),
             QStringLiteral("Gel-1"));
    QVERIFY(db.sql("SELECT TEST_TIME FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).isNull());
    QCOMPARE(db.sql("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).toString(),
             QStringLiteral("CMHPG"));
    QCOMPARE(db.sql("SELECT PRETEST_PH FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).toDouble(), 10.5);
    QCOMPARE(additiveNames(db, id), QStringList{"Zirconate"});  // stops at the first empty name
    QCOMPARE(db.sql("SELECT ADD_CONCEN FROM TEST_ADDITIVE WHERE TEST_ID = ?", {id}).value(0).toDouble(), 0.8);
    QCOMPARE(additiveNames(db, other), QStringList{"KCl"});

    // Return changes nothing.
    whenViewerShown([](frmViewRelatedInfo& dialog) {
        setText(dialog, "txtFluidId", QStringLiteral("Water"));
        click(dialog, "cmdReturn");
    });
    QVERIFY(!editTestInfo(nullptr, db.connection, id, prompt));
    QCOMPARE(db.sql("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).toString(),
             QStringLiteral("CMHPG"));
}

void TestTestInfoDialogs::editFailureChangesNothing() {
    TempDatabase db;
    const int id = storeTest(db.connection, QStringLiteral("Gel-1"),
                             {{"Guar", "40", "ppt", ""}, {"Borate", "1.5", "gpt", ""}});
    // The second new additive cannot be written (as on a full disk).
    db.refuse("INSERT", "TEST_ADDITIVE", "NEW.ADDITIVE_NM = 'Bad'", "database or disk is full");
    ScriptedPrompt prompt;
    whenViewerShown([](frmViewRelatedInfo& dialog) {
        setText(dialog, "txtFluidId", QStringLiteral("CMHPG"));
        dialog.setAdditiveRows({{"Good", "1", "", ""}, {"Bad", "2", "", ""}});
        click(dialog, "cmdSave");
    });
    QVERIFY(!editTestInfo(nullptr, db.connection, id, prompt));
    QCOMPARE(prompt.shown.size(), 1);
    QVERIFY(prompt.lastText().contains("disk is full"));
    QCOMPARE(db.sql("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {id}).value(0).toString(),
             QStringLiteral("HPG 40 ppt"));
    QCOMPARE(additiveNames(db, id), (QStringList{"Guar", "Borate"}));
    QVERIFY(!db.connection.InTransaction());
}

QTEST_MAIN(TestTestInfoDialogs)
#include "tst_testinfo_dialogs.moc"
