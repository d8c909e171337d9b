#pragma once
// The 3-D graph: viscosity over two other quantities, on Qt Data
// Visualization. The graph and its OpenGL window are created on the first
// draw, never before, from the 3-D chart module (ScatterGraph3D.h), so a
// display without OpenGL only loses the 3-D charts.
#include "analysis/ChartData.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QLabel;

namespace tz {

class ScatterGraph3D;

class ChartView3D : public QWidget {
    Q_OBJECT
public:
    explicit ChartView3D(QWidget* parent = nullptr);
    ~ChartView3D() override;

    // Whether this display can give the 3-D graph an OpenGL context. The
    // offscreen and minimal platforms cannot, and the graph would crash there.
    static bool openGLAvailable();
    // The cheap part of that check: false on the offscreen and minimal
    // platforms, which never have OpenGL; loads nothing.
    static bool platformMayHaveOpenGL();

    // Creates the graph if needed and replaces what is drawn. When the 3-D
    // chart module cannot be loaded the title says so and no graph is drawn.
    void draw(const Chart3D& chart);

    const Chart3D& drawn() const { return m_drawn; }
    bool hasGraph() const { return m_graph != nullptr; }
    int drawnPointCount() const;

    // The graph with its title above it, rendered at `size` (for saving and
    // printing: a grab of the window would miss the OpenGL picture).
    QImage render(QSize size) const;

private:
    void createGraph();

    Chart3D m_drawn;
    QLabel* m_title = nullptr;
    std::unique_ptr<ScatterGraph3D> m_graph;
    QString m_moduleError;
};

}  // namespace tz
