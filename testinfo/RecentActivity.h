#pragma once
// When a stored test last grew: the latest of its points (start time plus the
// point's test seconds), or its start when it has none yet. On the lab
// server another workstation may be recording a test this one cannot see
// running; a test that grew within the last two minutes is taken as possibly
// recording there.
#include <QDateTime>
#include <QString>

#include <optional>

class clsConnection;

namespace tz {

inline constexpr int kRecordingQuietSeconds = 120;

// Latest activity of any stored test of this name; nullopt when none is
// stored or none has a start time. Throws tz::DbError.
std::optional<QDateTime> lastActivity(clsConnection& connection, const QString& name);

// Whether activity at `last` seen at `now` may still be a recording: younger
// than two minutes, or in the future (the recording workstation's clock runs
// ahead of this one's).
bool mayStillBeRecording(const QDateTime& last, const QDateTime& now);

}  // namespace tz
