#pragma once
// The series, titles and axis texts of every chart of an opened test, built
// from its recorded points. No widget here: the chart views only draw what
// this returns, so the numbers can be checked without a display.
#include "analysis/ChartPoints.h"
#include "analysis/RampAnalysis.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tz {

inline constexpr int kDefaultChart = 0;
inline constexpr int kStressVsRate = 1;
inline constexpr int kViscosityVsRate = 3;
inline constexpr int kChart2DTypes = 6;
inline constexpr int kChart3DTypes = 3;

// The texts of the chart-type list, in list order.
QStringList chartTypes2D();
QStringList chartTypes3D();

struct ChartSeries {
    QString label;
    int axis = 0;              // vertical axis the series is read against
    QList<QPointF> points;
};

struct Chart2D {
    QString title;
    QString subtitle;
    QString xTitle;
    QStringList yTitles;       // one per vertical axis, the default chart has three
    QList<ChartSeries> series;
    int hiddenOnLog = 0;       // points left out because a log axis cannot show them
    bool markers = false;      // points drawn on their own, not joined by lines
};

// Whether a chart type of the 2-D list shows its points as markers: those
// against shear rate do, since joining the points in recording order would
// draw lines back and forth across every ramp. Charts against time and
// temperature keep their lines.
bool drawnAsMarkers(int index);

struct ChartPoint3D {
    double x = 0;              // across
    double z = 0;              // into the page
    double y = 0;              // up: always viscosity
};

struct Chart3D {
    QString title;
    QString subtitle;
    QString xTitle;
    QString zTitle;
    QString yTitle;
    std::vector<ChartPoint3D> points;
};

// The default chart "Visc, Temp Vs Time": sample and bath temperature on axis 0,
// viscosity on axis 1 and shear rate on axis 2, against time in minutes, from
// the opened test's filtered chart points. The title is the test name (empty
// name: no test opened, the chart's own title).
Chart2D defaultChart(const QString& testName, const ChartPoints& points);

// Chart types 1 to 5 of the 2-D list, one series of every recorded point.
Chart2D chart2D(int index, const QString& testName, const std::vector<ResultPoint>& rows, int unitSystem);

// The series another test adds to chart type 1 to 5, by the same rules.
ChartSeries overlaySeries(int index, const QString& testName, const std::vector<ResultPoint>& rows,
                          int unitSystem);

struct ChartMessage {
    QString text;
    QString title;
};

// Why a test cannot be overlaid on the chart now shown, or nothing when it can.
std::optional<ChartMessage> overlayRefusal(int index, const QString& openedTest,
                                           const QString& overlayTest);

// Adds an overlay series and names series 0 after the opened test.
void addOverlay(Chart2D& chart, const QString& openedTest, ChartSeries overlay);

// Whether vertical axis `axis` is logarithmic: "Y Scale: Log" turns every
// axis but the temperature axis of the default chart. Inline: the charts
// module draws with it and links nothing of the core library.
inline bool yAxisLog(const Chart2D& chart, int axis, bool yLog)
{
    return yLog && (chart.yTitles.size() == 1 || axis > 0);
}

// A logarithmic axis cannot show zero or a negative value (a shear rate of 0,
// the viscosity 0 of such a point, time 0): those points are left out and
// counted in hiddenOnLog.
void dropPointsHiddenOnLog(Chart2D& chart, bool xLog, bool yLog);

// The three 3-D chart types: viscosity up, against shear rate and time,
// shear rate and sample temperature, or time and sample temperature.
Chart3D chart3D(int index, const QString& testName, const std::vector<ResultPoint>& rows, int unitSystem);

// Shear stress in the unit its axis names: lb/100ft2 in EI, dyn/cm2 otherwise.
double displayStress(double dynPerCm2, int unitSystem);
// Temperature in the unit its axis names: °F in CGS, °C otherwise.
double displayTemperature(double fahrenheit, int unitSystem);

}  // namespace tz
