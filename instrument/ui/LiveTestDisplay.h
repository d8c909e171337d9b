#pragma once
// What the unit window shows of the running test: the chart of the last 300
// points (viscosity, bath and sample temperature, shear rate against minutes)
// and the per-ramp grid, kept up to date point by point from the live
// analysis. The window hands over its grid and the frame the chart fills.
#include "instrument/LiveRampAnalysis.h"

#include <QObject>

class QTableWidget;
class QWidget;
class clsConnection;

namespace tz {

class LiveChart;

class LiveTestDisplay : public QObject {
    Q_OBJECT
public:
    // The unit system is the workstation's, as held in memory (0, never
    // set, shows CGS).
    LiveTestDisplay(QTableWidget& grid, QWidget& chartFrame, int unitSystem = 0);

    // The unit system of the grid: the heading is built again and the grid
    // and chart cleared.
    void setUnitSystem(int unitSystem);

    // A new test: reads its bob radius from its TEST_INFO row, clears the
    // chart and the grid (heading and one empty row).
    void startTest(clsConnection& connection, int testId);
    void startTest(double bobRadiusCm);
    // One more written row: the grid and the chart are brought up to date.
    void addPoint(const tz::RecordedPoint& point);
    // Several rows at once (a retrieved memory): shown once at the end.
    void addPoints(const QList<tz::RecordedPoint>& points);
    void clear();

    const LiveRampAnalysis& analysis() const { return analysis_; }
    int unitSystem() const { return unitSystem_; }
    // The chart's widget (a QChartView when the charts module is there).
    QWidget* chartView() const;

private:
    void showHeading();
    void showGrid();
    void showChart();

    QTableWidget& grid_;
    int unitSystem_ = 1;
    LiveRampAnalysis analysis_;
    LiveChart* chart_ = nullptr;
    // Grid rows of ramps already closed when the grid was last written: they
    // never change again and are not written again.
    int settledRows_ = 0;
};

}  // namespace tz
