#include "reports/DetailReport.h"

#include "reports/ReportText.h"

#include <algorithm>

namespace tz {

namespace {

QString cell(const QString& text, const char* align = "right")
{
    return QStringLiteral("<td align=\"%1\">%2</td>").arg(QLatin1String(align), text.toHtmlEscaped());
}

QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

QList<DetailLine> detailLines(std::span<const ResultPoint> points)
{
    std::vector<ResultPoint> ordered(points.begin(), points.end());
    std::stable_sort(ordered.begin(), ordered.end(), [](const ResultPoint& a, const ResultPoint& b) {
        if (a.rampNo != b.rampNo) return a.rampNo < b.rampNo;
        if (a.rampStepNo != b.rampStepNo) return a.rampStepNo < b.rampStepNo;
        return a.time < b.time;
    });
    QList<DetailLine> lines;
    lines.reserve(static_cast<qsizetype>(ordered.size()));
    for (const ResultPoint& p : ordered) {
        lines.append({p.rampNo, p.rampStepNo, p.time / 60.0, p.sampleTemp, p.press, p.shearRate, p.shearStress,
                      p.typeId, p.bathTemp, p.shearStress / (0.0000001 + p.shearRate) * 100.0,
                      p.shearStress / 5.11});
    }
    return lines;
}

QString detailReportHtml(const TestInfoValues& info, std::span<const ResultPoint> points,
                         const QLocale& locale, const QString& makerWebAddress, const QString& summarySection)
{
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"></head><body style=\"font-family: 'DejaVu Sans', Arial; font-size: 8pt;\">");

    // Report header.
    html += QStringLiteral("<h2 align=\"center\">TZ360 Viscosity Test Report</h2>");

    // Test header: the information in label / value pairs, two pairs a line.
    const std::pair<const char*, QString> fields[] = {
        {"TEST NAME:", info.name},
        {"FLUID ID:", info.fluidId},
        {"TEST_TIME:", generalDate(info.time, locale)},
        {"RESEARCHER:", info.researcher},
        {"ROTOR NO:", info.rotorNo},
        {"BOB_NO:", info.bobNo},
        {"BOB RAD(CM):", plainNumber(info.bobRadius)},
        {"BOB EFFECTIVE LENGTH (CM):", plainNumber(info.bobEffLength)},
        {"PRE-TEST PH:", plainNumber(info.preTestPh)},
        {"POST TEST PH:", plainNumber(info.postTestPh)},
    };
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
    for (std::size_t i = 0; i < std::size(fields); i += 2) {
        html += QStringLiteral("<tr>");
        for (std::size_t j = i; j < i + 2; ++j)
            html += QStringLiteral("<td width=\"22%\"><b>%1</b></td><td width=\"28%\">%2</td>")
                        .arg(QString::fromLatin1(fields[j].first).toHtmlEscaped(), fields[j].second.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("<tr><td><b>Description:</b></td><td colspan=\"3\">%1</td></tr></table><br>")
                .arg(info.description.toHtmlEscaped());
    html += summarySection;

    // Column captions, then one detail line per point.
    static const char* captions[] = {
        "RAMP NO:", "RAMP STEP:", "RESULT TIME (Min):", "SAMPLE TEMP (°F):", "PRESS. (Psi):",
        "SHEAR RATE (1/S):", "SHEAR STRESS (DYN/CM2):", "RESULT TYPE:", "BATH TEMP (°F):",
        "Viscosity (cP)", "FANN 35 F1 DIAL (DEG)"};
    html += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"1\" "
                           "style=\"border-collapse: collapse; border-color: #808080;\"><thead><tr>");
    // Widths in percent of the page, wide enough for each caption's longest word.
    static const int widths[] = {7, 7, 8, 10, 8, 9, 9, 9, 9, 11, 13};
    for (std::size_t c = 0; c < std::size(captions); ++c)
        html += QStringLiteral("<th bgcolor=\"#e0e0e0\" width=\"%1%\">%2</th>")
                    .arg(widths[c])
                    .arg(QString::fromUtf8(captions[c]).toHtmlEscaped());
    html += QStringLiteral("</tr></thead><tbody>");
    for (const DetailLine& l : detailLines(points)) {
        html += QStringLiteral("<tr>") + cell(QString::number(l.rampNo)) + cell(QString::number(l.rampStepNo))
            + cell(fixed(l.minutes, 2)) + cell(fixed(l.sampleTemp, 1)) + cell(fixed(l.press, 0))
            + cell(fixed(l.shearRate, 2)) + cell(fixed(l.shearStress, 2)) + cell(QString::number(l.typeId))
            + cell(fixed(l.bathTemp, 1)) + cell(fixed(l.viscosity, 1)) + cell(fixed(l.fannDial, 1))
            + QStringLiteral("</tr>");
    }
    html += QStringLiteral("</tbody></table>");

    // Report footer.
    // No address unless the lab gave one: a guessed one could send its
    // customers to someone else's site.
    QString footer = QStringLiteral("Courtesy By Ostra Instrument Company");
    if (!makerWebAddress.trimmed().isEmpty())
        footer += u' ' + makerWebAddress.trimmed();
    html += QStringLiteral("<p align=\"center\"><br>%1</p>").arg(footer.toHtmlEscaped());
    html += QStringLiteral("</body></html>");
    return html;
}

}  // namespace tz
