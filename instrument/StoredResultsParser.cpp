#include "instrument/StoredResultsParser.h"

#include "instrument/ProtocolCodec.h"

#include <cmath>
#include <limits>

namespace tz {

namespace {

bool toNumber(const QByteArray& field, double& out) {
    bool ok = false;
    out = field.trimmed().toDouble(&ok);
    return ok && std::isfinite(out);
}

bool toWhole(const QByteArray& field, int& out) {
    double v;
    if (!toNumber(field, v)) return false;
    v = std::round(v);
    if (std::fabs(v) > std::numeric_limits<int>::max()) return false;
    out = static_cast<int>(v);
    return true;
}

// One record: nine numbers read by position. Anything after the ninth field
// (some firmware closes each record with a trailing comma) carries nothing we
// store and is ignored. A record whose first nine fields do not read as
// numbers is refused whole, so no row is ever written with fields shifted or
// made up.
bool parseRecord(const QByteArray& text, StoredRecord& r) {
    const QList<QByteArray> f = text.split(',');
    if (f.size() < 9) return false;
    return toWhole(f[0], r.rampNo) && toWhole(f[1], r.rampStepNo) && toWhole(f[2], r.elapsedS) &&
           toNumber(f[3], r.sampleTempF) && toNumber(f[4], r.bathTempF) &&
           toNumber(f[5], r.pressurePsi) && toNumber(f[6], r.shearRate) &&
           toNumber(f[7], r.shearStress) && toWhole(f[8], r.resultType);
}

}  // namespace

StoredResults parseStoredResults(const QByteArray& reply) {
    StoredResults out;
    if (reply.isEmpty()) {
        out.status = StoredResults::Status::NoReply;
        return out;
    }
    if (!reply.endsWith(proto::STX)) {
        out.status = StoredResults::Status::NotClosed;
        return out;
    }
    out.status = StoredResults::Status::Ok;
    qsizetype start = 0;
    qsizetype etx;
    while ((etx = reply.indexOf(proto::ETX, start)) >= 0) {
        StoredRecord r;
        if (parseRecord(reply.mid(start, etx - start), r))
            out.records.append(r);
        else
            ++out.malformed;
        start = etx + 1;
    }
    return out;
}

}  // namespace tz
