#pragma once
// The 2-D graph: draws one built chart (series, titles, axes) on Qt Charts,
// with linear or logarithmic axes. Part of the charts module.
#include "analysis/ChartData.h"
#include "analysis/ui/Graph2D.h"

#include <QChartView>

namespace tz {

class ChartView2D : public QChartView, public Graph2D {
    Q_OBJECT
public:
    explicit ChartView2D(QWidget* parent = nullptr);

    // Replaces what is drawn. Points a log axis cannot show must already be
    // left out (dropPointsHiddenOnLog).
    void draw(const Chart2D& chart, bool xLog, bool yLog) override;
    QWidget* widget() override { return this; }
    void render(QPainter& painter, const QRectF& target) override;

    // What was drawn last, as drawn.
    const Chart2D& drawn() const { return m_drawn; }
    bool xLog() const { return m_xLog; }
    bool yLog() const { return m_yLog; }

private:
    Chart2D m_drawn;
    bool m_xLog = false;
    bool m_yLog = false;
};

}  // namespace tz
