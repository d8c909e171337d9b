#pragma once
// Storing a new test when its run starts: the TEST_INFO row and its additives
// in one transaction. The id returned is the one the insert created, and the
// name is checked inside that transaction, so a name another bench (or
// another unit window) stored while this one was downloading is refused
// instead of being taken twice.
#include "db/DbError.h"

#include <QDateTime>
#include <QList>
#include <QString>

class clsConnection;

namespace tz {

struct TestInformation {
    QString testName;
    QString fluidId;
    QString researcherName = QStringLiteral("Unknown");
    QString rotorNo = QStringLiteral("R1");
    QString bobNo = QStringLiteral("B5");
    double bobRadiusCm = 1.5987;
    double bobEffLengthCm = 7.62;
    double preTestPh = 7.0;
    double postTestPh = 7.0;
    QString safety;               // description, notes and comments
    QDateTime testTime;           // invalid: the moment of storing
};

struct AdditiveEntry {
    QString name;
    double concentration = 0;
    QString unit;
    QString lotNo;
};

inline constexpr int kMaxAdditives = 20;

// A stored test already carries the name: found at the moment of storing.
class TestNameTakenError : public DbError {
public:
    explicit TestNameTakenError(const QString& name)
        : DbError(QStringLiteral("a test named \"%1\" is already stored").arg(name)), m_name(name) {}
    QString name() const { return m_name; }

private:
    QString m_name;
};

// True when a TEST_INFO row carries exactly this name (case-sensitive).
// Throws tz::DbError.
bool testNameTaken(clsConnection& connection, const QString& name);

// Inserts the test and its additives (up to the first entry with an empty
// name, at most 20) in one transaction and returns the new TEST_ID. Nothing
// is stored when any insert fails. A name already stored (exactly, as
// testNameTaken compares) throws tz::TestNameTakenError; a blank name or a
// text that does not fit its column (see db/TestFieldLimits.h) throws
// tz::DbError naming the field. Throws tz::DbError.
int storeNewTest(clsConnection& connection, const TestInformation& info,
                 const QList<AdditiveEntry>& additives);

}  // namespace tz
