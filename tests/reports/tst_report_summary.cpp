// The test summary in the detail report and in the detailed spreadsheet's
// "Summary" sheet; the brief spreadsheet and the first sheet stay as they were.
// Step points at 100 1/s, so the viscosity in cP equals the stress.
#include "XlsxCells.h"
#include "analysis/OpenedTest.h"
#include "reports/DetailReport.h"
#include "reports/ExcelExport.h"
#include "reports/SummarySection.h"

#include <QTemporaryDir>
#include <cmath>
#include <QTest>

using namespace tz;

namespace {

// Above 100 cP from 4 to 35 min (31 min), breaks at 35 min, 250 °F at most.
OpenedTest gelTest() {
    OpenedTest t;
    t.info.testId = 7;
    t.info.name = "Gel 30 HT";
    t.info.bobRadius = 1.5987;
    const std::pair<double, double> steps[] = {{0, 20}, {10, 220}, {20, 220}, {30, 160}, {40, 40}, {50, 10}};
    for (const auto& [minutes, cp] : steps) t.points.push_back({1, 0, minutes * 60, 250, 500, 100, cp, 0, 0});
    return t;
}

Settings cgs() {
    Settings s;
    s.unitSystem = UnitCGS;
    return s;
}

bool hasMember(const QString& path, const QString& name) {
    QProcess unzip;
    unzip.start("unzip", {"-l", path});
    unzip.waitForFinished(10000);
    return QString::fromUtf8(unzip.readAllStandardOutput()).contains(name);
}

}  // namespace

class TestReportSummary : public QObject {
    Q_OBJECT
private slots:
    void detailReportShowsTheSummaryAbovePoints() {
        const OpenedTest t = gelTest();
        const TestSummary s = summariseTest(t.points, t.info.bobRadius, cgs(), 100);
        const QString section = summarySectionHtml(s, cgs());
        QVERIFY(section.contains("Break time (min)</td><td width=\"16%\">35.0</td>"));
        QVERIFY(section.contains("Time at or above threshold (min)</td><td width=\"16%\">31.0</td>"));
        const QString html = detailReportHtml(t.info, t.points, QLocale::c(), QString(), section);
        QVERIFY(html.indexOf("Test Summary") > html.indexOf("TEST NAME:"));
        QVERIFY(html.indexOf("Test Summary") < html.indexOf("RAMP NO:"));
        QVERIFY(!detailReportHtml(t.info, t.points, QLocale::c()).contains("Test Summary"));
    }

    // Ramp points at 50 .. 300 1/s: of 40, 100 and 170 1/s only 40 is
    // extrapolated, and marked.
    void rampLineMarksExtrapolatedViscosity() {
        OpenedTest t = gelTest();
        int step = 1;
        for (double rate : {50.0, 100.0, 200.0, 300.0})
            t.points.push_back({1, step++, 3100.0 + step, 250, 500, rate, 10 * std::sqrt(rate), 1, 0});
        const QString section = summarySectionHtml(summariseTest(t.points, t.info.bobRadius, cgs(), 100), cgs());
        QVERIFY(section.contains("<td align=\"right\">50 - 300</td>"));
        QCOMPARE(section.count(" *</td>"), 1);
        QVERIFY(section.contains("<td align=\"right\">0.5000</td>"));
        QVERIFY(section.contains("Visc @40 1/s (cP)"));
    }

    void detailedSpreadsheetGainsASummarySheet() {
        QTemporaryDir dir;
        const OpenedTest t = gelTest();
        const ResultsTable table = buildResultsTable(t.analyse(cgs()), cgs());
        const QList<SheetCell> summary =
            summarySheetCells(t.info.name, summariseTest(t.points, t.info.bobRadius, cgs(), 100), cgs());
        const QString with = dir.filePath("with.xlsx"), without = dir.filePath("without.xlsx"),
                      brief = dir.filePath("brief.xlsx");
        exportTestToExcel(with, t, table, UnitCGS, true, summary);
        exportTestToExcel(without, t, table, UnitCGS, true);
        exportTestToExcel(brief, t, table, UnitCGS, false, summary);

        QCOMPARE(xlsx::readCells(with), xlsx::readCells(without));   // the first sheet is untouched
        QVERIFY(!hasMember(without, "sheet2.xml"));
        QVERIFY(!hasMember(brief, "sheet2.xml"));
        QVERIFY(hasMember(with, "sheet2.xml"));
        QVERIFY(member(with, "xl/workbook.xml").contains("name=\"Summary\""));
        const auto cells = xlsx::readCells(with, "sheet2");
        QCOMPARE(cells.value("A1").toString(), QString("TZ360Frac Test Summary"));
        QCOMPARE(cells.value("B3").toString(), QString("Gel 30 HT"));
        const int breakRow = xlsx::rowOf(cells, "Break time (min)");
        QVERIFY(breakRow > 3);
        QCOMPARE(cells.value(QString("B%1").arg(breakRow)).toDouble(), 35.0);
        const int peakRow = xlsx::rowOf(cells, "Peak viscosity (cP)");
        QCOMPARE(cells.value(QString("B%1").arg(peakRow)).toDouble(), 220.0);
        QCOMPARE(cells.value(QString("B%1").arg(xlsx::rowOf(cells, "Max sample temp (°F)"))).toDouble(), 250.0);
    }

private:
    static QByteArray member(const QString& path, const QString& name) { return xlsx::member(path, name); }
};

QTEST_GUILESS_MAIN(TestReportSummary)
#include "tst_report_summary.moc"
