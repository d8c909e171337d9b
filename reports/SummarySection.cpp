#include "reports/SummarySection.h"

#include "analysis/ResultsHeading.h"
#include "analysis/SummaryFields.h"
#include "app/ProgramSettings.h"

namespace tz {

TestSummary reportSummary(const OpenedTest& test, const Settings& settings) {
    return summariseTest(test.points, test.info.bobRadius, settings, ProgramSettings().summaryThresholdCp());
}

QString summarySectionHtml(const TestSummary& summary, const Settings& settings) {
    const auto shown = [](const SummaryField& f) { return f.text.isEmpty() ? QStringLiteral("-") : f.text; };
    // The test-wide items two to a line, as the test header above them, so
    // the section takes little of the first page.
    const QList<SummaryField> fields = summaryFields(summary, settings, 0);
    QString html = QStringLiteral("<p><b>Test Summary</b></p><table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\">");
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        html += QStringLiteral("<tr>");
        for (qsizetype j = i; j < i + 2; ++j)
            html += j < fields.size()
                ? QStringLiteral("<td width=\"34%\">%1</td><td width=\"16%\">%2</td>")
                      .arg(fields[j].heading.toHtmlEscaped(), shown(fields[j]).toHtmlEscaped())
                : QStringLiteral("<td></td><td></td>");
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    if (summary.ramps.empty())
        return html + QStringLiteral("<br>");

    // Per ramp one line; a viscosity at a rate outside the ramp's measured
    // rates is marked.
    const QString k = kUnitText(kUnitFor(settings));
    QStringList heading{QStringLiteral("Ramp"), QStringLiteral("n'"), "K' (" + k + ")", "K'pipe (" + k + ")",
                        QStringLiteral("Measured rates (1/s)")};
    for (double rate : settings.shearRates) heading << "Visc @" + QString::number(rate, 'g', 6) + " 1/s (cP)";
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\" border=\"1\" "
                           "style=\"border-collapse: collapse; border-color: #808080;\"><tr>");
    for (const QString& h : heading) html += QStringLiteral("<th bgcolor=\"#e0e0e0\">%1</th>").arg(h.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (const RampSummary& r : summary.ramps) {
        const bool fitted = !r.result.rejected;
        QStringList cells{QString::number(r.result.ramp), QString::number(r.result.nPrime, 'f', 4),
                          fitted ? QString::number(r.result.kPrime, 'f', 6) : QStringLiteral("N/A"),
                          r.kPipe ? QString::number(*r.kPipe, 'f', 6) : QStringLiteral("N/A"),
                          QString::number(r.minRate, 'g', 6) + " - " + QString::number(r.maxRate, 'g', 6)};
        for (std::size_t i = 0; i < 3; ++i)
            cells << (fitted ? QString::number(r.result.visc[i], 'f', 0) + (r.extrapolated[i] ? " *" : "")
                             : QStringLiteral("N/A"));
        html += QStringLiteral("<tr>");
        for (const QString& c : cells) html += QStringLiteral("<td align=\"right\">%1</td>").arg(c.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table><p>* extrapolated: the rate lies outside the ramp's measured shear rates</p>");
}

QList<SheetCell> summarySheetCells(const QString& testName, const TestSummary& summary, const Settings& settings) {
    QList<SheetCell> cells{{0, 0, QStringLiteral("TZ360Frac Test Summary"), true},
                           {2, 0, QStringLiteral("Test Name:"), false},
                           {2, 1, testName, false}};
    int row = 4;
    for (const SummaryField& f : summaryFields(summary, settings, lastSummaryRamp(summary))) {
        cells.append({row, 0, f.heading, false});
        if (f.value.typeId() == QMetaType::Double)
            cells.append({row, 1, f.value.toDouble(), false});
        else if (!f.text.isEmpty())
            cells.append({row, 1, f.text, false});
        ++row;
    }
    return cells;
}

}  // namespace tz
