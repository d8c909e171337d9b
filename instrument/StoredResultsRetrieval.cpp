#include "instrument/StoredResultsRetrieval.h"

#include "instrument/TimeScale.h"

namespace tz {

StoredResultsRetrieval::StoredResultsRetrieval(UnitPort& port, QObject* parent)
    : QObject(parent), download_(port)
{
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &StoredResultsRetrieval::onWaitEnded);
}

void StoredResultsRetrieval::start()
{
    if (running_)
        return;
    running_ = true;
    if (!download_.begin()) {
        QTimer::singleShot(0, this, [this] {
            running_ = false;
            emit finished(download_.result());
        });
        return;
    }
    wait_.start(scaledMs(download_.nextWaitMs()));
}

void StoredResultsRetrieval::abort()
{
    wait_.stop();
    running_ = false;
}

void StoredResultsRetrieval::onWaitEnded()
{
    if (!running_)
        return;
    const int before = download_.reply().size();
    const bool more = download_.waitEnded();
    if (download_.reply().size() != before)
        emit progress(download_.reply().size(), download_.recordsSoFar());
    if (more) {
        wait_.start(scaledMs(download_.nextWaitMs()));
        return;
    }
    running_ = false;
    emit finished(download_.result());
}

QString StoredResultsRetrieval::failureMessage(const StoredResults& results)
{
    switch (results.status) {
    case StoredResults::Status::NoReply: return kNoResponseMessage;
    case StoredResults::Status::NotClosed: return kNotClosedMessage;
    case StoredResults::Status::Ok: break;
    }
    return QString();
}

}  // namespace tz
