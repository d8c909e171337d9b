#pragma once
// Stores each recorded point as its own committed TEST_RESULT row, so a point
// is on disk before the next tick. A locked or full database does not lose
// points: they stay queued in order and go in ahead of the next point.
#include "db/clsTEST_RESULT.h"
#include "instrument/PointWriter.h"

#include <QList>

class clsConnection;

namespace tz {

class DatabasePointWriter : public PointWriter {
public:
    explicit DatabasePointWriter(clsConnection& connection);

    bool write(const RecordedPoint& point) override;
    bool retry() override;
    int backlog() const override { return static_cast<int>(pending_.size()); }
    QString lastError() const override { return lastError_; }
    // The points still waiting, oldest first.
    const QList<RecordedPoint>& pending() const { return pending_; }

private:
    bool storeOne(const RecordedPoint& point);

    clsConnection& connection_;
    clsTEST_RESULT record_;
    QList<RecordedPoint> pending_;
    QString lastError_;
};

}  // namespace tz
