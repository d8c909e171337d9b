#include "analysis/ui/ChartView3D.h"

#include "analysis/ui/ScatterGraph3D.h"
#include "app/Modules.h"

#include <QGuiApplication>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace tz {

namespace {

// The graph module is loaded when the first 3-D chart is drawn.
ScatterGraph3DFactory moduleFactory(QString* error)
{
    return reinterpret_cast<ScatterGraph3DFactory>(
        moduleFunction(QStringLiteral("tz360-chart3d.so"), kScatterGraph3DFactory, error));
}

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

// The graph's widget is a child of this one and goes with it.
ChartView3D::~ChartView3D() = default;

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
    const ScatterGraph3DFactory factory = moduleFactory(&m_moduleError);
    if (!factory) return;
    m_graph.reset(factory(this));
    QWidget* container = m_graph->widget();
    container->setObjectName(QStringLiteral("graph3D"));
    container->setMinimumSize(200, 150);
    container->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(container);
    static_cast<QVBoxLayout*>(layout())->setStretch(1, 1);
}

void ChartView3D::draw(const Chart3D& c)
{
    m_drawn = c;
    if (!m_graph) createGraph();
    if (!m_graph) {
        m_title->setText(titleHtml(c) + QStringLiteral("<br><i>The 3-D chart cannot be drawn: %1</i>")
                                            .arg(m_moduleError.toHtmlEscaped()));
        return;
    }
    m_title->setText(titleHtml(c));
    m_graph->draw(c);
}

int ChartView3D::drawnPointCount() const
{
    return m_graph ? m_graph->pointCount() : 0;
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
        painter.drawImage(QPoint(0, titleHeight), m_graph->renderToImage(graphSize));
    }
    return out;
}

}  // namespace tz
