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

int modulo(int a, int b)
{
    if (b == 0)
        throw NumericError("Division by zero");
    return a % b;
}

int wholePart(double v)
{
    if (!std::isfinite(v) || std::abs(v) > 1e9)
        throw NumericError("Overflow");
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

void RunController::setSequence(const SequenceData& sequence)
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
    setSequence(sequence);
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
        return nextIntervalMs();
    }
    try {
        ++tickCounter_;
        if (tickCounter_ % 5 == 0) {
            if (noResponse_)
                setStatusText(kNoResponseText);
            else
                noResponse_ = true;
        }
        // The tick after a set point: what the unit said meanwhile belongs to
        // the old set point.
        if (state_ == RunState::Step && stepTicks_ == 2)
            discardInput();
        else
            readStatus();
        if (!(state_ == RunState::Step && stepTicks_ == 1))
            port_.send(proto::statusPoll());
        if (state_ == RunState::Idle)
            return interval_;

        ++elapsed_;
        if (elapsed_ % 3600 < 3)
            selfZeroDone_ = false;
        const bool show = rampFlag_ == 0 ? stepTick() : rampTick();
        if (show)
            emit elapsedChanged(elapsed_);
    } catch (const NumericError& e) {
        emit tickFailed(QString::fromLatin1(e.what()));
    }
    return interval_;
}

void RunController::readStatus()
{
    const StatusReadResult result = reader_.read(port_.takeAll());
    for (const StatusFrame& f : result.frames) {
        noResponse_ = false;
        readings_ = {f.sampleTempF, f.bathTempF, f.pressurePsi, f.shearRate, f.shearStress, f.setPointF};
        const QString text = statusCodeText(f.statusCode);
        if (!text.isEmpty())
            setStatusText(text);
        if (f.statusCode == 8)
            setExitEnabled(true);
        emit frameReceived(f);
    }
}

void RunController::discardInput()
{
    port_.takeAll();
    reader_.clear();
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
        throw NumericError("Subscript out of range");
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
    const int inPeriod = modulo(c, period);
    const bool sample = (modulo(inPeriod, every) == 0 && inPeriod != 0 && elapsed_ - lastSelfZero_ > 10
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

    if (elapsed_ - stepStart_ > step.elapseTimeMin * 60.0
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
        throw NumericError("Subscript out of range");
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
        if (r > settle && modulo(r - settle, every) == 0 && takeSample()) {
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
        throw NumericError("Invalid samples per point");
    ++sums_.count;
    sums_.bathTempF += readings_.bathTempF;
    sums_.sampleTempF += readings_.sampleTempF;
    sums_.shearRate += readings_.shearRate;
    sums_.pressurePsi += readings_.pressurePsi;
    sums_.shearStress += readings_.shearStress;
    if (sums_.count < perPoint)
        return false;
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
