// tz360-cli list over a real database file: newest test first.
#include "db/clsConnection.h"
#include "db/clsTEST_INFO.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void listsNewestFirst() {
        QTemporaryDir dir;
        {
            clsConnection c;
            c.OpenDB({}, {}, {}, {}, dir.path());
            QVERIFY2(c.isOpen(), qPrintable(c.lastError()));
            clsTEST_INFO info;
            info.ConnectX(c);
            const QDateTime t0(QDate(2026, 3, 1), QTime(8, 30));
            const char* names[] = {"Gel A 150F", "Gel B 250F", "Linear 80F"};
            for (int i = 0; i < 3; ++i) {
                info.SetDefaults();
                info.setTEST_NAME(names[i]);
                info.setRESEARCHER_NAME(i == 1 ? "J. Ortiz" : "UNKOWN");
                info.setTEST_TIME(t0.addDays(i == 2 ? -1 : i));
                info.AddNew();
            }
        }
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        cli.start(qEnvironmentVariable("TZ360_CLI"), {"list"});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, QStringList({"Gel B 250F\t2026-03-02 08:30:00\tJ. Ortiz",
                                     "Gel A 150F\t2026-03-01 08:30:00\tUNKOWN",
                                     "Linear 80F\t2026-02-28 08:30:00\tUNKOWN"}));
    }

    void emptyDirectoryListsNothing() {
        QTemporaryDir dir;
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        cli.start(qEnvironmentVariable("TZ360_CLI"), {"list"});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(cli.readAllStandardOutput().isEmpty());
    }

    void unknownCommandFails() {
        QProcess cli;
        cli.start(qEnvironmentVariable("TZ360_CLI"), {"frobnicate"});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
