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
    QString error;
    if (const auto create = chartsFactory<TorqueGraphFactory>(kTorqueGraphFactory, &error)) return create(parent);
    return new MissingTorqueGraph(error, parent);
}

}  // namespace tz
