#pragma once
// The bobs a unit can be calibrated with. The unit always measures for the
// reference bob B5; the workstation converts the stresses to the bob hung.
#include <QString>
#include <QStringList>

namespace tz {

// "B5", "B2", "B1", "XB5", "XB2", "XB1", in the order the window lists them.
const QStringList& calibrationBobs();

// Stress on the bob in use per unit of stress the unit reports (for B5);
// 1 for a designation that is not in the list.
double calibrationStressFactor(const QString& bob);

// Order of the calibration polynomial: a straight line for the narrow B2
// bobs, whose small torque shows no usable curvature; order 4 otherwise.
int calibrationFitOrder(const QString& bob);

}  // namespace tz
