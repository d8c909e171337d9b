#pragma once
// A whole test sequence as plain values: the header, its steps in RAMP_NO order
// and its shear-ramp list in RAMP_STEP_NO order. Stored temperatures are °F.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class clsConnection;

namespace tz {

struct SequenceStep {
    double rampNo = 0;
    double elapseTimeMin = 0;     // RAMP_ELAPSE_TIME, minutes
    double tempF = 0;             // RAMP_TEMP
    double startErrorF = 0;       // RAMP_START_ERROR
    double shearRate = 100;       // SHEAR_RATE, 1/s
    double runRamp = 1;           // RUN_RAMP, 1 = shear ramp after the hold
};

struct SequenceData {
    double sequenceId = 0;
    QString name;
    double timeBeforeRead = 20;   // s
    double rampSampleRate = 2;    // s per sample
    double samplePointsAverage = 5;
    double shutDownATime = 20;    // min
    double shutDownVisc = 0;      // cP, 0 = never
    int sampleInterval = 60;      // s
    QList<SequenceStep> steps;
    QList<double> rampShearRates; // 1/s
};

// Reads a sequence by name through the record classes; nullopt when the name
// is not stored. Database errors are thrown as tz::DbError (db/DbError.h).
std::optional<SequenceData> loadSequence(clsConnection& connection, const QString& name);

// Writes header (update when sequenceId is set, else insert), steps and ramp
// rows in one transaction; nothing is written on failure. Returns the key.
// Throws tz::DbError on a database error.
double saveSequence(clsConnection& connection, const SequenceData& sequence);

// Deletes the header of that name and its steps and ramp rows in one
// transaction, so that no orphan rows stay behind. False when no sequence of
// that name is stored. Throws tz::DbError on a database error.
bool deleteSequence(clsConnection& connection, const QString& name);

// Every stored sequence name in name order; empty when none is stored.
QStringList sequenceNames(clsConnection& connection);

}  // namespace tz
