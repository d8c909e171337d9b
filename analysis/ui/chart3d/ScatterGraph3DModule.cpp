// The 3-D chart module: the scatter graph on Qt Data Visualization, created
// through the one exported function the workstation looks up.
#include "analysis/ui/ScatterGraph3D.h"

#include <Q3DScatter>
#include <Q3DTheme>
#include <QScatter3DSeries>
#include <QScatterDataProxy>
#include <QValue3DAxis>
#include <QWidget>

namespace tz {
namespace {

// Above this many points spheres are too costly; flat points are drawn.
constexpr size_t kMaxSpheres = 5000;

class DataVisScatter final : public ScatterGraph3D {
public:
    explicit DataVisScatter(QWidget* parent)
    {
        m_graph = new Q3DScatter;
        m_graph->activeTheme()->setType(Q3DTheme::ThemeQt);
        m_graph->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
        m_graph->activeTheme()->setLabelBorderEnabled(false);
        m_graph->activeTheme()->setLabelBackgroundEnabled(false);
        QFont font = m_graph->activeTheme()->font();
        font.setPointSizeF(40);
        m_graph->activeTheme()->setFont(font);
        m_graph->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRight);
        // Room for the axis titles at the edges of the view.
        m_graph->scene()->activeCamera()->setZoomLevel(80);
        for (QValue3DAxis* axis : {m_graph->axisX(), m_graph->axisY(), m_graph->axisZ()}) {
            axis->setTitleVisible(true);
            axis->setLabelFormat(QStringLiteral("%.4g"));
        }
        m_series = new QScatter3DSeries;
        m_series->setItemSize(0.06f);
        m_series->setBaseColor(QColor(20, 70, 200));
        m_graph->addSeries(m_series);
        // The container owns the graph's window, and the parent the container.
        m_container = QWidget::createWindowContainer(m_graph, parent);
    }

    QWidget* widget() const override { return m_container; }

    void draw(const Chart3D& c) override
    {
        m_graph->axisX()->setTitle(c.xTitle);
        m_graph->axisZ()->setTitle(c.zTitle);
        m_graph->axisY()->setTitle(c.yTitle);
        m_series->setMesh(c.points.size() > kMaxSpheres ? QAbstract3DSeries::MeshPoint
                                                        : QAbstract3DSeries::MeshSphere);
        auto* items = new QScatterDataArray;
        items->resize(static_cast<qsizetype>(c.points.size()));
        for (size_t i = 0; i < c.points.size(); ++i) {
            const ChartPoint3D& p = c.points[i];
            (*items)[static_cast<qsizetype>(i)].setPosition(QVector3D(float(p.x), float(p.y), float(p.z)));
        }
        m_series->dataProxy()->resetArray(items);
    }

    int pointCount() const override { return m_series->dataProxy()->itemCount(); }

    QImage renderToImage(QSize size) const override { return m_graph->renderToImage(0, size); }

private:
    Q3DScatter* m_graph = nullptr;
    QScatter3DSeries* m_series = nullptr;
    QWidget* m_container = nullptr;
};

}  // namespace
}  // namespace tz

extern "C" Q_DECL_EXPORT tz::ScatterGraph3D* tz360_create_scatter_graph_3d(QWidget* parent)
{
    return new tz::DataVisScatter(parent);
}
