#pragma once
// The 3-D scatter graph behind ChartView3D. It lives in a module of its own,
// loaded when the first 3-D chart is drawn: Qt Data Visualization brings Qt
// Quick, QML and the network stack with it, which a session of 2-D charts
// never needs and start-up should not wait for.
#include "analysis/ChartData.h"

#include <QImage>
#include <QSize>

class QWidget;

namespace tz {

class ScatterGraph3D {
public:
    virtual ~ScatterGraph3D() = default;
    // The widget holding the graph's OpenGL window; a child of the parent
    // given when the graph was created, which owns it.
    virtual QWidget* widget() const = 0;
    // Replaces the axis titles and the points (the chart's title is drawn
    // by the view above the graph).
    virtual void draw(const Chart3D& chart) = 0;
    virtual int pointCount() const = 0;
    virtual QImage renderToImage(QSize size) const = 0;
};

// The module's one entry point, looked up by this name.
using ScatterGraph3DFactory = ScatterGraph3D* (*)(QWidget* parent);
inline constexpr char kScatterGraph3DFactory[] = "tz360_create_scatter_graph_3d";

}  // namespace tz
