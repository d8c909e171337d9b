// The connection: schema of a new file, journal and sync modes, refusal of
// files it cannot use, owned transactions, and what a second reader sees.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/SequenceData.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <cstdlib>

// Points each of two simultaneous writers records.
constexpr int kWriterPoints = 300;

class TestDbConnection : public QObject {
    Q_OBJECT

    static constexpr const char* kOpenErrorPrefix = "clsConnection.OpenConnection: Error #: ";

private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
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
    void insertReportsTheNewKey();
    void twoWorkstationsRecordEveryPoint();
    void sequenceEditedElsewhereSeenOnNextLoad();
    void testDeletedWhileOpenElsewhere();
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
    QCOMPARE(QFile::exists(db.dir.filePath("TZ360.db")), !db.onServer());  // no file beside a server

    QSqlQuery info(db.connection.ADOConnection());
    QStringList found;
    QString keyType;
    if (db.onServer()) {
        QVERIFY(info.exec(QStringLiteral(
            "SELECT upper(column_name), is_identity, data_type FROM information_schema.columns"
            " WHERE table_schema = current_schema() AND table_name = lower('%1') ORDER BY ordinal_position")
                              .arg(table)));
        while (info.next()) {
            found << info.value(0).toString();
            if (info.value(1).toString() == "YES")
                keyType = info.value(2).toString();
        }
        QCOMPARE(keyType, QStringLiteral("bigint"));  // auto-numbered identity key
    } else {
        QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)));
        while (info.next()) {
            found << info.value("name").toString();
            if (info.value("pk").toInt() == 1)
                keyType = info.value("type").toString();
        }
        QCOMPARE(keyType, QStringLiteral("INTEGER"));  // auto-numbered rowid key
    }
    QCOMPARE(found, columns);
}

void TestDbConnection::newFileUsesWalAndFullSync()
{
    TempDatabase db;
    if (!db.onServer()) {
        QCOMPARE(db.sql("PRAGMA journal_mode").value(0).toString(), QStringLiteral("wal"));
        QCOMPARE(db.sql("PRAGMA synchronous").value(0).toInt(), 2);  // FULL
    }
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
    TempDatabase db;
    const QString dir = db.dir.path();
    {
        clsConnection first;
        first.OpenDB("", "", "", "", dir);
        clsTEST_INFO info;
        info.ConnectX(first);
        info.setTEST_NAME("kept");
        info.AddNew();
    }
    clsConnection again;
    again.OpenDB("", "", "", "", dir);
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
    if (tz::test::onServer())
        QSKIP("a file of the embedded database; the server's open errors are in tst_db_server");
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
        QVERIFY2(e.text().contains("TEST_RESULT", Qt::CaseInsensitive), qPrintable(e.text()));
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
    TempDatabase db;
    const QString dir = db.dir.path();
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TZ360_DB_CRASH_DIR", dir);
    writer.setProcessEnvironment(env);
    writer.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(writer.waitForFinished(20000));
    QCOMPARE(writer.exitCode(), 3);  // ended abruptly right after the insert

    clsConnection after;
    after.OpenDB("", "", "", "", dir);
    QVERIFY(after.lastError().isEmpty());
    clsTEST_RESULT points;
    points.setTest_Id(1);
    points.ConnectX(after);
    QCOMPARE(points.TotalPoints(), 1);
    points.MoveFirst();
    QCOMPARE(points.RESULT_SHEAR_STRESS(), 42.0);
}

void TestDbConnection::insertReportsTheNewKey()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    QCOMPARE(info.lastInsertId(), 0.0);
    // Two tests of one name (two workstations racing for it): each insert
    // reports its own row, which a look-up by name could not tell apart.
    info.setTEST_NAME("same name");
    info.AddNew();
    const double first = info.lastInsertId();
    info.AddNew();
    const double second = info.lastInsertId();
    QVERIFY(first >= 1);
    QVERIFY(second != first);
    QCOMPARE(db.sql("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID"), (QVariantList{first, second}));
    info.SaveAs("copy");
    QCOMPARE(db.sql("SELECT TEST_NAME FROM TEST_INFO WHERE TEST_ID = ?", {info.lastInsertId()}),
             QVariantList{"copy"});

    clsTEST_RESULT points;
    points.setTest_Id(static_cast<int>(second));
    points.ConnectX(db.connection);
    points.AddNew();
    QCOMPARE(db.sql("SELECT TEST_RESULT_ID FROM TEST_RESULT").value(0).toDouble(), points.lastInsertId());
}

void TestDbConnection::twoWorkstationsRecordEveryPoint()
{
    // Two processes, as two workstations, each starting a test and recording
    // its points into the one database at the same moment.
    TempDatabase db;
    QList<QProcess*> writers;
    for (const char* name : {"bench A", "bench B"}) {
        auto* writer = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ360_DB_WRITER_DIR", db.dir.path());
        env.insert("TZ360_DB_WRITER_TEST", name);
        writer->setProcessEnvironment(env);
        writer->start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer->waitForStarted());
        writers << writer;
    }
    QFile go(db.dir.filePath("go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QList<double> ids;
    for (QProcess* writer : writers) {
        QVERIFY(writer->waitForFinished(120000));
        QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
        ids << writer->readAllStandardOutput().trimmed().toDouble();
        delete writer;
    }
    QVERIFY(ids[0] >= 1 && ids[1] >= 1 && ids[0] != ids[1]);

    QCOMPARE(db.count("TEST_RESULT"), 2 * kWriterPoints);
    for (int w = 0; w < 2; ++w) {
        clsTEST_INFO info;
        info.ConnectX(db.connection);
        info.setTEST_NAME(w == 0 ? "bench A" : "bench B");
        info.GetTestDetail();
        QCOMPARE(info.Test_Id(), ids[w]);
        clsTEST_RESULT points;
        points.setTest_Id(static_cast<int>(ids[w]));
        points.ConnectX(db.connection);
        QCOMPARE(points.TotalPoints(), kWriterPoints);
        double expected = 0;
        for (points.MoveFirst(); !points.Eof(); points.MoveNext()) {
            QCOMPARE(points.RESULT_TIME(), expected);
            QCOMPARE(points.RESULT_SHEAR_STRESS(), 1000 * w + expected);
            ++expected;
        }
    }
}

void TestDbConnection::sequenceEditedElsewhereSeenOnNextLoad()
{
    TempDatabase db;
    clsConnection other;
    other.OpenDB("", "", "", "", db.dir.path());
    QVERIFY(other.lastError().isEmpty());

    tz::SequenceData sequence;
    sequence.name = "Borate 200F";
    sequence.steps = {tz::SequenceStep{}};
    sequence.rampShearRates = {170, 100};
    sequence.sequenceId = tz::saveSequence(db.connection, sequence);
    QCOMPARE(tz::loadSequence(other, "Borate 200F")->steps.size(), 1);

    sequence.sampleInterval = 30;
    sequence.steps << tz::SequenceStep{0, 20, 200, 5, 40, 0};
    sequence.rampShearRates = {511};
    tz::saveSequence(db.connection, sequence);
    const std::optional<tz::SequenceData> seen = tz::loadSequence(other, "Borate 200F");
    QVERIFY(seen);
    QCOMPARE(seen->sampleInterval, 30);
    QCOMPARE(seen->steps.size(), 2);
    QCOMPARE(seen->steps[1].tempF, 200.0);
    QCOMPARE(seen->rampShearRates, QList<double>{511});

    // Deleted on the other workstation: saving the loaded copy says so and
    // writes nothing under the old key.
    QVERIFY(tz::deleteSequence(other, "Borate 200F"));
    try {
        tz::saveSequence(db.connection, sequence);
        QFAIL("saved over a deleted sequence");
    } catch (const tz::DbError& e) {
        QVERIFY2(e.text().contains("no longer stored"), qPrintable(e.text()));
    }
    QCOMPARE(db.count("SEQUENCE_RAMP"), 0);
    QCOMPARE(db.count("SEQUENCE_INFO"), 0);
}

void TestDbConnection::testDeletedWhileOpenElsewhere()
{
    TempDatabase db;
    clsTEST_INFO stored;
    stored.ConnectX(db.connection);
    stored.setTEST_NAME("HPG 40# 250F");
    stored.AddNew();
    clsTEST_RESULT writer;
    writer.setTest_Id(static_cast<int>(stored.lastInsertId()));
    writer.ConnectX(db.connection);
    for (double t : {60.0, 120.0}) {
        writer.setRESULT_TIME(t);
        writer.AddNew();
    }

    // The engineer's desk has the test open ...
    clsConnection desk;
    desk.OpenDB("", "", "", "", db.dir.path());
    clsTEST_INFO opened;
    opened.ConnectX(desk);
    opened.setTEST_NAME("HPG 40# 250F");
    opened.GetTestDetail();
    clsTEST_RESULT points;
    points.setTest_Id(static_cast<int>(opened.Test_Id()));
    points.ConnectX(desk);
    QCOMPARE(points.TotalPoints(), 2);

    // ... while the bench deletes it, the way the delete list does.
    clsTEST_INFO bench;
    bench.ConnectX(db.connection);
    bench.setTEST_NAME("HPG 40# 250F");
    bench.Delete();
    writer.Delete();

    // The desk's copy still reads; writing to the test says what happened.
    points.MoveLast();
    QCOMPARE(points.RESULT_TIME(), 120.0);
    opened.setRESEARCHER_NAME("Li");
    try {
        opened.Update();
        QFAIL("updated a deleted test");
    } catch (const tz::DbError& e) {
        QVERIFY2(e.text().contains("no longer stored"), qPrintable(e.text()));
    }
    QCOMPARE(db.count("TEST_INFO"), 0);
    opened.GetTestDetail();
    QVERIFY(opened.Eof());
    points.GetTestDetail();
    QCOMPARE(points.TotalPoints(), 0);
}

// As a child of twoWorkstationsRecordEveryPoint: start a test, wait for the
// signal, record its points, print the test's id.
static int recordTest(const QString& dir, const QString& name)
{
    clsConnection connection;
    connection.OpenDB("", "", "", "", dir);
    if (!connection.lastError().isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(connection.lastError()));
        return 4;
    }
    try {
        clsTEST_INFO info;
        info.ConnectX(connection);
        info.setTEST_NAME(name);
        info.AddNew();
        const double id = info.lastInsertId();
        while (!QFile::exists(QDir(dir).filePath("go")))
            QThread::msleep(5);
        clsTEST_RESULT points;
        points.setTest_Id(static_cast<int>(id));
        points.ConnectX(connection);
        const double offset = name.endsWith('B') ? 1000 : 0;
        for (int i = 0; i < kWriterPoints; ++i) {
            points.setRESULT_TIME(i);
            points.setRESULT_SHEAR_STRESS(offset + i);
            points.AddNew();
        }
        printf("%.0f\n", id);
        return 0;
    } catch (const tz::DbError& e) {
        fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 5;
    }
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
    if (qEnvironmentVariableIsSet("TZ360_DB_WRITER_DIR"))
        return recordTest(qEnvironmentVariable("TZ360_DB_WRITER_DIR"), qEnvironmentVariable("TZ360_DB_WRITER_TEST"));
    if (qEnvironmentVariableIsSet("TZ360_DB_CRASH_DIR"))
        recordPointAndDie(qEnvironmentVariable("TZ360_DB_CRASH_DIR"));
    TestDbConnection test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_db_connection.moc"
