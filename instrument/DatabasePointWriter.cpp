#include "instrument/DatabasePointWriter.h"

#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>

namespace tz {

namespace {

// A file locked by another program (a backup, a second workstation) is waited
// for only briefly while storing a point: the point is kept and retried with
// the next one anyway, and a long wait would hold up every unit on the loop.
class ShortLockWait {
public:
    static constexpr int kWaitMs = 250;

    explicit ShortLockWait(clsConnection& connection) : db_(connection.ADOConnection())
    {
        if (db_.driverName() != QLatin1String("QSQLITE"))
            return;
        QSqlQuery q(db_);
        if (q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next()) {
            previous_ = q.value(0).toInt();
            q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kWaitMs));
        }
    }
    ~ShortLockWait()
    {
        if (previous_ < 0)
            return;
        QSqlQuery q(db_);
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(previous_));
    }

private:
    QSqlDatabase db_;
    int previous_ = -1;
};

}  // namespace

DatabasePointWriter::DatabasePointWriter(clsConnection& connection) : connection_(connection) {}

bool DatabasePointWriter::storeOne(const RecordedPoint& p)
{
    try {
        if (!record_.isConnected()) {
            // ConnectX also reads the points of Test_Id 0 (there are none):
            // binding is all that is wanted here.
            record_.setTest_Id(0);
            record_.ConnectX(connection_);
        }
        record_.setTest_Id(p.testId);
        record_.setRAMP_NO(p.rampNo);
        record_.setRAMP_STEP_NO(p.rampStepNo);
        record_.setRESULT_TIME(p.resultTime);
        record_.setRESULT_SAMPLE_TEMP(p.sampleTempF);
        record_.setRESULT_PRESS(p.pressurePsi);
        record_.setRESULT_SHEAR_RATE(p.shearRate);
        record_.setRESULT_SHEAR_STRESS(p.shearStress);
        record_.setRESULT_TYPE_ID(p.resultType);
        record_.setRESULT_BATH_TEMP(p.bathTempF);
        // Outside a transaction every insert is committed on its own.
        record_.AddNew();
        lastError_.clear();
        return true;
    } catch (const DbError& e) {
        lastError_ = e.text();
        return false;
    }
}

bool DatabasePointWriter::retry()
{
    if (pending_.isEmpty())
        return true;
    const ShortLockWait wait(connection_);
    while (!pending_.isEmpty()) {
        if (!storeOne(pending_.front()))
            return false;
        pending_.removeFirst();
    }
    return true;
}

bool DatabasePointWriter::write(const RecordedPoint& point)
{
    pending_.append(point);
    return retry();
}

}  // namespace tz
