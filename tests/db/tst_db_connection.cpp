// The connection: schema of a new file, journal and sync modes, refusal of
// files it cannot use, owned transactions, and what a second reader sees.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cstdlib>

class TestDbConnection : public QObject {
    Q_OBJECT

    static constexpr const char* kOpenErrorPrefix = "clsConnection.OpenConnection: Error #: ";

private slots:
    void newFileHasExactColumns_data();
    void newFileHasExactColumns();
    void newFileUsesWalAndFullSync();
    void reopeningKeepsStoredRows();
    void unusableFileReportsOpenError_data();
    void unusableFileReportsOpenError();
    void recordUseBeforeConnectXThrows();
    void missingTableFailsCleanly();
    void transactionsBelongToTheirOwner();
    void rollBackDiscardsWork();
    void committedRowVisibleToSecondConnection();
    void committedRowSurvivesCrash();
};

void TestDbConnection::newFileHasExactColumns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("TEST_INFO") << "TEST_INFO"
        << QStringList{"TEST_ID", "TEST_NAME", "FLUID_ID", "TEST_TIME", "RESEARCHER_NAME", "ROTOR_NO",
                       "BOB_NO", "BOB_RADIUS", "BOB_EFF_LENGTH", "PRETEST_PH", "POSTTEST_PH", "SAFETY"};
    QTest::newRow("TEST_RESULT") << "TEST_RESULT"
        << QStringList{"TEST_RESULT_ID", "TEST_ID", "RAMP_NO", "RAMP_STEP_NO", "RESULT_TIME",
                       "RESULT_SAMPLE_TEMP", "RESULT_PRESS", "RESULT_SHEAR_RATE", "RESULT_SHEAR_STRESS",
                       "RESULT_TYPE_ID", "RESULT_BATH_TEMP"};
    QTest::newRow("TEST_ADDITIVE") << "TEST_ADDITIVE"
        << QStringList{"TESTADD_ID", "TEST_ID", "ADDITIVE_NM", "ADD_CONCEN", "ADD_UNIT", "ADD_LOTNO"};
    QTest::newRow("SEQUENCE_INFO") << "SEQUENCE_INFO"
        << QStringList{"SEQUENCE_ID", "SEQUENCE_NAME", "TIME_BEFORE_READ", "RAMP_SAMPLE_RATE",
                       "SAMPLE_POINTS_AVERAGE", "SHUT_DOWN_ATIME", "SHUT_DOWN_VISC", "SAMPLE_INTERVAL"};
    QTest::newRow("SEQUENCE_RAMP") << "SEQUENCE_RAMP"
        << QStringList{"SEQUENCE_RAMP_ID", "SEQUENCE_ID", "RAMP_NO", "RAMP_ELAPSE_TIME", "RAMP_TEMP",
                       "RAMP_START_ERROR", "SHEAR_RATE", "RUN_RAMP"};
    QTest::newRow("SEQUENCE_RAMP_DEFINE") << "SEQUENCE_RAMP_DEFINE"
        << QStringList{"SEQUENCE_DEF_ID", "SEQUENCE_ID", "RAMP_STEP_NO", "RAMP_SHEAR_RATE"};
}

void TestDbConnection::newFileHasExactColumns()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    TempDatabase db;
    QVERIFY2(db.connection.lastError().isEmpty(), qPrintable(db.connection.lastError()));
    QVERIFY(QFile::exists(db.dir.filePath("TZ360.db")));

    QSqlQuery info(db.connection.ADOConnection());
    QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)));
    QStringList found;
    QString keyType;
    while (info.next()) {
        found << info.value("name").toString();
        if (info.value("pk").toInt() == 1)
            keyType = info.value("type").toString();
    }
    QCOMPARE(found, columns);
    QCOMPARE(keyType, QStringLiteral("INTEGER"));  // auto-numbered rowid key
}

void TestDbConnection::newFileUsesWalAndFullSync()
{
    TempDatabase db;
    QCOMPARE(db.sql("PRAGMA journal_mode").value(0).toString(), QStringLiteral("wal"));
    QCOMPARE(db.sql("PRAGMA synchronous").value(0).toInt(), 2);  // FULL
    // Sequence names are unique; test names are not refused here.
    db.sql("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('A')");
    QSqlQuery dup(db.connection.ADOConnection());
    QVERIFY(!dup.exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('A')"));
    db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('T')");
    db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('T')");
    QCOMPARE(db.count("TEST_INFO"), 2);
}

void TestDbConnection::reopeningKeepsStoredRows()
{
    QTemporaryDir dir;
    {
        clsConnection first;
        first.OpenDB("", "", "", "", dir.path());
        clsTEST_INFO info;
        info.ConnectX(first);
        info.setTEST_NAME("kept");
        info.AddNew();
    }
    clsConnection again;
    again.OpenDB("", "", "", "", dir.path());
    QVERIFY(again.lastError().isEmpty());
    clsTEST_INFO info;
    info.ConnectX(again);
    QCOMPARE(info.UsedName().value(0), QVariantList{"kept"});
}

void TestDbConnection::unusableFileReportsOpenError_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("missing directory") << "missing";
}

void TestDbConnection::unusableFileReportsOpenError()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString folder = dir.path();
    const QByteArray garbage = QByteArray("This is a lab notebook, not a database.\n").repeated(200);
    if (kind == "garbage") {
        QFile file(dir.filePath("TZ360.db"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    } else {
        folder = dir.filePath("no/such/folder");
    }

    clsConnection connection;
    connection.OpenDB("msORA", "system", "", "", folder);
    const QString error = connection.lastError();
    QVERIFY2(error.startsWith(kOpenErrorPrefix), qPrintable(error));
    const QString rest = error.mid(qstrlen(kOpenErrorPrefix));
    const qsizetype crlf = rest.indexOf("\r\n");
    QVERIFY2(crlf > 0, qPrintable(error));
    bool numeric = false;
    rest.left(crlf).toInt(&numeric);
    QVERIFY2(numeric, qPrintable(error));
    QVERIFY2(rest.size() > crlf + 2, "a description follows the number");
    QVERIFY(!connection.isOpen());

    // Record objects on a failed connection refuse cleanly.
    clsTEST_INFO info;
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.ConnectX(connection));

    if (kind == "garbage") {
        QFile file(dir.filePath("TZ360.db"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);  // never overwritten or "repaired"
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"TZ360.db"});
    } else {
        QVERIFY(!QFileInfo::exists(folder));
    }
}

void TestDbConnection::recordUseBeforeConnectXThrows()
{
    clsTEST_INFO info;
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.GetTestDetail());
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.AddNew());
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.Update());
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.Delete());
    clsTEST_RESULT points;
    QVERIFY_THROWS_EXCEPTION(tz::DbError, points.AddNew());
    // Navigation on nothing loads nothing and keeps the defaults.
    points.MoveFirst();
    points.MoveNext();
    points.MoveRel(3);
    QVERIFY(points.Eof());
    QCOMPARE(points.RESULT_TIME(), 0.0);
}

void TestDbConnection::missingTableFailsCleanly()
{
    TempDatabase db;
    db.sql("DROP TABLE TEST_RESULT");
    clsTEST_RESULT points;
    points.setTest_Id(1);
    QVERIFY_THROWS_EXCEPTION(tz::DbError, points.ConnectX(db.connection));
    // Still unbound: later calls refuse instead of using a half-built object.
    QVERIFY(!points.isConnected());
    QVERIFY_THROWS_EXCEPTION(tz::DbError, points.GetTestDetail());
    QVERIFY_THROWS_EXCEPTION(tz::DbError, points.AddNew());
    try {
        points.ConnectX(db.connection);
        QFAIL("no error");
    } catch (const tz::DbError& e) {
        QVERIFY2(e.text().contains("TEST_RESULT"), qPrintable(e.text()));
    }
}

void TestDbConnection::transactionsBelongToTheirOwner()
{
    TempDatabase db;
    QVERIFY(!db.connection.InTransaction());
    const int owner = db.connection.BeginTrans();
    QVERIFY(owner >= 1 && owner <= 1000000);
    QVERIFY(db.connection.InTransaction());

    QCOMPARE(db.connection.BeginTrans(), 0);  // nested caller gets no id
    QVERIFY(!db.connection.CommitTrans(0));
    QVERIFY(!db.connection.RollBack(0));
    QVERIFY(!db.connection.CommitTrans(owner == 1000000 ? 1 : owner + 1));
    QVERIFY(db.connection.InTransaction());

    db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('in transaction')");
    QVERIFY(db.connection.CommitTrans(owner));
    QVERIFY(!db.connection.InTransaction());
    QVERIFY(!db.connection.CommitTrans(owner));  // already ended
    QCOMPARE(db.count("TEST_INFO"), 1);

    const int next = db.connection.BeginTrans();
    QVERIFY(next >= 1);
    QVERIFY(db.connection.RollBack(next));
}

void TestDbConnection::rollBackDiscardsWork()
{
    TempDatabase db;
    const int owner = db.connection.BeginTrans();
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    info.setTEST_NAME("discarded");
    info.AddNew();
    QVERIFY(db.connection.RollBack(owner));
    QCOMPARE(db.count("TEST_INFO"), 0);
}

void TestDbConnection::committedRowVisibleToSecondConnection()
{
    TempDatabase db;
    clsTEST_RESULT writer;
    writer.setTest_Id(7);
    writer.ConnectX(db.connection);
    writer.setRESULT_TIME(60);
    writer.setRESULT_SHEAR_STRESS(12.5);
    writer.AddNew();

    // The first connection stays open, as it does while a unit records.
    clsConnection reader;
    reader.OpenDB("", "", "", "", db.dir.path());
    QVERIFY(reader.lastError().isEmpty());
    clsTEST_RESULT points;
    points.setTest_Id(7);
    points.ConnectX(reader);
    QCOMPARE(points.TotalPoints(), 1);
    points.MoveFirst();
    QCOMPARE(points.RESULT_SHEAR_STRESS(), 12.5);

    // And the writer keeps writing while the reader holds its copy.
    writer.setRESULT_TIME(120);
    writer.AddNew();
    points.GetTestDetail();
    QCOMPARE(points.TotalPoints(), 2);
}

void TestDbConnection::committedRowSurvivesCrash()
{
    QTemporaryDir dir;
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ360_DB_CRASH_DIR", dir.path());
    writer.setProcessEnvironment(env);
    writer.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(writer.waitForFinished(20000));
    QCOMPARE(writer.exitCode(), 3);  // ended abruptly right after the insert

    clsConnection after;
    after.OpenDB("", "", "", "", dir.path());
    QVERIFY(after.lastError().isEmpty());
    clsTEST_RESULT points;
    points.setTest_Id(1);
    points.ConnectX(after);
    QCOMPARE(points.TotalPoints(), 1);
    points.MoveFirst();
    QCOMPARE(points.RESULT_SHEAR_STRESS(), 42.0);
}

// As a child of committedRowSurvivesCrash: record one point, then end the
// process without closing anything, as a crashing program would.
static void recordPointAndDie(const QString& dir)
{
    auto* connection = new clsConnection;
    connection->OpenDB("", "", "", "", dir);
    auto* points = new clsTEST_RESULT;
    points->setTest_Id(1);
    points->ConnectX(*connection);
    points->setRESULT_SHEAR_STRESS(42);
    points->AddNew();
    std::_Exit(3);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TZ360_DB_CRASH_DIR"))
        recordPointAndDie(qEnvironmentVariable("TZ360_DB_CRASH_DIR"));
    TestDbConnection test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_db_connection.moc"
