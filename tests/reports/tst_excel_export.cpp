// The brief and detailed .xlsx exports, written and read back: the worksheet
// XML inside the file is unpacked and every cell and the page set-up checked.
#include "analysis/ResultsHeading.h"
#include "reports/ExcelExport.h"
#include "reports/ReportFile.h"
#include "XlsxCells.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace tz;

class TestExcelExport : public QObject {
    Q_OBJECT

private slots:
    void briefSheet();
    void detailedSheetInSi();
    void temperatureHeadingFollowsTable_data();
    void temperatureHeadingFollowsTable();
    void pageSetUp();
    void writeFailureIsReported();
};

namespace {

using xlsx::member;
using xlsx::readCells;

int lastRow(const QMap<QString, QVariant>& cells)
{
    int last = 0;
    for (const QString& ref : cells.keys())
        last = qMax(last, ref.mid(1).toInt());
    return last;
}

TestInfoValues info()
{
    TestInfoValues v;
    v.name = "WF-30 @ 250F";
    v.fluidId = "WF-30 borate";
    v.time = QDateTime(QDate(2011, 12, 27), QTime(23, 59, 0));
    v.researcher = "J. O'Neil";
    v.rotorNo = "R1";
    v.bobNo = "B5";
    v.bobRadius = 1.5987;
    v.bobEffLength = 7.62;
    v.preTestPh = 9.5;
    v.postTestPh = 7;
    v.description = "Crosslinked gel";
    return v;
}

ResultsTable table(int unitSystem)
{
    Settings s;
    s.unitSystem = unitSystem;
    ResultsTable t;
    t.heading = resultsHeading(s);
    t.rows = {
        {"1", "12.", "75", "1000", "0.5123", "0.012345", "0.9876", "0.013456", "0.014567", "245", "180", "150"},
        QStringList(12, QString()),
        {"3", "30.", "200", "1500", "20.0000", "0.001234", "N/A", "N/A", "N/A", "N/A", "N/A", "N/A"},
    };
    return t;
}

ResultPoint point(int ramp, int step, double time, double sample, double press, double rate, double stress,
                  int type, double bath)
{
    return {ramp, step, time, sample, press, rate, stress, type, bath};
}

QString written(QTemporaryDir& dir, const QString& name, const OpenedTest& test, int unitSystem, bool detailed)
{
    const QString path = dir.filePath(name);
    exportTestToExcel(path, test, table(unitSystem), unitSystem, detailed);
    return path;
}

}  // namespace

void TestExcelExport::briefSheet()
{
    OpenedTest test;
    test.info = info();
    test.additives = {{"Guar", 30, "lb/Mgal", "L-0912"}, {"Borate XL", 2.125, "gal/Mgal", ""}};
    test.points = {point(1, 0, 60, 75, 1000, 100, 50, 0, 80)};
    QTemporaryDir dir;
    const QMap<QString, QVariant> c = readCells(written(dir, "brief.xlsx", test, UnitCGS, false));

    QCOMPARE(c["A1"], QVariant("TZ360Frac Test Report"));
    QVERIFY(!c.contains("A2"));
    const QStringList labels = {"Test Name:", "Fluid ID:", "Test Time:", "Researcher Name:", "Rotor Number:",
                                "Bob Number:", "Bob Radius (cm)", "Bob Eff. Length (cm):", "Pre-Test pH:",
                                "Post-Test pH:", "Description:"};
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(c[QStringLiteral("A%1").arg(3 + i)], QVariant(labels[i]));
    QCOMPARE(c["B3"], QVariant("WF-30 @ 250F"));
    QCOMPARE(c["B4"], QVariant("WF-30 borate"));
    // 27 Dec 2011 23:59 as a spreadsheet date: 40904 days after 30 Dec 1899, plus 1439/1440.
    QVERIFY(qAbs(c["B5"].toDouble() - (40904 + 1439.0 / 1440)) < 1e-6);
    QCOMPARE(c["B6"], QVariant("J. O'Neil"));
    QCOMPARE(c["B7"], QVariant("R1"));
    QCOMPARE(c["B8"], QVariant("B5"));
    QCOMPARE(c["B9"], QVariant(1.5987));
    QCOMPARE(c["B10"], QVariant(7.62));
    QCOMPARE(c["B11"], QVariant(9.5));
    QCOMPARE(c["B12"], QVariant(7.0));
    QCOMPARE(c["B13"], QVariant("Crosslinked gel"));

    QCOMPARE(c["A14"], QVariant("Additives"));
    QCOMPARE(c["B14"], QVariant("Concentration"));
    QCOMPARE(c["C14"], QVariant("Units"));
    QCOMPARE(c["D14"], QVariant("Lot Number"));
    QCOMPARE(c["A15"], QVariant("Guar"));
    QCOMPARE(c["B15"], QVariant(30.0));
    QCOMPARE(c["C15"], QVariant("lb/Mgal"));
    QCOMPARE(c["D15"], QVariant("L-0912"));
    QCOMPARE(c["A16"], QVariant("Borate XL"));
    QCOMPARE(c["B16"], QVariant(2.125));
    QVERIFY(!c.contains("D16"));
    QCOMPARE(c["A17"], QVariant("Comments:"));
    QCOMPARE(c["B17"], QVariant("Crosslinked gel"));
    QCOMPARE(c["A18"], QVariant("Results:"));

    const QStringList heading = {"Shear Ramp", "Time (Min)", "Temp (°F)", "n'", "Kv", "Coef Detn. (R^2)", "K'",
                                 "K' Slot", "Calc. 40 (1/S)", "Calc. 100 (1/S)", "Calc. 170 (1/S)"};
    for (int i = 0; i < heading.size(); ++i)
        QCOMPARE(c[QString(QChar('A' + i)) + "19"], QVariant(heading[i]));
    // Ramp rows: table columns 0, 1, 2 and 4 to 11 as numbers; no pressure.
    const QList<double> ramp1 = {1, 12, 75, 0.5123, 0.012345, 0.9876, 0.013456, 0.014567, 245, 180, 150};
    for (int i = 0; i < ramp1.size(); ++i)
        QCOMPARE(c[QString(QChar('A' + i)) + "20"], QVariant(ramp1[i]));
    for (int i = 0; i < 11; ++i)
        QVERIFY(!c.contains(QString(QChar('A' + i)) + "21"));
    QCOMPARE(c["A22"], QVariant(3.0));
    QCOMPARE(c["D22"], QVariant(20.0));
    QCOMPARE(c["F22"], QVariant("N/A"));
    QCOMPARE(c["K22"], QVariant("N/A"));
    // The brief sheet ends with the last ramp: no point section.
    QCOMPARE(lastRow(c), 22);
    for (const QString& ref : c.keys())
        QVERIFY2(!ref.startsWith("L"), qPrintable(ref));
}

void TestExcelExport::detailedSheetInSi()
{
    OpenedTest test;
    test.info = info();
    test.points = {
        point(1, 0, 30, 212, 400, 100, 50, 0, 75.2),
        point(1, 2, 90, 77, 410, 0, 3, 1, 32),
        point(2, 1, 150, 33.8, 420, 170, 68, 1, 300),
    };
    QTemporaryDir dir;
    const QMap<QString, QVariant> c = readCells(written(dir, "detail.xlsx", test, UnitSI, true));

    // No additives: the heading row is still there, the comments follow it.
    QCOMPARE(c["A14"], QVariant("Additives"));
    QCOMPARE(c["A15"], QVariant("Comments:"));
    QCOMPARE(c["A16"], QVariant("Results:"));
    QCOMPARE(c["C17"], QVariant("Temp (°C)"));
    QCOMPARE(c["C18"], QVariant(75.0));  // as the results table shows it

    // Points on the row after the last ramp row (20).
    const QStringList heading = {"Ramp NO", "Ramp Step No", "Time (Min)", "Sample Temp(°C)", "Pressure (Psi)",
                                 "Shear Rate (1/S)", "Shear Stress (dyn/cm2)", "Result Type", "Bath Temp",
                                 "Viscosity (cP)"};
    for (int i = 0; i < heading.size(); ++i)
        QCOMPARE(c[QString(QChar('A' + i)) + "21"], QVariant(heading[i]));
    // 212 °F = 100.0 °C, 75.2 °F = 24.0 °C; 100 x 50 / 100 = 50 cP.
    const QList<double> first = {1, 0, 0.5, 100.0, 400, 100, 50, 0, 24.0, 50};
    for (int i = 0; i < first.size(); ++i)
        QCOMPARE(c[QString(QChar('A' + i)) + "22"], QVariant(first[i]));
    // At rest the viscosity is 0; 77 °F = 25.0 °C, 32 °F = 0 °C.
    QCOMPARE(c["C23"], QVariant(1.5));
    QCOMPARE(c["D23"], QVariant(25.0));
    QCOMPARE(c["I23"], QVariant(0.0));
    QCOMPARE(c["J23"], QVariant(0.0));
    // 33.8 °F = 1.0 °C; 300 °F = 148.888.. shown to the tenth; 100 x 68 / 170 = 40 cP.
    QCOMPARE(c["D24"], QVariant(1.0));
    QCOMPARE(c["I24"], QVariant(148.9));
    QCOMPARE(c["J24"], QVariant(40.0));
    QCOMPARE(lastRow(c), 24);
    QVERIFY(!c.contains("K24"));
}

void TestExcelExport::temperatureHeadingFollowsTable_data()
{
    QTest::addColumn<int>("unitSystem");
    QTest::addColumn<QString>("resultsTemp");
    QTest::addColumn<QString>("pointTemp");
    QTest::newRow("CGS") << int(UnitCGS) << "Temp (°F)" << "Sample Temp(°F)";
    // The EI results table shows °F; its points are converted to °C.
    QTest::newRow("EI") << int(UnitEI) << "Temp (°F)" << "Sample Temp(°C)";
    QTest::newRow("SI") << int(UnitSI) << "Temp (°C)" << "Sample Temp(°C)";
}

void TestExcelExport::temperatureHeadingFollowsTable()
{
    QFETCH(int, unitSystem);
    QFETCH(QString, resultsTemp);
    QFETCH(QString, pointTemp);
    const SheetContent sheet = excelSheet(info(), {}, table(unitSystem), unitSystem, true, {});
    QStringList texts;
    for (const SheetCell& cell : sheet.cells)
        texts << cell.value.toString();
    QVERIFY(texts.contains(resultsTemp));
    QVERIFY(texts.contains(pointTemp));
}

void TestExcelExport::pageSetUp()
{
    OpenedTest test;
    test.info = info();
    test.additives = {{"Guar", 30, "lb/Mgal", "L-0912"}};
    QTemporaryDir dir;
    for (bool detailed : {false, true}) {
        const QString path = written(dir, detailed ? "d.xlsx" : "b.xlsx", test, UnitCGS, detailed);
        const QString sheet = QString::fromUtf8(member(path, "xl/worksheets/sheet1.xml"));
        QVERIFY2(sheet.contains(QRegularExpression("<pageSetUpPr fitToPage=\"1\"/>")), qPrintable(sheet));
        const QRegularExpressionMatch setup = QRegularExpression("<pageSetup [^>]*/>").match(sheet);
        QVERIFY(setup.hasMatch());
        QVERIFY2(setup.captured().contains("orientation=\"landscape\""), qPrintable(setup.captured()));
        QVERIFY(setup.captured().contains("fitToHeight=\"10\""));
        // fitToWidth is 1 when the attribute is left out.
        QVERIFY(!setup.captured().contains("fitToWidth") || setup.captured().contains("fitToWidth=\"1\""));
        // One additive: the results heading is row 18, repeated on every page.
        const QString workbook = QString::fromUtf8(member(path, "xl/workbook.xml"));
        QVERIFY2(workbook.contains("<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Sheet1!$18:$18</definedName>"),
                 qPrintable(workbook));
    }
}

void TestExcelExport::writeFailureIsReported()
{
    QTemporaryDir dir;
    OpenedTest test;
    test.info = info();
    const QString path = dir.filePath("missing/brief.xlsx");
    try {
        exportTestToExcel(path, test, table(UnitCGS), UnitCGS, false);
        QFAIL("no error");
    } catch (const ReportFileError& e) {
        QVERIFY2(e.text().contains("brief.xlsx"), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestExcelExport)
#include "tst_excel_export.moc"
