#include "calibration/CalibrationRecordReader.h"

#include "app/NumberFormat.h"
#include "instrument/ProtocolCodec.h"

#include <cmath>

namespace tz {

namespace {
// A field that is not a number counts as 0, and so does one that overflows:
// a value that cannot be fitted must not reach the polynomial.
double fieldValue(const QByteArray& text) {
    const double v = val(QString::fromLatin1(text));
    return std::isfinite(v) ? v : 0.0;
}
}  // namespace

int CalibrationRecordReader::read(const QByteArray& bytes) {
    if (ended_) return 0;
    buffer_ += bytes;
    int taken = 0;
    qsizetype sub;
    while ((sub = buffer_.indexOf(proto::SUB)) >= 0) {
        if (buffer_.startsWith(proto::HT)) {
            ended_ = true;
            break;
        }
        const QByteArray frame = buffer_.left(sub);
        buffer_.remove(0, sub + 1);
        const qsizetype comma = frame.indexOf(',');
        if (comma < 0) {
            // Noise on the line, not a record: merging it into the next record
            // would give that record a wrong stress (and perhaps a false zero).
            ++skipped_;
            continue;
        }
        // The whole stress text counts, with or without the leading BS.
        const qsizetype from = frame.startsWith(proto::BS) ? 1 : 0;
        CalibrationRecord r;
        r.stress = fieldValue(frame.mid(from, comma - from)) * factor_;
        r.voltage = fieldValue(frame.mid(comma + 1));
        if (!std::isfinite(r.stress)) r.stress = 0;
        if (std::fabs(r.stress) < 0.0001) {
            zeroVolt_ = r.voltage;
            zeroSeen_ = true;
        }
        records_.append(r);
        ++taken;
    }
    return taken;
}

void CalibrationRecordReader::clear() {
    buffer_.clear();
    records_.clear();
    zeroVolt_ = 0;
    zeroSeen_ = false;
    ended_ = false;
    skipped_ = 0;
}

}  // namespace tz
