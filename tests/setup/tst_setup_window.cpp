// The setup window on a real TZ360.db and initial.txt in a temporary directory.
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"
#include "setup/frmInsertStep.h"
#include "setup/frmSetup.h"
#include "tests/support/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using tz::ScriptedPrompt;
using tz::SequenceData;
using tz::SequenceStep;

namespace {

SequenceStep step(double no, double time, double tempF, double errF, double rate = 100,
                  double ramp = 1) {
    return SequenceStep{no, time, tempF, errF, rate, ramp};
}

SequenceData sequence(const QString& name, const QList<SequenceStep>& steps,
                      const QList<double>& ramp) {
    SequenceData s;
    s.name = name;
    s.steps = steps;
    s.rampShearRates = ramp;
    return s;
}

// A working directory of its own with TZ360.db and, when asked, initial.txt
// and the unit system the start-up read of that file leaves in memory.
struct Bench {
    QTemporaryDir dir;
    QString previousDir = QDir::currentPath();
    clsConnection connection;
    tz::Settings settings;
    ScriptedPrompt prompt;
    std::unique_ptr<frmSetup> window;

    explicit Bench(int unitSystem = 0) {
        QDir::setCurrent(dir.path());
        connection.OpenDB("msORA", "system", "", "", dir.path());
        if (unitSystem != 0) {
            tz::Settings file;
            file.unitSystem = unitSystem;
            tz::SettingsFile::write(tz::SettingsFile::defaultPath(), {}, file);
            settings.unitSystem = unitSystem;
        }
    }
    ~Bench() {
        window.reset();
        QDir::setCurrent(previousDir);
    }

    void store(const SequenceData& s) { tz::saveSequence(connection, s); }

    void open() {
        window = std::make_unique<frmSetup>(settings, connection, prompt);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    template <class T> T* get(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w) qFatal("no child %s", name);
        return w;
    }
    QTableWidget* steps() { return get<QTableWidget>("MSFlexGrid1"); }
    QTableWidget* ramp() { return get<QTableWidget>("MSFlexGrid3"); }
    QString cell(QTableWidget* grid, int r, int c) {
        auto* item = grid->item(r, c);
        return item ? item->text() : QString();
    }
    void click(const char* button) { get<QPushButton>(button)->click(); }

    int count(const QString& table) {
        QSqlQuery q(connection.ADOConnection());
        q.exec(QStringLiteral("SELECT count(*) FROM ") + table);
        q.next();
        return q.value(0).toInt();
    }
    std::optional<SequenceData> stored(const QString& name) {
        return tz::loadSequence(connection, name);
    }
};

// Types into a grid cell through its in-place editor, as an operator does.
QLineEdit* typeIntoCell(QTableWidget* grid, int row, int col, const QString& text) {
    grid->setFocus();
    grid->setCurrentCell(row, col);
    QModelIndex index = grid->model()->index(row, col);
    if (!grid->indexWidget(index)) grid->editItem(grid->item(row, col));
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(index));
    if (!editor) return nullptr;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    return editor;
}

// Answers the insert-step dialog once it is up (runs inside its exec()).
void answerInsertStep(bool before, const QString& time, const QString& temp, const QString& err,
                      const QString& rate, bool cancel = false, QString* stepNoShown = nullptr,
                      QString* tempLabelUnit = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<frmInsertStep*>(QApplication::activeModalWidget());
        if (!dialog) qFatal("no insert-step dialog");
        if (stepNoShown) *stepNoShown = dialog->findChild<QLineEdit*>("txtStepNo")->text();
        if (tempLabelUnit) {
            for (auto* label : dialog->findChildren<QLabel*>())
                if (label->text().startsWith("Temperature")) *tempLabelUnit = label->text();
        }
        dialog->findChild<QComboBox*>("cmbBeforeAfter")->setCurrentIndex(before ? 0 : 1);
        dialog->findChild<QLineEdit*>("txtTime")->setText(time);
        dialog->findChild<QLineEdit*>("txtTemp")->setText(temp);
        dialog->findChild<QLineEdit*>("txtTempError")->setText(err);
        dialog->findChild<QLineEdit*>("txtShearrate")->setText(rate);
        dialog->findChild<QPushButton*>(cancel ? "cmdCancel" : "cmdOK")->click();
    });
}

}  // namespace

class TestSetupWindow : public QObject {
    Q_OBJECT

private slots:
    void showsStoredSequence_data();
    void showsStoredSequence();
    void emptyDatabaseShowsNothing();
    void nameSearch_data();
    void nameSearch();
    void saveChangeChecks_data();
    void saveChangeChecks();
    void rampListStopsAtFirstBlankRow();
    void celsiusRoundTrip();
    void untouchedTemperaturesKeepStoredValues_data();
    void untouchedTemperaturesKeepStoredValues();
    void rampEnterMovesDown();
    void insertStep();
    void insertRefusedAtMaximum();
    void deleteStepRenumbers();
    void autoStepBuilder();
    void newSequence();
    void duplicateNameRefused_data();
    void duplicateNameRefused();
    void copyAsCopiesStoredSteps_data();
    void copyAsCopiesStoredSteps();
    void deleteRemovesWholeSequence();
    void returnAndClose();
    void hardwareTab();
    void hardwareSaveFailureReported();
    void saveShowsStoredValues();
    void tabWalksTheWindow();
    void captionAccelerators_data();
    void captionAccelerators();
    void sampleRateBoxIsWideEnough();
};

void TestSetupWindow::showsStoredSequence_data() {
    QTest::addColumn<int>("unitSystem");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("tempHeading");
    QTest::newRow("CGS") << 1 << QStringList{"1", "30.5", "200", "10", "100", "1"}
                         << "Temp\n(°F)";
    QTest::newRow("SI") << 3 << QStringList{"1", "30.5", "93.3", "5.6", "100", "1"}
                        << "Temp\n(°C)";
    QTest::newRow("EI") << 2 << QStringList{"1", "30.5", "93.3", "5.6", "100", "1"}
                        << "Temp\n(°C)";
}

void TestSetupWindow::showsStoredSequence() {
    QFETCH(int, unitSystem);
    QFETCH(QStringList, row);
    QFETCH(QString, tempHeading);
    Bench b(unitSystem);
    SequenceData s = sequence("Borate 250", {step(1, 30.5, 200, 10), step(2, 15, 150, 5, 40, 0)},
                              {170, 100, 40});
    s.shutDownVisc = 0;
    s.shutDownATime = 20;
    s.sampleInterval = 90;
    b.store(s);
    b.open();

    QCOMPARE(b.settings.unitSystem, unitSystem);
    QCOMPARE(b.get<QListWidget>("lstSeqName")->currentItem()->text(), QStringLiteral("Borate 250"));
    QCOMPARE(b.steps()->rowCount(), 2);
    for (int c = 0; c < 6; ++c) QCOMPARE(b.cell(b.steps(), 0, c), row[c]);
    QCOMPARE(b.cell(b.steps(), 1, 5), QStringLiteral("0"));
    QCOMPARE(b.steps()->horizontalHeaderItem(2)->text(), tempHeading);
    QCOMPARE(b.ramp()->rowCount(), 40);
    QCOMPARE(b.cell(b.ramp(), 0, 0), QStringLiteral("170"));
    QCOMPARE(b.cell(b.ramp(), 2, 0), QStringLiteral("40"));
    QCOMPARE(b.cell(b.ramp(), 3, 0), QString());
    QCOMPARE(b.get<QLineEdit>("txtTimeBefRead")->text(), QStringLiteral("20"));
    QCOMPARE(b.get<QComboBox>("cmbSampleRate")->currentText(), QStringLiteral("2"));
    QCOMPARE(b.get<QLineEdit>("txtNoSampleAve")->text(), QStringLiteral("5"));
    QCOMPARE(b.get<QLineEdit>("txtShutDownATime")->text(), QStringLiteral("20"));
    QCOMPARE(b.get<QLineEdit>("txtShutDownVisc")->text(), QString());  // 0 shows empty
    QCOMPARE(b.get<QLineEdit>("txtSampleInterval")->text(), QStringLiteral("90"));
    QCOMPARE(b.get<QLineEdit>("txtTimeBefRead")->toolTip(),
             QStringLiteral("Enter a number >=20 and <=200"));
}

void TestSetupWindow::emptyDatabaseShowsNothing() {
    Bench b;
    b.open();
    QCOMPARE(b.get<QListWidget>("lstSeqName")->count(), 0);
    QCOMPARE(b.steps()->rowCount(), 0);
    for (int r = 0; r < 40; ++r) QVERIFY(b.cell(b.ramp(), r, 0).isEmpty());
    // Nothing to save into: said plainly, with the way out; no row written.
    b.ramp()->item(0, 0)->setText("100");
    b.click("cmdSaveChange");
    QCOMPARE(b.prompt.texts(),
             QStringList{"There is no sequence to save into.  Use New to create a sequence, then "
                         "enter its steps and Save Change."});
    QCOMPARE(b.count("SEQUENCE_INFO"), 0);
    QCOMPARE(b.count("SEQUENCE_RAMP_DEFINE"), 0);
    b.get<QLineEdit>("txtSeqName")->setText("A");  // searching an empty list is harmless
    QCOMPARE(b.get<QListWidget>("lstSeqName")->currentRow(), -1);
}

void TestSetupWindow::nameSearch_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("first of two") << "B" << "Beta";
    QTest::newRow("second prefix") << "Br" << "Bravo";
    QTest::newRow("no match keeps last") << "x" << "Charlie";
    QTest::newRow("case counts") << "b" << "Charlie";
}

void TestSetupWindow::nameSearch() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    Bench b;
    for (const char* name : {"Charlie", "Alpha", "Bravo", "Beta"})
        b.store(sequence(name, {step(1, 10, QString(name).size() * 10, 5)}, {100}));
    b.open();
    auto* list = b.get<QListWidget>("lstSeqName");
    QCOMPARE(list->item(0)->text(), QStringLiteral("Alpha"));
    QTest::keyClicks(b.get<QLineEdit>("txtSeqName"), typed);
    QCOMPARE(list->currentItem()->text(), selected);
    // The selected sequence is the one loaded.
    QCOMPARE(b.cell(b.steps(), 0, 2), QString::number(selected.size() * 10));
}

void TestSetupWindow::saveChangeChecks_data() {
    QTest::addColumn<int>("unitSystem");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("rampRow1");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("visc");
    QTest::addColumn<QString>("message");  // empty: saved
    QTest::addColumn<double>("storedTempF");
    QTest::addColumn<QString>("rate");

    const QString temp = "Invalid input for temperature.  Can not save.";
    const QString ramp = "Need at least one input for ramp sequence define.";
    const QString interval =
        "Sampling interval between ramps is too small. At least need be (Number of Sample)*(Sample Rate)+1 ";
    const QString visc = "Auto shut down viscosity should be greater than or equal to 0. ";
    QTest::newRow("480 F saves") << 1 << "480" << "100" << "60" << "" << "" << 480.0 << "2";
    QTest::newRow("480.1 F refused") << 1 << "480.1" << "100" << "60" << "" << temp << 0.0 << "2";
    QTest::newRow("250 C saves") << 3 << "250" << "100" << "60" << "" << "" << 482.0 << "2";
    QTest::newRow("250.1 C refused") << 3 << "250.1" << "100" << "60" << "" << temp << 0.0 << "2";
    QTest::newRow("no ramp row") << 1 << "200" << "" << "60" << "" << ramp << 0.0 << "2";
    QTest::newRow("blank ramp row") << 1 << "200" << " " << "60" << "" << ramp << 0.0 << "2";
    QTest::newRow("2x5 in 10 s saves") << 1 << "200" << "100" << "10" << "" << "" << 200.0 << "2";
    QTest::newRow("2x5 in 9 s refused") << 1 << "200" << "100" << "9" << "" << interval << 0.0 << "2";
    QTest::newRow("negative shut-down") << 1 << "200" << "100" << "60" << "-1" << visc << 0.0 << "2";
    QTest::newRow("zero shut-down saves") << 1 << "200" << "100" << "60" << "0" << "" << 200.0 << "2";
    QTest::newRow("temperature first") << 1 << "481" << "" << "9" << "-1" << temp << 0.0 << "2";
    QTest::newRow("ramp before interval") << 1 << "200" << "" << "9" << "-1" << ramp << 0.0 << "2";
    // The unit samples on whole seconds.
    const QString rate = "Data sampling rate must be a whole number of seconds, 1 or more.  Can not save.";
    QTest::newRow("2.7 s refused") << 1 << "200" << "100" << "60" << "" << rate << 0.0 << "2.7";
    QTest::newRow("0.5 s refused") << 1 << "200" << "100" << "60" << "" << rate << 0.0 << "0.5";
    QTest::newRow("0 s refused") << 1 << "200" << "100" << "60" << "" << rate << 0.0 << "0";
    QTest::newRow("letters refused") << 1 << "200" << "100" << "60" << "" << rate << 0.0 << "abc";
    QTest::newRow("1 s saves") << 1 << "200" << "100" << "60" << "" << "" << 200.0 << "1";
    QTest::newRow("7 s typed saves") << 1 << "200" << "100" << "60" << "" << "" << 200.0 << "7";
    QTest::newRow("rate before interval") << 1 << "200" << "100" << "9" << "" << rate << 0.0 << "2.7";
}

void TestSetupWindow::saveChangeChecks() {
    QFETCH(int, unitSystem);
    QFETCH(QString, temp);
    QFETCH(QString, rampRow1);
    QFETCH(QString, interval);
    QFETCH(QString, visc);
    QFETCH(QString, message);
    QFETCH(double, storedTempF);
    QFETCH(QString, rate);
    Bench b(unitSystem);
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();

    b.steps()->item(0, 2)->setText(temp);
    b.ramp()->item(0, 0)->setText(rampRow1);
    b.get<QComboBox>("cmbSampleRate")->setCurrentText(rate);
    b.get<QLineEdit>("txtNoSampleAve")->setText("5");
    b.get<QLineEdit>("txtSampleInterval")->setText(interval);
    b.get<QLineEdit>("txtShutDownVisc")->setText(visc);
    b.click("cmdSaveChange");

    const auto s = b.stored("S");
    QVERIFY(s);
    if (message.isEmpty()) {
        QVERIFY2(b.prompt.shown.isEmpty(), qPrintable(b.prompt.lastText()));
        QCOMPARE(s->steps.size(), 1);
        QCOMPARE(s->steps[0].tempF, storedTempF);
        QCOMPARE(s->sampleInterval, interval.toInt());
        QCOMPARE(s->rampSampleRate, rate.toDouble());
    } else {
        QCOMPARE(b.prompt.texts(), QStringList{message});
        // Nothing of the edit reached the database.
        QCOMPARE(s->steps[0].tempF, 100.0);
        QCOMPARE(s->rampShearRates, QList<double>{50});
        QCOMPARE(s->sampleInterval, 60);
        QCOMPARE(s->rampSampleRate, 2.0);
    }
}

void TestSetupWindow::rampListStopsAtFirstBlankRow() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    const QStringList cells{"170", "100", "40", "", "", "511"};
    for (int r = 0; r < cells.size(); ++r) b.ramp()->item(r, 0)->setText(cells[r]);
    b.get<QLineEdit>("txtTimeBefRead")->setText("30");
    b.get<QComboBox>("cmbSampleRate")->setCurrentText("5");
    b.get<QLineEdit>("txtNoSampleAve")->setText("4");
    b.get<QLineEdit>("txtShutDownATime")->setText("15");
    b.get<QLineEdit>("txtShutDownVisc")->setText("50");
    b.get<QLineEdit>("txtSampleInterval")->setText("60.5");
    b.click("cmdSaveChange");
    QVERIFY(b.prompt.shown.isEmpty());

    const auto s = b.stored("S");
    QCOMPARE(s->rampShearRates, (QList<double>{170, 100, 40}));
    QCOMPARE(b.count("SEQUENCE_RAMP_DEFINE"), 3);
    QCOMPARE(s->timeBeforeRead, 30.0);
    QCOMPARE(s->rampSampleRate, 5.0);
    QCOMPARE(s->samplePointsAverage, 4.0);
    QCOMPARE(s->shutDownATime, 15.0);
    QCOMPARE(s->shutDownVisc, 50.0);
    QCOMPARE(s->sampleInterval, 60);  // halves go to the even second
}

void TestSetupWindow::celsiusRoundTrip() {
    Bench b(tz::UnitSI);
    b.store(sequence("S", {step(1, 10, 200, 10), step(2, 10, 77, 0)}, {100}));
    b.open();
    QCOMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("93.3"));
    QCOMPARE(b.cell(b.steps(), 0, 3), QStringLiteral("5.6"));
    QCOMPARE(b.cell(b.steps(), 1, 2), QStringLiteral("25."));  // "##0.#" keeps the point
    // A typed °C set point is stored rounded down to whole °F.
    QVERIFY(typeIntoCell(b.steps(), 0, 2, "93.2"));
    b.steps()->setCurrentCell(1, 1);
    b.click("cmdSaveChange");
    QVERIFY(b.prompt.shown.isEmpty());
    const auto s = b.stored("S");
    QCOMPARE(s->steps[0].tempF, 199.0);       // 93.2 °C = 199.76 °F, rounded down
    QCOMPARE(s->steps[0].startErrorF, 10.0);  // untouched
    QCOMPARE(s->steps[1].tempF, 77.0);
    // The window now shows what was stored: 199 °F is 92.8 °C.
    QCOMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("92.8"));
    QCOMPARE(b.cell(b.steps(), 0, 3), QStringLiteral("5.6"));
}

// A temperature or tolerance cell the operator did not touch keeps its stored
// °F exactly, whatever the rounded °C it shows; a typed one is converted and
// rounded down. Worked by hand, in EI and SI alike (both show °C):
//   stored °F    shown °C    typed °C    stored after Save
//   step 1  75 / 10   23.9 / 5.6   23.8 / -    74 (23.8 x 1.8 + 32 = 74.84) / 10
//   step 2  85 / 15   29.4 / 8.3   -    / -    85 / 15  (not 84 / 14 from 29.4 / 8.3)
//   step 3 200 / 10   93.3 / 5.6   -    / 8.3  200 / 14 (8.3 x 1.8 = 14.94)
//   step 4 150 /  5   65.6 / 2.8   30   / -    86 (30 x 1.8 + 32) / 5
void TestSetupWindow::untouchedTemperaturesKeepStoredValues_data() {
    QTest::addColumn<int>("unitSystem");
    QTest::newRow("EI") << int(tz::UnitEI);
    QTest::newRow("SI") << int(tz::UnitSI);
}

void TestSetupWindow::untouchedTemperaturesKeepStoredValues() {
    QFETCH(int, unitSystem);
    Bench b(unitSystem);
    const QList<SequenceStep> demo{step(1, 10, 75, 10), step(2, 20, 85, 15), step(3, 30, 200, 10),
                                   step(4, 40, 150, 5)};
    b.store(sequence("Demo copy", demo, {100}));
    b.open();
    QCOMPARE(b.cell(b.steps(), 1, 2), QStringLiteral("29.4"));
    QCOMPARE(b.cell(b.steps(), 1, 3), QStringLiteral("8.3"));

    // Only the shut-down boxes change.
    b.get<QLineEdit>("txtShutDownATime")->setText("30");
    b.get<QLineEdit>("txtShutDownVisc")->setText("100");
    b.click("cmdSaveChange");
    QVERIFY2(b.prompt.shown.isEmpty(), qPrintable(b.prompt.lastText()));
    auto s = b.stored("Demo copy");
    QCOMPARE(s->shutDownATime, 30.0);
    QCOMPARE(s->steps.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(s->steps[i].tempF, demo[i].tempF);
        QCOMPARE(s->steps[i].startErrorF, demo[i].startErrorF);
    }

    // Three cells typed; the rest keep their values, also after a step above
    // them was deleted and one inserted.
    QVERIFY(typeIntoCell(b.steps(), 0, 2, "23.8"));
    QVERIFY(typeIntoCell(b.steps(), 2, 3, "8.3"));
    QVERIFY(typeIntoCell(b.steps(), 3, 2, "30"));
    b.steps()->setCurrentCell(1, 1);
    b.click("cmdSaveChange");
    QVERIFY2(b.prompt.shown.isEmpty(), qPrintable(b.prompt.lastText()));
    s = b.stored("Demo copy");
    const double expected[4][2] = {{74, 10}, {85, 15}, {200, 14}, {86, 5}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(s->steps[i].tempF, expected[i][0]);
        QCOMPARE(s->steps[i].startErrorF, expected[i][1]);
    }

    b.steps()->setCurrentCell(0, 1);
    b.click("cmdDeleteStep");
    answerInsertStep(true, "5", "40", "2", "100");
    b.steps()->setCurrentCell(0, 1);
    b.click("cmdInsertStep");
    QCOMPARE(b.steps()->rowCount(), 4);
    b.click("cmdSaveChange");
    QVERIFY2(b.prompt.shown.isEmpty(), qPrintable(b.prompt.lastText()));
    s = b.stored("Demo copy");
    // The inserted step: 40 x 1.8 + 32 = 104, 2 x 1.8 = 3.6 -> 3.
    const double afterEdit[4][2] = {{104, 3}, {85, 15}, {200, 14}, {86, 5}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(s->steps[i].tempF, afterEdit[i][0]);
        QCOMPARE(s->steps[i].startErrorF, afterEdit[i][1]);
    }
}

// After Save Change the boxes and cells show the stored values, as selecting
// the sequence would, and nothing counts as changed.
void TestSetupWindow::saveShowsStoredValues() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    b.get<QLineEdit>("txtShutDownVisc")->setText("abc");
    b.get<QLineEdit>("txtShutDownATime")->setText("12.7");
    b.steps()->item(0, 1)->setText("7x");
    b.ramp()->item(0, 0)->setText("170 1/s");
    b.click("cmdSaveChange");
    QVERIFY2(b.prompt.shown.isEmpty(), qPrintable(b.prompt.lastText()));
    QCOMPARE(b.get<QLineEdit>("txtShutDownVisc")->text(), QString());  // stored 0
    QCOMPARE(b.get<QLineEdit>("txtShutDownATime")->text(), QStringLiteral("13"));
    QCOMPARE(b.cell(b.steps(), 0, 1), QStringLiteral("7."));
    QCOMPARE(b.cell(b.ramp(), 0, 0), QStringLiteral("170"));
    // Leaving asks nothing: what is shown is what is stored.
    b.click("cmdReturn");
    QVERIFY(b.prompt.shown.isEmpty());
}

// Tab and Shift+Tab walk the controls in reading order and leave each grid
// at once, also from an open cell editor; no control is skipped.
void TestSetupWindow::tabWalksTheWindow() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0), step(2, 10, 150, 0)}, {50, 100}));
    b.open();
    const QStringList expected{"txtSeqName",       "lstSeqName",       "MSFlexGrid1",
                               "MSFlexGrid3",      "txtTimeBefRead",   "cmbSampleRate",
                               "txtNoSampleAve",   "txtSampleInterval", "txtShutDownATime",
                               "txtShutDownVisc",  "cmdNew",           "cmdCopyAs",
                               "cmdSaveChange",    "cmdDelete",        "cmdInsertStep",
                               "cmdDeleteStep",    "cmdAutoStep",      "cmdReturn"};
    // The control that has the focus; a cell editor counts as its grid.
    auto focused = [&]() -> QString {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (qobject_cast<QTableWidget*>(w)) return w->objectName();
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (!w->objectName().isEmpty() && w->objectName() != "cellEditor") return w->objectName();
        return {};
    };
    auto walk = [&](Qt::KeyboardModifiers mods) {
        QStringList seen;
        for (int i = 0; i < 2 * expected.size() + 4; ++i) {
            const QString now = focused();
            if (seen.isEmpty() || seen.last() != now) seen << now;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
        }
        return seen;
    };
    // Inside a grid the arrow keys move from cell to cell.
    typeIntoCell(b.steps(), 1, 2, "152");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(b.steps()->currentRow(), 0);
    QCOMPARE(b.cell(b.steps(), 1, 2), QStringLiteral("152"));
    // Start inside the steps grid with its editor open on a cell.
    typeIntoCell(b.steps(), 1, 2, "151");
    QCOMPARE(focused(), QStringLiteral("MSFlexGrid1"));
    QStringList forward = walk(Qt::NoModifier);
    // The steps grid is left at the first Tab, and the cell kept its text.
    QCOMPARE(forward.value(1), QStringLiteral("MSFlexGrid3"));
    QCOMPARE(b.cell(b.steps(), 1, 2), QStringLiteral("151"));
    forward.removeAll("TabStrip1");
    forward.removeAll("qt_tabwidget_tabbar");
    const qsizetype start = forward.indexOf("txtSeqName");
    QVERIFY2(start > 0, qPrintable(forward.join(' ')));
    QCOMPARE(forward.mid(start, expected.size()), expected);

    QStringList backward = walk(Qt::ShiftModifier);
    backward.removeAll("TabStrip1");
    backward.removeAll("qt_tabwidget_tabbar");
    QStringList reversed(expected.rbegin(), expected.rend());
    const qsizetype back = backward.indexOf("cmdReturn");
    QVERIFY2(back >= 0, qPrintable(backward.join(' ')));
    QCOMPARE(backward.mid(back, reversed.size()), reversed);
}

// The settings boxes answer to the marked letters of their captions.
void TestSetupWindow::captionAccelerators_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("box");
    QTest::newRow("W") << int(Qt::Key_W) << "txtTimeBefRead";
    QTest::newRow("P") << int(Qt::Key_P) << "cmbSampleRate";
    QTest::newRow("U") << int(Qt::Key_U) << "txtNoSampleAve";
    QTest::newRow("C") << int(Qt::Key_C) << "txtSampleInterval";
    QTest::newRow("T") << int(Qt::Key_T) << "txtShutDownATime";
    QTest::newRow("B") << int(Qt::Key_B) << "txtShutDownVisc";
    QTest::newRow("V") << int(Qt::Key_V) << "lstSeqName";
    QTest::newRow("Q") << int(Qt::Key_Q) << "MSFlexGrid1";
    QTest::newRow("M") << int(Qt::Key_M) << "MSFlexGrid3";
}
void TestSetupWindow::captionAccelerators() {
    QFETCH(int, key);
    QFETCH(QString, box);
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    b.get<QLineEdit>("txtSeqName")->setFocus();
    QTest::keyClick(b.window.get(), Qt::Key(key), Qt::AltModifier);
    QWidget* target = b.window->findChild<QWidget*>(box);
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus == target || (focus && target->isAncestorOf(focus)),
             qPrintable(focus ? focus->objectName() : QStringLiteral("nothing")));
}

// The sample-rate box shows its longest entry and its arrow.
void TestSetupWindow::sampleRateBoxIsWideEnough() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    auto* box = b.get<QComboBox>("cmbSampleRate");
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    const QRect text = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, box);
    QVERIFY2(text.width() >= box->fontMetrics().horizontalAdvance(QStringLiteral("600")),
             qPrintable(QString::number(text.width())));
}

void TestSetupWindow::rampEnterMovesDown() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    QVERIFY(!b.window->findChild<QGroupBox*>("fraAutoBuilder")->isVisible());

    QTableWidget* ramp = b.ramp();
    const QRect first = ramp->visualItemRect(ramp->item(0, 0));
    QTest::mouseClick(ramp->viewport(), Qt::LeftButton, {}, first.center());
    auto* editor = qobject_cast<QLineEdit*>(ramp->indexWidget(ramp->model()->index(0, 0)));
    QVERIFY(editor);
    QCOMPARE(editor->selectedText(), QStringLiteral("50"));
    QTest::keyClicks(editor, "511");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(b.cell(ramp, 0, 0), QStringLiteral("511"));
    QCOMPARE(ramp->currentRow(), 1);
    editor = qobject_cast<QLineEdit*>(ramp->indexWidget(ramp->model()->index(1, 0)));
    QVERIFY(editor);
    QTest::keyClicks(editor, "170");
    QTest::keyClick(editor, Qt::Key_Enter);
    QCOMPARE(b.cell(ramp, 1, 0), QStringLiteral("170"));
    QCOMPARE(ramp->currentRow(), 2);

    // A steps-grid edit is written when its box loses focus.
    QLineEdit* stepEditor = typeIntoCell(b.steps(), 0, 2, "250");
    QVERIFY(stepEditor);
    b.get<QLineEdit>("txtTimeBefRead")->setFocus();
    QTRY_COMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("250"));
    // Column 0 holds the step number and is not edited.
    b.steps()->setCurrentCell(0, 0);
    QVERIFY(!b.steps()->indexWidget(b.steps()->model()->index(0, 0)));

    b.click("cmdSaveChange");
    const auto s = b.stored("S");
    QCOMPARE(s->rampShearRates, (QList<double>{511, 170}));
    QCOMPARE(s->steps[0].tempF, 250.0);
}

void TestSetupWindow::insertStep() {
    Bench b(tz::UnitSI);
    b.store(sequence("S", {step(1, 10, 100, 0), step(2, 20, 200, 0)}, {50}));
    b.open();
    QTableWidget* grid = b.steps();

    // Heading row current: the new step becomes step 1.
    grid->setCurrentCell(-1, -1);
    QString shown, label;
    answerInsertStep(false, "5", "60.5", "2", "300", false, &shown, &label);
    b.click("cmdInsertStep");
    QCOMPARE(shown, QStringLiteral("1"));
    QCOMPARE(label, QStringLiteral("Temperature (°C)"));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(b.prompt.shown.size(), 0);
    const QStringList inserted{"1", "5", "60.5", "2", "300", "1"};
    for (int c = 0; c < 6; ++c) QCOMPARE(b.cell(grid, 0, c), inserted[c]);
    QCOMPARE(b.cell(grid, 1, 0), QStringLiteral("2"));
    QCOMPARE(b.cell(grid, 1, 1), QStringLiteral("10."));

    // Before the current step, then after it.
    grid->setCurrentCell(2, 1);
    answerInsertStep(true, "7", "50", "0", "100", false, &shown);
    b.click("cmdInsertStep");
    QCOMPARE(shown, QStringLiteral("3"));
    QCOMPARE(b.cell(grid, 2, 1), QStringLiteral("7"));
    QCOMPARE(b.cell(grid, 3, 1), QStringLiteral("20."));
    grid->setCurrentCell(3, 1);
    answerInsertStep(false, "8", "50", "0", "100");
    b.click("cmdInsertStep");
    QCOMPARE(grid->rowCount(), 5);
    QCOMPARE(b.cell(grid, 4, 1), QStringLiteral("8"));
    QCOMPARE(b.cell(grid, 4, 0), QStringLiteral("5"));

    // Cancel leaves the grid as it was.
    const int rows = grid->rowCount();
    answerInsertStep(true, "9", "50", "0", "100", true);
    b.click("cmdInsertStep");
    QCOMPARE(grid->rowCount(), rows);
}

void TestSetupWindow::insertRefusedAtMaximum() {
    Bench b;
    QList<SequenceStep> steps;
    for (int i = 1; i <= 98; ++i) steps << step(i, 1, 100, 0);
    b.store(sequence("Long", steps, {100}));
    b.open();
    QCOMPARE(b.steps()->rowCount(), 98);
    // Should a dialog open after all, close it rather than hang the test.
    QTimer guard;
    connect(&guard, &QTimer::timeout, [] {
        if (auto* w = QApplication::activeModalWidget()) w->close();
    });
    guard.start(50);
    b.click("cmdInsertStep");
    QCOMPARE(b.prompt.shown.size(), 1);
    QCOMPARE(b.prompt.shown[0].text, QStringLiteral("Operation not allowed.  Maximum step is 98."));
    QCOMPARE(b.prompt.shown[0].title, QStringLiteral("Too Many Test Steps."));
    QCOMPARE(b.steps()->rowCount(), 98);
}

void TestSetupWindow::deleteStepRenumbers() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0), step(2, 20, 200, 0), step(3, 30, 300, 0)}, {50}));
    b.open();
    b.steps()->setCurrentCell(1, 1);
    b.click("cmdDeleteStep");
    QCOMPARE(b.steps()->rowCount(), 2);
    QCOMPARE(b.cell(b.steps(), 1, 0), QStringLiteral("2"));
    QCOMPARE(b.cell(b.steps(), 1, 1), QStringLiteral("30."));
    b.click("cmdSaveChange");
    const auto s = b.stored("S");
    QCOMPARE(s->steps.size(), 2);
    QCOMPARE(s->steps[1].rampNo, 2.0);
    QCOMPARE(s->steps[1].tempF, 300.0);
}

void TestSetupWindow::autoStepBuilder() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    b.open();
    auto* panel = b.window->findChild<QGroupBox*>("fraAutoBuilder");
    b.click("cmdAutoStep");
    QVERIFY(panel->isVisible());
    b.get<QLineEdit>("txtTotalSteps")->setText("3.4");
    b.get<QLineEdit>("txtStepTime")->setText("15");
    b.get<QLineEdit>("txtBuildTemp")->setText("600");
    b.get<QLineEdit>("txtBuildTempError")->setText("5");
    b.get<QLineEdit>("txtBuildShearRate")->setText("170");
    b.click("cmdBuildOK");
    QCOMPARE(b.prompt.texts(), QStringList{"Input number out of range.  Please check the input."});
    QCOMPARE(b.prompt.shown[0].title, QStringLiteral("Input number out of allowable range."));
    QVERIFY(panel->isVisible());
    QCOMPARE(b.steps()->rowCount(), 1);

    b.get<QLineEdit>("txtTotalSteps")->setText("99");  // more than a sequence holds
    b.get<QLineEdit>("txtBuildTemp")->setText("300");
    b.click("cmdBuildOK");
    QCOMPARE(b.prompt.shown.size(), 2);

    b.get<QLineEdit>("txtTotalSteps")->setText("3.4");
    b.click("cmdBuildOK");
    QCOMPARE(b.prompt.shown.size(), 2);
    QVERIFY(!panel->isVisible());
    QCOMPARE(b.steps()->rowCount(), 3);
    const QStringList last{"3", "15", "300", "5", "170", "1"};
    for (int c = 0; c < 6; ++c) QCOMPARE(b.cell(b.steps(), 2, c), last[c]);

    // Built steps count as an unsaved change.
    b.prompt.answers = {false};
    b.click("cmdReturn");
    QVERIFY(b.window->isVisible());
}

void TestSetupWindow::newSequence() {
    Bench b;
    b.store(sequence("Zeta", {step(1, 10, 100, 0)}, {50}));
    b.open();
    b.prompt.inputs = {QStringLiteral("Alpha")};
    b.click("cmdNew");
    QCOMPARE(b.prompt.shown[0].text, QStringLiteral("Please input new test sequence name:"));
    QCOMPARE(b.prompt.shown[0].title, QStringLiteral("Input New Test Sequence Name"));
    const auto s = b.stored("Alpha");
    QVERIFY(s);
    QCOMPARE(s->timeBeforeRead, 20.0);
    QCOMPARE(s->rampSampleRate, 2.0);
    QCOMPARE(s->samplePointsAverage, 5.0);
    QCOMPARE(s->shutDownATime, 20.0);
    QCOMPARE(s->shutDownVisc, 0.0);
    QCOMPARE(s->sampleInterval, 60);
    QVERIFY(s->steps.isEmpty());
    QVERIFY(s->rampShearRates.isEmpty());
    auto* list = b.get<QListWidget>("lstSeqName");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Alpha"));
    QCOMPARE(b.steps()->rowCount(), 0);

    // Cancelled or empty answers add nothing.
    b.prompt.inputs = {std::nullopt, QString()};
    b.click("cmdNew");
    b.click("cmdNew");
    QCOMPARE(b.count("SEQUENCE_INFO"), 2);
}

void TestSetupWindow::duplicateNameRefused_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString dup = "A sequence with this name already exists.";
    QTest::newRow("New") << "cmdNew" << "Base" << dup;
    QTest::newRow("Copy As") << "cmdCopyAs" << "Other" << dup;
    QTest::newRow("too long") << "cmdNew" << QString(41, 'x')
                              << "A sequence name may have at most 40 characters.";
}

void TestSetupWindow::duplicateNameRefused() {
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, message);
    Bench b;
    b.store(sequence("Base", {step(1, 10, 100, 0)}, {50}));
    b.store(sequence("Other", {step(1, 20, 300, 0), step(2, 5, 100, 0)}, {40, 170}));
    b.open();
    b.prompt.inputs = {name};
    b.click(button.toLatin1().constData());
    QCOMPARE(b.prompt.shown.size(), 2);
    QCOMPARE(b.prompt.shown[1].text, message);
    QCOMPARE(b.count("SEQUENCE_INFO"), 2);
    QCOMPARE(b.count("SEQUENCE_RAMP"), 3);
    QCOMPARE(b.count("SEQUENCE_RAMP_DEFINE"), 3);
    QCOMPARE(b.stored("Other")->steps.size(), 2);
}

void TestSetupWindow::copyAsCopiesStoredSteps_data() {
    QTest::addColumn<int>("unitSystem");
    QTest::newRow("CGS") << 1;
    QTest::newRow("SI") << 3;  // the copy keeps 200 °F, not the 199 of the °C cells
}

void TestSetupWindow::copyAsCopiesStoredSteps() {
    QFETCH(int, unitSystem);
    Bench b(unitSystem);
    SequenceData base = sequence("Base", {step(1, 30, 200, 10), step(2, 15, 250, 5, 40, 0)},
                                 {170, 100, 40});
    base.timeBeforeRead = 25;
    base.sampleInterval = 120;
    b.store(base);
    b.open();

    QVERIFY(typeIntoCell(b.steps(), 0, 2, "300"));
    b.get<QLineEdit>("txtTimeBefRead")->setFocus();
    QTRY_COMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("300"));
    QTest::keyClicks(b.get<QLineEdit>("txtTimeBefRead"), "9");
    b.ramp()->item(3, 0)->setText("511");

    b.prompt.inputs = {QStringLiteral("Base copy")};
    b.click("cmdCopyAs");
    QCOMPARE(b.prompt.shown.size(), 1);  // only the name was asked

    const auto copy = b.stored("Base copy");
    const auto source = b.stored("Base");
    QVERIFY(copy && source);
    QVERIFY(copy->sequenceId != source->sequenceId);
    QCOMPARE(copy->timeBeforeRead, 25.0);
    QCOMPARE(copy->sampleInterval, 120);
    QCOMPARE(copy->steps.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(copy->steps[i].rampNo, source->steps[i].rampNo);
        QCOMPARE(copy->steps[i].elapseTimeMin, source->steps[i].elapseTimeMin);
        QCOMPARE(copy->steps[i].tempF, source->steps[i].tempF);
        QCOMPARE(copy->steps[i].startErrorF, source->steps[i].startErrorF);
        QCOMPARE(copy->steps[i].shearRate, source->steps[i].shearRate);
        QCOMPARE(copy->steps[i].runRamp, source->steps[i].runRamp);
    }
    QCOMPARE(copy->steps[0].tempF, 200.0);
    QCOMPARE(copy->rampShearRates, (QList<double>{170, 100, 40}));
    QCOMPARE(source->steps[0].tempF, 200.0);

    // The list is refilled: the first name is shown, without unsaved edits.
    QCOMPARE(b.get<QListWidget>("lstSeqName")->currentItem()->text(), QStringLiteral("Base"));
    b.prompt.answers = {false};
    b.click("cmdReturn");
    QCOMPARE(b.prompt.shown.size(), 1);
    QVERIFY(!b.window->isVisible());
}

void TestSetupWindow::deleteRemovesWholeSequence() {
    Bench b;
    b.store(sequence("Keep", {step(1, 10, 100, 0)}, {50}));
    b.store(sequence("Drop", {step(1, 10, 100, 0), step(2, 10, 100, 0)}, {50, 60}));
    b.open();
    auto* list = b.get<QListWidget>("lstSeqName");
    list->setCurrentRow(0);  // "Drop"
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Drop"));

    b.prompt.answers = {false};
    b.click("cmdDelete");
    QCOMPARE(b.prompt.lastText(), QStringLiteral("Are you sure to delete this test setup and its results?"));
    QCOMPARE(b.count("SEQUENCE_INFO"), 2);

    b.click("cmdDelete");  // answered OK
    QCOMPARE(b.count("SEQUENCE_INFO"), 1);
    QCOMPARE(b.count("SEQUENCE_RAMP"), 1);
    QCOMPARE(b.count("SEQUENCE_RAMP_DEFINE"), 1);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Keep"));
    QCOMPARE(b.steps()->rowCount(), 1);
}

void TestSetupWindow::returnAndClose() {
    Bench b;
    b.store(sequence("S", {step(1, 10, 100, 0)}, {50}));
    QWidget mainWindow;
    b.open();
    connect(b.window.get(), &frmSetup::closed, &mainWindow, &QWidget::show);
    QSignalSpy closed(b.window.get(), &frmSetup::closed);
    const QString question = "Current active sequence was changed, do you want to leave without save?";

    // Unchanged: Return closes without a question.
    b.click("cmdReturn");
    QCOMPARE(closed.size(), 1);
    QVERIFY(mainWindow.isVisible());
    QVERIFY(b.prompt.shown.isEmpty());

    // Changed: Cancel keeps the window, OK leaves; asked once.
    mainWindow.hide();
    b.window->show();
    QTest::keyClicks(b.get<QLineEdit>("txtNoSampleAve"), "1");
    b.prompt.answers = {false, true};
    b.click("cmdReturn2");
    QVERIFY(b.window->isVisible());
    QCOMPARE(closed.size(), 1);
    b.click("cmdReturn2");
    QCOMPARE(b.prompt.texts(), (QStringList{question, question}));
    QVERIFY(!b.window->isVisible());
    QCOMPARE(closed.size(), 2);
    QVERIFY(mainWindow.isVisible());

    // The close box asks as well when there are unsaved edits.
    mainWindow.hide();
    b.window->show();
    QTest::keyClicks(b.get<QLineEdit>("txtShutDownVisc"), "5");
    b.prompt.answers = {false};
    b.window->close();
    QVERIFY(b.window->isVisible());
    QCOMPARE(closed.size(), 2);
    b.window->close();  // answered OK
    QCOMPARE(closed.size(), 3);
    QVERIFY(mainWindow.isVisible());

    // Back from the hardware tab the stored sequence is shown again.
    b.window->show();
    b.steps()->item(0, 2)->setText("333");
    auto* tabs = b.get<QTabWidget>("TabStrip1");
    tabs->setCurrentIndex(1);
    tabs->setCurrentIndex(0);
    QCOMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("100"));
}

void TestSetupWindow::hardwareTab() {
    Bench b(tz::UnitCGS);
    b.store(sequence("S", {step(1, 10, 212, 9)}, {50}));
    b.open();
    auto* tabs = b.get<QTabWidget>("TabStrip1");
    QCOMPARE(tabs->tabText(1), QStringLiteral("Hardware && Misc Setup"));
    tabs->setCurrentIndex(1);
    auto* unit3 = b.get<QComboBox>("cmbUnit3");
    QCOMPARE(unit3->count(), 23);
    QCOMPARE(unit3->itemText(0), QStringLiteral("None"));
    QCOMPARE(unit3->itemText(22), QStringLiteral("Comm 22"));
    QCOMPARE(unit3->currentIndex(), 0);
    unit3->setCurrentIndex(unit3->findText("Comm 4"));

    // A unit choice takes effect at once, before any save.
    b.get<QRadioButton>("OptEI")->click();
    QCOMPARE(b.settings.unitSystem, int(tz::UnitEI));
    tabs->setCurrentIndex(0);
    QCOMPARE(b.steps()->horizontalHeaderItem(2)->text(), QStringLiteral("Temp\n(°C)"));
    QCOMPARE(b.cell(b.steps(), 0, 2), QStringLiteral("100."));
    QCOMPARE(b.cell(b.steps(), 0, 3), QStringLiteral("5."));

    tabs->setCurrentIndex(1);
    b.settings.shearRates = {50, 120, 200};  // as the shear-rate dialog leaves them
    b.settings.kPrimeUnit = 0;
    b.click("cmdSave");
    QVERIFY(b.prompt.shown.isEmpty());
    QFile file(tz::SettingsFile::defaultPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Ports, unit system, K' flag, then the rates at columns 1, 15 and 29.
    const QByteArray expected = " 0 \r\n 0 \r\n 4 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
                                " 2 \r\n 0 \r\n"
                                " 50 " + QByteArray(10, ' ') + " 120 " + QByteArray(9, ' ') +
                                " 200 \r\n";
    QCOMPARE(file.readAll(), expected);
    QVERIFY(b.window->isVisible());

    // Opened again, the window shows the saved ports and the unit system held
    // in memory, even one chosen since and not saved.
    b.window.reset();
    b.settings.unitSystem = tz::UnitSI;
    b.open();
    QCOMPARE(b.get<QComboBox>("cmbUnit3")->currentText(), QStringLiteral("Comm 4"));
    QVERIFY(b.get<QRadioButton>("OptSI")->isChecked());
    QCOMPARE(b.settings.unitSystem, int(tz::UnitSI));
    // After a restart the start-up read brings back the saved EI.
    b.window.reset();
    tz::Settings restarted;
    tz::SettingsFile::readDisplay(tz::SettingsFile::defaultPath(), restarted);
    b.settings = restarted;
    b.open();
    QVERIFY(b.get<QRadioButton>("OptEI")->isChecked());
}

void TestSetupWindow::hardwareSaveFailureReported() {
    Bench b;
    QVERIFY(QDir(b.dir.path()).mkdir("initial.txt"));  // cannot be written as a file
    b.open();
    QCOMPARE(b.settings.unitSystem, int(tz::UnitCGS));
    b.click("cmdSave");
    QCOMPARE(b.prompt.shown.size(), 1);
    QVERIFY(b.prompt.shown[0].text.startsWith("The settings could not be saved to"));
    QCOMPARE(b.prompt.shown[0].icon, tz::Prompt::Icon::Critical);
}

QTEST_MAIN(TestSetupWindow)
#include "tst_setup_window.moc"
