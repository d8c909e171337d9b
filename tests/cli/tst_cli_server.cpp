// tz360-cli on a lab server, end to end: the real program, a bench folder
// whose database.txt names a throw-away PostgreSQL server, and tz360-sim on a
// pseudo-terminal. Every command works there as on the embedded file: the
// empty server gets its tables, a run keeps every point through a server
// restart, and a bench's file moves to the server and back with copy-db,
// after which every reading command prints the same on both.
#include "tests/db/PgTestServer.h"
#include "tests/support/SimulatedUnitProcess.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;
using tz::test::PgTestServer;

namespace {

constexpr const char* kScale = "50";

struct Result {
    int exitCode = -1;
    QString out, err;
};

// "ramp,step,type,time" of each printed point line, stored or waiting.
QStringList pointKeys(const QString& stdoutText)
{
    QStringList keys;
    for (const QString& line : stdoutText.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split('\t');
        if (f.size() >= 10)
            keys << f.mid(0, 4).join(',');
    }
    return keys;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A written file's content without the moment it was made: a PDF's creation
// date blanked, a workbook's sheets and strings without its document
// properties.
QByteArray content(const QString& path)
{
    if (path.endsWith(".xlsx")) {
        QProcess unzip;
        unzip.start("unzip", {"-p", path, "xl/*"});
        unzip.waitForFinished(20000);
        return unzip.readAllStandardOutput();
    }
    QByteArray bytes = fileBytes(path);
    if (path.endsWith(".pdf"))
        bytes = QString::fromLatin1(bytes).replace(QRegularExpression("/CreationDate \\(D:[0-9Z+']*\\)"), "").toLatin1();
    return bytes;
}

}  // namespace

class TestCliServer : public QObject {
    Q_OBJECT
    QTemporaryDir serverBench_;  // database.txt names the server
    QTemporaryDir fileBench_;    // TZ360.db, as a bench has it
    QString uri_;
    QProcess* sim_ = nullptr;

    QProcess* startCli(const QString& bench, const QStringList& args)
    {
        auto* cli = new QProcess(this);
        cli->setWorkingDirectory(bench);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ360_TIME_SCALE", kScale);
        env.remove("TZ360_DATABASE");
        // The PDF writer emits its fonts in hash order: one order for both
        // programs, so their reports can be compared byte for byte.
        env.insert("QT_HASH_SEED", "0");
        cli->setProcessEnvironment(env);
        cli->start(qEnvironmentVariable("TZ360_CLI"), args);
        return cli;
    }

    Result finish(QProcess* cli, QString out = QString())
    {
        Result r;
        if (cli->waitForFinished(60000))
            r.exitCode = cli->exitStatus() == QProcess::NormalExit ? cli->exitCode() : -1;
        r.out = out + QString::fromLocal8Bit(cli->readAllStandardOutput());
        r.err = QString::fromLocal8Bit(cli->readAllStandardError());
        delete cli;
        return r;
    }

    Result runCli(const QString& bench, const QStringList& args) { return finish(startCli(bench, args)); }

    // The rows a query gives on the server, fields joined by ','.
    QStringList onServer(const QString& sql)
    {
        clsConnection connection;
        connection.OpenDB("", "", "", "", serverBench_.path());
        if (!connection.isOpen())
            qFatal("cannot open the server: %s", qPrintable(connection.lastError()));
        QSqlQuery query(connection.ADOConnection());
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        QStringList rows;
        while (query.next()) {
            QStringList fields;
            for (int i = 0; i < query.record().count(); ++i)
                fields << (query.value(i).metaType().id() == QMetaType::Double
                               ? QString::number(query.value(i).toDouble())
                               : query.value(i).toString());
            rows << fields.join(',');
        }
        return rows;
    }

    QStringList storedPoints(const QString& testName)
    {
        return onServer(QStringLiteral("SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TYPE_ID, RESULT_TIME FROM TEST_RESULT r"
                                       " JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID WHERE i.TEST_NAME = '%1'"
                                       " ORDER BY TEST_RESULT_ID")
                            .arg(testName));
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty() || qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_SIM / TZ360_CLI are not set (run through ctest)");
        uri_ = PgTestServer::instance().createDatabase();
        QFile file(serverBench_.filePath("database.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(uri_.toUtf8() + "\n");
        file.close();
        sim_ = tz::test::startSimulatedUnit(this, serverBench_.path(), 1, kScale);
        QVERIFY(sim_);
    }

    void cleanupTestCase()
    {
        if (sim_) {
            sim_->terminate();
            sim_->waitForFinished(5000);
        }
    }

    // The first command on an empty server database creates the tables;
    // the demo sequence is then stored there, not in a file.
    void emptyServerGetsTablesAndTheDemoSequence()
    {
        Result r = runCli(serverBench_.path(), {"list"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains("Database: " + uri_), qPrintable(r.err));

        r = runCli(serverBench_.path(), {"add-demo-sequence"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(onServer("SELECT SEQUENCE_NAME FROM SEQUENCE_INFO"), QStringList{"Demo"});
        QVERIFY(onServer("SELECT COUNT(*) FROM SEQUENCE_RAMP").value(0).toInt() > 0);
        QVERIFY(!QFile::exists(serverBench_.filePath("TZ360.db")));

        r = runCli(serverBench_.path(), {"run", "--comm", "1", "--sequence", "Nope", "--test", "x"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("no sequence named \"Nope\" in " + uri_), qPrintable(r.err));
    }

    // The server is stopped at once (as a crash would end it) after the
    // third point and started again a few points later: the run goes on,
    // shows the points waiting, stores them in order when the server is
    // back, ends normally, and the error log tells the story.
    void runKeepsEveryPointThroughAServerRestart()
    {
        {
            clsConnection connection;
            connection.OpenDB("", "", "", "", serverBench_.path());
            // A point each 10 s (two samples of 1 s) through one 8-minute
            // step at 75 F, 100 1/s, no shear ramp (about 10 s at this pace).
            SequenceData s;
            s.name = "eight minutes";
            s.timeBeforeRead = 3;
            s.rampSampleRate = 1;
            s.samplePointsAverage = 2;
            s.sampleInterval = 10;
            s.steps = {SequenceStep{1, 8, 75, 10, 100, 0}};
            saveSequence(connection, s);
        }
        QProcess* cli = startCli(serverBench_.path(), {"run", "--comm", "1", "--sequence", "eight minutes", "--test",
                                                       "through a restart", "--unit", "4"});
        QString out;
        const auto lines = [&] {
            out += QString::fromLocal8Bit(cli->readAllStandardOutput());
            return out.count('\n');
        };
        QTRY_VERIFY_WITH_TIMEOUT(lines() >= 3, 30000);
        PgTestServer::instance().stop();
        const auto restart = qScopeGuard([] { PgTestServer::instance().start(); });
        QTRY_VERIFY_WITH_TIMEOUT(lines() >= 2 && out.count("\twaiting\n") >= 2, 30000);
        QVERIFY2(PgTestServer::instance().start(), qPrintable(PgTestServer::instance().reason()));
        QVERIFY(cli->state() == QProcess::Running);  // the run still had points to make

        const Result r = finish(cli, out);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains("point not stored yet"), qPrintable(r.err));
        // The 8-minute step at one point per 10 s: 12, 22, ... 472.
        QStringList expected;
        for (int t = 12; t <= 472; t += 10)
            expected << QStringLiteral("1,0,0,%1").arg(t);
        QCOMPARE(pointKeys(r.out), expected);
        QCOMPARE(storedPoints("through a restart"), expected);

        const QString log = QString::fromLocal8Bit(fileBytes(serverBench_.filePath("OstraErr.log")));
        QVERIFY2(log.contains("Recorded point not stored") && log.contains("stored again"), qPrintable(log));
    }

    // The unit's stand-alone run arrives on the server whole.
    void retrieveStoresOnTheServer()
    {
        const Result r = runCli(serverBench_.path(), {"retrieve", "--comm", "1", "--test", "stand-alone"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const int printed = r.out.section(' ', 0, 0).toInt();
        QVERIFY2(printed > 0 && r.out.contains("points stored in test \"stand-alone\""), qPrintable(r.out));
        QCOMPARE(storedPoints("stand-alone").size(), printed);
    }

    // The server's tests moved to a bench file: copy-db says what it copied.
    void copyDbToABenchFile()
    {
        const QString file = fileBench_.filePath("TZ360.db");
        const Result r = runCli(fileBench_.path(), {"copy-db", "--from", uri_, "--to", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts),
                 (QStringList{"Sequence \"Demo\"", "Sequence \"eight minutes\"",
                              "Test \"through a restart\" (47 points)",
                              QStringLiteral("Test \"stand-alone\" (%1 points)").arg(storedPoints("stand-alone").size()),
                              "Copied 2 sequence(s) and 2 test(s) from " + uri_ + " to " + file}));
    }

    // Every reading command gives the same output from the server as from
    // the bench file holding the same tests, and writes the same file.
    void readingCommandsAlikeOnBothDatabases_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("written");  // the file the command writes, if any
        QTest::newRow("list") << QStringList{"list"} << QString();
        QTest::newRow("analyze") << QStringList{"analyze", "stand-alone"} << QString();
        QTest::newRow("analyze SI") << QStringList{"analyze", "through a restart", "--unit-system", "3"} << QString();
        QTest::newRow("corvane report") << QStringList{"report", "corvane", "stand-alone", "-o", "c.txt"} << "c.txt";
        QTest::newRow("brief report") << QStringList{"report", "brief", "stand-alone", "-o", "b.txt"} << "b.txt";
        QTest::newRow("detail report") << QStringList{"report", "detail", "stand-alone", "-o", "d.pdf"} << "d.pdf";
        QTest::newRow("export") << QStringList{"export", "through a restart", "--detail", "-o", "e.xlsx"} << "e.xlsx";
        QTest::newRow("unknown test") << QStringList{"analyze", "nothing like it"} << QString();
    }

    void readingCommandsAlikeOnBothDatabases()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, written);
        const Result server = runCli(serverBench_.path(), args);
        const Result bench = runCli(fileBench_.path(), args);
        QCOMPARE(server.exitCode, bench.exitCode);
        QCOMPARE(server.out, bench.out);
        if (!written.isEmpty()) {
            QVERIFY2(server.exitCode == 0, qPrintable(server.err));
            const QByteArray a = content(QDir(serverBench_.path()).filePath(written));
            QVERIFY(a.size() > 100);
            QCOMPARE(a, content(QDir(fileBench_.path()).filePath(written)));
        }
    }

    // Back onto the server: refused while the names are there, unless the
    // copies may take free names; a database is never copied onto itself.
    void copyDbBackRefusedOrRenamed()
    {
        const QString file = fileBench_.filePath("TZ360.db");
        const QStringList serverBefore = onServer("SELECT TEST_NAME FROM TEST_INFO ORDER BY TEST_ID");
        Result r = runCli(fileBench_.path(), {"copy-db", "--from", file, "--to", uri_});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("Sequence \"Demo\" already exists in the target; nothing copied"), qPrintable(r.err));
        QCOMPARE(onServer("SELECT TEST_NAME FROM TEST_INFO ORDER BY TEST_ID"), serverBefore);

        r = runCli(fileBench_.path(), {"copy-db", "--from", file, "--to", uri_, "--rename-clashes"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("Test \"through a restart\" -> \"through a restart (2)\" (47 points)"),
                 qPrintable(r.out));
        QCOMPARE(storedPoints("through a restart (2)"), storedPoints("through a restart"));

        r = runCli(fileBench_.path(), {"copy-db", "--from", file, "--to", file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("source and target are the same database"));
    }
};

TZ360_SERVER_TEST_MAIN(TestCliServer)
#include "tst_cli_server.moc"
