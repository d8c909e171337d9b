#pragma once
// The 2-D graph of the main window as the chart panel sees it. The graph
// itself (ChartView2D, on Qt Charts) lives in the charts module, loaded when
// the first chart is drawn: Qt Charts and the OpenGL libraries it brings are
// then not loaded while the program starts.
#include "analysis/ChartData.h"

class QPainter;
class QRectF;
class QWidget;

namespace tz {

class Graph2D {
public:
    virtual ~Graph2D() = default;
    // The graph's widget, a child of the parent it was created with.
    virtual QWidget* widget() = 0;
    // Replaces what is drawn. Points a log axis cannot show must already be
    // left out (dropPointsHiddenOnLog).
    virtual void draw(const Chart2D& chart, bool xLog, bool yLog) = 0;
    // What is on screen, stretched over target (printing and saving).
    virtual void render(QPainter& painter, const QRectF& target) = 0;
};

// The module's entry point for it, looked up by this name.
using Graph2DFactory = Graph2D* (*)(QWidget* parent);
inline constexpr char kGraph2DFactory[] = "tz360_create_graph_2d";

// A 2-D graph from the charts module or, when the module cannot be loaded,
// a notice saying so in its place. Owned by parent, through widget().
Graph2D* createGraph2D(QWidget* parent);

}  // namespace tz
