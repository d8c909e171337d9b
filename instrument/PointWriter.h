#pragma once
// Where the recorded points of a running test go: one TEST_RESULT row each.
// The run controller hands every point to a writer and carries on whatever
// happens to the database; a writer that cannot store a point keeps it and
// tries again, in order, with the next one.
#include <QString>

namespace tz {

// One averaged point, in the stored units (F, psi, 1/s, dyn/cm2, test seconds).
struct RecordedPoint {
    int testId = 0;
    int rampNo = 0;        // step of the sequence (1-based)
    int rampStepNo = 0;    // 0 for the timed hold, 1 ... M for the shear-ramp rows
    double resultTime = 0; // elapsed test seconds
    double sampleTempF = 0;
    double pressurePsi = 0;
    double shearRate = 0;
    double shearStress = 0;
    int resultType = 0;    // 0 constant-shear step point, 1 shear-ramp point
    double bathTempF = 0;
};

class PointWriter {
public:
    virtual ~PointWriter() = default;
    // Stores the points still waiting, oldest first, and then this one.
    // True when nothing is left waiting afterwards; false keeps the point.
    virtual bool write(const RecordedPoint& point) = 0;
    // Tries the waiting points again without a new one; true when none is left.
    virtual bool retry() = 0;
    // Points kept but not yet stored.
    virtual int backlog() const = 0;
    // Why the last attempt failed (empty after a success).
    virtual QString lastError() const = 0;
};

}  // namespace tz
