#include "reports/SummarySection.h"

#include "analysis/SummaryFields.h"
#include "app/ProgramSettings.h"

namespace tz {

TestSummary reportSummary(const OpenedTest& test, const Settings& settings) {
    return summariseTest(test.points, test.info.bobRadius, settings, ProgramSettings().summaryThresholdCp());
}

QString summarySectionHtml(const TestSummary& summary, const Settings& settings) {
    QString html = QStringLiteral("<h3>Test Summary</h3><table cellspacing=\"0\" cellpadding=\"2\" border=\"1\" "
                                  "style=\"border-collapse: collapse; border-color: #808080;\">");
    for (const SummaryField& f : summaryFields(summary, settings, lastSummaryRamp(summary)))
        html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td></tr>")
                    .arg(f.heading.toHtmlEscaped(), f.text.isEmpty() ? QStringLiteral("-") : f.text.toHtmlEscaped());
    return html + QStringLiteral("</table><br>");
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
