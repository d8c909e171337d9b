#include "calibration/CalibrationBobs.h"

namespace tz {

namespace {
// Ratios of the bobs' torque geometry to the reference bob, and of the
// extended length (8.785 cm) to the standard one (7.62 cm).
constexpr double kB2 = 0.443326 / 1.696;
constexpr double kB1 = 2.002 / 0.8594;
constexpr double kExtended = 8.785 / 7.62;
}  // namespace

const QStringList& calibrationBobs() {
    static const QStringList bobs{QStringLiteral("B5"),  QStringLiteral("B2"),
                                  QStringLiteral("B1"),  QStringLiteral("XB5"),
                                  QStringLiteral("XB2"), QStringLiteral("XB1")};
    return bobs;
}

double calibrationStressFactor(const QString& bob) {
    if (bob == u"B2") return kB2;
    if (bob == u"B1") return kB1;
    if (bob == u"XB5") return kExtended;
    if (bob == u"XB2") return kB2 * kExtended;
    if (bob == u"XB1") return kB1 * kExtended;
    return 1.0;
}

int calibrationFitOrder(const QString& bob) { return bob == u"B2" || bob == u"XB2" ? 1 : 4; }

}  // namespace tz
