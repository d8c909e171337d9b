#pragma once
// The bobs a TZ360 can carry: designation -> radius and effective length, as
// the test-information dialogs fill them in. The texts are what the dialogs
// show; the numbers are what the factors are computed from.
#include <QList>
#include <QString>
#include <optional>

namespace tz {

struct BobGeometry {
    QString code;        // "B1" ... "B5", "XB1" ... "XB5"
    QString radiusText;  // cm, as shown: "1.5987"
    QString lengthText;  // cm, as shown: "7.620"
    double radiusCm = 0;
    double lengthCm = 0;
};

inline const QString kDefaultBobCode = QStringLiteral("B5");

// Every designation of the table, in table order.
const QList<BobGeometry>& bobTable();

// Looks up the upper-case form of the designation exactly (no trimming):
// "b4" finds B4; "B6" or " B4" finds nothing.
std::optional<BobGeometry> lookupBob(const QString& designation);

}  // namespace tz
