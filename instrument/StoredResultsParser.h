#pragma once
// The unit's reply to a stored-results request: records of nine comma-separated
// numbers (fields after the ninth are ignored), each closed by ETX, the whole
// reply closed by STX.
#include <QByteArray>
#include <QList>

namespace tz {

struct StoredRecord {
    int rampNo = 0;
    int rampStepNo = 0;
    int elapsedS = 0;
    double sampleTempF = 0;
    double bathTempF = 0;
    double pressurePsi = 0;
    double shearRate = 0;
    double shearStress = 0;  // as the unit sent it: reference bob, no factor applied
    int resultType = 0;      // 0 step point, 1 shear-ramp point
};

struct StoredResults {
    enum class Status { Ok, NoReply, NotClosed };
    Status status = Status::NoReply;
    QList<StoredRecord> records;
    int malformed = 0;  // records whose first nine fields are not all numbers: skipped, never stored half-read
};

StoredResults parseStoredResults(const QByteArray& reply);

}  // namespace tz
