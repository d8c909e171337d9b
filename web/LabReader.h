#pragma once
// What the web view reads from the lab's database, and nothing else: a page
// of the test list, one stored test, and the points of a test recorded after
// a given time. Every value reaches the engine as a bound parameter; nothing
// here writes.
#include "analysis/OpenedTest.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

class clsConnection;

namespace tz::web {

struct ListedTest {
    int testId = 0;
    QString name;
    QDateTime time;          // invalid when no start time was recorded
    QString researcher;
    QString fluidId;
    std::optional<double> lastPointTime;   // s from the start, when any point
    bool running = false;    // a point recorded in the last two minutes
};

struct TestListPage {
    QList<ListedTest> tests;
    int total = 0;           // tests matching the filter
    int offset = 0;
    int limit = 0;
};

// A test is running while its newest point is no older than this.
inline constexpr qint64 kRunningWindowSeconds = 120;

// True when a point at pointTime seconds after the test's start lies within
// the running window before now.
bool isRunning(const QDateTime& testTime, std::optional<double> lastPointTime, const QDateTime& now);

class LabReader {
public:
    explicit LabReader(clsConnection& connection) : m_connection(connection) {}

    // Newest first; filter matches anywhere in the name, without regard to
    // capitals, and its % and _ are plain characters. Throws tz::DbError.
    TestListPage listTests(const QString& filter, int offset, int limit,
                           const QDateTime& now = QDateTime::currentDateTime());

    // The stored test as the CLI loads it; empty when there is none.
    std::optional<OpenedTest> test(int testId);

    // Whether testId exists, and its start time (for the running mark).
    std::optional<ListedTest> testHeader(int testId, const QDateTime& now = QDateTime::currentDateTime());

    // The points with RESULT_TIME > after, by time, read as the CLI reads them.
    std::vector<ResultPoint> pointsAfter(int testId, double after);

private:
    clsConnection& m_connection;
};

}  // namespace tz::web
