#pragma once
// The HTML pages of the web view. Numbers come ready-made from the analysis
// and report code; these functions only place them, escaped.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "web/LabReader.h"

#include <QByteArray>
#include <QString>

namespace tz::web {

QByteArray listPageHtml(const TestListPage& list, const QString& filter);

struct TestPageView {
    const OpenedTest* test = nullptr;
    const ResultsTable* results = nullptr;
    int unitSystem = 1;          // of the results grid and the charts
    bool running = false;
    double lastPointTime = -1;   // s, -1 without points
};
QByteArray testPageHtml(const TestPageView& view);

QByteArray loginPageHtml();
QByteArray errorPageHtml(int status, const QString& text);

// "yyyy-MM-dd HH:mm:ss", empty for a test without a start time.
QString timeText(const QDateTime& time);

}  // namespace tz::web
