#include "analysis/ui/charts/ChartView2D.h"

#include "analysis/DisplayPoints.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tz {

namespace {

// Above this many points the markers hide the curve and slow the drawing.
constexpr qsizetype kMaxMarkedPoints = 400;

// Default chart: sample and bath temperature, viscosity, shear rate; then
// one colour per overlaid test.
const QColor kDefaultColours[] = {QColor(200, 30, 30), QColor(230, 140, 20), QColor(20, 70, 200),
                                  QColor(20, 140, 60)};
const QColor kOverlayColours[] = {QColor(20, 70, 200),  QColor(200, 30, 30), QColor(20, 140, 60),
                                  QColor(150, 60, 170), QColor(230, 140, 20), QColor(0, 150, 160),
                                  QColor(120, 90, 40),  QColor(90, 90, 90)};

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return lo > hi; }
};

QAbstractAxis* makeAxis(const QString& title, bool log, Range r)
{
    if (log) {
        auto* a = new QLogValueAxis;
        a->setBase(10.0);
        a->setLabelFormat(QStringLiteral("%g"));
        a->setMinorTickCount(-1);
        if (r.empty()) r = {1.0, 10.0};
        // Whole decades, so the grid lines fall on 1, 10, 100 ...
        a->setRange(std::pow(10.0, std::floor(std::log10(r.lo))),
                    std::pow(10.0, std::ceil(std::log10(r.hi) + 1e-12)));
        a->setTitleText(title);
        return a;
    }
    auto* a = new QValueAxis;
    if (r.empty()) r = {0.0, 1.0};
    if (r.lo == r.hi) {
        const double pad = r.lo == 0 ? 1.0 : std::abs(r.lo) * 0.1;
        r.lo -= pad;
        r.hi += pad;
    }
    // Ticks at a round step (1, 2, 2.5 or 5 times a power of ten), the range
    // widened only to the next tick, so the curves fill the plot.
    const double raw = (r.hi - r.lo) / 6.0;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    double step = decade * 10.0;
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (decade * m >= raw) {
            step = decade * m;
            break;
        }
    const double lo = std::floor(r.lo / step + 1e-9) * step;
    const double hi = std::ceil(r.hi / step - 1e-9) * step;
    a->setRange(lo, hi);
    a->setTickType(QValueAxis::TicksDynamic);
    a->setTickAnchor(lo);
    a->setTickInterval(step);
    a->setMinorTickCount(0);
    a->setLabelFormat(QStringLiteral("%g"));
    a->setTitleText(title);
    return a;
}

// The chart control reads its title as rich text, so a test name is escaped
// ("A&B" stays "A&B"). A subtitle or a note goes on further lines in the
// normal weight under the bold title.
QString titleText(const Chart2D& c)
{
    if (c.subtitle.isEmpty() && c.hiddenOnLog == 0) return c.title.toHtmlEscaped();
    QString html = QStringLiteral("<p align=\"center\" style=\"margin:0\">%1").arg(c.title.toHtmlEscaped());
    if (!c.subtitle.isEmpty())
        html += QStringLiteral("<br><span style=\"font-weight:normal\">%1</span>").arg(c.subtitle.toHtmlEscaped());
    if (c.hiddenOnLog > 0)
        html += QStringLiteral("<br><span style=\"font-weight:normal\"><i>%1 point(s) at or below zero "
                               "are not shown on the log scale.</i></span>")
                    .arg(c.hiddenOnLog);
    return html;
}

}  // namespace

ChartView2D::ChartView2D(QWidget* parent) : QChartView(new QChart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::NoFocus);
}

void ChartView2D::draw(const Chart2D& c, bool xLog, bool yLog)
{
    m_drawn = c;
    m_xLog = xLog;
    m_yLog = yLog;

    auto* chart = new QChart;
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitle(titleText(c));
    chart->setMargins(QMargins(4, 4, 4, 4));
    const bool isDefault = c.yTitles.size() > 1;

    Range xr;
    QList<Range> yr(c.yTitles.size());
    for (const ChartSeries& s : c.series)
        for (const QPointF& p : s.points) {
            xr.add(p.x());
            if (s.axis < yr.size()) yr[s.axis].add(p.y());
        }

    QAbstractAxis* x = makeAxis(c.xTitle, xLog, xr);
    chart->addAxis(x, Qt::AlignBottom);
    QList<QAbstractAxis*> ys;
    for (qsizetype i = 0; i < c.yTitles.size(); ++i) {
        QAbstractAxis* y = makeAxis(c.yTitles[i], yAxisLog(c, int(i), yLog), yr[i]);
        chart->addAxis(y, i == 0 ? Qt::AlignLeft : Qt::AlignRight);
        if (isDefault && i > 0) {
            // The viscosity and shear-rate axes take the colour of their curve.
            const QColor colour = kDefaultColours[i + 1];
            y->setLabelsColor(colour);
            y->setTitleBrush(colour);
            y->setLinePenColor(colour);
            y->setGridLineVisible(false);
            y->setMinorGridLineVisible(false);
        }
        ys << y;
    }

    for (qsizetype i = 0; i < c.series.size(); ++i) {
        const ChartSeries& s = c.series[i];
        const QColor colour = isDefault ? kDefaultColours[i % 4] : kOverlayColours[i % 8];
        QXYSeries* line = nullptr;
        if (c.markers) {
            // Every ramp is a cloud of points at its rates, one colour per test.
            auto* dots = new QScatterSeries;
            dots->setMarkerShape(i % 2 ? QScatterSeries::MarkerShapeRectangle : QScatterSeries::MarkerShapeCircle);
            dots->setMarkerSize(7);
            dots->setColor(colour);
            dots->setBorderColor(colour.darker(130));
            line = dots;
        } else {
            line = new QLineSeries;
            QPen pen(colour);
            pen.setWidthF(1.6);
            if (isDefault && i == 1) pen.setStyle(Qt::DashLine);
            line->setPen(pen);
            line->setMarkerSize(5);
        }
        line->setName(s.label);
        line->replace(displayPoints(s.points));
        if (!c.markers) line->setPointsVisible(!isDefault && line->count() <= kMaxMarkedPoints);
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(ys.value(std::clamp(s.axis, 0, int(ys.size()) - 1)));
    }

    // One curve needs no key; the default chart and overlays do.
    chart->legend()->setVisible(isDefault || c.series.size() > 1);
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

void ChartView2D::render(QPainter& painter, const QRectF& target)
{
    QChartView::render(&painter, target, viewport()->rect(), Qt::IgnoreAspectRatio);
}

}  // namespace tz

extern "C" Q_DECL_EXPORT tz::Graph2D* tz360_create_graph_2d(QWidget* parent)
{
    return new tz::ChartView2D(parent);
}
