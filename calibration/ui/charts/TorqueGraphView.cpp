// The torque calibration graph on Qt Charts; part of the charts module.
#include "calibration/ui/TorqueGraph.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tz {

namespace {

class TorqueGraphView : public QChartView, public TorqueGraph {
public:
    explicit TorqueGraphView(QWidget* parent) : QChartView(new QChart, parent)
    {
        QChart* c = chart();
        c->legend()->hide();
        c->setTitle(QStringLiteral("Shear Stress against Transducer Voltage"));
        m_curve = new QLineSeries(c);
        m_points = new QScatterSeries(c);
        m_points->setMarkerSize(7);
        c->addSeries(m_curve);
        c->addSeries(m_points);
        m_x = new QValueAxis(c);
        m_x->setTitleText(QStringLiteral("Voltage (vdc)"));
        m_x->setRange(0, 4);  // a transducer's span until the first records arrive
        m_y = new QValueAxis(c);
        m_y->setTitleText(QStringLiteral("Shear Stress (dyn/cm2)"));
        m_y->setRange(0, 100);
        c->addAxis(m_x, Qt::AlignBottom);
        c->addAxis(m_y, Qt::AlignLeft);
        for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(m_curve),
                                   static_cast<QAbstractSeries*>(m_points)}) {
            s->attachAxis(m_x);
            s->attachAxis(m_y);
        }
        setRenderHint(QPainter::Antialiasing);
        setFocusPolicy(Qt::NoFocus);
    }

    QWidget* widget() override { return this; }

    void show(const QList<QPointF>& points) override
    {
        m_curve->replace(points);
        m_points->replace(points);
        if (points.isEmpty()) return;
        auto [xlo, xhi] = std::minmax_element(points.begin(), points.end(),
                                              [](QPointF a, QPointF b) { return a.x() < b.x(); });
        auto [ylo, yhi] = std::minmax_element(points.begin(), points.end(),
                                              [](QPointF a, QPointF b) { return a.y() < b.y(); });
        // Readings at or above zero are drawn from the origin, as a bench chart is.
        auto pad = [](double lo, double hi) {
            const double m = hi > lo ? (hi - lo) * 0.05 : std::max(1.0, std::abs(hi) * 0.1);
            return std::pair{lo >= 0 ? 0.0 : lo - m, hi + m};
        };
        const auto xr = pad(xlo->x(), xhi->x());
        const auto yr = pad(ylo->y(), yhi->y());
        m_x->setRange(xr.first, xr.second);
        m_y->setRange(yr.first, yr.second);
        m_x->applyNiceNumbers();
        m_y->applyNiceNumbers();
    }

private:
    QLineSeries* m_curve = nullptr;
    QScatterSeries* m_points = nullptr;
    QValueAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
};

}  // namespace
}  // namespace tz

extern "C" Q_DECL_EXPORT tz::TorqueGraph* tz360_create_torque_graph(QWidget* parent)
{
    return new tz::TorqueGraphView(parent);
}
