#include "instrument/UnattendedRun.h"

#include "db/DbError.h"
#include "instrument/TimeScale.h"

#include <algorithm>

namespace tz {

UnattendedRun::UnattendedRun(UnitPort& port, clsConnection& connection, QObject* parent)
    : QObject(parent), writer_(connection), run_(port, writer_), connection_(connection)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &UnattendedRun::onTimer);
    connect(&run_, &RunController::frameReceived, this, [this] { haveReading_ = true; });
    connect(&run_, &RunController::pointRecorded, this, &UnattendedRun::pointRecorded);
    connect(&run_, &RunController::tickFailed, this, [this](const QString& reason) { lastTickFailure_ = reason; });
    connect(&run_, &RunController::sequenceSendFinished, this, [this](bool accepted, const QString& text) {
        if (phase_ != Phase::Download)
            return;
        emit downloadFinished(accepted);
        if (!accepted) {
            finish(Outcome::DownloadRefused, text);
            return;
        }
        phase_ = Phase::AwaitReading;
        haveReading_ = false;
        silentTicks_ = 0;
    });
    connect(&run_, &RunController::runEnded, this, [this](RunController::StopReason reason) {
        switch (reason) {
        case RunController::StopReason::EndOfSequence:
            finish(Outcome::Finished, {});
            break;
        case RunController::StopReason::LowViscosity:
            finish(Outcome::LowViscosity,
                   QStringLiteral("viscosity average below the shut-down viscosity of the sequence"));
            break;
        case RunController::StopReason::OverTemperature:
            finish(Outcome::OverTemperature, QStringLiteral("unit stopped: temperature above 451 F"));
            break;
        case RunController::StopReason::Operator:
        case RunController::StopReason::SequenceShortened:
            finish(Outcome::Interrupted, QStringLiteral("stopped"));
            break;
        case RunController::StopReason::TickFailures:
            finish(Outcome::TickFailures, lastTickFailure_);
            break;
        case RunController::StopReason::NoResponse:
            finish(Outcome::NoResponse, QStringLiteral("no status frame from the unit for %1 s; every recorded point is kept")
                                            .arg(kGiveUpSilenceMs / 1000));
            break;
        }
    });
}

void UnattendedRun::begin(const SequenceData& sequence, const TestInformation& info, int unitNumber)
{
    info_ = info;
    finished_ = false;
    run_.setUnitNumber(unitNumber);
    run_.setBob(info.bobRadiusCm, info.bobEffLengthCm);
    run_.setSequence(sequence);
    clock_.start();
    phase_ = Phase::Download;
    switch (run_.beginSequenceDownload()) {
    case RunController::DownloadResult::Started:
        schedule(run_.nextIntervalMs());
        break;
    case RunController::DownloadResult::SendFailed:
    case RunController::DownloadResult::NoSequence:
    case RunController::DownloadResult::Busy:
        // sequenceSendFinished has not ended the run when nothing was sent.
        if (!finished_)
            finish(Outcome::DownloadRefused, RunController::kSendErrorText);
        break;
    }
}

void UnattendedRun::interrupt()
{
    if (finished_)
        return;
    if (run_.running()) {
        run_.stop();  // runEnded -> finish(Interrupted)
        return;
    }
    run_.stop();
    finish(Outcome::Interrupted, QStringLiteral("stopped before the test started"));
}

void UnattendedRun::schedule(int testMs)
{
    scheduledMs_ = scaledMs(testMs);
    dueMs_ = clock_.elapsed() + scheduledMs_;
    timer_.start(scheduledMs_);
}

void UnattendedRun::onTimer()
{
    if (finished_)
        return;
    const double delay = static_cast<double>(clock_.elapsed() - dueMs_);
    ++ticks_;
    if (delay > worstDelayMs_)
        worstDelayMs_ = delay;
    if (delay > scheduledMs_ / 2.0)
        ++lateTicks_;

    const qint64 workStart = clock_.nsecsElapsed();
    run_.tick();
    worstWorkMs_ = std::max(worstWorkMs_, (clock_.nsecsElapsed() - workStart) / 1e6);
    if (finished_)
        return;
    if (phase_ == Phase::Running && run_.silentMs() >= kGiveUpSilenceMs) {
        run_.stop(RunController::StopReason::NoResponse);  // runEnded -> finish(NoResponse)
        return;
    }
    if (phase_ == Phase::AwaitReading) {
        if (haveReading_) {
            tryStart();
            if (finished_)
                return;
        } else if (++silentTicks_ > kReadingWaitTicks) {
            finish(Outcome::NoResponse, QStringLiteral("no status frame from the unit"));
            return;
        }
    }
    schedule(run_.nextIntervalMs());
}

void UnattendedRun::tryStart()
{
    QString dbError;
    const auto result = run_.start([&]() -> std::optional<int> {
        try {
            return storeNewTest(connection_, info_, {});
        } catch (const DbError& e) {
            dbError = e.text();
            return std::nullopt;
        }
    });
    switch (result) {
    case RunController::StartResult::Started:
        phase_ = Phase::Running;
        emit started(run_.testId());
        return;
    case RunController::StartResult::PressureTooLow: {
        const int i = run_.firstStepLackingPressure();
        const SequenceStep& step = run_.sequence()->steps[i - 1];
        finish(Outcome::PressureTooLow,
               QStringLiteral("pressure too low: step %1 at %2 F needs more than %3 psi, the unit reads %4 psi")
                   .arg(i)
                   .arg(step.tempF)
                   .arg(RunController::pressureNeededPsi(step.tempF), 0, 'f', 2)
                   .arg(run_.readings().pressurePsi));
        return;
    }
    case RunController::StartResult::OverTemperature:
        finish(Outcome::OverTemperature,
               QStringLiteral("the unit reads above 451 F (sample %1 F, bath %2 F): no test stored")
                   .arg(run_.readings().sampleTempF)
                   .arg(run_.readings().bathTempF));
        return;
    case RunController::StartResult::TestNotStored:
        finish(Outcome::TestNotStored, QStringLiteral("the test could not be stored: ") + dbError);
        return;
    case RunController::StartResult::NotIdle:
    case RunController::StartResult::NoSequence:
        finish(Outcome::TestNotStored, QStringLiteral("the run could not start"));
        return;
    }
}

void UnattendedRun::finish(Outcome outcome, const QString& detail)
{
    if (finished_)
        return;
    finished_ = true;
    phase_ = Phase::Done;
    timer_.stop();
    // One more try for points a busy database refused during the run; what
    // still waits stays in the point journal (writer().keptText() says where).
    run_.retryPendingPoints();
    // The write-ahead log is folded into the file while nothing records.
    writer_.checkpoint();
    emit finished(outcome, detail);
}

}  // namespace tz
