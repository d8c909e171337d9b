#include "testinfo/BobTable.h"

namespace tz {

const QList<BobGeometry>& bobTable()
{
    static const QList<BobGeometry> table = {
        {"B1", "1.7245", "7.620", 1.7245, 7.620},
        {"B2", "1.2276", "7.620", 1.2276, 7.620},
        {"B3", "0.8622", "7.620", 0.8622, 7.620},
        {"B4", "0.8622", "3.810", 0.8622, 3.810},
        {"B5", "1.5987", "7.620", 1.5987, 7.620},
        {"XB1", "1.7245", "8.785", 1.7245, 8.785},
        {"XB2", "1.2276", "8.785", 1.2276, 8.785},
        {"XB3", "1.5987", "8.785", 1.5987, 8.785},
        {"XB5", "1.5987", "8.785", 1.5987, 8.785},
    };
    return table;
}

std::optional<BobGeometry> lookupBob(const QString& designation)
{
    const QString code = designation.toUpper();
    for (const BobGeometry& bob : bobTable())
        if (bob.code == code)
            return bob;
    return std::nullopt;
}

}  // namespace tz
