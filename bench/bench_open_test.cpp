// Opening a long test: builds tests of 10,000, 100,000 and 300,000 points in a
// temporary database and prints the time to load, analyse and build the chart
// series and the results table. Aim: under 300 ms in all at 100,000 points,
// growing no faster than n log n.
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    clsConnection c;
    c.OpenDB({}, {}, {}, {}, dir.path());
    tz::Settings settings;
    settings.unitSystem = tz::UnitCGS;
    out << "points    load ms  analyse ms  series ms  total ms\n";
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
        out << QString("%1 %2 %3 %4 %5   (%6 ramps, %7 chart points)\n")
                   .arg(n, 6).arg(load, 10).arg(analyse, 11).arg(chart, 10).arg(load + analyse + chart, 9)
                   .arg(table.rows.size()).arg(series.size());
        out.flush();
    }
    return 0;
}
