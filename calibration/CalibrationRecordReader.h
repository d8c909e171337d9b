#pragma once
// What a unit sends during a torque calibration: records "stress,voltage" + SUB
// (the stress optionally led by BS), then a frame starting with HT. The reader
// keeps what has not arrived whole and takes each record once it has.
// The stress is the whole text before the comma whether or not BS leads it:
// "12.5,1.5" is 12.5 dyn/cm2. Counting the BS in when it is absent would cut
// the stress's last digit (12 instead of 12.5) and put a wrong point into
// the calibration polynomial the unit then uses.
#include <QByteArray>
#include <QList>

namespace tz {

struct CalibrationRecord {
    double stress = 0;   // dyn/cm2 on the bob in use
    double voltage = 0;  // transducer output, V
};

class CalibrationRecordReader {
public:
    // stressFactor converts the unit's reference-bob stress to the bob in use.
    explicit CalibrationRecordReader(double stressFactor = 1.0) : factor_(stressFactor) {}

    // Appends what arrived and takes every whole record; stops at the end
    // frame. Returns the number of records taken by this call.
    int read(const QByteArray& bytes);

    const QList<CalibrationRecord>& records() const { return records_; }
    // Voltage of the last record whose stress is below 0.0001 in magnitude:
    // the transducer's output at rest. 0 until such a record arrives.
    double zeroVolt() const { return zeroVolt_; }
    bool zeroSeen() const { return zeroSeen_; }
    bool ended() const { return ended_; }
    // Frames that were neither a record nor the end (line noise); skipped.
    int skippedFrames() const { return skipped_; }
    const QByteArray& pending() const { return buffer_; }

    void clear();

private:
    double factor_;
    QByteArray buffer_;
    QList<CalibrationRecord> records_;
    double zeroVolt_ = 0;
    bool zeroSeen_ = false;
    bool ended_ = false;
    int skipped_ = 0;
};

}  // namespace tz
