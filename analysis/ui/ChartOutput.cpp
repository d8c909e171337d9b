#include "analysis/ui/ChartOutput.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>

namespace tz {

QString writeChartFile(const QString& path, QSize pixels, const ChartPainter& paint)
{
    QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        {
            QPdfWriter pdf(path);
            if (!pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                               QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter)))
                return QString();
            pdf.setResolution(300);
            pdf.setTitle(QStringLiteral("TZ360 chart"));
            QPainter painter;
            if (!painter.begin(&pdf)) return QString();
            paint(painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
            if (!painter.end()) return QString();
        }
        // QPdfWriter reports no write error of its own; the file tells.
        return QFileInfo(path).size() > 0 ? path : QString();
    }
    const QString file = info.suffix().isEmpty() ? path + QStringLiteral(".png") : path;
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    return image.save(file, "PNG") ? file : QString();
}

bool printChart(QPrinter& printer, const ChartPainter& paint)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    paint(painter, QRectF(QPointF(0, 0), page.size()));
    return painter.end();
}

}  // namespace tz
