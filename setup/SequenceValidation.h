#pragma once
// The checks of the setup window and its dialogs, with the operator's messages.
#include "setup/SequenceEntry.h"

#include <QString>
#include <array>
#include <optional>

namespace tz {

namespace SetupText {
inline const QString kBadTemperature = QStringLiteral("Invalid input for temperature.  Can not save.");
inline const QString kNoRampRow = QStringLiteral("Need at least one input for ramp sequence define.");
inline const QString kSampleRateNotWhole = QStringLiteral(
    "Data sampling rate must be a whole number of seconds, 1 or more.  Can not save.");
inline const QString kIntervalTooSmall = QStringLiteral(
    "Sampling interval between ramps is too small. At least need be (Number of Sample)*(Sample Rate)+1 ");
inline const QString kNegativeShutDown =
    QStringLiteral("Auto shut down viscosity should be greater than or equal to 0. ");
inline const QString kTooManySteps = QStringLiteral("Operation not allowed.  Maximum step is 98.");
inline const QString kTooManyStepsTitle = QStringLiteral("Too Many Test Steps.");
inline const QString kBuilderOutOfRange =
    QStringLiteral("Input number out of range.  Please check the input.");
inline const QString kBuilderOutOfRangeTitle = QStringLiteral("Input number out of allowable range.");
inline const QString kNoSequenceToSave = QStringLiteral(
    "There is no sequence to save into.  Use New to create a sequence, then enter its steps "
    "and Save Change.");
inline const QString kDuplicateName = QStringLiteral("A sequence with this name already exists.");
inline const QString kBadShearRates = QStringLiteral(
    "Invalid shear rate inputs. Shear Rate 1 should be less than Shear Rate 2 and Shear Rate 2 "
    "should be less than Shear Rate 3.");
}  // namespace SetupText

// Save Change's checks in order; the message of the first that fails. Besides
// the four of old, the sampling rate must be whole seconds (the unit counts
// ticks), checked before it is multiplied into the recording interval.
std::optional<QString> checkSequenceEntry(const SequenceEntry& entry, int unitSystem);

// The Auto Step Builder's ranges (temperature in the shown unit); the number of
// steps must fit a sequence (1 to 98).
bool builderInputAccepted(int totalSteps, double temp, double tempError);

// Insert-step dialog: which box is refused first, with its message and title.
struct InsertStepRefusal {
    enum class Field { Time, Temperature, ShearRate } field;
    QString text;
    QString title;
};
std::optional<InsertStepRefusal> checkInsertStep(double time, double temp, double shearRate,
                                                 int unitSystem);

// Leaving the insert-step dialog's shear-rate box: the wider range it accepts.
bool shearRateBoxAccepted(double shearRate);
inline const QString kShearRateBoxTitle =
    QStringLiteral("Shear rate input out of range. Please try again.");

// The three calculation shear rates: 0 < r1 < r2 < r3 < 10000 and r1 < 5000.
bool calculationRatesAccepted(const std::array<double, 3>& rates);

}  // namespace tz
