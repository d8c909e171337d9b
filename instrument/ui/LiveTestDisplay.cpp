#include "instrument/ui/LiveTestDisplay.h"

#include "analysis/ResultsHeading.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "instrument/PointWriter.h"

#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLegend>
#include <QLineSeries>
#include <QSqlQuery>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tz {

namespace {

QLineSeries* series(QChart* chart, const QString& name, const QColor& colour)
{
    auto* s = new QLineSeries(chart);
    s->setName(name);
    QPen pen(colour);
    pen.setWidthF(1.5);
    s->setPen(pen);
    chart->addSeries(s);
    return s;
}

// An axis range with a little room, never empty, with tick labels carrying as
// many decimals as their spacing needs: no "1, 1" on a short test and no
// "-0" under readings that cannot go below zero.
void fit(QValueAxis* axis, double lo, double hi, bool room = true)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
        lo = 0;
        hi = 1;
    }
    if (hi - lo < 1e-9) {
        lo -= 0.5;
        hi += 0.5;
    }
    const double pad = room ? (hi - lo) * 0.05 : 0.0;
    const double from = lo >= 0 ? std::max(0.0, lo - pad) : lo - pad;
    const double to = hi + pad;
    axis->setRange(from, to);
    const double spacing = (to - from) / std::max(1, axis->tickCount() - 1);
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(spacing))), 0, 6);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f"));
}

}  // namespace

LiveTestDisplay::LiveTestDisplay(QTableWidget& grid, QWidget& chartFrame, int unitSystem)
    : QObject(&chartFrame), grid_(grid)
{
    unitSystem_ = unitSystem;
    analysis_.reset(1.5987, unitSystem_);

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(2, 2, 2, 2));
    viscosity_ = series(chart_, QStringLiteral("Visc cP"), QColor(0, 90, 200));
    bath_ = series(chart_, QStringLiteral("Bath °F"), QColor(200, 60, 0));
    sample_ = series(chart_, QStringLiteral("Sample °F"), QColor(220, 150, 0));
    rate_ = series(chart_, QStringLiteral("Rate 1/s"), QColor(0, 140, 60));
    x_ = new QValueAxis;
    x_->setTitleText(QStringLiteral("Time (Min)"));
    x_->setLabelFormat(QStringLiteral("%.0f"));
    yViscosity_ = new QValueAxis;
    yViscosity_->setTitleText(QStringLiteral("cP"));
    yViscosity_->setLabelFormat(QStringLiteral("%.0f"));
    yOther_ = new QValueAxis;
    yOther_->setTitleText(QStringLiteral("°F, 1/s"));
    yOther_->setLabelFormat(QStringLiteral("%.0f"));
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(yViscosity_, Qt::AlignLeft);
    chart_->addAxis(yOther_, Qt::AlignRight);
    for (QLineSeries* s : {viscosity_, bath_, sample_, rate_}) {
        s->attachAxis(x_);
        s->attachAxis(s == viscosity_ ? yViscosity_ : yOther_);
    }
    view_ = new QChartView(chart_, &chartFrame);
    view_->setObjectName(QStringLiteral("LiveChart"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(&chartFrame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(view_);

    // The heading is built when the window loads.
    showHeading();
    clear();
}

void LiveTestDisplay::setUnitSystem(int unitSystem)
{
    unitSystem_ = unitSystem;
    analysis_.reset(1.5987, unitSystem_);
    showHeading();
    clear();
}

void LiveTestDisplay::showHeading()
{
    const QStringList heading = LiveRampAnalysis::heading(unitSystem_);
    grid_.setColumnCount(kResultsColumns);
    QStringList labels;
    for (const QString& h : heading)
        labels << QString(h).replace(u'\r', u'\n');
    grid_.setHorizontalHeaderLabels(labels);
    grid_.horizontalHeader()->setMinimumHeight(grid_.fontMetrics().lineSpacing() * 3 + 8);
    grid_.verticalHeader()->hide();
    // 940 twips a column, or wider where a K unit or value would be cut.
    const int wide = grid_.fontMetrics().horizontalAdvance(QStringLiteral("dyn-s^n/cm2")) + 16;
    grid_.horizontalHeader()->setDefaultSectionSize(std::max(grid_.logicalDpiX() * 940 / 1440, wide));
    grid_.setWordWrap(false);
}

void LiveTestDisplay::startTest(clsConnection& connection, int testId)
{
    double radius = 1.5987;
    QSqlQuery q(connection.ADOConnection());
    if (q.prepare(QStringLiteral("SELECT BOB_RADIUS FROM TEST_INFO WHERE TEST_ID = ?"))) {
        q.addBindValue(testId);
        if (q.exec() && q.next() && !q.value(0).isNull())
            radius = q.value(0).toDouble();
    }
    startTest(radius);
}

void LiveTestDisplay::startTest(double bobRadiusCm)
{
    analysis_.reset(bobRadiusCm, unitSystem_);
    clear();
}

void LiveTestDisplay::clear()
{
    for (QLineSeries* s : {viscosity_, bath_, sample_, rate_})
        s->clear();
    fit(x_, 0, 1);
    fit(yViscosity_, 0, 1);
    fit(yOther_, 0, 1);
    grid_.setRowCount(1);
    grid_.clearContents();
    settledRows_ = 0;
}

void LiveTestDisplay::addPoint(const RecordedPoint& point)
{
    analysis_.add(point);
    showChart();
    showGrid();
}

void LiveTestDisplay::addPoints(const QList<RecordedPoint>& points)
{
    for (const RecordedPoint& p : points)
        analysis_.add(p);
    showChart();
    showGrid();
}

void LiveTestDisplay::showChart()
{
    QList<QPointF> v, b, s, r;
    double vLo = 0, vHi = 0, oLo = 0, oHi = 0;
    bool first = true;
    for (const LiveChartPoint& p : analysis_.chart()) {
        v << QPointF(p.minutes, p.viscosity);
        b << QPointF(p.minutes, p.bathTemp);
        s << QPointF(p.minutes, p.sampleTemp);
        r << QPointF(p.minutes, p.shearRate);
        const double oMin = std::min({p.bathTemp, p.sampleTemp, p.shearRate});
        const double oMax = std::max({p.bathTemp, p.sampleTemp, p.shearRate});
        vLo = first ? p.viscosity : std::min(vLo, p.viscosity);
        vHi = first ? p.viscosity : std::max(vHi, p.viscosity);
        oLo = first ? oMin : std::min(oLo, oMin);
        oHi = first ? oMax : std::max(oHi, oMax);
        first = false;
    }
    // Each refresh replaces the plot; the series stay the same objects.
    viscosity_->replace(v);
    bath_->replace(b);
    sample_->replace(s);
    rate_->replace(r);
    if (first)
        return;
    const double from = analysis_.chart().front().minutes, to = analysis_.chart().back().minutes;
    fit(x_, from, to > from ? to : from + 1, false);
    fit(yViscosity_, std::min(0.0, vLo), vHi);
    fit(yOther_, std::min(0.0, oLo), oHi);
}

void LiveTestDisplay::showGrid()
{
    const ResultsTable& t = analysis_.cells();
    const int rows = static_cast<int>(t.rows.size());
    // Only the ramp being recorded and any ramp that closed since the last
    // point can have new texts; points out of ramp order may change any row.
    const int from = analysis_.inRampOrder() ? std::min(settledRows_, rows) : 0;
    // The heading row and at least one row below it, as the grid starts.
    grid_.setRowCount(std::max(1, rows));
    for (int row = from; row < rows; ++row)
        for (int col = 0; col < kResultsColumns; ++col) {
            const QString& text = t.rows[row][col];
            QTableWidgetItem* item = grid_.item(row, col);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                grid_.setItem(row, col, item);
            }
            if (item->text() != text)
                item->setText(text);
        }
    settledRows_ = std::max(0, rows - 1);
}

}  // namespace tz
