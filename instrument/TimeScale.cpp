#include "instrument/TimeScale.h"

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace tz {

double timeScale() {
    static const double scale = [] {
        bool ok = false;
        const double v = qEnvironmentVariable("TZ360_TIME_SCALE").toDouble(&ok);
        return ok && std::isfinite(v) && v > 0 ? v : 1.0;
    }();
    return scale;
}

int scaledMs(int milliseconds) {
    return std::max(1, static_cast<int>(std::lround(milliseconds / timeScale())));
}

}  // namespace tz
