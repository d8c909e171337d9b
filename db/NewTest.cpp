#include "db/NewTest.h"
#include "db/SqlDialect.h"
#include "db/TestFieldLimits.h"
#include "db/Transaction.h"

#include "db/DbError.h"
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>
#include <optional>

namespace tz {

bool testNameTaken(clsConnection& connection, const QString& name)
{
    QSqlQuery query(connection.ADOConnection());
    if (!query.prepare(QStringLiteral("SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = ?")))
        throw DbError(query.lastError());
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        throw DbError(query.lastError());
    return query.value(0).toLongLong() > 0;
}

namespace {

int insertTestInfo(clsConnection& connection, const TestInformation& info)
{
    QSqlQuery insert(connection.ADOConnection());
    const QString sql = insertReturningKey(connection.adaptSql(QString::fromLatin1(clsTEST_INFO::kInsert)),
                                           QStringLiteral("TEST_ID"), connection.backend());
    if (!insert.prepare(sql))
        throw DbError(insert.lastError());
    const QDateTime when = info.testTime.isValid() ? info.testTime : QDateTime::currentDateTime();
    const QVariantList values = {info.testName, info.fluidId, when, info.researcherName,
                                 info.rotorNo, info.bobNo, info.bobRadiusCm, info.bobEffLengthCm,
                                 info.preTestPh, info.postTestPh, info.safety};
    for (const QVariant& v : values)
        insert.addBindValue(v);
    if (!insert.exec())
        throw DbError(insert.lastError());
    // The row this insert created, never one found again by its name.
    // (the lab server returns it as the insert's one row).
    const QVariant key = connection.backend() == Backend::Postgres
        ? (insert.next() ? insert.value(0) : QVariant())
        : insert.lastInsertId();
    bool ok = false;
    const qlonglong id = key.toLongLong(&ok);
    if (!ok || id <= 0 || id > std::numeric_limits<int>::max())
        throw DbError(QStringLiteral("The database did not report the id of the new test"));
    return static_cast<int>(id);
}

void exec(clsConnection& connection, const QString& sql)
{
    QSqlQuery query(connection.ADOConnection());
    if (!query.exec(sql))
        throw DbError(query.lastError());
}

// Another test of that name than the row just inserted, as this transaction
// sees it. Called after the insert: on the embedded file the insert has taken
// the write lock and so waited for any other bench's test to be committed; on
// the lab server the table lock taken before the insert does the same.
bool nameTakenByAnother(clsConnection& connection, const QString& name, int ownId)
{
    QSqlQuery query(connection.ADOConnection());
    if (!query.prepare(QStringLiteral("SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = ? AND TEST_ID <> ?")))
        throw DbError(query.lastError());
    query.addBindValue(name);
    query.addBindValue(ownId);
    if (!query.exec() || !query.next())
        throw DbError(query.lastError());
    return query.value(0).toLongLong() > 0;
}

}  // namespace

int storeNewTest(clsConnection& connection, const TestInformation& info,
                 const QList<AdditiveEntry>& additives)
{
    // Refused before anything is written: a text the column cannot hold would
    // fail on the lab server, or worse, be stored and break the reports.
    if (const std::optional<QString> problem = newTestFieldProblem(info, additives))
        throw DbError(*problem);
    return inTransaction(connection, [&] {
        // Two benches storing tests at the same moment take turns on the
        // server, so each one's name check sees the other's row. Points never
        // wait for this lock; an edit of a test's information waits at most
        // until this test is stored.
        if (connection.backend() == Backend::Postgres) {
            // A bench whose transaction hangs must not hold this one's window for good.
            exec(connection, QStringLiteral("SET LOCAL lock_timeout = '10s'"));
            exec(connection, QStringLiteral("LOCK TABLE TEST_INFO IN SHARE ROW EXCLUSIVE MODE"));
        }
        const int id = insertTestInfo(connection, info);
        if (nameTakenByAnother(connection, info.testName, id))
            throw TestNameTakenError(info.testName);
        clsTEST_ADDITIVE additive;
        additive.setTESTId(id);
        additive.ConnectX(connection);
        for (qsizetype i = 0; i < additives.size() && i < kMaxAdditives; ++i) {
            const AdditiveEntry& a = additives[i];
            if (a.name.isEmpty())
                break;
            additive.setTESTId(id);
            additive.setTESTADD_ID(0);
            additive.setADDITIVE_NM(a.name);
            additive.setADD_CONCEN(a.concentration);
            additive.setADD_UNIT(a.unit);
            additive.setADD_LOTNO(a.lotNo);
            additive.AddNew();
        }
        return id;
    });
}

}  // namespace tz
