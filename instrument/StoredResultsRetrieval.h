#pragma once
// Runs a stored-results download on a timer of its own (scaled by
// TZ360_TIME_SCALE): nothing blocks while the unit sends its memory, and the
// host hears of every piece for its progress display.
#include "instrument/StoredResultsDownload.h"

#include <QObject>
#include <QTimer>

namespace tz {

class StoredResultsRetrieval : public QObject {
    Q_OBJECT
public:
    inline static const QString kNoResponseMessage =
        QStringLiteral("No response from TZ360, please check connection.");
    inline static const QString kNotClosedMessage =
        QStringLiteral("Communication error from TZ360, please download data again.");
    inline static const QString kErrorTitle = QStringLiteral("Communication Error");

    explicit StoredResultsRetrieval(UnitPort& port, QObject* parent = nullptr);

    // Sends the request and starts waiting; finished() follows in any case
    // (at once, with an empty reply, when the request could not be sent).
    void start();
    bool running() const { return running_; }
    // Stops waiting without a finished() signal (the window closes).
    void abort();

    // The operator's message for a download that brought nothing usable,
    // empty for a complete reply.
    static QString failureMessage(const StoredResults& results);

signals:
    void progress(int bytesReceived, int recordsReceived);
    void finished(const tz::StoredResults& results);

private:
    void onWaitEnded();

    StoredResultsDownload download_;
    QTimer wait_;
    bool running_ = false;
};

}  // namespace tz
