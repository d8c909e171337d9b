#include "analysis/ChartData.h"

#include "app/Settings.h"

#include <algorithm>

namespace tz {

namespace {

// 1 lbf/100 ft2 is 4.788 dyn/cm2.
constexpr double kDynPerLb100Ft2 = 4.788;

const QString kTimeMin = QStringLiteral("Time (Min)");
const QString kRate = QStringLiteral("Shear Rate (1/S)");

QString stressTitle(int unitSystem)
{
    return unitSystem == UnitEI ? QStringLiteral("Shear Stress (lb/100ft2)")
                                : QStringLiteral("Shear Stress (dyn/cm2)");
}

QString degrees(int unitSystem)
{
    return unitSystem == UnitCGS ? QStringLiteral("(°F)") : QStringLiteral("(°C)");
}

// A standing rotor (rate near 0) has viscosity 0; the offset is the
// instrument's long-standing one for these charts.
double viscosity(const ResultPoint& r)
{
    return r.shearRate < 0.00002 ? 0.0 : 100.0 * r.shearStress / (r.shearRate + 0.0000001);
}

struct TypeTexts {
    const char* title;
    const char* yTitle;   // nullptr: the shear-stress title of the unit system
};

// Chart types 1 to 5 of the 2-D list.
constexpr TypeTexts kTypes[] = {
    {"", ""},
    {"Shear Stress Vs. Shear Rate", nullptr},
    {"Viscosity Vs. Temperature", "Viscosity (Cp)"},
    {"Viscosity Vs. Shear Rate", "Viscosity (Cp)"},
    {"Shear Stress vs. Time", nullptr},
    {"Viscosity vs. Time", "cP "},
};

QPointF point2D(int index, const ResultPoint& r, int unitSystem)
{
    switch (index) {
    case 1: return {r.shearRate, displayStress(r.shearStress, unitSystem)};
    case 2: return {displayTemperature(r.sampleTemp, unitSystem), viscosity(r)};
    case 3: return {r.shearRate, viscosity(r)};
    case 4: return {r.time, displayStress(r.shearStress, unitSystem)};
    default: return {r.time / 60.0, viscosity(r)};
    }
}

}  // namespace

double displayStress(double dynPerCm2, int unitSystem)
{
    return unitSystem == UnitEI ? dynPerCm2 / kDynPerLb100Ft2 : dynPerCm2;
}

double displayTemperature(double fahrenheit, int unitSystem)
{
    return unitSystem == UnitCGS ? fahrenheit : (fahrenheit - 32.0) / 1.8;
}

QStringList chartTypes2D()
{
    return {QStringLiteral("Visc, Temp Vs Time"),   QStringLiteral("Shr. Stress Vs. Shr. Rate"),
            QStringLiteral("Visc Vs. Sample Temp"), QStringLiteral("Visc. Vs. Shear Rate"),
            QStringLiteral("Shr. Stress Vs. Time"), QStringLiteral("Visc Vs. Time")};
}

QStringList chartTypes3D()
{
    return {QStringLiteral("Visc Vs. Rate, Time"), QStringLiteral("Visc Vs. Rate, Temp"),
            QStringLiteral("Visc Vs. Temp, Time")};
}

Chart2D defaultChart(const QString& testName, const ChartPoints& points)
{
    Chart2D c;
    c.title = testName.isEmpty() ? QStringLiteral("Viscosity & Temperature Vs. Time") : testName;
    c.xTitle = kTimeMin;
    c.yTitles = {points.celsius ? QStringLiteral("Temperature (°C)") : QStringLiteral("Temperature (°F)"),
                 QStringLiteral("Viscosity (cP)"), kRate};
    const std::vector<double>* values[] = {&points.sampleTemp, &points.bathTemp, &points.viscosity,
                                           &points.shearRate};
    const char* labels[] = {"Sample Temp.", "Bath Temp.", "Viscosity", "Shear Rate"};
    const int axes[] = {0, 0, 1, 2};
    for (int s = 0; s < 4; ++s) {
        ChartSeries series{QString::fromLatin1(labels[s]), axes[s], {}};
        series.points.reserve(static_cast<qsizetype>(points.size()));
        for (size_t i = 0; i < points.size(); ++i) series.points.append({points.timeMin[i], (*values[s])[i]});
        c.series.append(std::move(series));
    }
    return c;
}

ChartSeries overlaySeries(int index, const QString& testName, const std::vector<ResultPoint>& rows,
                          int unitSystem)
{
    ChartSeries s{testName, 0, {}};
    s.points.reserve(static_cast<qsizetype>(rows.size()));
    for (const ResultPoint& r : rows) s.points.append(point2D(index, r, unitSystem));
    // A flow curve is read from low to high rate, whatever order the ramp ran
    // in; points at the same rate keep their recording order.
    if (index == kStressVsRate)
        std::stable_sort(s.points.begin(), s.points.end(),
                         [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    return s;
}

Chart2D chart2D(int index, const QString& testName, const std::vector<ResultPoint>& rows, int unitSystem)
{
    if (index <= kDefaultChart || index >= 6) {
        Settings settings;
        settings.unitSystem = unitSystem;
        return defaultChart(testName, buildChartPoints(rows, DataFilter::All, settings));
    }
    Chart2D c;
    c.title = QString::fromUtf8(kTypes[index].title);
    c.subtitle = testName;
    c.xTitle = index == 1 || index == 3 ? kRate
               : index == 2            ? QStringLiteral("Sample Temperature ") + degrees(unitSystem)
               : index == 4            ? QStringLiteral("Time (S)")
                                       : kTimeMin;
    c.yTitles = {kTypes[index].yTitle ? QString::fromUtf8(kTypes[index].yTitle) : stressTitle(unitSystem)};
    c.series = {overlaySeries(index, testName, rows, unitSystem)};
    c.markers = drawnAsMarkers(index);
    return c;
}

bool drawnAsMarkers(int index) { return index == kStressVsRate || index == kViscosityVsRate; }

std::optional<ChartMessage> overlayRefusal(int index, const QString& openedTest,
                                           const QString& overlayTest)
{
    if (overlayTest == openedTest)
        return ChartMessage{QStringLiteral("Test can not overlap itself!"),
                            QStringLiteral("Selection Error.")};
    if (index <= kDefaultChart || index >= 6)
        return ChartMessage{
            QStringLiteral("Click here to overlap another test on graphs.  Charts can not be "
                           "overlapped when chart type is 'Visc Temp Vs. Time'."),
            QString()};
    return std::nullopt;
}

void addOverlay(Chart2D& chart, const QString& openedTest, ChartSeries overlay)
{
    if (!chart.series.isEmpty()) chart.series[0].label = openedTest;
    overlay.axis = 0;
    chart.series.append(std::move(overlay));
}

void dropPointsHiddenOnLog(Chart2D& chart, bool xLog, bool yLog)
{
    for (ChartSeries& s : chart.series) {
        const bool logY = yAxisLog(chart, s.axis, yLog);
        if (!xLog && !logY) continue;
        const auto before = s.points.size();
        s.points.removeIf([&](const QPointF& p) { return (xLog && p.x() <= 0) || (logY && p.y() <= 0); });
        chart.hiddenOnLog += static_cast<int>(before - s.points.size());
    }
}

Chart3D chart3D(int index, const QString& testName, const std::vector<ResultPoint>& rows, int unitSystem)
{
    Chart3D c;
    c.subtitle = testName;
    c.yTitle = QStringLiteral("Viscosity (cP)");
    const QString temp = QStringLiteral("Sample Temp ") + degrees(unitSystem);
    switch (index) {
    case 1:
        c.title = QStringLiteral("Viscosity vs. Shear Rate & Sample Temperature");
        c.xTitle = kRate;
        c.zTitle = temp;
        break;
    case 2:
        c.title = QStringLiteral("Viscosity vs. Time & Sample Temperature");
        c.xTitle = kTimeMin;
        c.zTitle = temp;
        break;
    default:
        c.title = QStringLiteral("Viscosity Vs. Shear Rate & Sample Temp");
        c.xTitle = kTimeMin;
        c.zTitle = kRate;
        break;
    }
    c.points.reserve(rows.size());
    for (const ResultPoint& r : rows) {
        const double minutes = r.time / 60.0;
        const double temp = displayTemperature(r.sampleTemp, unitSystem);
        switch (index) {
        case 1: c.points.push_back({r.shearRate, temp, viscosity(r)}); break;
        case 2: c.points.push_back({minutes, temp, viscosity(r)}); break;
        default: c.points.push_back({minutes, r.shearRate, viscosity(r)}); break;
        }
    }
    return c;
}

}  // namespace tz
