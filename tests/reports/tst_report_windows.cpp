// The report commands of the main window on a stored test, with the desktop's
// dialogs answered by the test; the detail report rendered to PDF; the brief
// report on paper; the detail report preview.
#include "analysis/OpenedTestSession.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "reports/BriefReport.h"
#include "reports/ui/BriefReportPrinter.h"
#include "reports/ui/DetailReportDocument.h"
#include "reports/ui/DetailReportPreview.h"
#include "reports/ui/ReportActions.h"
#include "tests/analysis/StoredTests.h"
#include "tests/support/ScriptedPrompt.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextTable>
#include <QTimer>
#include <QToolBar>

using namespace tz;

class TestReportWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void detailReportToPdf();
    void briefReportOnPaper();
    void commandsWithoutAnOpenTest();
    void commandsOnTheOpenedTest();
    void cancelledDialogs();
    void previewSavesPdfAndScreenshot();
};

namespace {

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

// Points with times that tell them apart: point k at 60 k + 6 s, so its
// detail line shows "k.10" minutes.
std::vector<ResultPoint> manyPoints(int count)
{
    std::vector<ResultPoint> points;
    for (int k = 0; k < count; ++k)
        points.push_back({1 + k / 50, k % 50, 60.0 * k + 6, 212, 500, 100, 50, k % 50 == 0 ? 0 : 1, 210});
    return points;
}

TestInfoValues someInfo()
{
    TestInfoValues info;
    info.name = "WF130 @ 212F";
    info.fluidId = "WF130 gel";
    info.researcher = "J. Ortiz";
    info.rotorNo = "R1";
    info.bobNo = "B5";
    info.bobRadius = 1.5987;
    info.bobEffLength = 7.62;
    info.preTestPh = 9.5;
    info.postTestPh = 7;
    info.description = "borate crosslinked";
    info.time = QDateTime(QDate(2026, 3, 1), QTime(8, 30));
    return info;
}

struct Bench {
    Workstation ws;
    ScriptedPrompt prompt;
    frmMain window{ws, prompt};
    ReportActions* actions = nullptr;
    QStringList saveCaptions;
    QStringList suggestions;   // the file names the save dialogs offered
    QStringList answers;       // save dialog answers, in order
    QStringList opened;
    int previews = 0;
    QString previewText;

    Bench()
    {
        window.load();
        actions = window.findChild<ReportActions*>();
        actions->dialogs.saveFileName = [this](QWidget*, const QString& caption, const QString& suggested,
                                               const QString&, const QString&) {
            saveCaptions << caption;
            suggestions << suggested;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
        actions->dialogs.openFile = [this](const QString& path) {
            opened << path;
            return true;
        };
        actions->dialogs.preview = [this](QWidget*, Prompt&, QTextDocument& document) {
            ++previews;
            previewText = document.toPlainText();
        };
        actions->dialogs.printDialog = [](QWidget*, QPrinter&) { return false; };
    }
    void click(const char* name) { window.findChild<QPushButton*>(name)->click(); }
};

}  // namespace

void TestReportWindows::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    clsConnection c;
    c.OpenDB("", "", "", "", dir.path());
    fixture::storeTest(c, "WF130/run 2", fixture::powerLawPoints(2, 0.5, 2.0),
                       {{"Guar", 30, "lb/Mgal", "L1"}});
}

void TestReportWindows::cleanupTestCase() { QDir::setCurrent(oldDir); }

void TestReportWindows::detailReportToPdf()
{
    const std::vector<ResultPoint> points = manyPoints(200);
    const std::unique_ptr<QTextDocument> document = detailReportDocument(someInfo(), points);
    const QString text = document->toPlainText();
    // The bands: report header, test header labels and captions, footer.
    for (const char* label : {"TZ360 Viscosity Test Report", "TEST NAME:", "WF130 @ 212F", "FLUID ID:", "TEST_TIME:",
                              "3/1/2026 8:30:00 AM", "RESEARCHER:", "ROTOR NO:", "BOB_NO:", "BOB RAD(CM):",
                              "BOB EFFECTIVE LENGTH (CM):", "PRE-TEST PH:", "POST TEST PH:", "Description:",
                              "borate crosslinked", "RAMP NO:", "RAMP STEP:", "RESULT TIME (Min):",
                              "SAMPLE TEMP (°F):", "PRESS. (Psi):", "SHEAR RATE (1/S):", "SHEAR STRESS (DYN/CM2):",
                              "RESULT TYPE:", "BATH TEMP (°F):", "Viscosity (cP)", "FANN 35 F1 DIAL (DEG)",
                              "Courtesy By Ostra Instrument Company"})
        QVERIFY2(text.contains(QString::fromUtf8(label)), label);
    // Every point, once: 100 x 50 / (100 + 1e-7) = 50.0 cP, 50 / 5.11 = 9.8 dial.
    for (int k = 0; k < 200; ++k)
        QVERIFY2(text.contains(QStringLiteral("\n%1.10\n").arg(k)), qPrintable(QString::number(k)));
    QCOMPARE(text.count(QStringLiteral("\n50.0\n9.8")), 200);

    // The point table repeats its caption row on every page.
    QTextTable* pointTable = nullptr;
    for (QTextFrame* frame : document->rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame); table && table->columns() == 11)
            pointTable = table;
    QVERIFY(pointTable);
    QCOMPARE(pointTable->rows(), 201);
    QCOMPARE(pointTable->format().headerRowCount(), 1);

    const QString pdf = dir.filePath("detail.pdf");
    writeDetailReportPdf(pdf, *document);
    const int pages = pdfPages(pdf);
    // About forty points or more on a page: at most 200 / 40 + 1 pages.
    QVERIFY2(pages >= 2 && pages <= 6, qPrintable(QString::number(pages)));
}

void TestReportWindows::briefReportOnPaper()
{
    ResultsTable table;
    for (int d = 1; d <= 85; ++d)
        table.rows << QStringList{QString::number(d), "1.", "75", "", "", "", "", "", "", "", "", ""};
    const BriefReport report = briefReport(someInfo(), {}, table, BriefReportTarget::PrintedPage);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("brief.pdf"));
    const int perPage = briefLinesPerPage(printer);
    // Courier 12 on a letter or A4 page: somewhere near sixty lines.
    QVERIFY2(perPage > 40 && perPage < 75, qPrintable(QString::number(perPage)));
    QVERIFY(printBriefReport(printer, report));
    QCOMPARE(pdfPages(dir.filePath("brief.pdf")), briefReportPages(report, perPage).size());

    printer.setOutputFileName(dir.filePath("no such folder/brief.pdf"));
    QVERIFY(!printBriefReport(printer, report));

    const QString out = qEnvironmentVariable("TZ360_SCREENSHOTS");
    if (!out.isEmpty()) {
        QPrinter screen(QPrinter::HighResolution);
        QPrintPreviewWidget preview(&screen);
        connect(&preview, &QPrintPreviewWidget::paintRequested, this,
                [&](QPrinter* p) { printBriefReport(*p, report); });
        preview.resize(900, 780);
        preview.setViewMode(QPrintPreviewWidget::FacingPagesView);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.fitInView();
        QTest::qWait(200);
        QVERIFY(preview.grab().save(out + "/BriefReportPrinted.png"));
    }
}

void TestReportWindows::commandsWithoutAnOpenTest()
{
    Bench b;
    for (const char* name : {"cmdReport", "cmdBriefPrint", "cmdDetailReport", "cmdCorvane", "cmdExportExcel",
                             "cmdExcelDetail"})
        QVERIFY2(b.window.findChild<QPushButton*>(name)->isEnabled(), name);
    for (const char* name : {"MenuReport", "MenuBriefReport", "MenuDetailReport"})
        QVERIFY2(b.window.findChild<QAction*>(name)->isEnabled(), name);

    const QString noTest = QStringLiteral("Currently no valid test selected.  Please first open a saved test.");
    b.click("cmdReport");
    b.click("cmdBriefPrint");
    b.click("cmdDetailReport");
    b.window.findChild<QAction*>("MenuDetailReport")->trigger();
    QCOMPARE(b.prompt.texts(), QStringList({noTest, noTest, noTest, noTest}));
    // The text file and the exports do nothing at all.
    b.click("cmdCorvane");
    b.click("cmdExportExcel");
    b.click("cmdExcelDetail");
    QCOMPARE(b.prompt.shown.size(), 4);
    QVERIFY(b.saveCaptions.isEmpty());
    QCOMPARE(b.previews, 0);
    QVERIFY(QDir(dir.path()).entryList({"*.txt", "*.xlsx"}).isEmpty());
}

void TestReportWindows::commandsOnTheOpenedTest()
{
    Bench b;
    QVERIFY(b.window.openedTest().open("WF130/run 2"));

    // The text file lands in the working directory, the slash made safe.
    b.click("cmdCorvane");
    QVERIFY(QFile::exists(dir.filePath("WF130_run 2.txt")));

    // Brief Save: the chosen file holds the saved form of the report.
    b.answers << dir.filePath("brief.txt");
    b.click("cmdBriefPrint");
    // Offered beside the Corvane file, never as it: accepting must not
    // replace the file the customer's system reads.
    QCOMPARE(b.suggestions.value(0), dir.filePath("WF130_run 2 brief.txt"));
    QFile brief(dir.filePath("brief.txt"));
    QVERIFY(brief.open(QIODevice::ReadOnly));
    const OpenedTestSession& s = b.window.openedTest();
    QCOMPARE(QString::fromUtf8(brief.readAll()),
             briefReportText(briefReport(s.test().info, s.test().additives, s.resultsTable(),
                                         BriefReportTarget::SavedFile)));

    // Brief and Detail Excel: written where chosen (".xlsx" added), then opened.
    b.answers << dir.filePath("export") << dir.filePath("export detail.xlsx");
    b.click("cmdExportExcel");
    b.click("cmdExcelDetail");
    QCOMPARE(b.saveCaptions.mid(1), QStringList({"Brief Excel", "Detail Excel"}));
    QCOMPARE(b.opened, QStringList({dir.filePath("export.xlsx"), dir.filePath("export detail.xlsx")}));
    QVERIFY(QFileInfo(dir.filePath("export.xlsx")).size() > 0);
    QVERIFY(QFileInfo(dir.filePath("export detail.xlsx")).size() > QFileInfo(dir.filePath("export.xlsx")).size());

    // Detail report: the preview gets the opened test's points.
    b.click("cmdDetailReport");
    QCOMPARE(b.previews, 1);
    QVERIFY(b.previewText.contains("WF130/run 2"));
    QCOMPARE(b.previewText.count(QStringLiteral("\n212.0\n500\n")), 12);

    // Brief Print: through the print dialog onto the chosen printer (a PDF
    // file here, which each copy's document overwrites).
    int documents = 0;
    b.actions->dialogs.printDialog = [&](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        printer.setCopyCount(2);
        ++documents;
        return true;
    };
    b.click("cmdReport");
    QCOMPARE(documents, 1);
    QCOMPARE(pdfPages(dir.filePath("printed.pdf")), 1);
    QVERIFY(b.prompt.shown.isEmpty());
}

void TestReportWindows::cancelledDialogs()
{
    Bench b;
    QVERIFY(b.window.openedTest().open("WF130/run 2"));
    b.click("cmdReport");
    b.click("cmdBriefPrint");
    QCOMPARE(b.prompt.texts(), QStringList({"Cancel was selected.", "Cancel was selected."}));
    for (const auto& shown : b.prompt.shown)
        QCOMPARE(shown.icon, Prompt::Icon::Information);
    // A cancelled export writes nothing and says nothing.
    b.click("cmdExportExcel");
    QCOMPARE(b.prompt.shown.size(), 2);
    QVERIFY(b.opened.isEmpty());

    // A file that cannot be written is reported.
    b.answers << dir.filePath("no such folder/brief.txt") << dir.filePath("no such folder/x.xlsx");
    b.click("cmdBriefPrint");
    b.click("cmdExportExcel");
    QCOMPARE(b.prompt.shown.size(), 4);
    QVERIFY(b.prompt.shown[2].text.contains("brief.txt"));
    QVERIFY(b.prompt.shown[3].text.contains("x.xlsx"));
    QVERIFY(b.opened.isEmpty());
}

void TestReportWindows::previewSavesPdfAndScreenshot()
{
    const std::vector<ResultPoint> points = manyPoints(60);
    const std::unique_ptr<QTextDocument> document = detailReportDocument(someInfo(), points);
    ScriptedPrompt prompt;
    ReportDialogs dialogs;
    QStringList answers = {dir.filePath("preview.pdf"), dir.filePath("no such folder/p.pdf")};
    dialogs.saveFileName = [&](QWidget*, const QString&, const QString&, const QString&, const QString&) {
        return answers.takeFirst();
    };
    DetailReportPreview preview(*document, prompt, dialogs);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QVERIFY(preview.width() <= 1280 && preview.height() <= 800);
    QAction* save = preview.findChild<QAction*>("actionSavePdf");
    QVERIFY(save);
    save->trigger();
    QVERIFY(pdfPages(dir.filePath("preview.pdf")) >= 2);
    QVERIFY(prompt.shown.isEmpty());
    save->trigger();
    QCOMPARE(prompt.shown.size(), 1);
    QVERIFY(prompt.lastText().contains("p.pdf"));

    QTest::qWait(200);
    const QString out = qEnvironmentVariable("TZ360_SCREENSHOTS");
    if (!out.isEmpty())
        QVERIFY(preview.grab().save(out + "/DetailReportPreview.png"));
}

QTEST_MAIN(TestReportWindows)
#include "tst_report_windows.moc"
