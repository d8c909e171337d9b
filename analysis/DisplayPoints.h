#pragma once
// Thinning a curve for drawing. Inline: the charts module draws with it and
// links nothing of the core library.
#include <QList>
#include <QPointF>

#include <algorithm>
#include <iterator>

namespace tz {

// What a line series needs to look the same at screen or print resolution: a
// curve along time of a multi-day test has far more points than there are
// pixel columns. When x never decreases and there are more than 4 points
// per column, each of `columns` equal slices of the x range keeps its first,
// lowest, highest and last point, in their order; otherwise nothing is left out.
inline QList<QPointF> displayPoints(const QList<QPointF>& points, int columns = 2000)
{
    const qsizetype n = points.size();
    if (columns < 1 || n <= 4 * qsizetype(columns)) return points;
    for (qsizetype i = 1; i < n; ++i)
        if (points[i].x() < points[i - 1].x()) return points;
    const double x0 = points.first().x();
    const double span = points.last().x() - x0;
    if (!(span > 0)) return points;

    QList<QPointF> out;
    out.reserve(4 * qsizetype(columns) + 4);
    qsizetype i = 0;
    while (i < n) {
        const int column = std::min(columns - 1, int((points[i].x() - x0) / span * columns));
        const qsizetype first = i;
        qsizetype lo = i, hi = i;
        while (i < n && std::min(columns - 1, int((points[i].x() - x0) / span * columns)) == column) {
            if (points[i].y() < points[lo].y()) lo = i;
            if (points[i].y() > points[hi].y()) hi = i;
            ++i;
        }
        const qsizetype last = i - 1;
        qsizetype keep[] = {first, lo, hi, last};
        std::sort(std::begin(keep), std::end(keep));
        for (int k = 0; k < 4; ++k)
            if (k == 0 || keep[k] != keep[k - 1]) out.append(points[keep[k]]);
    }
    return out;
}

}  // namespace tz
