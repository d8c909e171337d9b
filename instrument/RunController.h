#pragma once
// The run of one real-time test on one TZ360 unit, free of any window: each
// tick reads the unit's status frames, polls again, takes samples, averages
// them into recorded points, steps through the sequence by sending set points
// and stops the unit at the end, on over-temperature or on low viscosity.
//
// The host (unit window, tz360-cli run, a test on virtual time, the bench)
// owns the timer: it calls tick() and waits the interval it returns before
// the next call. Intervals are in test milliseconds (1000 for an ordinary
// tick, 3000 after a set point, 21000 after a self-zero, 6000 while a
// sequence download is answered); a host that speeds time up divides them.
// After any other call (start, stop, sequence download ...) the host restarts
// its timer with nextIntervalMs(). Every tick counts as one second of test
// time, whatever its interval.
//
// What the operator should see leaves through signals and accessors, never
// through widget calls.
#include "db/SequenceData.h"
#include "instrument/PointWriter.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/UnitFactors.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tz {

class UnitPort;

// The unit's current readings: the last complete status frame, or the
// averages of the last recorded point until the next frame arrives.
struct UnitReadings {
    double sampleTempF = 0;
    double bathTempF = 0;
    double pressurePsi = 0;
    double shearRate = 0;
    double shearStress = 0;
    double setPointF = 0;
};

class RunController : public QObject {
    Q_OBJECT
public:
    enum class RunState { Idle, Step, ShearRamp };

    enum class StartResult {
        Started,
        NotIdle,          // a test is already running: nothing happens
        NoSequence,       // no sequence selected: nothing happens
        PressureTooLow,   // error-log line written; show kPressureTooLowMessage
        TestNotStored,    // createTest gave no id: nothing starts
        OverTemperature,  // the unit reads above 451 F: nothing stored, show kOverTemperatureStartMessage
    };

    enum class StopReason {
        Operator,            // "Stop"
        EndOfSequence,
        OverTemperature,     // sample or bath above 451 F
        LowViscosity,        // viscosity shut-down
        SequenceShortened,   // Refresh Test Sequence with fewer steps than the current one
        TickFailures,        // kMaxFailingTicks ticks in a row failed: Stop sent
        NoResponse,          // the host gave up on a silent unit: Stop sent
    };

    enum class DownloadResult {
        Started,          // answer expected in 6 s: restart the timer with nextIntervalMs()
        NoSequence,       // show kSelectSequenceMessage
        Busy,             // a download is already waiting for its answer
        SendFailed,       // sequenceSendFinished(false, ...) already emitted
    };

    static constexpr int kTickMs = 1000;
    static constexpr int kAfterSetPointMs = 3000;
    static constexpr int kAfterSelfZeroMs = 21000;
    static constexpr int kSequenceReplyMs = 6000;

    inline static const QString kPressureTooLowMessage =
        QStringLiteral("Pressure not enough for your test.  Please add more pressure.");
    inline static const QString kSelectSequenceMessage =
        QStringLiteral("Please select a valid sequence first.");
    inline static const QString kSendSuccessText = QStringLiteral("Sequence Send Success.");
    inline static const QString kSendErrorText = QStringLiteral("Sequence Send Error. Please resend.");
    inline static const QString kNoResponseText = QStringLiteral("No Response");
    inline static const QString kOverTemperatureStartMessage =
        QStringLiteral("The unit reads a temperature above 451 F. The test cannot start until it has cooled.");

    // Test time without a status frame after which the unit counts as silent:
    // "No Response" is shown and recording pauses until it answers again.
    static constexpr int kSilenceMs = 10000;
    // Failing ticks in a row after which the run stops the unit and ends.
    static constexpr int kMaxFailingTicks = 10;

    RunController(UnitPort& port, PointWriter& writer, QObject* parent = nullptr);
    ~RunController() override;

    // --- set-up -----------------------------------------------------------
    // Unit number 1 ... 8, named in the error-log lines.
    void setUnitNumber(int unit) { unit_ = unit; }
    int unitNumber() const { return unit_; }
    // OstraErr.log of the working directory unless set.
    void setErrorLogPath(const QString& path) { errorLogPath_ = path; }

    // Loads a selected sequence (the recording period raised to sampling
    // period x samples per point when smaller). Takes effect at once, as the
    // window's arrays do. Refused (false) while a test runs: a sequence
    // swapped in mid-run may lack the step the run is in.
    bool setSequence(const SequenceData& sequence);
    const std::optional<SequenceData>& sequence() const { return sequence_; }
    // The recording period the run uses, in seconds.
    int recordingPeriodS() const;

    // Bob in use (cm); recomputes the shear-rate and stress factors. False,
    // factors unchanged, when the bob cannot hang in the rotor.
    bool setBob(double radiusCm, double lengthCm);
    const UnitFactors& factors() const { return reader_.factors(); }

    void setSelfZeroEnabled(bool on) { selfZeroEnabled_ = on; }
    bool selfZeroEnabled() const { return selfZeroEnabled_; }

    // --- operator commands ------------------------------------------------
    // Runs the pressure check against the current pressure and, only when it
    // passes, calls createTest to store the test (TEST_INFO row and additives)
    // and starts the run with the id it returns. A refused start stores
    // nothing, so the operator can start again under the same name.
    StartResult start(const std::function<std::optional<int>()>& createTest);
    // The pressure check alone, without logging: the first step hotter than
    // 210 F whose pressure need 100 x (T / 212)^2 exceeds the current
    // pressure, or 0 when every step is satisfied.
    int firstStepLackingPressure() const;
    static double pressureNeededPsi(double stepTempF);

    // "Stop": Stop to the unit, run ends (a host that gives up on the unit
    // names its own reason).
    void stop(StopReason reason = StopReason::Operator);
    void zero();                        // "Zero"
    void preheat(double tempF);         // "Preheat"
    // Refresh Test Sequence: only while a step (not a shear ramp) runs;
    // false otherwise. Nothing is sent to the unit. A sequence now shorter
    // than the current step ends the run.
    bool refreshSequence(const SequenceData& sequence);
    // Send Sequence: Cancel, the record, and the unit's answer judged on the
    // tick 6 s later (no poll meanwhile; the other units keep their rhythm).
    DownloadResult beginSequenceDownload();
    bool downloading() const { return downloading_; }

    // Stores the points the writer still holds; true when none is left.
    bool retryPendingPoints();

    // --- the timer --------------------------------------------------------
    // One tick; returns the interval until the next one (test ms).
    int tick();
    int nextIntervalMs() const { return downloading_ ? kSequenceReplyMs : interval_; }

    // --- state for the window ---------------------------------------------
    RunState runState() const { return state_; }
    bool running() const { return state_ != RunState::Idle; }
    int testId() const { return testId_; }
    int elapsedSeconds() const { return elapsed_; }
    int stepIndex() const { return stepIndex_; }       // RAMP_NO of the next point
    int rampRow() const { return rampRow_; }           // 0 outside a shear ramp
    const UnitReadings& readings() const { return readings_; }
    const QString& statusText() const { return statusText_; }
    bool exitEnabled() const { return exitEnabled_; }
    int pointsRecorded() const { return pointsRecorded_; }
    int pointsPending() const;
    // Test milliseconds since the last status frame (0 while it answers).
    int silentMs() const { return silentMs_; }
    bool unitAnswering() const { return silentMs_ < kSilenceMs; }
    // "Elapsed Time: hh:mm:ss" as the status bar shows it.
    static QString elapsedPanelText(int elapsedSeconds);

signals:
    // Every accepted status frame, in order (the last one of a tick is current).
    void frameReceived(const tz::StatusFrame& frame);
    // The status label: a status-code text or "No Response".
    void statusTextChanged(const QString& text);
    void exitEnabledChanged(bool enabled);
    void runStarted(int testId, const QDateTime& startTime);
    void runEnded(tz::RunController::StopReason reason);
    void runStateChanged(tz::RunController::RunState state);
    // After each running tick that updates the display.
    void elapsedChanged(int elapsedSeconds);
    void setPointSent(double tempF, double shearRate);
    void selfZeroSent(int elapsedSeconds);
    // One per recorded point, after the writer was given it. stored is false
    // when it (or an earlier one) is still waiting for the database.
    void pointRecorded(const tz::RecordedPoint& point, bool stored);
    // The database refused a point; pending points are kept and retried.
    void pointStoreFailed(const QString& reason, int pending);
    // Every waiting point is stored again after a failure.
    void pointsRecovered(int stored);
    void sequenceSendFinished(bool accepted, const QString& text);
    // A tick met a numeric error (bad sequence values) and ended early;
    // emitted once per distinct reason while the ticks keep failing.
    void tickFailed(const QString& reason);
    // A tick ran through again after failing ones.
    void tickRecovered();
    // The unit fell silent for kSilenceMs (false) or answers again (true).
    void responseChanged(bool answering);

private:
    struct Sums {
        int count = 0;   // fresh samples in the sums
        int slotCount = 0;   // sample slots of this point, fresh or not
        double bathTempF = 0, sampleTempF = 0, shearRate = 0, pressurePsi = 0, shearStress = 0;
    };

    bool readStatus();            // true when a frame arrived
    QByteArray discardInput();    // what was thrown away
    void noteResponse(bool answered, int sinceLastTickMs);
    void tickFailure(const QString& reason);
    void finishDownload();
    bool stepTick();   // false: the tick ended early (no display update)
    bool rampTick();
    bool takeSample(); // true when the sample completed a point
    void recordPoint(int rampStepNo, int resultType);
    void sendSetPoint(double tempF, double shearRate);
    void shutDown(StopReason reason);
    void loadSequence(const SequenceData& sequence);
    void setState(RunState state);
    void setStatusText(const QString& text);
    void setExitEnabled(bool enabled);
    void logError(const QString& message);
    void handOver(const RecordedPoint& point);

    UnitPort& port_;
    PointWriter& writer_;
    StatusFrameReader reader_;
    std::optional<SequenceData> sequence_;
    int unit_ = 1;
    QString errorLogPath_;
    bool selfZeroEnabled_ = false;

    RunState state_ = RunState::Idle;
    int interval_ = kTickMs;
    int testId_ = 0;
    int stepIndex_ = 1;
    int stepTicks_ = 0;
    int stepStart_ = 0;
    int rampRow_ = 0;
    int rampTicks_ = 0;
    int rampFlag_ = 0;
    Sums sums_;
    int elapsed_ = 0;
    int viscosityCount_ = 0;
    double viscositySum_ = 0;
    bool selfZeroDone_ = false;
    bool resendSetPoint_ = false;
    int lastSelfZero_ = 0;
    UnitReadings readings_;
    bool silenceLogged_ = false;
    QString statusText_ = kStatusBeforeFirstFrame;
    bool exitEnabled_ = true;
    int pointsRecorded_ = 0;
    bool storeFailing_ = false;
    int silentMs_ = 0;
    int lastIntervalMs_ = kTickMs;
    bool freshFrame_ = false;   // a frame arrived since the last sample
    int failingTicks_ = 0;
    QString lastTickFailure_;

    bool downloading_ = false;
    int intervalBeforeDownload_ = kTickMs;
};

}  // namespace tz
