#include "sim/SimulatedUnit.h"

#include "instrument/ProtocolCodec.h"
#include "instrument/UnitFactors.h"
#include "sim/SequenceRecordDecoder.h"

#include <algorithm>
#include <cmath>

namespace tz::sim {

using namespace tz::proto;

namespace {

constexpr double kSliceS = 0.25;            // physics slice
constexpr double kRotorTauS = 0.5;          // rotor reaching a new speed
constexpr double kCoolingAboveF = 120.0;    // after Stop: "Cooling" until the cup is handleable
constexpr double kRampingBandF = 5.0;       // heating or cooling towards a set point
constexpr double kLineBytesPerS = 1920.0;   // 19200 baud, 10 bits a character
constexpr double kSequenceReplyDelayS = 0.5;
constexpr double kCalibrationRecordS = 1.0;    // each rung held until the reading settles
constexpr double kCalibrationFullScale = 1000.0;  // dyn/cm2 on the reference bob
constexpr double kCalibrationMaxRate = 1000.0;    // 1/s, the fastest rung
constexpr double kPressureEffectS = 300.0;
constexpr int kMaxSteps = 98;
constexpr int kMaxRampRows = 40;
constexpr qsizetype kMaxInput = 1 << 16;
constexpr qsizetype kMaxLog = 100000;

QByteArray num(double v, int decimals) { return QByteArray::number(v, 'f', decimals); }

bool parseNumbers(const QByteArray& body, int count, QList<double>& out) {
    QList<QByteArray> parts = body.split(',');
    if (!parts.isEmpty() && parts.last().trimmed().isEmpty() && parts.size() > count) parts.removeLast();
    if (parts.size() != count) return false;
    out.clear();
    for (const QByteArray& p : parts) {
        bool ok = false;
        const double v = p.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v)) return false;
        out.append(v);
    }
    return true;
}

// Torque transducer of the simulated unit, in terms of the stress on the
// reference bob that gives the same torque: an offset at rest, then a strain
// gauge bridge that flattens slightly towards full scale (about 3 % short of
// a straight line there), as real bridges do.
double transducerVolts(double referenceStress) {
    return 0.5 + 0.003 * referenceStress - 1.0e-7 * referenceStress * referenceStress;
}

}  // namespace

SimulatedUnit::SimulatedUnit(const Options& options) : options_(options), rng_(options.seed) {
    if (options_.fluidModel) sample_ = options_.fluidModel->clone();
    if (options_.preloadStoredRun) {
        Options quiet = options_;
        quiet.preloadStoredRun = false;
        SimulatedUnit earlier(quiet);
        earlier.startStandAloneRun();
        while (earlier.standAloneRunning() && earlier.now() < 86400) earlier.advance(10);
        stored_ = earlier.storedRecords();
    }
}

SimulatedUnit::~SimulatedUnit() = default;

SequenceData SimulatedUnit::builtInSequence() {
    SequenceData s;
    s.name = QStringLiteral("Built-in 150F");
    s.timeBeforeRead = 10;
    s.rampSampleRate = 2;
    s.samplePointsAverage = 3;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    s.sampleInterval = 60;
    SequenceStep step;
    step.rampNo = 1;
    step.elapseTimeMin = 5;
    step.tempF = 150;
    step.startErrorF = 5;
    step.shearRate = 100;
    step.runRamp = 1;
    s.steps = {step};
    s.rampShearRates = {170, 100, 70, 40};
    return s;
}

double SimulatedUnit::stressFactor() const {
    const auto f = unitFactorsForBob(options_.bobRadiusCm, options_.bobLengthCm);
    return f ? f->stressFactor : 1.0;
}

static double ownShearRateFactor(const Options& o) {
    const auto f = unitFactorsForBob(o.bobRadiusCm, o.bobLengthCm);
    return f ? f->shearRateFactor : 1.0;
}

double SimulatedUnit::shearRateAtBob() const { return rpm_ * ownShearRateFactor(options_); }

double SimulatedUnit::reportedShearRate() const {
    return rpm_ * (setPointFactor_ > 0 ? setPointFactor_ : ownShearRateFactor(options_));
}

double SimulatedUnit::referenceStress() const {
    if (now_ < pressureEffectUntil_) return frozenStress_;  // display held during the pressure-effect run
    if (sample_) {
        const double s = kRotorRadiusCm / options_.bobRadiusCm;
        return fluids::bobStress(sample_->powerLaw(thermal_.sampleF), shearRateAtBob(), s) / stressFactor();
    }
    return options_.fluid.stress(shearRateAtBob(), thermal_.sampleF, fluidAgeS_) / stressFactor();
}

double SimulatedUnit::cellPressurePsi() const {
    if (!options_.pressureFollowsTemperature) return options_.pressurePsi;
    // Gas law on absolute pressure and temperature, from the pressure set at ambient.
    constexpr double kAtmospherePsi = 14.7, kRankine = 459.67;
    return (options_.pressurePsi + kAtmospherePsi) * (thermal_.sampleF + kRankine) /
               (thermal_.ambientF + kRankine) - kAtmospherePsi;
}

void SimulatedUnit::freshSample() {
    fluidAgeS_ = 0;
    if (options_.fluidModel) sample_ = options_.fluidModel->clone();
}

int SimulatedUnit::statusCode() const {
    if (faults_.malfunction) return Malfunction;
    if (calibrating_ || now_ < pressureEffectUntil_) return Calibrating;
    if (standAlone_) return StandAlone;
    switch (mode_) {
    case Mode::Preheat:
        return Preheating;
    case Mode::Test:
    case Mode::Oscillating:
        return std::fabs(setPointF_ - thermal_.sampleF) > kRampingBandF ? Ramping : Running;
    case Mode::Idle:
        break;
    }
    return thermal_.sampleF > kCoolingAboveF ? Cooling : Inactive;
}

double SimulatedUnit::noise(double sigma) {
    if (!options_.noise || sigma <= 0) return 0.0;
    return std::normal_distribution<double>(0.0, sigma)(rng_);
}

// ---- the line -------------------------------------------------------------

QByteArray SimulatedUnit::feed(const QByteArray& bytes) {
    input_ += bytes;
    if (input_.size() > kMaxInput) input_ = input_.right(kMaxInput);
    while (!input_.isEmpty()) {
        // Stop oscillation is the one command without a terminator.
        if (input_.front() == VT && !calibrationPrefix_) {
            input_.remove(0, 1);
            commands_.append({now_, QByteArray(1, VT)});
            dynamicLog_.append({now_, true, 0, 0, 0});
            if (mode_ == Mode::Oscillating) mode_ = Mode::Test;
            continue;
        }
        const qsizetype sub = input_.indexOf(SUB);
        if (sub < 0) break;
        const QByteArray command = input_.left(sub);
        input_.remove(0, sub + 1);
        handleCommand(command);
    }
    return takeDue();
}

QByteArray SimulatedUnit::advance(double seconds) {
    const double end = now_ + std::max(0.0, seconds);
    while (now_ < end) {
        const double dt = std::min(kSliceS, end - now_);
        step(dt);
    }
    now_ = end;
    return takeDue();
}

void SimulatedUnit::queue(QByteArray bytes, double delayS) {
    if (faults_.silent || bytes.isEmpty()) return;
    const bool fallenSilent = faults_.silentFromS >= 0 && now_ >= faults_.silentFromS
                              && (faults_.silentForS <= 0 || now_ < faults_.silentFromS + faults_.silentForS);
    if (fallenSilent) return;
    // The line is first come, first served by due time; pieces due together keep their order.
    const double at = now_ + delayS;
    const auto pos = std::upper_bound(outbox_.begin(), outbox_.end(), at,
                                      [](double t, const Pending& p) { return t < p.at; });
    outbox_.insert(pos, {at, std::move(bytes)});
}

QByteArray SimulatedUnit::takeDue() {
    QByteArray out;
    qsizetype i = 0;
    while (i < outbox_.size() && outbox_[i].at <= now_ + 1e-9) out += outbox_[i++].bytes;
    outbox_.remove(0, i);
    return out;
}

void SimulatedUnit::handleCommand(const QByteArray& command) {
    commands_.append({now_, command});
    if (commands_.size() > kMaxLog) commands_.remove(0, kMaxLog / 2);

    if (calibrationPrefix_) {
        calibrationPrefix_ = false;
        if (!command.isEmpty()) {
            switch (command.front()) {
            case STX: startCalibration(command.mid(1)); return;
            case SO: acceptCoefficients(command.mid(1)); return;
            case VT:
                ++pressureEffectRuns_;
                frozenStress_ = referenceStress();
                pressureEffectUntil_ = now_ + kPressureEffectS;
                return;
            default: break;
            }
        }
    }
    if (command == "N") {
        calibrationPrefix_ = true;
        return;
    }
    if (command.isEmpty()) return;

    const QByteArray body = command.mid(1);
    QList<double> v;
    switch (command.front()) {
    case BEL:
        if (faults_.garbageBetweenFrames) queue(QByteArray("\x7f~#!") + SUB);
        if (faults_.splitFrames) {
            const QByteArray frame = statusFrame();
            queue(frame.left(frame.size() / 2));
            queue(frame.mid(frame.size() / 2), 0.2);
        } else {
            queue(statusFrame());
        }
        return;
    case ENQ:
        if (!parseNumbers(body, 3, v)) return;
        if (mode_ == Mode::Idle) freshSample();  // a fresh sample for a new test
        mode_ = Mode::Test;
        setPointF_ = v[0];
        targetRate_ = v[1];
        setPointFactor_ = v[2];
        zeroingUntil_ = -1;
        return;
    case ACK:
        stopTest();
        return;
    case BS:
        zeroOffset_ = 0;
        return;
    case FF:
        // The rotor stops while the transducer zeroes and stays stopped until
        // the workstation sends its set point again.
        zeroOffset_ = 0;
        targetRate_ = 0;
        zeroingUntil_ = now_ + 15;
        return;
    case HT:
        if (!parseNumbers(body, 1, v)) return;
        if (mode_ == Mode::Idle) freshSample();
        mode_ = Mode::Preheat;
        setPointF_ = v[0];
        targetRate_ = 0;
        return;
    case ETX:
        sequence_.reset();
        standAlone_.reset();
        return;
    case SOH: {
        QByteArray reply;
        for (const StoredRecord& r : stored_) {
            reply += QByteArray::number(r.rampNo) + ',' + QByteArray::number(r.rampStepNo) + ',' +
                     QByteArray::number(r.elapsedS) + ',' + num(r.sampleTempF, 1) + ',' +
                     num(r.bathTempF, 1) + ',' + num(r.pressurePsi, 0) + ',' + num(r.shearRate, 2) +
                     ',' + num(r.shearStress, 2) + ',' + QByteArray::number(r.resultType);
            reply += ETX;
        }
        reply += STX;
        // Paced as the line carries it, so the workstation sees it arrive in pieces.
        constexpr qsizetype kPiece = 96;
        for (qsizetype at = 0; at < reply.size(); at += kPiece)
            queue(reply.mid(at, kPiece), 0.05 + static_cast<double>(at + kPiece) / kLineBytesPerS);
        return;
    }
    case LF:
        if (!parseNumbers(body, 3, v)) return;
        dynamicLog_.append({now_, false, v[0], v[1], v[2]});
        if (mode_ == Mode::Idle) freshSample();
        mode_ = Mode::Oscillating;
        setPointF_ = v[2];
        targetRate_ = 0;
        return;
    default:
        if (command.front() >= '0' && command.front() <= '9') acceptSequence(command);
        return;  // anything else: not a command of this unit
    }
}

void SimulatedUnit::acceptSequence(const QByteArray& record) {
    auto decoded = decodeSequenceRecord(record);
    if (!decoded || decoded->steps.size() > kMaxSteps || decoded->rampShearRates.size() > kMaxRampRows) {
        queue("E", kSequenceReplyDelayS);
        return;
    }
    sequence_ = std::move(*decoded);
    queue(record, kSequenceReplyDelayS);  // echoed back; its closing "x" tells the workstation it is in
}

void SimulatedUnit::stopTest() {
    if (standAlone_) {
        stored_ = standAlone_->records();
        standAlone_.reset();
    }
    mode_ = Mode::Idle;
    setPointF_ = 0;
    targetRate_ = 0;
    setPointFactor_ = 0;
}

QByteArray SimulatedUnit::statusFrame() {
    const double sample = faults_.overTemperature ? 455.0 : thermal_.sampleF + noise(0.2);
    const QByteArray sampleText = faults_.decimalTemperature ? num(sample, 1)
                                                             : QByteArray::number(std::lround(sample));
    const QByteArray code = faults_.twoDigitStatus ? QByteArray::number(statusCode() + 10)
                                                   : QByteArray::number(statusCode());
    const double stress = referenceStress() * (1.0 + noise(0.003)) + noise(0.05) + zeroOffset_;
    QByteArray f = code + ',' + sampleText + ',' +
                   QByteArray::number(std::lround(thermal_.bathF + noise(0.2))) + ',' +
                   QByteArray::number(std::lround(setPointF_)) + ',' +
                   num(rpm_ * (1.0 + noise(0.0005)), 2) + ',' + num(stress, 2) + ',' +
                   num(cellPressurePsi() + noise(1.5), 0) + ',' +
                   num(reportedShearRate() * (1.0 + noise(0.0005)), 1) + ",0";
    f += SUB;
    return f;
}

// ---- physics ----------------------------------------------------------------

void SimulatedUnit::step(double dt) {
    double rateTarget = targetRate_;
    double factor = setPointFactor_ > 0 ? setPointFactor_ : ownShearRateFactor(options_);
    if (standAlone_) {
        const auto t = standAlone_->target();
        thermal_.targetF = setPointF_ = t.tempF;
        rateTarget = t.shearRate;
        factor = ownShearRateFactor(options_);
    } else {
        thermal_.targetF = mode_ == Mode::Idle ? thermal_.ambientF : setPointF_;
    }
    if (now_ < zeroingUntil_) rateTarget = 0;
    thermal_.advance(dt);
    const double targetRpm = rateTarget / factor;
    rpm_ += (targetRpm - rpm_) * (1.0 - std::exp(-dt / kRotorTauS));
    if (std::fabs(rpm_ - targetRpm) < 1e-9) rpm_ = targetRpm;
    fluidAgeS_ += dt;
    if (sample_) sample_->advance(dt, thermal_.sampleF, shearRateAtBob());
    if (options_.noise) zeroOffset_ += 0.0005 * dt;  // slow transducer drift, about 2 dyn/cm2 an hour

    const double before = now_;
    now_ += dt;
    if (calibrating_ && calibrationEnds_ <= now_) calibrating_ = false;

    if (standAlone_ && std::floor(now_) > std::floor(before)) {
        standAlone_->tick({thermal_.sampleF + noise(0.2), thermal_.bathF + noise(0.2),
                           cellPressurePsi() + noise(1.5), reportedShearRate(),
                           referenceStress() * (1.0 + noise(0.003))});
        if (standAlone_->finished()) {
            stored_ = standAlone_->records();
            standAlone_.reset();
            mode_ = Mode::Idle;
            setPointF_ = 0;
        }
    }
}

void SimulatedUnit::startStandAloneRun() {
    standAlone_ = std::make_unique<StandAloneRun>(sequence_.value_or(builtInSequence()));
    freshSample();
    setPointFactor_ = 0;
    if (standAlone_->finished()) standAlone_.reset();
}

// ---- torque calibration -----------------------------------------------------

void SimulatedUnit::startCalibration(const QByteArray& body) {
    // "viscosity,B5,change": the unit first reads the transducer with the
    // rotor at rest, then steps the rotor up a ladder of equal rungs to the
    // rate at which the calibration fluid reaches the transducer's full scale
    // (or to its top speed for a thin fluid). At each rung it reports the
    // stress the known viscosity gives on the reference bob with the voltage
    // the transducer read. The voltage follows the torque on the bob actually
    // hung, so calibrating with another bob than the one named gives other
    // readings, as on the bench.
    const QList<QByteArray> parts = body.split(',');
    bool ok = false;
    const double visc = parts.value(0).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(visc) || visc <= 0) return;
    const int rungs = std::max(0, options_.calibrationRecords);
    const double topRate = std::min(kCalibrationMaxRate, kCalibrationFullScale * 100.0 / visc);
    const auto reference = unitFactorsForBob(kReferenceBobRadiusCm, kReferenceBobLengthCm);
    const double rateAtHungBob = ownShearRateFactor(options_) / reference->shearRateFactor;
    calibrating_ = true;
    calibrationEnds_ = now_ + rungs * kCalibrationRecordS + 0.5;
    for (int k = 0; k < rungs; ++k) {
        const double rate = rungs > 1 ? topRate * k / (rungs - 1) : 0.0;
        const double stress = visc / 100.0 * rate;
        // Torque on the hung bob, as reference-bob stress.
        const double torque = visc / 100.0 * rate * rateAtHungBob / stressFactor();
        double volts = transducerVolts(torque) + noise(0.0005);
        if (faults_.looseBobShaft && k > 0) volts += 0.08 * std::sin(2.7 * k) + noise(0.02);  // rubbing
        QByteArray rec(1, BS);
        rec += num(stress, 2) + ',' + num(volts, 5);
        rec += SUB;
        queue(rec, (k + 1) * kCalibrationRecordS);
    }
    QByteArray end(1, HT);
    end += "END";
    end += SUB;
    queue(end, rungs * kCalibrationRecordS + 0.5);
}

void SimulatedUnit::acceptCoefficients(const QByteArray& body) {
    QList<double> v;
    if (!parseNumbers(body, 8, v)) return;
    zeroVolt_ = v.takeLast();
    coefficients_ = v;
    ++polynomialsReceived_;
}

}  // namespace tz::sim
