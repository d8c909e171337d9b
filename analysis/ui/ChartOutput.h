#pragma once
// Puts the visible chart on paper or into a PNG or PDF file.
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

class QPrinter;

namespace tz {

// Draws the chart into `target` on the painter's device.
using ChartPainter = std::function<void(QPainter& painter, const QRectF& target)>;

// "x.pdf" is written as a landscape A4 PDF page; any other name as a PNG
// image of `pixels` (".png" is added when the name has no suffix). Returns
// the file name written, empty when the file could not be written.
QString writeChartFile(const QString& path, QSize pixels, const ChartPainter& paint);

// One landscape page with the chart filling the printable area.
bool printChart(QPrinter& printer, const ChartPainter& paint);

}  // namespace tz
