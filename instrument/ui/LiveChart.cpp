#include "instrument/ui/LiveChart.h"

#include "app/ui/ChartsModule.h"

namespace tz {

namespace {

class MissingLiveChart : public MissingGraph, public LiveChart {
public:
    using MissingGraph::MissingGraph;
    QWidget* widget() override { return this; }
    void clear() override {}
    void show(const std::deque<LiveChartPoint>&) override {}
};

}  // namespace

LiveChart* createLiveChart(QWidget* parent)
{
    return createChartsGraph<LiveChart, MissingLiveChart>(kLiveChartFactory, parent);
}

}  // namespace tz
