#pragma once
// The end of a torque calibration, without a window: the calibration
// polynomial from the records, the command that gives it to the unit, and the
// straight-line check that tells a sound bob shaft from a doubtful one.
#include "calibration/CalibrationRecordReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

namespace tz {

// Viscosities of calibration fluid the unit can be started with, in cP.
inline constexpr double kMinCalibrationViscosity = 0.0001;
inline constexpr double kMaxCalibrationViscosity = 10000;
bool calibrationViscosityAccepted(double viscosityCp);

// The line check uses records 6 to 15 (counting from 0): past the start-up
// rungs, within the span every calibration reaches.
inline constexpr int kFirstCheckedRecord = 6;
inline constexpr int kCheckedRecords = 10;
// Below this square of the correlation coefficient the transducer did not
// follow the stress in a straight enough line: a loose or rubbing shaft.
inline constexpr double kAcceptedFitQuality = 0.995;

struct AcceptanceCheck {
    enum class Verdict { Sound, Doubtful, TooFewRecords };
    Verdict verdict = Verdict::TooFewRecords;
    double quality = 0;  // square of the correlation coefficient
    double slope = 0, intercept = 0;
};

AcceptanceCheck acceptanceCheck(const QList<CalibrationRecord>& records);

struct CalibrationOutcome {
    bool fitted = false;                // false: too few distinct records for the polynomial
    std::vector<double> coefficients;   // c0 ... c(order)
    QByteArray command;                 // the coefficient command; empty when not fitted
    AcceptanceCheck check;
};

// Fits the polynomial of the bob's order (stress against voltage) and builds
// the coefficient command with zeroVolt; then runs the line check.
CalibrationOutcome finishCalibration(const QList<CalibrationRecord>& records, double zeroVolt,
                                     const QString& bob);

}  // namespace tz
