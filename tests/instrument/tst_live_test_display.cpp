// The unit window's results grid, written point by point, always shows what
// a full analysis of the points so far gives: rows of closed ramps are left
// alone, the ramp being recorded and newly closed ramps are written, and a
// new test or points out of ramp order start from a clean grid.
#include "analysis/RampAnalysis.h"
#include "analysis/ResultsTable.h"
#include "instrument/PointWriter.h"
#include "instrument/ui/LiveTestDisplay.h"

#include <QFrame>
#include <QTableWidget>
#include <QTest>

#include <cmath>

using namespace tz;

namespace {

constexpr double kBob = 1.5987;

// Ramp r: three hold points, then `rows` ramp rows of n' 0.6 (0 rows: a
// ramp with nothing to fit, 2 rows: too few for a fit).
QList<RecordedPoint> rampPoints(int ramp, int rows, double& t)
{
    QList<RecordedPoint> out;
    for (int i = 0; i < 3; ++i)
        out.append({1, ramp, 0, t += 10, 150.0 + ramp, 400, 100, 60, 0, 152});
    for (int s = 1; s <= rows; ++s) {
        const double rate = 20.0 * s * ramp;
        out.append({1, ramp, s, t += 10, 150.0 + ramp, 400, rate, 3.0 * ramp * std::pow(rate, 0.6), 1, 152});
    }
    return out;
}

ResultPoint asResult(const RecordedPoint& p)
{
    return LiveRampAnalysis::resultPoint(p);
}

QList<QStringList> gridRows(const QTableWidget& grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << (grid.item(r, c) ? grid.item(r, c)->text() : QString());
        rows << cells;
    }
    return rows;
}

// What the grid must show for these points: the full analysis, and the one
// empty row the grid keeps before any ramp has a result.
QList<QStringList> expectedRows(const std::vector<ResultPoint>& points)
{
    const Settings live = LiveRampAnalysis::liveSettings(1);
    QList<QStringList> rows = buildResultsTable(analyseRamps(points, kBob, live), live).rows;
    if (rows.isEmpty()) rows << QStringList(12, QString());
    return rows;
}

}  // namespace

class TestLiveTestDisplay : public QObject {
    Q_OBJECT
private slots:
    void gridFollowsEveryPoint()
    {
        QTableWidget grid(1, 12);
        QFrame frame;
        LiveTestDisplay display(grid, frame, 1);
        double t = 0;
        QList<RecordedPoint> points;
        for (const auto& [ramp, rows] : {std::pair{1, 5}, {2, 0}, {3, 2}, {4, 6}, {5, 4}})
            points += rampPoints(ramp, rows, t);

        for (int round = 0; round < 2; ++round) {
            // The second round is a new test in the same window.
            display.startTest(kBob);
            QCOMPARE(gridRows(grid), expectedRows({}));
            std::vector<ResultPoint> sofar;
            for (const RecordedPoint& p : points) {
                display.addPoint(p);
                sofar.push_back(asResult(p));
                QCOMPARE(gridRows(grid), expectedRows(sofar));
            }
        }
        QCOMPARE(grid.rowCount(), 5);
        QVERIFY(!grid.item(0, 4)->text().isEmpty());
        QVERIFY(grid.item(1, 0)->text().isEmpty());   // ramp 2 has nothing to fit
        QVERIFY(!grid.item(4, 4)->text().isEmpty());  // the open ramp shows its fit

        // A retrieved memory may repeat an earlier ramp: every row may change.
        std::vector<ResultPoint> all;
        for (const RecordedPoint& p : points) all.push_back(asResult(p));
        double back = t;
        const QList<RecordedPoint> late = rampPoints(1, 4, back);
        display.addPoints(late);
        for (const RecordedPoint& p : late) all.push_back(asResult(p));
        QCOMPARE(gridRows(grid), expectedRows(all));
        // The late points changed rows the grid had settled on.
        const QList<QStringList> before = expectedRows(std::vector<ResultPoint>(all.begin(), all.end() - late.size()));
        bool settledRowChanged = false;
        for (int r = 0; r + 1 < before.size(); ++r)
            settledRowChanged = settledRowChanged || gridRows(grid).value(r) != before[r];
        QVERIFY(settledRowChanged);
    }
};

QTEST_MAIN(TestLiveTestDisplay)
#include "tst_live_test_display.moc"
