#include "instrument/StoredResultsDownload.h"

#include "instrument/ProtocolCodec.h"
#include "instrument/UnitPort.h"

namespace tz {

bool StoredResultsDownload::begin()
{
    reply_.clear();
    finished_ = false;
    afterFirstWait_ = true;
    nextWaitMs_ = kFirstWaitMs;
    port_.takeAll();
    if (!port_.send(proto::requestStoredResults())) {
        finished_ = true;
        return false;
    }
    return true;
}

bool StoredResultsDownload::waitEnded()
{
    if (finished_)
        return false;
    const QByteArray more = port_.takeAll();
    // What the first 2 s brought is always followed by a half-second look;
    // after that the reply is complete once a half-second wait brings nothing.
    const bool first = afterFirstWait_;
    afterFirstWait_ = false;
    if (first || !more.isEmpty()) {
        reply_ += more;
        nextWaitMs_ = kStepWaitMs;
        return true;
    }
    finished_ = true;
    return false;
}

}  // namespace tz
