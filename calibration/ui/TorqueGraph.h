#pragma once
// The torque calibration window's graph: the calibration records, shear
// stress against transducer voltage, as points joined by a line. Drawn on
// Qt Charts by the charts module, loaded when the window opens.
#include <QList>
#include <QPointF>

class QWidget;

namespace tz {

class TorqueGraph {
public:
    virtual ~TorqueGraph() = default;
    // The graph's widget, a child of the parent it was created with.
    virtual QWidget* widget() = 0;
    // Replaces the records shown (voltage, stress) and fits the scales to
    // them; none leave the scales as they were.
    virtual void show(const QList<QPointF>& records) = 0;
};

using TorqueGraphFactory = TorqueGraph* (*)(QWidget* parent);
inline constexpr char kTorqueGraphFactory[] = "tz360_create_torque_graph";

// A graph from the charts module or, when the module cannot be loaded, a
// notice saying so in its place. Owned by parent, through widget().
TorqueGraph* createTorqueGraph(QWidget* parent);

}  // namespace tz
