#pragma once
// A whole real-time test on one unit without a window, for scripted labs and
// the bench: download the sequence as Send Sequence does, wait for a reading,
// check the pressure, store the test, run it to its end. It owns the timer of
// its run controller on the Qt event loop (intervals divided by
// TZ360_TIME_SCALE) and measures how late each tick fires, so several units
// sharing one loop can be checked for keeping their rhythm.
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "instrument/DatabasePointWriter.h"
#include "instrument/RunController.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class clsConnection;

namespace tz {

class UnitPort;

class UnattendedRun : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Finished,          // end of the sequence
        LowViscosity,      // the viscosity shut-down ended the test
        OverTemperature,   // the unit was stopped for a thermocouple above 451 F
        Interrupted,       // interrupt(): Stop sent
        DownloadRefused,   // the unit did not acknowledge the sequence
        NoResponse,        // no status frame after the download
        PressureTooLow,    // nothing stored
        TestNotStored,     // the database refused the test
        TickFailures,      // the run could not follow its sequence: Stop sent
    };

    // Ticks the unit may stay silent after the download before giving up.
    static constexpr int kReadingWaitTicks = 6;
    // Test time a running unit may stay silent before the run gives up on it
    // (recording pauses after RunController::kSilenceMs already).
    static constexpr int kGiveUpSilenceMs = 60000;

    UnattendedRun(UnitPort& port, clsConnection& connection, QObject* parent = nullptr);

    RunController& controller() { return run_; }
    const DatabasePointWriter& writer() const { return writer_; }

    // Starts the download; finished() follows on the event loop.
    void begin(const SequenceData& sequence, const TestInformation& info, int unitNumber);
    // Ctrl-C: Stop to the unit, the run ends with every point kept.
    void interrupt();

    bool isFinished() const { return finished_; }
    int testId() const { return run_.testId(); }

    // Timing of the ticks so far: a tick is late when it fires more than half
    // its interval after its time.
    int ticks() const { return ticks_; }
    int lateTicks() const { return lateTicks_; }
    double worstDelayMs() const { return worstDelayMs_; }
    // The longest a tick itself took (reading, sampling, storing a point).
    double worstTickWorkMs() const { return worstWorkMs_; }

signals:
    void downloadFinished(bool accepted);
    void started(int testId);
    void pointRecorded(const tz::RecordedPoint& point, bool stored);
    // detail: a one-line reason for outcomes other than Finished.
    void finished(tz::UnattendedRun::Outcome outcome, const QString& detail);

private:
    enum class Phase { Download, AwaitReading, Running, Done };

    void onTimer();
    void schedule(int testMs);
    void tryStart();
    void finish(Outcome outcome, const QString& detail);

    DatabasePointWriter writer_;
    RunController run_;
    clsConnection& connection_;
    TestInformation info_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 dueMs_ = 0;
    int scheduledMs_ = 0;
    Phase phase_ = Phase::Done;
    int silentTicks_ = 0;
    bool haveReading_ = false;
    QString lastTickFailure_;
    bool finished_ = false;
    int ticks_ = 0;
    int lateTicks_ = 0;
    double worstDelayMs_ = 0;
    double worstWorkMs_ = 0;
};

}  // namespace tz
