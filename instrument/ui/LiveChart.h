#pragma once
// A unit's live chart as the unit window sees it: the last points of the
// running test (viscosity on the left scale; bath and sample temperature and
// shear rate on the right) against minutes. Drawn on Qt Charts by the charts
// module, loaded when the first unit window opens.
#include "instrument/LiveRampAnalysis.h"

#include <deque>

class QWidget;

namespace tz {

class LiveChart {
public:
    virtual ~LiveChart() = default;
    // The chart's widget, a child of the parent it was created with.
    virtual QWidget* widget() = 0;
    // No curves; the scales from 0 to 1.
    virtual void clear() = 0;
    // Replaces the curves by these points and fits the scales to them (no
    // points leave the scales as they were).
    virtual void show(const std::deque<LiveChartPoint>& points) = 0;
};

using LiveChartFactory = LiveChart* (*)(QWidget* parent);
inline constexpr char kLiveChartFactory[] = "tz360_create_live_chart";

// A live chart from the charts module or, when the module cannot be
// loaded, a notice saying so in its place. Owned by parent, through widget().
LiveChart* createLiveChart(QWidget* parent);

}  // namespace tz
