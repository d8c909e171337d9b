#pragma once
// The detail report: every recorded point of a test under its information, in
// bands (report header, test header with the column captions, one detail line
// per point, report footer), as HTML for a rich-text document that is shown
// in a print preview, printed or saved as PDF.
#include "analysis/OpenedTest.h"

#include <QLocale>
#include <QString>
#include <span>

namespace tz {

// One detail line's values as the report shows them: the points ordered by
// ramp, ramp step and time, the time in minutes, the viscosity in cP with
// 0.0000001 added to the rate so that a point at rest is defined, and the
// stress as a Fann 35 dial reading (stress / 5.11).
struct DetailLine {
    int rampNo = 0;
    int rampStepNo = 0;
    double minutes = 0;
    double sampleTemp = 0;
    double press = 0;
    double shearRate = 0;
    double shearStress = 0;
    int typeId = 0;
    double bathTemp = 0;
    double viscosity = 0;
    double fannDial = 0;
};

QList<DetailLine> detailLines(std::span<const ResultPoint> points);

// The whole report as HTML. The column captions are the table's heading row,
// which a paged document repeats at the top of every page. The footer names
// the maker's web address only when the lab has set one (tz360.ini).
// summarySection, when given, is HTML placed between the test header and the
// points (the test summary).
QString detailReportHtml(const TestInfoValues& info, std::span<const ResultPoint> points,
                         const QLocale& locale = QLocale(), const QString& makerWebAddress = QString(),
                         const QString& summarySection = QString());

}  // namespace tz
