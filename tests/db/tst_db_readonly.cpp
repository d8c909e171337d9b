// Reading a bench's TZ360.db that the reader may not write: a folder on a
// read-only share, an archived copy, a colleague's bench. tz360-cli list and
// analyze work there and change nothing; writing commands fail with a clear
// message. Permissions do not stop root, so as root the commands run as the
// user nobody (setpriv), for whom they do.
#include "db/clsConnection.h"
#include "tests/analysis/StoredTests.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// The folder's files with their sizes and change times: enough to see that
// nothing was written, without opening any of them (which would drop the
// locks of a connection this process holds on the database).
QStringList snapshot(const QString& folder)
{
    QStringList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
        files << QStringLiteral("%1 %2 %3").arg(f.fileName()).arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch());
    return files;
}

}  // namespace

class TestDbReadOnly : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    bool asRoot = false;

    // tz360-cli in folder; as nobody when this test runs as root.
    Run cli(const QString& folder, const QStringList& args, bool asReader)
    {
        QProcess p;
        p.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("TZ360_DATABASE"));
        p.setProcessEnvironment(env);
        const QString program = qEnvironmentVariable("TZ360_CLI");
        if (asReader && asRoot)
            p.start(QStringLiteral("setpriv"),
                    QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args);
        else
            p.start(program, args);
        Run r;
        if (!p.waitForFinished(60000))
            return r;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return r;
    }

    static bool setMode(const QString& path, mode_t mode)
    {
        return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariable("TZ360_CLI").isEmpty());
        QVERIFY(tmp.isValid());
        asRoot = ::geteuid() == 0;
        if (asRoot) {
            // nobody must reach the folders and the program.
            QVERIFY(setMode(tmp.path(), 0755));
            if (QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("running as root and setpriv (util-linux) is missing: no user whom permissions stop");
            const Run probe = cli(tmp.path(), {"--help"}, true);
            if (probe.exitCode != 0)
                QSKIP(qPrintable("running as root and the user nobody cannot run " + qEnvironmentVariable("TZ360_CLI")
                                 + ": " + probe.err));
        }
    }

    void readingCommandsWork_data()
    {
        QTest::addColumn<bool>("heldOpen");        // the workstation records into it meanwhile
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("closed database, read-only folder and file") << false << true;
        // The test's points are in the WAL only: a read that skipped the WAL
        // would not list the test at all.
        QTest::newRow("database in use by its owner, read-only folder") << true << true;
        QTest::newRow("read-only file in a writable folder") << false << false;
    }
    void readingCommandsWork()
    {
        QFETCH(bool, heldOpen);
        QFETCH(bool, folderReadOnly);
        const QString folder = tmp.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<clsConnection> owner;
        if (heldOpen) {
            owner = std::make_unique<clsConnection>();
            owner->OpenDB("msORA", "system", "", "", folder);
            QVERIFY2(owner->isOpen(), qPrintable(owner->lastError()));
            fixture::storeTest(*owner, "Gel 30 HT", fixture::powerLawPoints(2, 0.5, 0.2));
            QVERIFY(QFileInfo(folder + "/TZ360.db-wal").size() > 0);
        } else {
            clsConnection writer;
            writer.OpenDB("msORA", "system", "", "", folder);
            QVERIFY2(writer.isOpen(), qPrintable(writer.lastError()));
            fixture::storeTest(writer, "Gel 30 HT", fixture::powerLawPoints(2, 0.5, 0.2));
        }
        const Run expected = cli(folder, {"analyze", "Gel 30 HT"}, false);
        QCOMPARE(expected.exitCode, 0);
        QCOMPARE(expected.out.count('\n'), 3);  // heading and two ramps

        const QString file = folder + "/TZ360.db";
        QVERIFY(setMode(file, 0444));
        if (folderReadOnly)
            QVERIFY(setMode(folder, 0555));
        else if (asRoot)
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), kNobody, kNobody), 0);
        const QStringList before = snapshot(folder);

        const Run listed = cli(folder, {"list"}, true);
        QVERIFY2(listed.exitCode == 0, qPrintable(listed.err));
        QCOMPARE(listed.out, QString("Gel 30 HT\t2026-03-01 08:30:00\tJ. Ortiz\n"));
        QVERIFY2(listed.err.contains("(read-only)"), qPrintable(listed.err));
        const Run analysed = cli(folder, {"analyze", "Gel 30 HT"}, true);
        QVERIFY2(analysed.exitCode == 0, qPrintable(analysed.err));
        QCOMPARE(analysed.out, expected.out);

        // A read-only archive can be copied elsewhere.
        const QString copyFolder = folder + "-copy";
        QVERIFY(QDir().mkpath(copyFolder));
        if (asRoot)
            QCOMPARE(::chown(QFile::encodeName(copyFolder).constData(), kNobody, kNobody), 0);
        const Run copied = cli(folder, {"copy-db", "--from", file, "--to", copyFolder + "/TZ360.db"}, true);
        QVERIFY2(copied.exitCode == 0, qPrintable(copied.err));
        QCOMPARE(cli(copyFolder, {"list"}, false).out, listed.out);

        // A writing command says why it cannot work and stores nothing.
        const Run write = cli(folder, {"add-demo-sequence"}, true);
        QCOMPARE(write.exitCode, 2);
        QVERIFY2(write.err.contains(QRegularExpression("read-?only")), qPrintable(write.err));
        if (folderReadOnly)
            QCOMPARE(snapshot(folder), before);

        setMode(folder, 0755);
        setMode(file, 0644);
        if (owner) {
            // The owner's work goes on and its points stay its own.
            fixture::storeTest(*owner, "Gel 25 HT", fixture::powerLawPoints(1, 0.5, 0.2));
            QVERIFY(cli(folder, {"list"}, false).out.contains("Gel 25 HT"));
        }
    }

    // Nothing is created in a file that cannot be written: without the
    // workstation's tables it is refused, and left as it was.
    void foreignFileIsRefused()
    {
        const QString folder = tmp.filePath("foreign");
        QVERIFY(QDir().mkpath(folder));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
            db.setDatabaseName(folder + "/TZ360.db");
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE NOTES (TEXT VARCHAR(40))"));
            db.close();
        }
        QSqlDatabase::removeDatabase("foreign");
        QVERIFY(setMode(folder + "/TZ360.db", 0444));
        QVERIFY(setMode(folder, 0555));
        const QStringList before = snapshot(folder);
        const Run listed = cli(folder, {"list"}, true);
        QCOMPARE(listed.exitCode, 2);
        QVERIFY2(listed.err.contains("does not hold the workstation's tables"), qPrintable(listed.err));
        QCOMPARE(snapshot(folder), before);
        setMode(folder, 0755);
    }
};

QTEST_GUILESS_MAIN(TestDbReadOnly)
#include "tst_db_readonly.moc"
