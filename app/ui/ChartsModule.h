#pragma once
// The charts module (tz360-charts.so): every graph drawn with Qt Charts (the
// main window's 2-D chart, a unit's live chart, the torque calibration
// curve). It is loaded when the first of them is made, so that start-up does
// not load Qt Charts and the OpenGL libraries that come with it.
#include "app/Modules.h"

#include <QLabel>
#include <QString>

namespace tz {

// The module's factory of that name, or null with error saying why the
// module could not be loaded.
template <typename Factory>
Factory chartsFactory(const char* symbol, QString* error)
{
    return reinterpret_cast<Factory>(moduleFunction(QStringLiteral("tz360-charts.so"), symbol, error));
}

// What stands in for a graph when the module cannot be loaded: the reason,
// in the graph's place.
class MissingGraph : public QLabel {
public:
    MissingGraph(const QString& error, QWidget* parent);
};

}  // namespace tz
