// The fixed-column text file for a customer's data system, byte for byte,
// and the file it lands in.
#include "reports/CorvaneReport.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestCorvaneReport : public QObject {
    Q_OBJECT

private slots:
    void goldenFile();
    void testWithoutPoints();
    void fileNamedAfterTestAndOverwritten();
    void unsafeNames_data();
    void unsafeNames();
    void writeFailureIsReported();
};

namespace {

// The heading as the column table lists it: each name in quotes, then its blanks.
QString heading()
{
    const std::pair<const char*, int> parts[] = {
        {"DATE", 8}, {"CLOCK", 8}, {"ELAPSED", 6}, {"TESTTIME", 5}, {"LOGTIME", 6},
        {"RPM1    ", 5}, {"VISC1   ", 5}, {"STEMP1  ", 5}, {"BTEMP1  ", 5}, {"RATE1   ", 5},
        {"STRSS1  ", 5}, {"TORQ1   ", 5}, {"RWTOR1  ", 0}};
    QString line;
    for (const auto& [name, blanks] : parts)
        line += '"' + QString::fromLatin1(name) + '"' + QString(blanks, ' ');
    return line + "\r\n";
}

// Quoted date and clock fields with their blanks, then the nine numbers each
// padded with blanks to 15 characters (a longer one as it is).
QString line(const char* date, const char* clock, const char* elapsed, const char* testTime,
             QStringList numbers)
{
    QString text = QStringLiteral("\"%1\"  \"%2\"     \"%3\"     \"%4\"      ")
                       .arg(QLatin1String(date), QLatin1String(clock), QLatin1String(elapsed),
                            QLatin1String(testTime));
    for (const QString& n : numbers)
        text += n + QString(qMax<qsizetype>(0, 15 - n.size()), ' ');
    return text + "\r\n";
}

// Bob B5 (radius 1.5987 cm): 42.61406299751 / (3.39112225 - 2.55584169) / 60
// = 0.8502944008 1/s per rpm.
constexpr double kRatePerRpm = 0.8502944008320188;

ResultPoint point(double time, double sample, double bath, double rate, double stress)
{
    ResultPoint p;
    p.time = time;
    p.sampleTemp = sample;
    p.bathTemp = bath;
    p.shearRate = rate;
    p.shearStress = stress;
    return p;
}

OpenedTest handMadeTest(const QString& name)
{
    OpenedTest test;
    test.info.name = name;
    test.info.bobRadius = 1.5987;
    test.info.time = QDateTime(QDate(2011, 12, 27), QTime(23, 59, 0));
    test.points = {
        point(90, 75, 80.4, 100, 50),
        point(600, 180.5, 0, 0, 12.5),
        point(90005, 300, 299.5, 5.11, 1.25),
    };
    return test;
}

}  // namespace

void TestCorvaneReport::goldenFile()
{
    const OpenedTest test = handMadeTest("Gel 1");
    QCOMPARE(test.shearRatePerRpm(), kRatePerRpm);
    const QString expected = heading()
        // 90 s after 27 Dec 2011 23:59:00; TESTTIME 90 - 480 s, counted back
        // from midnight. RPM1 100 / 0.8502944 = 117.60633; VISC1
        // 100 x 50 / (100 + 1e-12) = 50.0000; TORQ1 50 x 0.14290857 = 7.1454285;
        // RWTOR1 2.544798908 + 0.002159228594 x 50 = 2.65276.
        + line("12-28-2011", "00:00:30", "00:01:30", "23:53:30",
               {"1.5", "117.6063", "50.", "75", "80", "100.", "50.", "7.1454", "2.6528"})
        // At rest: VISC1 = 100 x 12.5 / 1e-12 = 1.25e15, longer than the field;
        // zero under "###" and "###.####" prints nothing or the bare point.
        + line("12-28-2011", "00:09:00", "00:10:00", "00:02:00",
               {"10.", ".", "1250000000000000.", "181", "", ".", "12.5", "1.7864", "2.5718"})
        // 25 h 0 min 5 s: the clocks wrap after 24 hours; 23:59:00 + 25:00:05
        // is 00:59:05 two days on.
        + line("12-29-2011", "00:59:05", "01:00:05", "00:52:05",
               {"1500.08", "6.0097", "24.4618", "300", "300", "5.11", "1.25", ".1786", "2.5475"});
    const QString text = corvaneReportText(test.info.time, test.points, test.shearRatePerRpm());
    QCOMPARE(text.split("\r\n"), expected.split("\r\n"));
    QCOMPARE(text, expected);
}

void TestCorvaneReport::testWithoutPoints()
{
    QCOMPARE(corvaneReportText(QDateTime(QDate(2011, 1, 1), QTime()), {}, kRatePerRpm), heading());
}

void TestCorvaneReport::fileNamedAfterTestAndOverwritten()
{
    QTemporaryDir dir;
    OpenedTest test = handMadeTest("Gel 1");
    const QString path = writeCorvaneReport(test, dir.path());
    QCOMPARE(path, QDir(dir.path()).filePath("Gel 1.txt"));
    test.points.resize(1);
    writeCorvaneReport(test, dir.path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, corvaneReportText(test.info.time, test.points, kRatePerRpm).toLatin1());
    QCOMPARE(bytes.count("\r\n"), 2);
}

void TestCorvaneReport::unsafeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stem");
    QTest::newRow("plain") << "Gel 1 @ 250F" << "Gel 1 @ 250F";
    QTest::newRow("slash") << "WF-30/borate" << "WF-30_borate";
    QTest::newRow("backslash") << "a\\b" << "a_b";
    QTest::newRow("parent folder") << "../../etc/passwd" << "______etc_passwd";
    QTest::newRow("windows parent") << "..\\..\\x" << "______x";
    QTest::newRow("drive") << "C:Temp" << "C_Temp";
    QTest::newRow("wildcards") << "a*b?c\"d<e>f|g" << "a_b_c_d_e_f_g";
    QTest::newRow("control") << "tab\there\nx" << "tab_here_x";
    QTest::newRow("only dots") << "." << "_";
    QTest::newRow("trailing dot and blank") << "run 2. " << "run 2__";
    QTest::newRow("empty") << "" << "_";
    QTest::newRow("device name") << "con" << "_con";
    QTest::newRow("device with suffix") << "LPT1.old" << "_LPT1.old";
    QTest::newRow("inner dot kept") << "v1.2" << "v1.2";
}

void TestCorvaneReport::unsafeNames()
{
    QFETCH(QString, name);
    QFETCH(QString, stem);
    QCOMPARE(safeFileStem(name), stem);

    // Whatever the name, the report lands in the working directory itself.
    QTemporaryDir dir;
    OpenedTest test = handMadeTest(name);
    const QString path = writeCorvaneReport(test, dir.path());
    QCOMPARE(QFileInfo(path).absoluteDir(), QDir(dir.path()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{stem + ".txt"});
}

void TestCorvaneReport::writeFailureIsReported()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no such folder");
    try {
        writeCorvaneReport(handMadeTest("Gel 1"), missing);
        QFAIL("no error");
    } catch (const ReportFileError& e) {
        QVERIFY2(e.text().contains("Gel 1.txt"), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestCorvaneReport)
#include "tst_corvane_report.moc"
