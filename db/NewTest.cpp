#include "db/NewTest.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"

#include "db/DbError.h"
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

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

}  // namespace

int storeNewTest(clsConnection& connection, const TestInformation& info,
                 const QList<AdditiveEntry>& additives)
{
    return inTransaction(connection, [&] {
        const int id = insertTestInfo(connection, info);
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
