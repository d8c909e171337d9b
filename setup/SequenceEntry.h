#pragma once
// What the sequence editor shows, as the texts of its boxes and grid cells, and
// the conversions between those texts and a stored sequence.
#include "db/SequenceData.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tz {

inline constexpr int kMaxSequenceSteps = 98;
inline constexpr int kRampRows = 40;
inline constexpr int kStepColumns = 6;  // step no, time, temp, error, shear rate, ramp?

// The stored °F values a step row's temperature and tolerance cells were
// filled from; none for a row the operator typed or inserted.
struct StoredStepTemps {
    std::optional<double> tempF;
    std::optional<double> toleranceF;
};

struct SequenceEntry {
    QString timeBeforeRead;    // s
    QString sampleRate;        // s per sample
    QString samplesToAverage;
    QString shutDownATime;     // min
    QString shutDownVisc;      // cP, empty for 0
    QString sampleInterval;    // s
    QList<QStringList> steps;  // one row of kStepColumns texts per step
    // Beside steps (row for row, may be shorter): what each row was loaded
    // from. A cell whose text is still what its stored value shows keeps that
    // value on saving; the °C shown is rounded and would not read back.
    QList<StoredStepTemps> storedTemps;
    QStringList ramp;          // ramp grid rows 1 to 40, top first
};

// Texts of a stored sequence in the given unit system (ramp padded to 40 rows).
SequenceEntry entryFromSequence(const SequenceData& sequence, int unitSystem);

// The values to store for what the operator typed (numbers read leniently;
// °C set points converted to °F). A temperature or tolerance cell left as it
// was loaded keeps its stored value. Key and name are left for the caller.
SequenceData sequenceFromEntry(const SequenceEntry& entry, int unitSystem);

// The shear-ramp list stored for the ramp grid: rows from the top until the
// first blank row, at most 40; a blank first row stores one row of 100 1/s.
QList<double> rampFromCells(const QStringList& cells);

// A cell that ends the ramp list.
bool isBlankCell(const QString& text);

// Steps of the Auto Step Builder: `total` identical rows numbered 1..total
// holding the typed texts and "1" (ramp after every step).
QList<QStringList> builtSteps(int total, const QString& time, const QString& temp,
                              const QString& tempError, const QString& shearRate);

}  // namespace tz
