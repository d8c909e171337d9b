// Work that succeeds says so in the status line of its window: every report,
// export and chart file of the main window, the setup window's Save Change
// and hardware Save. A cancelled or failed write never claims a file.
// With TZ360_SCREENSHOTS=<dir> the main window after each write is saved there.
#include "analysis/OpenedTestSession.h"
#include "analysis/ui/ChartPanel.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "db/SequenceData.h"
#include "reports/ui/ReportActions.h"
#include "setup/frmSetup.h"
#include "tests/analysis/StoredTests.h"
#include "tests/support/ScriptedPrompt.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

namespace {

QString note(const QString& file, const QString& dir)
{
    return QStringLiteral("Saved %1 in %2").arg(file, QDir::toNativeSeparators(dir));
}

void screenshot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("TZ360_SCREENSHOTS");
    if (!dir.isEmpty()) w->grab().save(QDir(dir).filePath(name + ".png"));
}

}  // namespace

class TestStatusNotes : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        clsConnection c;
        c.OpenDB("", "", "", "", dir.path());
        fixture::storeTest(c, "WF130 run 2", fixture::powerLawPoints(2, 0.5, 2.0));
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir); }

    void mainWindowWrites_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer");  // what the save dialog returns
        QTest::addColumn<QString>("written");  // the file then on disk
        // The working directory holds the Corvane file; the others go where chosen.
        QTest::newRow("Corvane Report") << "cmdCorvane" << "" << "WF130 run 2.txt";
        QTest::newRow("Brief Save") << "cmdBriefPrint" << "out/brief.txt" << "out/brief.txt";
        QTest::newRow("Brief Excel") << "cmdExportExcel" << "out/brief" << "out/brief.xlsx";
        QTest::newRow("Detail Excel") << "cmdExcelDetail" << "out/detail.xlsx" << "out/detail.xlsx";
        QTest::newRow("Save Chart") << "saveChart" << "out/chart.png" << "out/chart.png";
    }

    void mainWindowWrites()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QVERIFY(QDir(dir.path()).mkpath("out"));
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain window(ws, prompt);
        window.load();
        window.show();
        auto* actions = window.findChild<ReportActions*>();
        actions->dialogs.saveFileName = [&](QWidget*, const QString&, const QString&, const QString&,
                                            const QString&) { return dir.filePath(answer); };
        actions->dialogs.openFile = [](const QString&) { return true; };
        auto* status = window.findChild<QLabel*>("panelStatus");
        QCOMPARE(status->text(), QStringLiteral("Ready"));
        QVERIFY(window.openedTest().open("WF130 run 2"));
        const QString before = status->text();

        const QFileInfo file(dir.filePath(written));
        QFile::remove(file.filePath());
        if (command == "saveChart")
            window.chartPanel()->saveVisibleChart(dir.filePath(answer));
        else
            window.findChild<QPushButton*>(command)->click();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QVERIFY(file.exists());
        QCOMPARE(status->text(), note(file.fileName(), file.absolutePath()));
        screenshot(&window, "status_" + command);

        // A write that fails (the folder is gone) shows its error and does
        // not replace the note with a claim.
        if (command == "cmdCorvane") return;  // its folder is the working one
        status->setText(before);
        answer = "missing/" + QFileInfo(answer).fileName();
        if (command == "saveChart")
            window.chartPanel()->saveVisibleChart(dir.filePath(answer));
        else
            window.findChild<QPushButton*>(command)->click();
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(status->text(), before);
    }

    void cancelledSaveClaimsNothing()
    {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain window(ws, prompt);
        window.load();
        auto* actions = window.findChild<ReportActions*>();
        actions->dialogs.saveFileName = [](QWidget*, const QString&, const QString&, const QString&,
                                           const QString&) { return QString(); };
        QVERIFY(window.openedTest().open("WF130 run 2"));
        for (const char* command : {"cmdBriefPrint", "cmdExportExcel", "cmdExcelDetail"})
            window.findChild<QPushButton*>(command)->click();
        QCOMPARE(window.findChild<QLabel*>("panelStatus")->text(), QStringLiteral("Ready"));
    }

    void setupSaves()
    {
        QTemporaryDir work;
        QVERIFY(QDir::setCurrent(work.path()));
        clsConnection connection;
        connection.OpenDB("msORA", "system", "", "", work.path());
        SequenceData s;
        s.name = "Hold 150";
        s.steps = {SequenceStep{1, 30, 150, 5, 100, 0}};
        s.rampShearRates = {100, 50};
        saveSequence(connection, s);
        Settings settings;
        ScriptedPrompt prompt;
        frmSetup window(settings, connection, prompt);
        window.show();
        auto* status = window.findChild<QLabel*>("panelStatus");
        QVERIFY(status && status->isVisible());
        QCOMPARE(status->text(), QStringLiteral("Ready"));

        window.findChild<QPushButton*>("cmdSaveChange")->click();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QCOMPARE(status->text(), QStringLiteral("Saved sequence Hold 150 in ") + connection.description());
        QVERIFY(status->text().endsWith("TZ360.db"));

        window.findChild<QPushButton*>("cmdSave")->click();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QVERIFY(QFile::exists(work.filePath("initial.txt")));
        QCOMPARE(status->text(), note("initial.txt", work.path()));
        screenshot(&window, "status_setup");
        QVERIFY(QDir::setCurrent(dir.path()));
    }
};

QTEST_MAIN(TestStatusNotes)
#include "tst_status_notes.moc"
