#include "calibration/TorqueCalibration.h"

#include "app/NumericHelpers.h"
#include "calibration/CalibrationBobs.h"
#include "calibration/PolynomialFit.h"
#include "instrument/ProtocolCodec.h"

namespace tz {

bool calibrationViscosityAccepted(double viscosityCp) {
    return viscosityCp >= kMinCalibrationViscosity && viscosityCp <= kMaxCalibrationViscosity;
}

AcceptanceCheck acceptanceCheck(const QList<CalibrationRecord>& records) {
    AcceptanceCheck check;
    if (records.size() < kFirstCheckedRecord + kCheckedRecords) return check;
    std::vector<double> xs, ys;
    for (int i = kFirstCheckedRecord; i < kFirstCheckedRecord + kCheckedRecords; ++i) {
        xs.push_back(records[i].voltage);
        ys.push_back(records[i].stress);
    }
    double r = 0;
    lineFit(xs, ys, check.slope, check.intercept, r);
    check.quality = r * r;
    check.verdict = check.quality < kAcceptedFitQuality ? AcceptanceCheck::Verdict::Doubtful
                                                        : AcceptanceCheck::Verdict::Sound;
    return check;
}

CalibrationOutcome finishCalibration(const QList<CalibrationRecord>& records, double zeroVolt,
                                     const QString& bob) {
    CalibrationOutcome out;
    std::vector<double> xs, ys;
    for (const CalibrationRecord& r : records) {
        xs.push_back(r.voltage);
        ys.push_back(r.stress);
    }
    if (auto c = polynomialFit(xs, ys, calibrationFitOrder(bob))) {
        out.fitted = true;
        out.coefficients = std::move(*c);
        out.command = proto::calibrationCoefficients(out.coefficients, zeroVolt);
    }
    out.check = acceptanceCheck(records);
    return out;
}

}  // namespace tz
