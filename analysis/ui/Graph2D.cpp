#include "analysis/ui/Graph2D.h"

#include "app/ui/ChartsModule.h"

namespace tz {

namespace {

class MissingGraph2D : public MissingGraph, public Graph2D {
public:
    using MissingGraph::MissingGraph;
    QWidget* widget() override { return this; }
    void draw(const Chart2D&, bool, bool) override {}
    void render(QPainter&, const QRectF&) override {}
};

}  // namespace

Graph2D* createGraph2D(QWidget* parent)
{
    return createChartsGraph<Graph2D, MissingGraph2D>(kGraph2DFactory, parent);
}

}  // namespace tz
