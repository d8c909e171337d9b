#include "calibration/ui/TorqueGraph.h"

#include "app/ui/ChartsModule.h"

namespace tz {

namespace {

class MissingTorqueGraph : public MissingGraph, public TorqueGraph {
public:
    using MissingGraph::MissingGraph;
    QWidget* widget() override { return this; }
    void show(const QList<QPointF>&) override {}
};

}  // namespace

TorqueGraph* createTorqueGraph(QWidget* parent)
{
    return createChartsGraph<TorqueGraph, MissingTorqueGraph>(kTorqueGraphFactory, parent);
}

}  // namespace tz
