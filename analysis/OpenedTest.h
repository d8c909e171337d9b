#pragma once
// A stored test as the analysis view, the charts and the reports use it: the
// information row, the additives and every recorded point, read once from
// the database through the record classes.
#include "analysis/RampAnalysis.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

class clsConnection;

namespace tz {

struct TestResultColumns;

// The TEST_INFO row.
struct TestInfoValues {
    int testId = 0;
    QString name;
    QString fluidId;
    QDateTime time;            // invalid when no start time was recorded
    QString researcher;
    QString rotorNo;
    QString bobNo;
    double bobRadius = 0;      // cm
    double bobEffLength = 0;   // cm
    double preTestPh = 0;
    double postTestPh = 0;
    QString description;       // the SAFETY column
};

// One TEST_ADDITIVE row.
struct AdditiveValues {
    QString name;
    double concentration = 0;
    QString unit;
    QString lotNo;
};

struct OpenedTest {
    TestInfoValues info;
    QList<AdditiveValues> additives;   // in the order the database delivers them
    std::vector<ResultPoint> points;   // by RESULT_TIME

    double radiusRatio() const { return tz::radiusRatio(info.bobRadius); }
    double shearRatePerRpm() const { return tz::shearRatePerRpm(info.bobRadius); }
    RampTable analyse(const Settings& settings) const {
        return analyseRamps(points, info.bobRadius, settings);
    }
};

// Load by TEST_ID or by TEST_NAME (the first row of that name); empty when no
// such test is stored. Throws tz::DbError on a database error.
std::optional<OpenedTest> loadTest(clsConnection& connection, int testId);
std::optional<OpenedTest> loadTestByName(clsConnection& connection, const QString& name);

// The points of a test as the analysis takes them, from its column arrays.
std::vector<ResultPoint> resultPoints(const TestResultColumns& columns);

}  // namespace tz
