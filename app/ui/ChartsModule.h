#pragma once
// The charts module (tz360-charts.so): every graph drawn with Qt Charts (the
// main window's 2-D chart, a unit's live chart, the torque calibration
// curve). It is loaded when the first of them is made, so that start-up does
// not load Qt Charts and the OpenGL libraries that come with it.
#include "app/Modules.h"

#include <QLabel>
#include <QString>

namespace tz {

// What stands in for a graph when the module cannot be loaded: the reason,
// in the graph's place.
class MissingGraph : public QLabel {
public:
    MissingGraph(const QString& error, QWidget* parent);
};

// A graph made by the module's factory of that name (a function taking the
// parent widget) or, when the module cannot be loaded, a Missing one (a
// MissingGraph that is also a Graph) saying why.
template <typename Graph, typename Missing>
Graph* createChartsGraph(const char* factory, QWidget* parent)
{
    using Factory = Graph* (*)(QWidget*);
    QString error;
    if (const auto create = reinterpret_cast<Factory>(
            moduleFunction(QStringLiteral("tz360-charts.so"), factory, &error)))
        return create(parent);
    return new Missing(error, parent);
}

}  // namespace tz
