#pragma once
// The information of one saved test as the "Edit Test Info" dialog shows it,
// and the write-back of an edit: the descriptive columns updated and the
// additives replaced together, so a failure half-way leaves the test as it was.
#include "testinfo/TestInfoFields.h"

#include <QDateTime>
#include <optional>

class clsConnection;

namespace tz {

struct StoredTestInfo {
    TestInfoFields fields;  // testDate left empty: the window formats `time`
    QDateTime time;         // invalid when the test has no start time
    QList<AdditiveRow> additives;
};

// The test of that id, or nullopt when there is none. Throws tz::DbError.
std::optional<StoredTestInfo> loadStoredTestInfo(clsConnection& connection, int testId);

// Sets fluid, researcher, pH, rotor, bob and description of the test (its
// name and start time stay), deletes its additives and inserts the given
// ones (at most 20, up to the first without a name), all in one transaction.
// False when no test has that id. Throws tz::DbError; nothing is changed then.
bool updateStoredTestInfo(clsConnection& connection, int testId, const TestInfoFields& fields,
                          const QList<AdditiveRow>& additives);

}  // namespace tz
