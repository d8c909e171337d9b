// The brief report: its exact lines as saved, the printed label, the K unit
// its results heading names, and where the printed pages break.
#include "analysis/ResultsHeading.h"
#include "reports/BriefReport.h"
#include "reports/ReportFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestBriefReport : public QObject {
    Q_OBJECT

private slots:
    void savedFileGolden();
    void withoutAdditivesOrResults();
    void printedLabelDiffers();
    void kUnitOfTheTable_data();
    void kUnitOfTheTable();
    void pageBreaks();
};

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

TestInfoValues info()
{
    TestInfoValues v;
    v.testId = 7;
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
    v.description = "Crosslinked gel, 30 lb/Mgal";
    return v;
}

ResultsTable table(int unitSystem = UnitCGS, int kPrimeUnit = 0)
{
    Settings s;
    s.unitSystem = unitSystem;
    s.kPrimeUnit = kPrimeUnit;
    ResultsTable t;
    t.heading = resultsHeading(s);
    t.rows = {
        {"1", "12.", "75", "1000", "0.5123", "0.012345", "0.9876", "0.013456", "0.014567", "245", "180", "150"},
        QStringList(12, QString()),  // a ramp without a fit
        {"3", "30.", "200", "1500", "20.0000", "0.001234", "N/A", "N/A", "N/A", "N/A", "N/A", "N/A"},
    };
    return t;
}

const QStringList kHead = {
    "Test Report of TZ360 Rheometer.",
    "",
    "Experiment                 Test Name:             WF-30 @ 250F",
    "                           Fluid ID:              WF-30 borate",
    "                           Test Time:             12/27/2011 11:59:00 PM",
    "                           Researcher Name:       J. O'Neil",
    "                           Rotor Number:          R1",
    "                           Bob Number:            B5",
    "                           Bob Radius (cm):       1.5987",
    "                           Bob Eff. Length (cm):  7.62",
    "                           Pre-Test pH:           9.5",
    "                           Post-Test pH:          7",
    "",
    "Description:",
    "Crosslinked gel, 30 lb/Mgal",
    "",
    "Additives              Concentration           Units          Lot Number",
    "",
};

QStringList resultsHead(const QString& unitLine)
{
    return {"",
            "Comments         Crosslinked gel, 30 lb/Mgal",
            "",
            "",
            "Results",
            "",
            "     Elapsed                       Coef.                  Calc.  Viscosity (cP)",
            "Shear  Time  Temp.   n'      Kv    Detn.     K'     K'slot via K' slot at (s^-1)",
            unitLine,
            ""};
}

// CGS with K' in lb-f s/100 ft2: the 16-character unit takes two of the three
// blanks after it, so the rates stay in their columns.
const QString kCgsUnitLine =
    "Ramp  (min)   (F)                  (R^2)   (lb-f s/100 ft2) 40     100    170 ";

const QStringList kResultLines = {
    // 0.012345 to five places is 0.01235; 0.013456 and 0.014567 to four.
    "01    012.   075.0  0.512  0.01235  0.988  0.0135  0.0146    245.    180.    150.",
    // Empty cells print as zero; so do the "N/A" cells of a rejected fit.
    "00    000.   000.0  0.000  0.00000  0.000  0.0000  0.0000    00.    00.    00.",
    "03    030.   200.0  20.000  0.00123  0.000  0.0000  0.0000    00.    00.    00.",
};

QByteArray crlfJoined(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += l.toUtf8() + "\r\n";
    return bytes;
}

}  // namespace

void TestBriefReport::savedFileGolden()
{
    const QList<AdditiveValues> additives = {{"Guar", 30, "lb/Mgal", "L-0912"}, {"Borate XL", 2.125, "gal/Mgal", ""}};
    QTemporaryDir dir;
    const QString path = dir.filePath("brief.txt");
    writeBriefReport(path, info(), additives, table(), kUs);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList expected = kHead
        + QStringList{"Guar    30.00    lb/Mgal    L-0912", "Borate XL    02.13    gal/Mgal    "}
        + resultsHead(kCgsUnitLine) + kResultLines;
    QCOMPARE(QString::fromUtf8(file.readAll()).split("\r\n"), expected + QStringList{""});
    file.seek(0);
    QCOMPARE(file.readAll(), crlfJoined(expected));
}

void TestBriefReport::withoutAdditivesOrResults()
{
    ResultsTable empty = table();
    empty.rows.clear();
    const BriefReport report = briefReport(info(), {}, empty, BriefReportTarget::SavedFile, kUs);
    // The additive heading, its blank line, then straight on to the comments.
    QCOMPARE(report.lines, kHead + resultsHead(kCgsUnitLine));
    QVERIFY(report.pageBreaksAfter.isEmpty());
}

void TestBriefReport::printedLabelDiffers()
{
    const BriefReport printed = briefReport(info(), {}, table(), BriefReportTarget::PrintedPage, kUs);
    const BriefReport saved = briefReport(info(), {}, table(), BriefReportTarget::SavedFile, kUs);
    QCOMPARE(printed.lines.size(), saved.lines.size());
    for (int i = 0; i < saved.lines.size(); ++i) {
        if (i == 9)
            QCOMPARE(printed.lines[i], QStringLiteral("                           Bob Effective Length : 7.62"));
        else
            QCOMPARE(printed.lines[i], saved.lines[i]);
    }
}

void TestBriefReport::kUnitOfTheTable_data()
{
    QTest::addColumn<int>("unitSystem");
    QTest::addColumn<int>("kPrimeUnit");
    QTest::addColumn<QString>("unitLine");
    QTest::newRow("CGS, lb-f s/100 ft2") << 1 << 0 << kCgsUnitLine;
    QTest::newRow("CGS, dyn-s^n/cm2") << 1 << 1
        << "Ramp  (min)   (F)                  (R^2)   (dyn-s^n/cm2)    40     100    170 ";
    QTest::newRow("EI") << 2 << 0
        << "Ramp  (min)   (F)                  (R^2)   (lbf-s^n/ft2)    40     100    170 ";
    // SI: the temperatures of the table are in °C, and the line says so.
    QTest::newRow("SI") << 3 << 0
        << "Ramp  (min)   (C)                  (R^2)   (dyn-s^n/cm2)    40     100    170 ";
}

void TestBriefReport::kUnitOfTheTable()
{
    QFETCH(int, unitSystem);
    QFETCH(int, kPrimeUnit);
    QFETCH(QString, unitLine);
    const BriefReport report =
        briefReport(info(), {}, table(unitSystem, kPrimeUnit), BriefReportTarget::SavedFile, kUs);
    QCOMPARE(report.lines.value(kHead.size() + 8), unitLine);
}

void TestBriefReport::pageBreaks()
{
    ResultsTable t = table();
    t.rows.clear();
    for (int d = 1; d <= 85; ++d)
        t.rows << QStringList{QString::number(d), "1.", "75", "", "", "", "", "", "", "", "", ""};
    const BriefReport report = briefReport(info(), {}, t, BriefReportTarget::PrintedPage, kUs);
    const int firstResult = static_cast<int>(kHead.size() + resultsHead(kCgsUnitLine).size());
    QCOMPARE(report.lines.size(), firstResult + 85);
    // The counter starts at 2: breaks after the 39th and the 79th result line.
    QCOMPARE(report.pageBreaksAfter, QList<int>({firstResult + 38, firstResult + 78}));

    // Pages long enough for everything: only the forced breaks.
    QList<QStringList> pages = briefReportPages(report, 1000);
    QCOMPARE(pages.size(), 3);
    QCOMPARE(pages[0].last(), report.lines[firstResult + 38]);
    QVERIFY(pages[0].last().startsWith("39    "));
    QCOMPARE(pages[1].size(), 40);
    QVERIFY(pages[2].first().startsWith("80    "));
    QCOMPARE(pages[2].size(), 6);

    // A page that is full before the rule's break ends there too.
    pages = briefReportPages(report, 60);
    QList<qsizetype> sizes;
    for (const QStringList& p : pages)
        sizes << p.size();
    // 28 heading lines + 39 results = 67: 60, then 7 up to the forced break,
    // 40, then the last 6.
    QCOMPARE(sizes, QList<qsizetype>({60, 7, 40, 6}));
    QStringList all;
    for (const QStringList& p : pages)
        all += p;
    QCOMPARE(all, report.lines);
}

QTEST_GUILESS_MAIN(TestBriefReport)
#include "tst_brief_report.moc"
