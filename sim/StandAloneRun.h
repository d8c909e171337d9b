#pragma once
// A test the unit runs by itself from the downloaded sequence (status 2): it
// holds each step, runs the shear-ramp list after every step (the unit is
// never told RUN_RAMP) and keeps averaged points in its memory.
#include "db/SequenceData.h"
#include "instrument/StoredResultsParser.h"

#include <QList>

namespace tz::sim {

struct UnitReadings {
    double sampleF = 0, bathF = 0, pressurePsi = 0, shearRate = 0, referenceStress = 0;
};

class StandAloneRun {
public:
    explicit StandAloneRun(SequenceData sequence);

    struct Target {
        double tempF = 0;
        double shearRate = 0;
    };
    // Where the run wants the bath and rotor now.
    Target target() const;
    // One second of run time with the readings of that second.
    void tick(const UnitReadings& now);
    bool finished() const { return finished_; }
    const QList<StoredRecord>& records() const { return records_; }

private:
    void record(int rampStepNo, int type);

    SequenceData seq_;
    int interval_ = 1;  // recording period, raised to samples x sampling period
    int step_ = 0;      // 0-based step index
    int row_ = 0;       // 0 = hold; 1..M = shear-ramp row
    int ticksInPhase_ = 0;
    int elapsed_ = 0;
    int samples_ = 0;
    UnitReadings sum_;
    bool finished_ = false;
    QList<StoredRecord> records_;
};

}  // namespace tz::sim
