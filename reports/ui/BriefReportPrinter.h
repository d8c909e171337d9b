#pragma once
// The brief report on paper: Courier 12, one line under the other, a new page
// where the report says so or where the page is full.
#include "reports/BriefReport.h"

class QPagedPaintDevice;

namespace tz {

// How many Courier 12 lines fit on one page of the device.
int briefLinesPerPage(QPagedPaintDevice& device);

// Prints the report as one document (one copy). False when the device could
// not be started (no printer, a PDF file that cannot be written).
bool printBriefReport(QPagedPaintDevice& device, const BriefReport& report);

}  // namespace tz
