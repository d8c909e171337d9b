#include "instrument/RunController.h"

#include "app/ErrorLog.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/UnitPort.h"

#include <cmath>
#include <stdexcept>

namespace tz {

namespace {

// A sequence value the arithmetic of a tick cannot work with (a sampling
// period of 0, a step that does not exist). It ends that tick only.
struct NumericError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// what: the sequence value b stands for, named in the failure the operator sees.
int modulo(int a, int b, const char* what)
{
    if (b == 0)
        throw NumericError(std::string(what) + " is 0: division by zero");
    return a % b;
}

int wholePart(double v)
{
    if (!std::isfinite(v) || std::abs(v) > 1e9)
        throw NumericError("a sequence value is out of range: overflow");
    return static_cast<int>(std::trunc(v));
}

}  // namespace

RunController::RunController(UnitPort& port, PointWriter& writer, QObject* parent)
    : QObject(parent), port_(port), writer_(writer)
{
    // A thermocouple above 451 F stops the unit at once, before the rest of
    // the buffer is parsed, whether or not a test runs.
    reader_.setOverTemperatureHandler([this](const StatusFrame&) { shutDown(StopReason::OverTemperature); });
}

RunController::~RunController() = default;

bool RunController::setSequence(const SequenceData& sequence)
{
    // Mid-run only Refresh Test Sequence may change it, and only in a step.
    if (running())
        return false;
    loadSequence(sequence);
    return true;
}

void RunController::loadSequence(const SequenceData& sequence)
{
    sequence_ = sequence;
    sequence_->sampleInterval = proto::effectiveSampleInterval(sequence);
}

int RunController::recordingPeriodS() const
{
    return sequence_ ? sequence_->sampleInterval : 0;
}

bool RunController::setBob(double radiusCm, double lengthCm)
{
    const std::optional<UnitFactors> f = unitFactorsForBob(radiusCm, lengthCm);
    if (!f)
        return false;
    reader_.setFactors(*f);
    return true;
}

double RunController::pressureNeededPsi(double stepTempF)
{
    const double ratio = stepTempF / 212.0;
    return 100.0 * ratio * ratio;
}

int RunController::firstStepLackingPressure() const
{
    if (!sequence_)
        return 0;
    for (qsizetype i = 0; i < sequence_->steps.size(); ++i) {
        const double t = sequence_->steps[i].tempF;
        if (t > 210.0 && pressureNeededPsi(t) > readings_.pressurePsi)
            return static_cast<int>(i + 1);
    }
    return 0;
}

RunController::StartResult RunController::start(const std::function<std::optional<int>()>& createTest)
{
    lastSelfZero_ = 0;
    if (state_ != RunState::Idle)
        return StartResult::NotIdle;
    if (!sequence_)
        return StartResult::NoSequence;
    // A unit already above 451 F would be stopped by its very next reading,
    // leaving a stored test without a point.
    if (readings_.sampleTempF > StatusFrameReader::kOverTemperatureF
        || readings_.bathTempF > StatusFrameReader::kOverTemperatureF)
        return StartResult::OverTemperature;
    // Checked before the test is stored: a refused start leaves no empty test
    // behind and the same name can be used once the pressure is up.
    if (firstStepLackingPressure() != 0) {
        logError(QStringLiteral("Pressure is not applied to perform high temperature test.  Instrument No. ")
                 + QString::number(unit_));
        return StartResult::PressureTooLow;
    }
    const std::optional<int> id = createTest ? createTest() : std::nullopt;
    if (!id)
        return StartResult::TestNotStored;

    testId_ = *id;
    sums_ = {};
    viscosityCount_ = 0;
    viscositySum_ = 0;
    stepStart_ = 0;
    elapsed_ = 0;
    rampFlag_ = 0;
    rampRow_ = 0;
    // The tick counts start again too: a test stopped mid-step must not
    // leave the next test's first step past its set-point tick.
    stepTicks_ = 0;
    rampTicks_ = 0;
    stepIndex_ = 1;
    pointsRecorded_ = 0;
    failingTicks_ = 0;
    lastTickFailure_.clear();
    setState(RunState::Step);
    interval_ = kTickMs;
    setExitEnabled(false);
    selfZeroDone_ = false;
    resendSetPoint_ = false;
    emit runStarted(testId_, QDateTime::currentDateTime());
    return StartResult::Started;
}

void RunController::stop(StopReason reason)
{
    shutDown(reason);
}

void RunController::zero()
{
    port_.send(proto::zero());
}

void RunController::preheat(double tempF)
{
    port_.send(proto::preheat(tempF));
}

bool RunController::refreshSequence(const SequenceData& sequence)
{
    if (state_ != RunState::Step)
        return false;
    loadSequence(sequence);
    if (sequence_->steps.size() < stepIndex_)
        shutDown(StopReason::SequenceShortened);
    return true;
}

RunController::DownloadResult RunController::beginSequenceDownload()
{
    if (!sequence_)
        return DownloadResult::NoSequence;
    if (downloading_)
        return DownloadResult::Busy;
    if (!port_.send(proto::cancel()) || !port_.send(proto::sequenceRecord(*sequence_))) {
        emit sequenceSendFinished(false, kSendErrorText);
        return DownloadResult::SendFailed;
    }
    downloading_ = true;
    return DownloadResult::Started;
}

void RunController::finishDownload()
{
    downloading_ = false;
    const QByteArray reply = port_.takeAll();
    reader_.clear();
    const bool accepted = proto::sequenceAccepted(reply);
    emit sequenceSendFinished(accepted, accepted ? kSendSuccessText : kSendErrorText);
}

bool RunController::retryPendingPoints()
{
    if (writer_.backlog() == 0)
        return true;
    const int waiting = writer_.backlog();
    if (!writer_.retry()) {
        emit pointStoreFailed(writer_.lastError(), writer_.backlog());
        return false;
    }
    if (storeFailing_) {
        storeFailing_ = false;
        logError(QStringLiteral("Recorded points stored again after a database failure: ")
                 + QString::number(waiting) + QStringLiteral(". Instrument No. ") + QString::number(unit_));
    }
    emit pointsRecovered(waiting);
    return true;
}

int RunController::pointsPending() const
{
    return writer_.backlog();
}

int RunController::tick()
{
    if (downloading_) {
        finishDownload();
        // No poll went out while the unit answered the download.
        lastIntervalMs_ = 0;
        return nextIntervalMs();
    }
    const int sinceLastTick = lastIntervalMs_;
    try {
        // The tick after a set point: what the unit said meanwhile belongs to
        // the old set point.
        if (state_ == RunState::Step && stepTicks_ == 2)
            noteResponse(discardInput().contains(proto::SUB), sinceLastTick);
        else
            noteResponse(readStatus(), sinceLastTick);
        if (!(state_ == RunState::Step && stepTicks_ == 1))
            port_.send(proto::statusPoll());
        if (state_ == RunState::Idle) {
            lastIntervalMs_ = interval_;
            return interval_;
        }

        ++elapsed_;
        if (elapsed_ % 3600 < 3)
            selfZeroDone_ = false;
        const bool show = rampFlag_ == 0 ? stepTick() : rampTick();
        if (failingTicks_ > 0 && running()) {
            failingTicks_ = 0;
            lastTickFailure_.clear();
            emit tickRecovered();
        }
        if (show)
            emit elapsedChanged(elapsed_);
    } catch (const NumericError& e) {
        tickFailure(QString::fromStdString(e.what()));
    }
    lastIntervalMs_ = interval_;
    return interval_;
}

void RunController::tickFailure(const QString& reason)
{
    ++failingTicks_;
    if (reason != lastTickFailure_) {
        lastTickFailure_ = reason;
        logError(QStringLiteral("Test tick failed: ") + reason + QStringLiteral(". Instrument No. ")
                 + QString::number(unit_));
        emit tickFailed(reason);
    }
    // A run that cannot follow its sequence would otherwise hold the unit at
    // its last set point forever without recording anything.
    if (failingTicks_ >= kMaxFailingTicks && running()) {
        logError(QStringLiteral("Test stopped after %1 failing ticks in a row (%2). Instrument No. %3")
                     .arg(failingTicks_)
                     .arg(reason)
                     .arg(unit_));
        shutDown(StopReason::TickFailures);
    }
}

void RunController::noteResponse(bool answered, int sinceLastTickMs)
{
    if (answered) {
        const bool wasSilent = !unitAnswering();
        silentMs_ = 0;
        if (wasSilent)
            emit responseChanged(true);
        if (silenceLogged_) {
            silenceLogged_ = false;
            logError(QStringLiteral("The unit answers again; recording resumed. Instrument No. ")
                     + QString::number(unit_));
        }
        return;
    }
    const bool wasAnswering = unitAnswering();
    silentMs_ = std::min(silentMs_ + sinceLastTickMs, 24 * 3600 * 1000);
    if (unitAnswering())
        return;
    if (wasAnswering) {
        setStatusText(kNoResponseText);
        emit responseChanged(false);
    }
    if (running() && !silenceLogged_) {
        silenceLogged_ = true;
        logError(QStringLiteral("No response from the unit; recording paused. Instrument No. ")
                 + QString::number(unit_));
    }
}

bool RunController::readStatus()
{
    const StatusReadResult result = reader_.read(port_.takeAll());
    for (const StatusFrame& f : result.frames) {
        readings_ = {f.sampleTempF, f.bathTempF, f.pressurePsi, f.shearRate, f.shearStress, f.setPointF};
        freshFrame_ = true;
        const QString text = statusCodeText(f.statusCode);
        if (!text.isEmpty())
            setStatusText(text);
        if (f.statusCode == 8)
            setExitEnabled(true);
        emit frameReceived(f);
    }
    return !result.frames.isEmpty();
}

QByteArray RunController::discardInput()
{
    QByteArray dropped = reader_.buffer() + port_.takeAll();
    reader_.clear();
    return dropped;
}

bool RunController::stepTick()
{
    const SequenceData& s = *sequence_;
    const int q = stepTicks_;
    setState(RunState::Step);
    stepTicks_ = q + 1;
    if (q == 0)
        return false;
    if (stepIndex_ < 1 || stepIndex_ > s.steps.size())
        throw NumericError("step " + std::to_string(stepIndex_) + " is not in the sequence");
    const SequenceStep& step = s.steps[stepIndex_ - 1];
    if (q == 1) {
        sendSetPoint(step.tempF, step.shearRate);
        interval_ = kAfterSetPointMs;
        return false;
    }
    interval_ = kTickMs;
    if (resendSetPoint_) {
        // The self-zero stopped the rotor; bring the step's set point back.
        sendSetPoint(step.tempF, step.shearRate);
        interval_ = kAfterSetPointMs;
        resendSetPoint_ = false;
        discardInput();
        return false;
    }

    // P samples I seconds apart at the start of every recording period of R
    // seconds, none within 10 s of a self-zero (or of the start).
    const int c = q + 1;
    const int period = recordingPeriodS();
    const int every = wholePart(s.rampSampleRate);
    const int perPoint = wholePart(s.samplePointsAverage);
    const int inPeriod = modulo(c, period, "the recording period of the sequence");
    const bool sample = (modulo(inPeriod, every, "the sampling period of the sequence") == 0 && inPeriod != 0 && elapsed_ - lastSelfZero_ > 10
                         && every * perPoint >= inPeriod)
        || period == 1;
    if (sample && takeSample()) {
        recordPoint(0, 0);
        if (elapsed_ % 3600 > 3000 && !selfZeroDone_ && selfZeroEnabled_ && readings_.shearRate > 49
            && readings_.shearStress < 520) {
            port_.send(proto::selfZero());
            interval_ = kAfterSelfZeroMs;
            selfZeroDone_ = true;
            resendSetPoint_ = true;
            lastSelfZero_ = elapsed_;
            emit selfZeroSent(elapsed_);
        }
        // Low-viscosity shut-down: each counted point stands for one
        // recording period; judge once they span the shut-down time.
        ++viscosityCount_;
        viscositySum_ += readings_.shearStress / (readings_.shearRate + 0.0001) * 100.0;
        if (viscosityCount_ * static_cast<double>(period) / 60.0 >= s.shutDownATime) {
            if (viscositySum_ / viscosityCount_ < s.shutDownVisc) {
                logError(QStringLiteral(" Shut down due to viscosity average below preset shut down viscosity. Instrument No. ")
                         + QString::number(unit_));
                shutDown(StopReason::LowViscosity);
                return false;
            }
            viscosityCount_ = 0;
            viscositySum_ = 0;
        }
    }

    // The sample temperature that ends a step must be one the unit still reports.
    if (elapsed_ - stepStart_ > step.elapseTimeMin * 60.0 && unitAnswering()
        && std::abs(step.tempF - readings_.sampleTempF) <= step.startErrorF) {
        // A step flagged for a shear ramp in a sequence without ramp rows
        // simply ends: there is no row to visit.
        if (step.runRamp != 1 || s.rampShearRates.isEmpty()) {
            ++stepIndex_;
            stepTicks_ = 0;
            rampTicks_ = 0;
            sums_ = {};
            rampRow_ = 0;
            stepStart_ = elapsed_;
            if (stepIndex_ > s.steps.size()) {
                shutDown(StopReason::EndOfSequence);
                return false;
            }
        } else {
            rampFlag_ = 1;
            rampRow_ = 1;
            rampTicks_ = 0;
            sums_ = {};
            stepStart_ = elapsed_;
        }
    }
    return true;
}

bool RunController::rampTick()
{
    const SequenceData& s = *sequence_;
    setState(RunState::ShearRamp);
    interval_ = kTickMs;
    ++stepTicks_;
    const int before = rampTicks_;
    ++rampTicks_;
    if (stepIndex_ < 1 || stepIndex_ > s.steps.size() || rampRow_ < 1)
        throw NumericError("step " + std::to_string(stepIndex_) + " or its shear ramp is not in the sequence");
    // A refreshed sequence may have lost its ramp rows: the ramp then ends.
    if (rampRow_ <= s.rampShearRates.size()) {
        const SequenceStep& step = s.steps[stepIndex_ - 1];
        if (before == 0) {
            sendSetPoint(step.tempF, s.rampShearRates[rampRow_ - 1]);
            interval_ = kAfterSetPointMs;
        }
        const int settle = wholePart(std::round(s.timeBeforeRead));
        const int every = wholePart(s.rampSampleRate);
        const int r = rampTicks_;
        if (r > settle && modulo(r - settle, every, "the sampling period of the sequence") == 0 && takeSample()) {
            recordPoint(rampRow_, 1);
            ++rampRow_;
            rampTicks_ = 0;
        }
    }
    if (rampRow_ > s.rampShearRates.size()) {
        // The next step's duration counts from the start of this ramp.
        rampRow_ = 0;
        ++stepIndex_;
        stepTicks_ = 0;
        rampTicks_ = 0;
        rampFlag_ = 0;
        if (stepIndex_ > s.steps.size())
            shutDown(StopReason::EndOfSequence);
    }
    return true;
}

bool RunController::takeSample()
{
    const int perPoint = wholePart(sequence_->samplePointsAverage);
    if (perPoint < 1)
        throw NumericError("the samples per point of the sequence are fewer than 1");
    // Only a frame that arrived since the last sample is a measurement; a
    // silent unit leaves its slot empty instead of repeating an old reading.
    ++sums_.slotCount;
    if (freshFrame_ && unitAnswering()) {
        freshFrame_ = false;
        ++sums_.count;
        sums_.bathTempF += readings_.bathTempF;
        sums_.sampleTempF += readings_.sampleTempF;
        sums_.shearRate += readings_.shearRate;
        sums_.pressurePsi += readings_.pressurePsi;
        sums_.shearStress += readings_.shearStress;
    }
    if (sums_.slotCount < perPoint)
        return false;
    if (sums_.count == 0) {
        // Not one fresh sample: no point. A shear-ramp row stays until one is taken.
        sums_ = {};
        return false;
    }
    const double n = sums_.count;
    readings_.bathTempF = sums_.bathTempF / n;
    readings_.sampleTempF = sums_.sampleTempF / n;
    readings_.shearRate = sums_.shearRate / n;
    readings_.pressurePsi = sums_.pressurePsi / n;
    readings_.shearStress = sums_.shearStress / n;
    return true;
}

void RunController::recordPoint(int rampStepNo, int resultType)
{
    RecordedPoint p;
    p.testId = testId_;
    p.rampNo = stepIndex_;
    p.rampStepNo = rampStepNo;
    p.resultTime = elapsed_;
    p.sampleTempF = readings_.sampleTempF;
    p.pressurePsi = readings_.pressurePsi;
    p.shearRate = readings_.shearRate;
    p.shearStress = readings_.shearStress;
    p.resultType = resultType;
    p.bathTempF = readings_.bathTempF;
    sums_ = {};
    ++pointsRecorded_;
    handOver(p);
}

void RunController::handOver(const RecordedPoint& point)
{
    const int waitingBefore = writer_.backlog();
    const bool stored = writer_.write(point);
    if (!stored) {
        // Logged once per outage; the window shows every failed point.
        if (!storeFailing_) {
            storeFailing_ = true;
            logError(QStringLiteral("Recorded point not stored, kept for the next attempt (")
                     + writer_.lastError() + QStringLiteral("). Instrument No. ") + QString::number(unit_));
        }
        emit pointStoreFailed(writer_.lastError(), writer_.backlog());
    } else if (storeFailing_) {
        storeFailing_ = false;
        logError(QStringLiteral("Recorded points stored again after a database failure: ")
                 + QString::number(waitingBefore + 1) + QStringLiteral(". Instrument No. ")
                 + QString::number(unit_));
        emit pointsRecovered(waitingBefore + 1);
    }
    emit pointRecorded(point, stored);
}

void RunController::sendSetPoint(double tempF, double shearRate)
{
    port_.send(proto::setPoint(tempF, shearRate, reader_.factors().shearRateFactor));
    emit setPointSent(tempF, shearRate);
}

void RunController::shutDown(StopReason reason)
{
    const bool wasRunning = running();
    // Every automatic stop leaves its cause in the error log; an idle unit
    // that reads hot is stopped on every frame and logs nothing.
    if (wasRunning && reason == StopReason::OverTemperature)
        logError(QStringLiteral(" Shut down due to sample or bath temperature above 451 F. Instrument No. ")
                 + QString::number(unit_));
    port_.send(proto::stop());
    readings_.setPointF = 0;
    stepStart_ = 0;
    setExitEnabled(true);
    setState(RunState::Idle);
    lastSelfZero_ = 0;
    if (wasRunning)
        emit runEnded(reason);
}

void RunController::setState(RunState state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit runStateChanged(state);
}

void RunController::setStatusText(const QString& text)
{
    if (statusText_ == text)
        return;
    statusText_ = text;
    emit statusTextChanged(text);
}

void RunController::setExitEnabled(bool enabled)
{
    if (exitEnabled_ == enabled)
        return;
    exitEnabled_ = enabled;
    emit exitEnabledChanged(enabled);
}

void RunController::logError(const QString& message)
{
    // A log that cannot be written must not stop the run.
    appendErrorLog(message, nullptr, errorLogPath_.isEmpty() ? errorLogDefaultPath() : errorLogPath_);
}

QString RunController::elapsedPanelText(int elapsedSeconds)
{
    const int hours = (elapsedSeconds / 3600) % 24;
    const int minutes = (elapsedSeconds / 60) % 60;
    const int seconds = elapsedSeconds % 60;
    return QStringLiteral("Elapsed Time: %1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

}  // namespace tz
