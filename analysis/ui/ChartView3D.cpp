#include "analysis/ui/ChartView3D.h"

#include <Q3DScatter>
#include <Q3DTheme>
#include <QGuiApplication>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QScatter3DSeries>
#include <QScatterDataProxy>
#include <QValue3DAxis>
#include <QVBoxLayout>

namespace tz {

namespace {

// Above this many points spheres are too costly; flat points are drawn.
constexpr size_t kMaxSpheres = 5000;

QString titleHtml(const Chart3D& c)
{
    QString html = QStringLiteral("<p align=\"center\" style=\"margin:0\"><b>%1</b>").arg(c.title.toHtmlEscaped());
    if (!c.subtitle.isEmpty()) html += QStringLiteral("<br>%1").arg(c.subtitle.toHtmlEscaped());
    return html;
}

}  // namespace

ChartView3D::ChartView3D(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(2);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("lbl3DTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setTextFormat(Qt::RichText);
    layout->addWidget(m_title);
    setAutoFillBackground(true);
}

ChartView3D::~ChartView3D()
{
    // The graph is owned by its window container, which is a child widget.
}

bool ChartView3D::platformMayHaveOpenGL()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool ChartView3D::openGLAvailable()
{
    if (!platformMayHaveOpenGL()) return false;
    QOpenGLContext context;
    if (!context.create()) return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid()) return false;
    const bool current = context.makeCurrent(&surface);
    if (current) context.doneCurrent();
    return current;
}

void ChartView3D::createGraph()
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
    m_container = QWidget::createWindowContainer(m_graph, this);
    m_container->setObjectName(QStringLiteral("graph3D"));
    m_container->setMinimumSize(200, 150);
    m_container->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(m_container);
    static_cast<QVBoxLayout*>(layout())->setStretch(1, 1);
}

void ChartView3D::draw(const Chart3D& c)
{
    m_drawn = c;
    if (!m_graph) createGraph();
    m_title->setText(titleHtml(c));
    m_graph->axisX()->setTitle(c.xTitle);
    m_graph->axisZ()->setTitle(c.zTitle);
    m_graph->axisY()->setTitle(c.yTitle);
    m_series->setMesh(c.points.size() > kMaxSpheres ? QAbstract3DSeries::MeshPoint
                                                    : QAbstract3DSeries::MeshSphere);
    auto* items = new QScatterDataArray;
    items->resize(static_cast<qsizetype>(c.points.size()));
    for (size_t i = 0; i < c.points.size(); ++i) {
        const ChartPoint3D& p = c.points[i];
        (*items)[static_cast<qsizetype>(i)].setPosition(
            QVector3D(float(p.x), float(p.y), float(p.z)));
    }
    m_series->dataProxy()->resetArray(items);
}

int ChartView3D::drawnPointCount() const
{
    return m_series ? m_series->dataProxy()->itemCount() : 0;
}

QImage ChartView3D::render(QSize size) const
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    const int titleHeight = m_title->sizeHint().height() + 8;
    m_title->render(&painter, QPoint((size.width() - m_title->width()) / 2, 4), QRegion(),
                    QWidget::DrawChildren);
    if (m_graph) {
        const QSize graphSize(size.width(), std::max(1, size.height() - titleHeight));
        const QImage graph = m_graph->renderToImage(0, graphSize);
        painter.drawImage(QPoint(0, titleHeight), graph);
    }
    return out;
}

}  // namespace tz
