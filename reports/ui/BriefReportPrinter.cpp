#include "reports/ui/BriefReportPrinter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

namespace tz {

namespace {

QFont courier12(QPaintDevice& device)
{
    QFont font(QStringLiteral("Courier"), 12);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // Point sizes on the device's own resolution, not the screen's.
    return QFont(font, &device);
}

}  // namespace

int briefLinesPerPage(QPagedPaintDevice& device)
{
    const QFontMetrics metrics(courier12(device), &device);
    return qMax(1, device.height() / qMax(1, metrics.lineSpacing()));
}

bool printBriefReport(QPagedPaintDevice& device, const BriefReport& report)
{
    const QList<QStringList> pages = briefReportPages(report, briefLinesPerPage(device));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QFont font = courier12(device);
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            device.newPage();
        int y = metrics.ascent();
        for (const QString& line : pages[p]) {
            painter.drawText(0, y, line);
            y += metrics.lineSpacing();
        }
    }
    return painter.end();
}

}  // namespace tz
