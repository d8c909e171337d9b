// Opening a long test: builds tests of 10,000, 100,000 and 300,000 points in a
// temporary database and prints the time to load, analyse and build the chart
// series and the results table. Aim: 300,000 points under 300 ms in all, and
// the same time per point at every length.
//
// Beside it, the floor: the same rows read with the plain SQLite C API into
// one array per column, nothing else. The load can come near it, not below.
#include "analysis/ChartPoints.h"
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "db/clsConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <vector>

#if __has_include(<sqlite3.h>)
#include <sqlite3.h>
#define TZ360_BENCH_FLOOR 1
#endif

namespace {

// One point a second: a 600-point hold then a 40-row shear ramp, repeated.
void storePoints(clsConnection& c, const QString& name, int count) {
    QSqlQuery q(c.ADOConnection());
    q.prepare("INSERT INTO TEST_INFO (TEST_NAME, TEST_TIME, BOB_RADIUS) VALUES (?, '2026-03-01T08:30:00', 1.5987)");
    q.addBindValue(name);
    q.exec();
    const int id = q.lastInsertId().toInt();
    c.ADOConnection().transaction();
    q.prepare("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
              "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < count; ++i) {
        const int ramp = i / 640 + 1, within = i % 640;
        const bool onRamp = within >= 600;
        const double rate = onRamp ? 25.0 + 10.0 * (within - 600) : 100.0;
        q.addBindValue(id);
        q.addBindValue(ramp);
        q.addBindValue(onRamp ? within - 599 : 0);
        q.addBindValue(double(i));
        q.addBindValue(250.0);
        q.addBindValue(400.0);
        q.addBindValue(rate);
        q.addBindValue(10.0 * std::pow(rate, 0.5));
        q.addBindValue(onRamp ? 1 : 0);
        q.addBindValue(252.0);
        q.exec();
    }
    c.ADOConnection().commit();
}

#ifdef TZ360_BENCH_FLOOR
// Milliseconds to read the test's points with sqlite3 alone; -1 on failure.
double floorMs(const QString& file, int testId) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    QElapsedTimer t;
    t.start();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
                       "RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP "
                       "FROM TEST_RESULT WHERE TEST_ID = ? ORDER BY RESULT_TIME",
                       -1, &st, nullptr);
    sqlite3_bind_int(st, 1, testId);
    std::vector<double> columns[9];
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int i = 0; i < 9; ++i) columns[i].push_back(sqlite3_column_double(st, i));
    sqlite3_finalize(st);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return columns[0].empty() ? -1 : ms;
}
#else
double floorMs(const QString&, int) { return -1; }
#endif

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    clsConnection c;
    c.OpenDB({}, {}, {}, {}, dir.path());
    tz::Settings settings;
    settings.unitSystem = tz::UnitCGS;
    out << "points    load ms  analyse ms  series ms  total ms  ns/point   floor: sqlite3 read ms\n";
    for (int n : {10000, 100000, 300000}) {
        const QString name = QString("Bench %1").arg(n);
        storePoints(c, name, n);
        QElapsedTimer t;
        t.start();
        const auto test = tz::loadTestByName(c, name);
        const qint64 load = t.restart();
        const tz::ResultsTable table = tz::buildResultsTable(test->analyse(settings), settings);
        const qint64 analyse = t.restart();
        const tz::ChartPoints series = tz::buildChartPoints(test->points, tz::DataFilter::All, settings);
        const qint64 chart = t.restart();
        const qint64 total = load + analyse + chart;
        const double floor = floorMs(c.fileName(), test->info.testId);
        out << QString("%1 %2 %3 %4 %5 %6 %7   (%8 ramps, %9 chart points)\n")
                   .arg(n, 6).arg(load, 10).arg(analyse, 11).arg(chart, 10).arg(total, 9)
                   .arg(total * 1e6 / n, 9, 'f', 0)
                   .arg(floor < 0 ? QStringLiteral("n/a") : QString::number(floor, 'f', 0), 24)
                   .arg(table.rows.size()).arg(series.size());
        out.flush();
    }
    return 0;
}
