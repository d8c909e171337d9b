#include "db/SequenceData.h"

#include "db/DbError.h"
#include "db/Transaction.h"
#include "db/clsConnection.h"
#include "db/clsSEQUENCE_INFO.h"
#include "db/clsSEQUENCE_RAMP.h"
#include "db/clsSEQUENCE_RAMP_DEFINE.h"

namespace tz {

namespace {

// The header of that name, or nullopt; looked up on an existing object.
std::optional<SequenceData> readHeader(clsSEQUENCE_INFO& info, const QString& name)
{
    info.setSEQUENCE_NAME(name);
    info.GetSeqDetail();
    if (info.Eof())
        return std::nullopt;
    SequenceData data;
    data.sequenceId = info.SEQUENCE_ID();
    data.name = info.SEQUENCE_NAME();
    data.timeBeforeRead = info.TIME_BEFORE_READ();
    data.rampSampleRate = info.RAMP_SAMPLE_RATE();
    data.samplePointsAverage = info.SAMPLE_POINTS_AVERAGE();
    data.shutDownATime = info.SHUT_DOWN_ATIME();
    data.shutDownVisc = info.SHUT_DOWN_VISC();
    data.sampleInterval = static_cast<int>(info.SAMPLE_INTERVAL());
    return data;
}

}  // namespace

std::optional<SequenceData> loadSequence(clsConnection& connection, const QString& name)
{
    clsSEQUENCE_INFO info;
    info.ConnectX(connection);
    std::optional<SequenceData> data = readHeader(info, name);
    if (!data)
        return std::nullopt;

    clsSEQUENCE_RAMP steps;
    steps.setSequenceId(data->sequenceId);
    steps.ConnectX(connection);
    if (!steps.Eof()) {
        steps.MoveFirst();
        while (!steps.Eof()) {
            SequenceStep step;
            step.rampNo = steps.RAMPNO();
            step.elapseTimeMin = steps.RAMP_ELAPSE_TIME();
            step.tempF = steps.RAMP_TEMP();
            step.startErrorF = steps.RAMP_START_ERROR();
            step.shearRate = steps.SHEAR_RATE();
            step.runRamp = steps.RUN_RAMP();
            data->steps << step;
            steps.MoveNext();
        }
    }

    clsSEQUENCE_RAMP_DEFINE ramp;
    ramp.setSequenceId(data->sequenceId);
    ramp.ConnectX(connection);
    if (!ramp.Eof()) {
        ramp.MoveFirst();
        while (!ramp.Eof()) {
            data->rampShearRates << ramp.RAMP_SHEAR_RATE();
            ramp.MoveNext();
        }
    }
    return data;
}

double saveSequence(clsConnection& connection, const SequenceData& sequence)
{
    clsSEQUENCE_INFO info;
    clsSEQUENCE_RAMP steps;
    clsSEQUENCE_RAMP_DEFINE ramp;
    info.ConnectX(connection);

    return inTransaction(connection, [&] {
        info.setSEQUENCE_ID(sequence.sequenceId);
        info.setSEQUENCE_NAME(sequence.name);
        info.setTIME_BEFORE_READ(sequence.timeBeforeRead);
        info.setRAMP_SAMPLE_RATE(sequence.rampSampleRate);
        info.setSAMPLE_POINTS_AVERAGE(sequence.samplePointsAverage);
        info.setSHUT_DOWN_ATIME(sequence.shutDownATime);
        info.setSHUT_DOWN_VISC(sequence.shutDownVisc);
        info.setSAMPLE_INTERVAL(sequence.sampleInterval);
        // The key comes from the statement itself: the insert reports the new
        // header's id, and an update refuses when no header carries the key
        // any more, so steps are never written under a key that no header
        // carries (another workstation may have saved or deleted meanwhile).
        double key = sequence.sequenceId;
        if (key != 0) {
            info.Update();
        } else {
            info.AddNew();
            key = info.lastInsertId();
        }

        steps.setSequenceId(key);
        steps.ConnectX(connection);
        steps.Delete();
        double rampNo = 0;
        for (const SequenceStep& step : sequence.steps) {
            steps.SetDefaults();
            steps.setSequenceId(key);
            steps.setRAMPNO(++rampNo);
            steps.setRAMP_ELAPSE_TIME(step.elapseTimeMin);
            steps.setRAMP_TEMP(step.tempF);
            steps.setRAMP_START_ERROR(step.startErrorF);
            steps.setSHEAR_RATE(step.shearRate);
            steps.setRUN_RAMP(step.runRamp);
            steps.AddNew();
        }

        ramp.setSequenceId(key);
        ramp.ConnectX(connection);
        ramp.Delete();
        double rampStepNo = 0;
        for (double shearRate : sequence.rampShearRates) {
            ramp.SetDefaults();
            ramp.setSequenceId(key);
            ramp.setRAMP_STEP_NO(++rampStepNo);
            ramp.setRAMP_SHEAR_RATE(shearRate);
            ramp.AddNew();
        }
        return key;
    });
}

bool deleteSequence(clsConnection& connection, const QString& name)
{
    clsSEQUENCE_INFO info;
    info.ConnectX(connection);
    return inTransaction(connection, [&] {
        const std::optional<SequenceData> stored = readHeader(info, name);
        if (!stored)
            return false;
        clsSEQUENCE_RAMP steps;
        steps.setSequenceId(stored->sequenceId);
        steps.ConnectX(connection);
        steps.Delete();
        clsSEQUENCE_RAMP_DEFINE ramp;
        ramp.setSequenceId(stored->sequenceId);
        ramp.ConnectX(connection);
        ramp.Delete();
        info.setSEQUENCE_NAME(name);
        info.Delete();
        return true;
    });
}

QStringList sequenceNames(clsConnection& connection)
{
    clsSEQUENCE_INFO info;
    info.ConnectX(connection);
    QStringList names;
    const QList<QVariantList> columns = info.JustName();
    if (!columns.isEmpty())
        for (const QVariant& name : columns[0])
            names << name.toString();
    return names;
}

}  // namespace tz
