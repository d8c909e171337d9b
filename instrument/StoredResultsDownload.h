#pragma once
// Pulling a stand-alone run out of a unit's memory: the request, then the
// reply gathered in waits (2 s, then half-second steps) until a half-second
// wait brings nothing more. The host owns the timer, so a test can drive the
// exchange on virtual time and a window keeps working while records arrive.
#include "instrument/StoredResultsParser.h"

#include <QByteArray>

namespace tz {

class UnitPort;

class StoredResultsDownload {
public:
    // Unscaled waits in milliseconds; the host divides them by TZ360_TIME_SCALE.
    static constexpr int kFirstWaitMs = 2000;
    static constexpr int kStepWaitMs = 500;

    explicit StoredResultsDownload(UnitPort& port) : port_(port) {}

    // Throws away whatever the line still holds (late status frames) and
    // sends the request. False when the request could not be sent: the
    // download is then over with no reply.
    bool begin();
    // A wait has ended: takes what arrived. True when another wait follows
    // (its length is nextWaitMs()); false when the reply is complete.
    bool waitEnded();
    int nextWaitMs() const { return nextWaitMs_; }
    bool finished() const { return finished_; }

    const QByteArray& reply() const { return reply_; }
    // Records whose ETX has arrived so far, for a progress display.
    int recordsSoFar() const { return static_cast<int>(reply_.count(char(0x03))); }
    StoredResults result() const { return parseStoredResults(reply_); }

private:
    UnitPort& port_;
    QByteArray reply_;
    int nextWaitMs_ = kFirstWaitMs;
    bool afterFirstWait_ = false;
    bool finished_ = false;
};

}  // namespace tz
