// tz360-cli summary over a real database file: two tests side by side in the
// three formats, the JSON read back, the threshold remembered in tz360.ini,
// and the refusals. Step points at 100 1/s, so viscosity (cP) = stress.
#include "analysis/StoredTests.h"
#include "db/TempDatabase.h"
#include "reports/XlsxCells.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

struct Step {
    double minutes;
    double cp;
    double tempF;
};

std::vector<tz::ResultPoint> steps(const QList<Step>& list) {
    std::vector<tz::ResultPoint> rows;
    for (const Step& s : list) rows.push_back({1, 0, s.minutes * 60, s.tempF, 500, 100, s.cp, 0, 0});
    return rows;
}

// Above 100 cP from 4 to 35 min (31 min), breaks at 35 min; 250 °F max, within
// 5 °F of it from 19 to 35 min (16 min).
const QString kGel = QStringLiteral("Gel \"A\", 250F");
const QList<Step> kGelSteps{{0, 20, 80}, {10, 220, 200}, {20, 220, 250}, {30, 160, 250}, {40, 40, 240}, {50, 10, 230}};
// Above 100 cP 5 + 50/7 + 6 + 30/7 = 22.43 min, breaks at 30 + 30/7 = 34.29 min.
const QString kDip = QStringLiteral("Dip");
const QList<Step> kDipSteps{{0, 50, 100}, {10, 150, 100}, {20, 80, 100}, {30, 130, 100}, {40, 60, 100}, {50, 30, 100}};

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QString& dir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(qEnvironmentVariable("TZ360_CLI"), args);
    Run r;
    if (!p.waitForFinished(20000)) return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') { field += u'"'; ++i; }
            else if (c == u'"') quoted = false;
            else field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field; field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field; field.clear(); records << record; record.clear(); ++i;
        } else {
            field += c;
        }
    }
    return records;
}

}  // namespace

class TestCliSummary : public QObject {
    Q_OBJECT
private:
    TempDatabase* db = nullptr;

    void writeIni(const QByteArray& text) {
        QFile f(db->dir.filePath("tz360.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

private slots:
    void init() {
        db = new TempDatabase;
        // A last point at rest measures no viscosity: the summary leaves it out.
        std::vector<tz::ResultPoint> gel = steps(kGelSteps);
        gel.push_back({1, 0, 3300, 225, 480, 0, 3, 0, 0});
        fixture::storeTest(db->connection, kGel, gel, {{"Guar, fast", 40, "lb/Mgal", "L-17"}});
        std::vector<tz::ResultPoint> dip = steps(kDipSteps);
        // One ramp, rates 25 .. 300: 40, 100, 170 1/s lie inside it.
        const auto ramp = fixture::powerLawPoints(1, 0.5, 10);
        dip.insert(dip.end(), ramp.begin() + 1, ramp.end());
        fixture::storeTest(db->connection, kDip, dip);
    }
    void cleanup() { delete db; db = nullptr; }

    void text() {
        const Run r = cli(db->dir.path(), {"summary", kGel, kDip, "--threshold", "100"});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines[0].startsWith("Test") && lines[0].contains(kGel) && lines[0].endsWith(kDip), qPrintable(lines[0]));
        const auto line = [&](const QString& heading) {
            for (const QString& l : lines)
                if (l.startsWith(heading)) return l.mid(heading.size()).simplified();
            return QString("missing");
        };
        QCOMPARE(line("Break time (min)"), QString("35.0 34.3"));
        QCOMPARE(line("Time at or above threshold (min)"), QString("31.0 22.4"));
        QCOMPARE(line("Peak viscosity (cP)"), QString("220 150"));
        QCOMPARE(line("Time within 5 °F of max temp (min)"), QString("16.0 50.0"));
        // The gel test has no ramp: its ramp column shows "-".
        QCOMPARE(line("Ramp 1 n'"), QString("- 0.5000"));
        QCOMPARE(line("Ramp 1 @40 1/s extrapolated"), QString("- no"));
    }

    void csvOneRecordPerTest() {
        const Run r = cli(db->dir.path(), {"summary", kGel, kDip, "--format", "csv"});
        QCOMPARE(r.code, 0);
        const QList<QStringList> records = parseCsv(r.out);
        QCOMPARE(records.size(), 3);
        const QStringList& head = records[0];
        QCOMPARE(head[0], QString("Test name"));
        QCOMPARE(records[1][0], kGel);   // the comma and quotes survive
        QCOMPARE(records[2][0], kDip);
        QCOMPARE(records[1].size(), head.size());
        QCOMPARE(records[2].size(), head.size());
        const qsizetype brk = head.indexOf("Break time (min)");
        QVERIFY(brk > 0);
        QCOMPARE(records[1][brk], QString("35.0"));
        QCOMPARE(records[2][brk], QString("34.3"));
        QCOMPARE(records[1][head.indexOf("Max sample temp (°F)")], QString("250.0"));
        QCOMPARE(records[1][head.indexOf("Ramp 1 K'pipe (dyn-s^n/cm2)")], QString());
    }

    void jsonReadBack() {
        const Run r = cli(db->dir.path(), {"summary", kGel, kDip, "--format", "json"});
        QCOMPARE(r.code, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray tests = doc.object()["tests"].toArray();
        QCOMPARE(tests.size(), 2);
        const QJsonObject gel = tests[0].toObject();
        const QJsonObject dip = tests[1].toObject();
        QCOMPARE(gel["name"].toString(), kGel);
        QCOMPARE(gel["threshold_cp"].toDouble(), 100.0);
        QVERIFY(std::fabs(gel["minutes_above_threshold"].toDouble() - 31.0) < 1e-9);
        QVERIFY(std::fabs(gel["break_time_min"].toDouble() - 35.0) < 1e-9);
        QCOMPARE(gel["peak_time_min"].toDouble(), 10.0);
        QCOMPARE(gel["final_viscosity_cp"].toDouble(), 10.0);
        QCOMPARE(gel["units"].toObject()["temperature"].toString(), QString("°F"));
        QVERIFY(gel["ramps"].toArray().isEmpty());
        QVERIFY(std::fabs(dip["minutes_above_threshold"].toDouble() - (11.0 + 80.0 / 7)) < 1e-9);
        QVERIFY(std::fabs(dip["break_time_min"].toDouble() - (30.0 + 30.0 / 7)) < 1e-9);
        const QJsonObject ramp = dip["ramps"].toArray()[0].toObject();
        QVERIFY(std::fabs(ramp["n_prime"].toDouble() - 0.5) < 1e-9);
        // K'pipe = K' ((3 x 0.5 + 1) / (4 x 0.5))^0.5
        QVERIFY(std::fabs(ramp["k_pipe"].toDouble() / ramp["k_prime"].toDouble() - std::sqrt(1.25)) < 1e-9);
        QCOMPARE(ramp["min_rate"].toDouble(), 25.0);
        QCOMPARE(ramp["max_rate"].toDouble(), 300.0);
    }

    // The threshold the operator chose in the main window; --threshold wins.
    void thresholdFromProgramSettings() {
        writeIni("[summary]\nthreshold_cp=300\n");
        Run r = cli(db->dir.path(), {"summary", kGel, "--format", "json"});
        QCOMPARE(r.code, 0);
        QJsonObject gel = QJsonDocument::fromJson(r.out.toUtf8()).object()["tests"].toArray()[0].toObject();
        QCOMPARE(gel["threshold_cp"].toDouble(), 300.0);
        QCOMPARE(gel["minutes_above_threshold"].toDouble(), 0.0);
        QVERIFY(gel["break_time_min"].isNull());
        r = cli(db->dir.path(), {"summary", kGel, "--format", "json", "--threshold", "10"});
        gel = QJsonDocument::fromJson(r.out.toUtf8()).object()["tests"].toArray()[0].toObject();
        QCOMPARE(gel["minutes_above_threshold"].toDouble(), 50.0);
        // A hand-edited file with nonsense falls back to 100 cP.
        writeIni("[summary]\nthreshold_cp=-4\n");
        r = cli(db->dir.path(), {"summary", kGel, "--format", "json"});
        gel = QJsonDocument::fromJson(r.out.toUtf8()).object()["tests"].toArray()[0].toObject();
        QCOMPARE(gel["threshold_cp"].toDouble(), 100.0);
    }

    void exportCsv() {
        const QString file = db->dir.filePath("gel.csv");
        const Run r = cli(db->dir.path(), {"export", kGel, "--format", "csv", "-o", file});
        QCOMPARE(r.code, 0);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QStringList> records = parseCsv(QString::fromUtf8(f.readAll()));
        QCOMPARE(records.size(), 1 + 7);
        QCOMPARE(records[0], (QStringList{"Test name", "Test ID", "Fluid ID", "Test time", "Researcher", "Ramp",
                                          "Step", "Type", "Time (s)", "Sample temp (°F)", "Bath temp (°F)",
                                          "Pressure (psi)", "Shear rate (1/s)", "Shear stress (dyn/cm2)",
                                          "Viscosity (cP)"}));
        // 10 min, 220 dyn/cm2 at 100 1/s: 220 cP.
        QCOMPARE(records[2], (QStringList{kGel, records[2][1], "WF130 gel", "2026-03-01T08:30:00", "J. Ortiz", "1",
                                          "0", "0", "600", "200", "0", "500", "100", "220", "220"}));
        QCOMPARE(records[7][8], QString("3300"));
        QCOMPARE(records[7][14], QString());   // at rest: no viscosity
        // Without -o to standard output, the same text.
        const Run toStdout = cli(db->dir.path(), {"export", kGel, "--format", "csv"});
        QCOMPARE(toStdout.code, 0);
        QCOMPARE(parseCsv(toStdout.out), records);
    }

    void exportJsonReadBack() {
        const Run r = cli(db->dir.path(), {"export", kDip, "--format", "json"});
        QCOMPARE(r.code, 0);
        QJsonParseError error;
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc["test"].toObject()["name"].toString(), kDip);
        QCOMPARE(doc["test"].toObject()["bob_radius_cm"].toDouble(), 1.5987);
        QCOMPARE(doc["units"].toObject()["pressure"].toString(), QString("psi"));
        const QJsonArray points = doc["points"].toArray();
        QCOMPARE(points.size(), 6 + 5);
        // Stored by time: the steps at 0 .. 50 min, the ramp points at 610 .. 650 s.
        const QJsonObject ramp1 = points[2].toObject();
        QCOMPARE(ramp1["type"].toInt(), 1);
        QCOMPARE(ramp1["time_s"].toDouble(), 610.0);
        QCOMPARE(ramp1["shear_rate"].toDouble(), 25.0);
        QCOMPARE(ramp1["shear_stress"].toDouble(), 50.0);          // 10 x 25^0.5
        QCOMPARE(ramp1["viscosity_cp"].toDouble(), 200.0);        // 100 x 50 / 25
        const QJsonArray ramps = doc["ramps"].toArray();
        QCOMPARE(ramps.size(), 1);
        QVERIFY(std::fabs(ramps[0].toObject()["n_prime"].toDouble() - 0.5) < 1e-9);
        QVERIFY(std::fabs(doc["summary"].toObject()["break_time_min"].toDouble() - (30.0 + 30.0 / 7)) < 1e-9);

        const QJsonObject gel = QJsonDocument::fromJson(cli(db->dir.path(), {"export", kGel, "--format", "json"}).out.toUtf8()).object();
        QCOMPARE(gel["additives"].toArray()[0].toObject()["name"].toString(), QString("Guar, fast"));
        QCOMPARE(gel["additives"].toArray()[0].toObject()["concentration"].toDouble(), 40.0);
        QVERIFY(gel["points"].toArray()[6].toObject()["viscosity_cp"].isNull());
        QVERIFY(gel["ramps"].toArray().isEmpty());
    }

    // The detailed spreadsheet gains the summary at the remembered threshold;
    // the brief one stays one sheet.
    void exportDetailedXlsxHasSummarySheet() {
        writeIni("[summary]\nthreshold_cp=200\n");
        const QString detailed = db->dir.filePath("gel detail.xlsx"), brief = db->dir.filePath("gel.xlsx");
        QCOMPARE(cli(db->dir.path(), {"export", kGel, "--detail", "-o", detailed}).code, 0);
        QCOMPARE(cli(db->dir.path(), {"export", kGel, "-o", brief}).code, 0);
        QVERIFY(xlsx::member(detailed, "xl/workbook.xml").contains("name=\"Summary\""));
        QVERIFY(!xlsx::member(brief, "xl/workbook.xml").contains("name=\"Summary\""));
        const auto cells = xlsx::readCells(detailed, "sheet2");
        QCOMPARE(cells.value(QString("B%1").arg(xlsx::rowOf(cells, "Threshold (cP)"))).toDouble(), 200.0);
        // 20 -> 220 crosses 200 at 9 min, 220 -> 160 at 20 + 10 x 20/60 min.
        QVERIFY(std::fabs(cells.value(QString("B%1").arg(xlsx::rowOf(cells, "Break time (min)"))).toDouble()
                          - (20.0 + 10.0 / 3)) < 1e-9);
    }

    void refuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no name") << QStringList{"summary"} << 1;
        QTest::newRow("zero threshold") << QStringList{"summary", "Dip", "--threshold", "0"} << 1;
        QTest::newRow("text threshold") << QStringList{"summary", "Dip", "--threshold", "thick"} << 1;
        QTest::newRow("bad format") << QStringList{"summary", "Dip", "--format", "xml"} << 1;
        QTest::newRow("unknown option") << QStringList{"summary", "Dip", "--all"} << 1;
        // Nothing printed for the test that was found either.
        QTest::newRow("one unknown test") << QStringList{"summary", "Dip", "Nope"} << 3;
        QTest::newRow("export format") << QStringList{"export", "Dip", "--format", "xml"} << 1;
        QTest::newRow("export csv detail") << QStringList{"export", "Dip", "--format", "csv", "--detail"} << 1;
        QTest::newRow("export unknown test") << QStringList{"export", "Nope", "--format", "json"} << 3;
    }

    void refuses() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const Run r = cli(db->dir.path(), args);
        QCOMPARE(r.code, code);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliSummary)
#include "tst_cli_summary.moc"
