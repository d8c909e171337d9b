// The point journal end to end: the real tz360-cli against tz360-sim on a
// pseudo-terminal. A run killed between the journal and the database, a lab
// server that is still down when the run ends, and a disk that fills up
// mid-run: afterwards every printed point is stored exactly once, in order.
#include "tests/db/PgTestServer.h"
#include "tests/support/SimulatedUnitProcess.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace tz;
using tz::test::PgTestServer;

namespace {

constexpr const char* kScale = "50";

struct Result {
    int exitCode = -1;
    bool crashed = false;
    QString out, err;
};

// The first nine fields of each printed point line (without the viscosity
// and the "waiting" mark): ramp, step, type, time, sample F, bath F, psi,
// shear rate, shear stress.
QStringList printedPoints(const QString& stdoutText)
{
    QStringList points;
    for (const QString& line : stdoutText.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split('\t');
        if (f.size() >= 10)
            points << f.mid(0, 9).join('\t');
    }
    return points;
}

// A test's rows, printed the way tz360-cli run prints its points.
QStringList storedPoints(const QString& bench, const QString& testName)
{
    clsConnection connection;
    connection.OpenDB("", "", "", "", bench);
    if (!connection.isOpen())
        qFatal("cannot open the database: %s", qPrintable(connection.lastError()));
    QSqlQuery q(connection.ADOConnection());
    if (!q.exec(QStringLiteral("SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TYPE_ID, RESULT_TIME, RESULT_SAMPLE_TEMP,"
                               " RESULT_BATH_TEMP, RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS"
                               " FROM TEST_RESULT r JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID"
                               " WHERE i.TEST_NAME = '%1' ORDER BY TEST_RESULT_ID")
                    .arg(testName)))
        qFatal("%s", qPrintable(q.lastError().text()));
    QStringList rows;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < 4; ++i)
            f << QString::number(q.value(i).toDouble());
        for (int i = 4; i < 7; ++i)
            f << QString::number(q.value(i).toDouble(), 'f', 1);
        for (int i = 7; i < 9; ++i)
            f << QString::number(q.value(i).toDouble(), 'f', 2);
        rows << f.join('\t');
    }
    return rows;
}

QStringList journals(const QString& bench)
{
    return QDir(QDir(bench).filePath("journal")).entryList({"*.journal"}, QDir::Files);
}

// A sequence of one step at 75 F: a point each 10 s (two samples 1 s apart),
// the first at 12 s, for minutes minutes.
void storeSequence(const QString& bench, const QString& name, double minutes)
{
    clsConnection connection;
    connection.OpenDB("", "", "", "", bench);
    if (!connection.isOpen())
        qFatal("cannot open the database: %s", qPrintable(connection.lastError()));
    SequenceData s;
    s.name = name;
    s.timeBeforeRead = 3;
    s.rampSampleRate = 1;
    s.samplePointsAverage = 2;
    s.sampleInterval = 10;
    s.steps = {SequenceStep{1, minutes, 75, 10, 100, 0}};
    saveSequence(connection, s);
}

// Fills the disk of dir until a write fails; the filler's path.
QString fillDisk(const QString& dir)
{
    const QString path = QDir(dir).filePath("filler");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        qFatal("cannot create the filler");
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {
    }
    const QByteArray byte(1, 'x');
    while (f.write(byte) == 1) {
    }
    return path;
}

}  // namespace

class TestCliJournal : public QObject {
    Q_OBJECT
    QTemporaryDir bench_;
    QProcess* sim_ = nullptr;
    QList<QProcess*> sims_;

    QProcess* startCli(const QString& bench, const QStringList& args, const QStringList& env = {})
    {
        auto* cli = new QProcess(this);
        cli->setWorkingDirectory(bench);
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("TZ360_TIME_SCALE", kScale);
        e.remove("TZ360_DATABASE");
        e.remove("TZ360_JOURNAL_ABORT");
        for (const QString& kv : env)
            e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        cli->setProcessEnvironment(e);
        cli->start(qEnvironmentVariable("TZ360_CLI"), args);
        return cli;
    }

    Result finish(QProcess* cli, const QString& outSoFar = QString())
    {
        Result r;
        if (cli->waitForFinished(90000)) {
            r.crashed = cli->exitStatus() != QProcess::NormalExit;
            r.exitCode = r.crashed ? -1 : cli->exitCode();
        }
        r.out = outSoFar + QString::fromLocal8Bit(cli->readAllStandardOutput());
        r.err = QString::fromLocal8Bit(cli->readAllStandardError());
        delete cli;
        return r;
    }

    Result runCli(const QString& bench, const QStringList& args, const QStringList& env = {})
    {
        return finish(startCli(bench, args, env));
    }

    QProcess* simIn(const QString& bench)
    {
        QProcess* sim = tz::test::startSimulatedUnit(this, bench, 1, kScale);
        if (sim)
            sims_ << sim;
        return sim;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty() || qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_SIM / TZ360_CLI are not set (run through ctest)");
        storeSequence(bench_.path(), "one minute", 1);
        sim_ = simIn(bench_.path());
        QVERIFY(sim_);
    }

    void cleanupTestCase()
    {
        for (QProcess* sim : sims_) {
            sim->terminate();
            sim->waitForFinished(5000);
        }
    }

    // The run dies (kill -9) right after the third point reached the
    // journal, or right after the database committed it but before the
    // journal let it go. The next command that opens the database stores
    // what the journal holds; every printed point is then stored exactly once.
    void killBetweenJournalAndDatabase_data()
    {
        QTest::addColumn<QString>("spot");
        QTest::addColumn<QString>("replayCommand");
        QTest::addColumn<int>("recovered");
        QTest::newRow("after the journal append") << "after-append" << "list" << 1;
        QTest::newRow("after the commit") << "after-commit" << "flush-journal" << 0;
    }

    void killBetweenJournalAndDatabase()
    {
        QFETCH(QString, spot);
        QFETCH(QString, replayCommand);
        QFETCH(int, recovered);
        const QString test = "killed " + spot;
        const Result run = runCli(bench_.path(), {"run", "--comm", "1", "--sequence", "one minute", "--test", test},
                                  {"TZ360_JOURNAL_ABORT=" + spot + ":3"});
        QVERIFY2(run.crashed, qPrintable(run.err));
        const QStringList printed = printedPoints(run.out);
        QCOMPARE(printed.size(), 2);  // points 1 and 2; the third was never printed
        QCOMPARE(journals(bench_.path()).size(), 1);

        const Result replay = runCli(bench_.path(), {replayCommand});
        QVERIFY2(replay.exitCode == 0, qPrintable(replay.err + replay.out));
        if (recovered > 0)
            QVERIFY2(replay.err.contains(QString("tz360-cli: %1 recorded points recovered from the point journal (%2)")
                                             .arg(recovered)
                                             .arg(QDir(bench_.path()).filePath("journal"))),
                     qPrintable(replay.err));
        else
            QVERIFY2(replay.out.contains("Stored 0 recorded points from the point journal (1 were stored already)"),
                     qPrintable(replay.out));
        QVERIFY(journals(bench_.path()).isEmpty());

        const QStringList stored = storedPoints(bench_.path(), test);
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.mid(0, 2), printed);
        QVERIFY(stored[2].startsWith("1\t0\t0\t32\t"));

        const Result again = runCli(bench_.path(), {"flush-journal"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, QString("Stored 0 recorded points from the point journal\nNothing is waiting.\n"));
        QCOMPARE(storedPoints(bench_.path(), test), stored);
    }

    // The workstation stores at its start what a killed run left in the
    // journal, and says so on stderr, in its status bar and in the error log.
    void workstationStartReplaysTheJournal()
    {
        if (qEnvironmentVariable("TZ360_GUI").isEmpty())
            QSKIP("TZ360_GUI is not set (run through ctest)");
        const Result run = runCli(bench_.path(), {"run", "--comm", "1", "--sequence", "one minute", "--test", "before start"},
                                  {"TZ360_JOURNAL_ABORT=after-append:2"});
        QVERIFY2(run.crashed, qPrintable(run.err));
        QCOMPARE(journals(bench_.path()).size(), 1);

        QProcess gui;
        gui.setWorkingDirectory(bench_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("TZ360_DATABASE");
        gui.setProcessEnvironment(env);
        gui.start(qEnvironmentVariable("TZ360_GUI"));
        QString err;
        const QString expected = QString("tz360: 1 recorded points recovered from the point journal (%1)")
                                     .arg(QDir(bench_.path()).filePath("journal"));
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromLocal8Bit(gui.readAllStandardError())).contains(expected), 30000);
        gui.kill();
        gui.waitForFinished(5000);
        QVERIFY(journals(bench_.path()).isEmpty());
        const QStringList stored = storedPoints(bench_.path(), "before start");
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0], printedPoints(run.out).value(0));
        QFile log(QDir(bench_.path()).filePath("OstraErr.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromLocal8Bit(log.readAll()).contains(expected.mid(7)));
    }

    // The lab server goes down mid-run and stays down past its end: the run
    // exits 6 naming the journal; once the server is back, flush-journal
    // stores every point in order, a second flush stores nothing, and the
    // rows are the printed lines. The driver's per-point complaints are held
    // back to one line.
    void serverDownPastTheEndOfTheRun()
    {
        if (!PgTestServer::instance().available())
            QSKIP(qPrintable("PostgreSQL test server unavailable: " + PgTestServer::instance().reason()));
        QTemporaryDir bench;
        {
            QFile file(bench.filePath("database.txt"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(PgTestServer::instance().createDatabase().toUtf8() + "\n");
        }
        storeSequence(bench.path(), "two minutes", 2);
        QVERIFY(simIn(bench.path()));

        QProcess* cli = startCli(bench.path(), {"run", "--comm", "1", "--sequence", "two minutes", "--test", "outage"});
        QString out;
        const auto lines = [&] {
            out += QString::fromLocal8Bit(cli->readAllStandardOutput());
            return out.count('\n');
        };
        QTRY_VERIFY_WITH_TIMEOUT(lines() >= 2, 30000);
        PgTestServer::instance().stop();
        const auto restart = qScopeGuard([] { PgTestServer::instance().start(); });
        const Result run = finish(cli, out);
        QCOMPARE(run.exitCode, 6);
        const QStringList printed = printedPoints(run.out);
        QCOMPARE(printed.size(), 11);  // 12, 22, ... 112
        const int waiting = run.out.count("\twaiting\n");
        QVERIFY(waiting >= 5);
        const QStringList files = journals(bench.path());
        QCOMPARE(files.size(), 1);
        const QString journal = QDir(bench.path()).filePath("journal/" + files.first());
        QVERIFY2(run.err.contains(QString("tz360-cli run: %1 points kept in %2; they are stored when the database "
                                          "answers (tz360-cli flush-journal)\n")
                                      .arg(waiting)
                                      .arg(journal)),
                 qPrintable(run.err));
        // Once when it went away, once in the closing reason: not per point.
        QVERIFY2(run.err.count("point not stored yet") == 1 && run.err.count("QPSQL") <= 2
                     && !run.err.contains("Unable to free statement"),
                 qPrintable(run.err));

        // Still down: nothing stored, the journal is listed with the reason.
        Result flush = runCli(bench.path(), {"flush-journal"});
        QCOMPARE(flush.exitCode, 2);
        QVERIFY2(flush.out.contains(QString("Waiting: %1: %2 points of test id").arg(journal).arg(waiting)), qPrintable(flush.out));

        QVERIFY2(PgTestServer::instance().start(), qPrintable(PgTestServer::instance().reason()));
        flush = runCli(bench.path(), {"flush-journal"});
        QVERIFY2(flush.exitCode == 0, qPrintable(flush.out + flush.err));
        QVERIFY2(flush.out.startsWith(QString("Stored %1 recorded points from the point journal\n").arg(waiting)),
                 qPrintable(flush.out));
        QVERIFY(journals(bench.path()).isEmpty());
        flush = runCli(bench.path(), {"flush-journal"});
        QCOMPARE(flush.out, QString("Stored 0 recorded points from the point journal\nNothing is waiting.\n"));
        QCOMPARE(storedPoints(bench.path(), "outage"), printed);
        const QString log = QString::fromLocal8Bit([&] {
            QFile f(bench.filePath("OstraErr.log"));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }());
        QVERIFY2(log.contains(QString("%1 recorded points recovered from the point journal").arg(waiting)), qPrintable(log));
    }

    // The bench's disk (a 4 MB tmpfs) fills up after the first point and
    // frees again a few points later: the run warns of the low space once,
    // reports the error-log line it could not write instead of dropping it,
    // and ends normally with every printed point stored in order.
    void fullDiskLosesNoPoint()
    {
        QTemporaryDir mountPoint;
        if (::geteuid() != 0
            || ::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=4m") != 0)
            QSKIP("mounting a small tmpfs needs root (and a machine that allows it)");
        const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH); });
        const QString bench = mountPoint.path();
        storeSequence(bench, "two minutes", 2);
        QVERIFY(simIn(bench));

        QProcess* cli = startCli(bench, {"run", "--comm", "1", "--sequence", "two minutes", "--test", "full disk"});
        QString out;
        const auto lines = [&] {
            out += QString::fromLocal8Bit(cli->readAllStandardOutput());
            return out.count('\n');
        };
        QTRY_VERIFY_WITH_TIMEOUT(lines() >= 1, 30000);
        const QString filler = fillDisk(bench);
        QTRY_VERIFY_WITH_TIMEOUT(lines() >= 5, 30000);
        QVERIFY(QFile::remove(filler));
        const Result run = finish(cli, out);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.err.count("Disk space low: "), 1);
        QVERIFY2(run.err.contains(QRegularExpression("tz360-cli run: Disk space low: \\d+ MB free on ")), qPrintable(run.err));
        const QStringList printed = printedPoints(run.out);
        QCOMPARE(printed.size(), 11);
        QCOMPARE(storedPoints(bench, "full disk"), printed);
        QVERIFY(journals(bench).isEmpty());
        // The full disk did refuse points (said once), and they went in when it had room again.
        QVERIFY2(run.out.count("\twaiting\n") >= 1, qPrintable(run.out));
        QCOMPARE(run.err.count("point not stored yet"), 1);
        QVERIFY2(run.err.contains("the database answers again"), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCliJournal)
#include "tst_cli_journal.moc"
