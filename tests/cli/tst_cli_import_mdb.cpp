// tz360-cli import-mdb end to end: the real program in a bench folder, the
// Jet tables served from fixtures by the stand-in mdbtools put first on its
// PATH (and the real mdbtools, when installed, for a file that is no Jet
// database at all).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kFixtures = QStringLiteral(MDB_FIXTURES);

struct Result {
    int exitCode = -1;
    QString out, err;
};

}  // namespace

class TestCliImportMdb : public QObject {
    Q_OBJECT
    QTemporaryDir* dir_ = nullptr;

    Result importMdb(const QStringList& args, bool standIn = true)
    {
        QProcess cli;
        cli.setWorkingDirectory(dir_->path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("TZ360_DATABASE");
        if (standIn)
            env.insert("PATH", kFixtures + "/bin:" + env.value("PATH"));
        cli.setProcessEnvironment(env);
        cli.start(qEnvironmentVariable("TZ360_CLI"), QStringList{"import-mdb"} + args);
        Result r;
        if (!cli.waitForFinished(60000))
            return r;
        r.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        r.out = QString::fromUtf8(cli.readAllStandardOutput());
        r.err = QString::fromUtf8(cli.readAllStandardError());
        return r;
    }

    QStringList column(const QString& sql)
    {
        QStringList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir_->filePath("TZ360.db"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql))
                    while (q.next())
                        out << q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase("check");
        return out;
    }

    static QString fixture(const char* name) { return kFixtures + "/" + name + "/legacy.mdb"; }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_CLI is not set (run through ctest)");
    }
    void init() { dir_ = new QTemporaryDir; QVERIFY(dir_->isValid()); }
    void cleanup() { delete dir_; dir_ = nullptr; }

    void importsThenRefusesOrRenamesTheSameNames()
    {
        Result r = importMdb({fixture("normal")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("Test \"Well 11\" (3 points)\n"), qPrintable(r.out));
        QVERIFY2(r.out.contains("Imported 2 sequence(s) and 2 test(s) from " + fixture("normal")), qPrintable(r.out));
        QCOMPARE(column("SELECT COUNT(*) FROM TEST_RESULT"), QStringList({"5"}));

        r = importMdb({fixture("normal")});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, QString("tz360-cli import-mdb: Sequence \"Borate 200F\" already exists in the target; nothing "
                                "copied (--rename-clashes stores it under a free name)\n"));
        QCOMPARE(column("SELECT COUNT(*) FROM TEST_RESULT"), QStringList({"5"}));

        r = importMdb({fixture("normal"), "--rename-clashes"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("Sequence \"Borate 200F\" -> \"Borate 200F (2)\"\n"), qPrintable(r.out));
        QCOMPARE(column("SELECT COUNT(*) FROM TEST_RESULT"), QStringList({"10"}));
    }

    void refusesAFileItCannotImport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("standIn");
        QTest::addColumn<QString>("message");
        const QString text = QFINDTESTDATA("tst_cli_import_mdb.cpp");
        QTest::newRow("not a Jet file") << text << true << text + " is not a Jet database (mdb-tables: File not found";
        QTest::newRow("no such file") << kFixtures + "/none.mdb" << true << "no file " + kFixtures + "/none.mdb";
        QTest::newRow("tables missing") << fixture("missing-table") << true
                                        << fixture("missing-table") + " has no table TEST_ADDITIVE; nothing imported";
        if (!QStandardPaths::findExecutable("mdb-tables").isEmpty())
            QTest::newRow("not a Jet file, real mdbtools")
                << text << false << text + " is not a Jet database (mdb-tables: ";
    }

    void refusesAFileItCannotImport()
    {
        QFETCH(QString, file);
        QFETCH(bool, standIn);
        QFETCH(QString, message);
        const Result r = importMdb({file}, standIn);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("tz360-cli import-mdb: " + message), qPrintable(r.err));
        // Nothing written: not even an empty database in the bench folder.
        QVERIFY(!QFile::exists(dir_->filePath("TZ360.db")));
    }

    void usageErrors()
    {
        QCOMPARE(importMdb({}).exitCode, 1);
        QCOMPARE(importMdb({fixture("normal"), "--frobnicate"}).exitCode, 1);
        QVERIFY(!QFile::exists(dir_->filePath("TZ360.db")));
    }
};

QTEST_GUILESS_MAIN(TestCliImportMdb)
#include "tst_cli_import_mdb.moc"
