// The live chart on Qt Charts; part of the charts module.
#include "instrument/ui/LiveChart.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>

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

class LiveChartView : public QChartView, public LiveChart {
public:
    explicit LiveChartView(QWidget* parent) : QChartView(new QChart, parent)
    {
        QChart* c = chart();
        c->legend()->setAlignment(Qt::AlignBottom);
        c->setMargins(QMargins(2, 2, 2, 2));
        viscosity_ = series(c, QStringLiteral("Visc cP"), QColor(0, 90, 200));
        bath_ = series(c, QStringLiteral("Bath °F"), QColor(200, 60, 0));
        sample_ = series(c, QStringLiteral("Sample °F"), QColor(220, 150, 0));
        rate_ = series(c, QStringLiteral("Rate 1/s"), QColor(0, 140, 60));
        x_ = new QValueAxis;
        x_->setTitleText(QStringLiteral("Time (Min)"));
        x_->setLabelFormat(QStringLiteral("%.0f"));
        yViscosity_ = new QValueAxis;
        yViscosity_->setTitleText(QStringLiteral("cP"));
        yViscosity_->setLabelFormat(QStringLiteral("%.0f"));
        yOther_ = new QValueAxis;
        yOther_->setTitleText(QStringLiteral("°F, 1/s"));
        yOther_->setLabelFormat(QStringLiteral("%.0f"));
        c->addAxis(x_, Qt::AlignBottom);
        c->addAxis(yViscosity_, Qt::AlignLeft);
        c->addAxis(yOther_, Qt::AlignRight);
        for (QLineSeries* s : {viscosity_, bath_, sample_, rate_}) {
            s->attachAxis(x_);
            s->attachAxis(s == viscosity_ ? yViscosity_ : yOther_);
        }
        // A tiled unit window has little room for the chart: no rounded
        // frame around it, every pixel to the curves and their scales.
        c->layout()->setContentsMargins(0, 0, 0, 0);
        c->setBackgroundRoundness(0);
        setRenderHint(QPainter::Antialiasing);
        setFocusPolicy(Qt::NoFocus);
    }

    QWidget* widget() override { return this; }

    void clear() override
    {
        for (QLineSeries* s : {viscosity_, bath_, sample_, rate_})
            s->clear();
        fit(x_, 0, 1);
        fit(yViscosity_, 0, 1);
        fit(yOther_, 0, 1);
    }

    void show(const std::deque<LiveChartPoint>& points) override
    {
        QList<QPointF> v, b, s, r;
        double vLo = 0, vHi = 0, oLo = 0, oHi = 0;
        bool first = true;
        for (const LiveChartPoint& p : points) {
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
        const double from = points.front().minutes, to = points.back().minutes;
        fit(x_, from, to > from ? to : from + 1, false);
        fit(yViscosity_, std::min(0.0, vLo), vHi);
        fit(yOther_, std::min(0.0, oLo), oHi);
    }

private:
    QLineSeries* viscosity_ = nullptr;
    QLineSeries* bath_ = nullptr;
    QLineSeries* sample_ = nullptr;
    QLineSeries* rate_ = nullptr;
    QValueAxis* x_ = nullptr;
    QValueAxis* yViscosity_ = nullptr;
    QValueAxis* yOther_ = nullptr;
};

}  // namespace
}  // namespace tz

extern "C" Q_DECL_EXPORT tz::LiveChart* tz360_create_live_chart(QWidget* parent)
{
    return new tz::LiveChartView(parent);
}
