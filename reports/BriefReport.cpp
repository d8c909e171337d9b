#include "reports/BriefReport.h"

#include "app/NumberFormat.h"
#include "reports/ReportFile.h"
#include "reports/ReportText.h"

namespace tz {

namespace {

// The K unit as the fixed heading prints it, and where it stands.
const QString kFixedKUnit = QStringLiteral("(lbf-s^n/ft^2)");

QString resultsUnitLine(const ResultsTable& table)
{
    QString line = QStringLiteral("Ramp  (min)   (F)                  (R^2)   (lbf-s^n/ft^2)   40     100    170 ");
    // The temperatures below are the table's: in °C when its heading says so.
    if (table.heading.value(2).contains(QStringLiteral("(C°)")))
        line.replace(line.indexOf(QStringLiteral("(F)")), 3, QStringLiteral("(C)"));
    const QStringList kHeading = table.heading.value(7).split(u'\r');
    if (kHeading.size() < 2 || kHeading[1].trimmed().isEmpty())
        return line;
    const QString unit = u'(' + kHeading[1].trimmed() + u')';
    // Keep the rate columns where they stand: a shorter unit is padded, a
    // longer one takes blanks from the gap after it (one blank stays).
    const qsizetype at = line.indexOf(kFixedKUnit);
    const qsizetype gap = 3;
    QString replacement = unit;
    if (unit.size() <= kFixedKUnit.size())
        replacement = unit.leftJustified(kFixedKUnit.size()) + QString(gap, u' ');
    else
        replacement = unit + QString(qMax<qsizetype>(1, gap - (unit.size() - kFixedKUnit.size())), u' ');
    line.replace(at, kFixedKUnit.size() + gap, replacement);
    return line;
}

QString resultLine(const QStringList& cells)
{
    struct Column {
        int cell;
        const char16_t* pattern;
        int blanks;
    };
    // The pressure column (3) is not printed.
    static const Column columns[] = {
        {0, u"00", 4},     {1, u"000.", 3},    {2, u"000.0", 2}, {4, u"0.000", 2},
        {5, u"0.00000", 2}, {6, u"0.000", 2},  {7, u"0.0000", 2}, {8, u"0.0000", 4},
        {9, u"00.", 4},    {10, u"00.", 4},    {11, u"00.", 0},
    };
    QString line;
    for (const Column& c : columns)
        line += formatNumber(val(cells.value(c.cell)), c.pattern) + QString(c.blanks, u' ');
    return line;
}

}  // namespace

BriefReport briefReport(const TestInfoValues& info, const QList<AdditiveValues>& additives,
                        const ResultsTable& table, BriefReportTarget target, const QLocale& locale)
{
    const QString indent(27, u' ');
    BriefReport report;
    QStringList& l = report.lines;
    l << QStringLiteral("Test Report of TZ360 Rheometer.")
      << QString()
      << QStringLiteral("Experiment                 Test Name:             ") + info.name
      << indent + QStringLiteral("Fluid ID:              ") + info.fluidId
      << indent + QStringLiteral("Test Time:             ") + generalDate(info.time, locale)
      << indent + QStringLiteral("Researcher Name:       ") + info.researcher
      << indent + QStringLiteral("Rotor Number:          ") + info.rotorNo
      << indent + QStringLiteral("Bob Number:            ") + info.bobNo
      << indent + QStringLiteral("Bob Radius (cm):       ") + plainNumber(info.bobRadius)
      << indent + (target == BriefReportTarget::SavedFile ? QStringLiteral("Bob Eff. Length (cm):  ")
                                                          : QStringLiteral("Bob Effective Length : "))
             + plainNumber(info.bobEffLength)
      << indent + QStringLiteral("Pre-Test pH:           ") + plainNumber(info.preTestPh)
      << indent + QStringLiteral("Post-Test pH:          ") + plainNumber(info.postTestPh)
      << QString()
      << QStringLiteral("Description:")
      << info.description
      << QString()
      << QStringLiteral("Additives              Concentration           Units          Lot Number")
      << QString();
    const QString gap(4, u' ');
    for (const AdditiveValues& a : additives)
        l << a.name + gap + formatNumber(a.concentration, u"00.00") + gap + a.unit + gap + a.lotNo;
    l << QString()
      << QStringLiteral("Comments         ") + info.description
      << QString() << QString()
      << QStringLiteral("Results")
      << QString()
      << QStringLiteral("     Elapsed                       Coef.                  Calc.  Viscosity (cP)")
      << QStringLiteral("Shear  Time  Temp.   n'      Kv    Detn.     K'     K'slot via K' slot at (s^-1)")
      << resultsUnitLine(table)
      << QString();
    // The page counter starts at 2 for the first result line and the page
    // ends after each multiple of 40.
    int counter = 2;
    for (const QStringList& row : table.rows) {
        l << resultLine(row);
        if (counter % 40 == 0)
            report.pageBreaksAfter << static_cast<int>(l.size() - 1);
        ++counter;
    }
    return report;
}

QString briefReportText(const BriefReport& report)
{
    QString text;
    for (const QString& line : report.lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void writeBriefReport(const QString& path, const TestInfoValues& info,
                      const QList<AdditiveValues>& additives, const ResultsTable& table,
                      const QLocale& locale)
{
    writeReportFile(path, briefReportText(briefReport(info, additives, table, BriefReportTarget::SavedFile, locale)));
}

QList<QStringList> briefReportPages(const BriefReport& report, int linesPerPage)
{
    linesPerPage = qMax(1, linesPerPage);
    QList<QStringList> pages{QStringList()};
    for (int i = 0; i < report.lines.size(); ++i) {
        if (pages.last().size() >= linesPerPage)
            pages << QStringList();
        pages.last() << report.lines[i];
        if (report.pageBreaksAfter.contains(i) && i + 1 < report.lines.size())
            pages << QStringList();
    }
    return pages;
}

}  // namespace tz
