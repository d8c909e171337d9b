#pragma once
// What the operator types into the test information dialogs, as the texts of
// the boxes. Numbers stay text until the caller stores them: the lab's habit
// of typing "7,0" or "n/a" into a pH box must reach the record as the same
// leading-number conversion everywhere.
#include "db/NewTest.h"

#include <QList>
#include <QString>

class clsTEST_INFO;

namespace tz {

struct AdditiveRow {
    QString name;
    QString concentration;  // text as typed; stored through val()
    QString unit;
    QString lotNumber;
};

struct TestInfoFields {
    QString testName;
    QString testDate;       // shown only; the stored time is taken at the start
    QString researcher = QStringLiteral("Unknown");
    QString fluidId;
    QString rotorNo = QStringLiteral("R1");
    QString bobNo = QStringLiteral("B5");
    QString bobRadius = QStringLiteral("1.5987");
    QString bobLength = QStringLiteral("7.620");
    QString preTestPH = QStringLiteral("7.0");
    QString postTestPH = QStringLiteral("7.0");
    QString description;
};

// At most this many additives per test.
inline constexpr int kAdditiveRows = 20;

// The descriptive columns of a test (fluid, researcher, rotor, bob and its
// geometry, pH, description) set on the record; name and time untouched.
void setDescriptiveColumns(clsTEST_INFO& info, const TestInfoFields& fields);

// A new test as the dialog describes it, numbers through val(); the start
// time is left to the moment of storing.
TestInformation toTestInformation(const TestInfoFields& fields);
// Up to the first row without a name, at most 20.
QList<AdditiveEntry> toAdditiveEntries(const QList<AdditiveRow>& rows);

}  // namespace tz
