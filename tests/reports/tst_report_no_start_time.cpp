// A test stored without a start time (TEST_TIME NULL, as another program or
// an older database leaves it) keeps "no start time" in every report: the
// fixed-column file, the brief report, the spreadsheet and the detail report
// show empty fields, never the moment the report was made.
#include "XlsxCells.h"
#include "analysis/OpenedTest.h"
#include "reports/DetailReport.h"
#include "tests/analysis/StoredTests.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestReportNoStartTime : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString run(const QStringList& args)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(qEnvironmentVariable("TZ360_CLI"), args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qWarning() << args << p.readAllStandardError();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QString text(const QString& name)
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariable("TZ360_CLI").isEmpty());
        clsConnection c;
        c.OpenDB("", "", "", "", dir.path());
        // One ramp; the first point at 90 s.
        fixture::storeTest(c, "Old run", fixture::powerLawPoints(1, 0.5, 10));
        QSqlQuery q(c.ADOConnection());
        QVERIFY(q.exec("UPDATE TEST_INFO SET TEST_TIME = NULL WHERE TEST_NAME = 'Old run'"));
    }

    void corvaneDateAndClockAreEmpty()
    {
        QCOMPARE(run({"report", "corvane", "Old run"}), dir.filePath("Old run.txt"));
        const QStringList lines = text("Old run.txt").split("\r\n");
        QCOMPARE(lines.size(), 1 + 6 + 1);
        // The hold point at 600 s: DATE and CLOCK empty, the elapsed clocks
        // still count from the start (600 s = 00:10:00, 600 - 480 s = 00:02:00).
        QVERIFY2(lines[1].startsWith("\"\"  \"\"     \"00:10:00\"     \"00:02:00\"      10."), qPrintable(lines[1]));
    }

    void briefTestTimeIsEmpty()
    {
        run({"report", "brief", "Old run"});
        const QStringList lines = text("Old run brief.txt").split("\r\n");
        QCOMPARE(lines.value(4), QString(27, ' ') + "Test Time:             ");
    }

    void spreadsheetTestTimeIsEmpty()
    {
        run({"export", "Old run", "-o", "old.xlsx"});
        const QMap<QString, QVariant> cells = xlsx::readCells(dir.filePath("old.xlsx"));
        QCOMPARE(cells.value("A5").toString(), QString("Test Time:"));
        QVERIFY2(!cells.contains("B5"), qPrintable(cells.value("B5").toString()));
        QCOMPARE(cells.value("B4").toString(), QString("WF130 gel"));
    }

    void detailTestTimeIsEmpty()
    {
        clsConnection c;
        c.OpenDB("", "", "", "", dir.path());
        const std::optional<OpenedTest> test = loadTestByName(c, "Old run");
        QVERIFY(test);
        QVERIFY(!test->info.time.isValid());
        const QString html = detailReportHtml(test->info, test->points);
        QVERIFY(html.contains("<td width=\"22%\"><b>TEST_TIME:</b></td><td width=\"28%\"></td>"));
    }
};

QTEST_GUILESS_MAIN(TestReportNoStartTime)
#include "tst_report_no_start_time.moc"
