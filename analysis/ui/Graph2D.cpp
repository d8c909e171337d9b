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
    QString error;
    if (const auto create = chartsFactory<Graph2DFactory>(kGraph2DFactory, &error)) return create(parent);
    return new MissingGraph2D(error, parent);
}

}  // namespace tz
