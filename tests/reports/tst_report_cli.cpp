// tz360-cli report and export on a stored test in a working directory of its
// own: the same files the main window writes, and the exit codes.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "reports/BriefReport.h"
#include "reports/CorvaneReport.h"
#include "tests/analysis/StoredTests.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestReportCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<OpenedTest> test;

private slots:
    void initTestCase();
    void corvaneAndBriefFiles();
    void detailPdfWithoutDisplay();
    void exportWorkbook();
    void failures_data();
    void failures();
};

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run cli(const QString& workdir, const QStringList& args, bool withoutDisplay = false)
{
    QProcess p;
    p.setWorkingDirectory(workdir);
    if (withoutDisplay) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
    }
    p.start(qEnvironmentVariable("TZ360_CLI"), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

void TestReportCli::initTestCase()
{
    QVERIFY(!qEnvironmentVariable("TZ360_CLI").isEmpty());
    clsConnection c;
    c.OpenDB("", "", "", "", dir.path());
    fixture::storeTest(c, "WF130/run 2", fixture::powerLawPoints(2, 0.5, 2.0), {{"Guar", 30, "lb/Mgal", "L1"}});
    test = loadTestByName(c, "WF130/run 2");
    QVERIFY(test);
}

void TestReportCli::corvaneAndBriefFiles()
{
    Run r = cli(dir.path(), {"report", "corvane", "WF130/run 2"});
    QCOMPARE(r.code, 0);
    // Named after the test in the working directory, the slash made safe.
    QCOMPARE(r.out.trimmed(), dir.filePath("WF130_run 2.txt"));
    QCOMPARE(fileBytes(dir.filePath("WF130_run 2.txt")),
             corvaneReportText(test->info.time, test->points, test->shearRatePerRpm()).toUtf8());

    r = cli(dir.path(), {"report", "brief", "WF130/run 2", "-o", "brief.txt"});
    QCOMPARE(r.code, 0);
    // No initial.txt: the main window's defaults.
    Settings settings;
    const ResultsTable table = buildResultsTable(test->analyse(settings), settings);
    QCOMPARE(table.rows.size(), 2);
    QCOMPARE(QString::fromUtf8(fileBytes(dir.filePath("brief.txt"))),
             briefReportText(briefReport(test->info, test->additives, table, BriefReportTarget::SavedFile)));
}

void TestReportCli::detailPdfWithoutDisplay()
{
    const Run r = cli(dir.path(), {"report", "detail", "WF130/run 2"}, true);
    QCOMPARE(r.code, 0);
    const QByteArray pdf = fileBytes(dir.filePath("WF130_run 2.pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
}

void TestReportCli::exportWorkbook()
{
    const Run r = cli(dir.path(), {"export", "WF130/run 2", "--detail", "-o", "d.xlsx"});
    QCOMPARE(r.code, 0);
    QProcess unzip;
    unzip.start("unzip", {"-p", dir.filePath("d.xlsx"), "xl/sharedStrings.xml"});
    QVERIFY(unzip.waitForFinished());
    const QString strings = QString::fromUtf8(unzip.readAllStandardOutput());
    for (const char* text : {"TZ360Frac Test Report", "WF130/run 2", "Guar", "Ramp NO", "Viscosity (cP)"})
        QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
}

void TestReportCli::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    QTest::newRow("no such test") << QStringList{"report", "brief", "Nope"} << 3 << "no stored test named \"Nope\"";
    QTest::newRow("no such report") << QStringList{"report", "summary", "WF130/run 2"} << 1 << "corvane, brief or detail";
    QTest::newRow("no name") << QStringList{"report", "corvane"} << 1 << "give its name";
    QTest::newRow("export without file") << QStringList{"export", "WF130/run 2"} << 1 << "-o FILE.xlsx is needed";
    QTest::newRow("unwritable file") << QStringList{"report", "brief", "WF130/run 2", "-o", "missing/b.txt"} << 2
                                     << "could not be written";
    QTest::newRow("unwritable workbook") << QStringList{"export", "WF130/run 2", "-o", "missing/b.xlsx"} << 2
                                         << "could not be written";
}

void TestReportCli::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    const Run r = cli(dir.path(), args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestReportCli)
#include "tst_report_cli.moc"
