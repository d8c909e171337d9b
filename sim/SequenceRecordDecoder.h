#pragma once
// The unit's side of a sequence download: the record read back into steps,
// shear-ramp rows and run parameters. Fixed-width numbers may grow wider than
// their pattern (100 steps are written "100"), so fields are found by their
// separators, not by column.
#include "db/SequenceData.h"

#include <QByteArray>
#include <optional>

namespace tz::sim {

// The record without its trailing SUB; nullopt when it is not a well-formed record.
std::optional<SequenceData> decodeSequenceRecord(const QByteArray& record);

}  // namespace tz::sim
