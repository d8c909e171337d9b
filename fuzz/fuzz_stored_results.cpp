// Any reply to a stored-results request parses without crashing; no record
// is made up or half read.
#include "instrument/StoredResultsParser.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tz::StoredResults r = tz::parseStoredResults(reply);
    using S = tz::StoredResults::Status;
    require((r.status == S::NoReply) == reply.isEmpty());
    require((r.status == S::Ok) == (!reply.isEmpty() && reply.endsWith('\x02')));
    if (r.status != S::Ok) require(r.records.isEmpty() && r.malformed == 0);
    require(r.records.size() + r.malformed == reply.count('\x03') * (r.status == S::Ok ? 1 : 0));
    for (const auto& rec : r.records)
        for (double v : {rec.sampleTempF, rec.bathTempF, rec.pressurePsi, rec.shearRate, rec.shearStress})
            require(std::isfinite(v));
    return 0;
}
