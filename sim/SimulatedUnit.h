#pragma once
// A TZ360 unit in software: bath, sample cup, rotor, torque transducer and a
// power-law test fluid, answering the workstation's commands byte for byte.
// Driven by virtual time: feed() hands it what the workstation sent, advance()
// moves its clock; both return the bytes the unit puts on the line meanwhile.
// The same object runs in-process in tests and behind tz360-sim's pty.
#include "db/SequenceData.h"
#include "instrument/StoredResultsParser.h"
#include "sim/FluidModel.h"
#include "sim/StandAloneRun.h"
#include "sim/ThermalModel.h"
#include "sim/fluids/Fluid.h"

#include <QByteArray>
#include <QList>
#include <memory>
#include <optional>
#include <random>

namespace tz::sim {

// Line faults a real installation shows now and then; all off by default.
struct Faults {
    bool splitFrames = false;         // each reply leaves in two pieces, 0.2 s apart
    bool garbageBetweenFrames = false;  // line noise ending in SUB before each frame
    bool twoDigitStatus = false;      // status field "11" (firmware glitch)
    bool decimalTemperature = false;  // sample temperature with a decimal point
    bool silent = false;              // the unit answers nothing
    double silentFromS = -1;          // a unit that falls silent at this unit time (s) ...
    double silentForS = 0;            // ... for so long (0: for good)
    bool overTemperature = false;     // the sample thermocouple reads 455 F
    bool malfunction = false;         // status 4
    bool looseBobShaft = false;       // calibration voltages wander off the curve
};

struct Options {
    unsigned seed = 1;
    bool noise = true;
    double pressurePsi = 500.0;
    double bobRadiusCm = 1.5987;      // bob hung in the unit (reference bob B5)
    double bobLengthCm = 7.62;
    PowerLawFluid fluid = PowerLawFluid::crosslinkedGel();
    // Another test fluid (sim/fluids): when set it replaces `fluid`, each new
    // test gets a fresh sample of it, and its stress follows the true shear
    // rate at the bob hung. Null: the classic gel above, as always.
    std::shared_ptr<const fluids::Fluid> fluidModel;
    // The closed cell's gas pressure rises and falls with the sample
    // temperature (pressurePsi is then the pressure at ambient).
    bool pressureFollowsTemperature = false;
    bool preloadStoredRun = true;     // memory holds a finished stand-alone run at power-up
    int calibrationRecords = 20;      // records of a torque calibration, the first at rest
};

struct DynamicCommand {
    double timeS = 0;
    bool stop = false;
    double amplitude = 0, frequencyHz = 0, tempF = 0;
};

struct ReceivedCommand {
    double timeS = 0;
    QByteArray bytes;  // as received, without the terminating SUB
};

class SimulatedUnit {
public:
    enum Status {
        Inactive = 0, Running = 1, StandAlone = 2, Malfunction = 4,
        Calibrating = 5, Ramping = 6, Preheating = 7, Cooling = 8
    };

    explicit SimulatedUnit(const Options& options = {});
    ~SimulatedUnit();

    QByteArray feed(const QByteArray& fromWorkstation);
    QByteArray advance(double seconds);
    double now() const { return now_; }

    Faults& faults() { return faults_; }
    void setNoise(bool on) { options_.noise = on; }
    void setPressure(double psi) { options_.pressurePsi = psi; }

    // The model's true state (what the transducers would read without noise).
    int statusCode() const;
    double sampleTempF() const { return thermal_.sampleF; }
    double bathTempF() const { return thermal_.bathF; }
    double setPointF() const { return setPointF_; }
    double targetShearRate() const { return targetRate_; }
    double speedRpm() const { return rpm_; }
    double shearRateAtBob() const;       // from rpm and the bob actually hung
    double reportedShearRate() const;    // from rpm and the factor of the last set point
    double referenceStress() const;      // stress on the reference bob, dyn/cm2
    double pressurePsi() const { return options_.pressurePsi; }
    double cellPressurePsi() const;      // what the pressure transducer reads, noise aside
    double fluidAgeS() const { return fluidAgeS_; }
    const PowerLawFluid& fluid() const { return options_.fluid; }
    double stressFactor() const;         // reference bob -> bob hung
    // The sample in the cup when a fluid model is chosen (null otherwise).
    const fluids::Fluid* fluidSample() const { return sample_.get(); }

    const std::optional<SequenceData>& sequence() const { return sequence_; }
    const QList<ReceivedCommand>& commands() const { return commands_; }
    const QList<DynamicCommand>& dynamicLog() const { return dynamicLog_; }
    const QList<double>& receivedCoefficients() const { return coefficients_; }
    std::optional<double> receivedZeroVolt() const { return zeroVolt_; }
    int polynomialsReceived() const { return polynomialsReceived_; }
    int pressureEffectRuns() const { return pressureEffectRuns_; }

    // Front-panel start of a stand-alone test of the downloaded sequence (or a
    // built-in one); its points replace the stored results when it finishes.
    void startStandAloneRun();
    bool standAloneRunning() const { return standAlone_ != nullptr; }
    const QList<StoredRecord>& storedRecords() const { return stored_; }
    void setStoredRecords(const QList<StoredRecord>& records) { stored_ = records; }

    // The built-in stand-alone sequence: one 150 F hold and a 4-row shear ramp.
    static SequenceData builtInSequence();

private:
    void handleCommand(const QByteArray& command);
    void queue(QByteArray bytes, double delayS = 0.0);
    QByteArray takeDue();
    QByteArray statusFrame();
    void step(double dt);  // physics over dt <= 1 s
    double noise(double sigma);
    void startCalibration(const QByteArray& body);
    void acceptCoefficients(const QByteArray& body);
    void acceptSequence(const QByteArray& record);
    void stopTest();
    void freshSample();

    Options options_;
    Faults faults_;
    std::mt19937 rng_;
    double now_ = 0;
    ThermalModel thermal_;
    double setPointF_ = 0;
    double targetRate_ = 0;
    double setPointFactor_ = 0;  // shear-rate factor of the last set point
    double rpm_ = 0;
    double fluidAgeS_ = 0;
    std::unique_ptr<fluids::Fluid> sample_;
    double zeroOffset_ = 0;      // transducer drift removed by Zero / self-zero
    double zeroingUntil_ = -1;   // rotor held still while the transducer zeroes
    enum class Mode { Idle, Test, Preheat, Oscillating } mode_ = Mode::Idle;
    bool calibrating_ = false;
    double calibrationEnds_ = 0;
    double pressureEffectUntil_ = -1;
    double frozenStress_ = 0;

    QByteArray input_;
    bool calibrationPrefix_ = false;  // "N" + SUB seen: next frame is a calibration command
    struct Pending {
        double at;
        QByteArray bytes;
    };
    QList<Pending> outbox_;

    std::optional<SequenceData> sequence_;
    std::unique_ptr<StandAloneRun> standAlone_;
    QList<StoredRecord> stored_;
    QList<ReceivedCommand> commands_;
    QList<DynamicCommand> dynamicLog_;
    QList<double> coefficients_;
    std::optional<double> zeroVolt_;
    int polynomialsReceived_ = 0;
    int pressureEffectRuns_ = 0;
};

}  // namespace tz::sim
