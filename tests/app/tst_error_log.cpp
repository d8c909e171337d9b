// An error-log line that cannot be written is reported, never dropped: a
// folder that is gone, and a disk that is full (/dev/full refuses every byte
// only when the buffered line goes out).
#include "app/ErrorLog.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestErrorLog : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLostLogLineReporter({}); }

    void lostLineIsReported_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder gone") << "/nonexistent-tz360/OstraErr.log" << "No such file or directory";
        if (QFile::exists("/dev/full"))
            QTest::newRow("disk full") << "/dev/full" << "No space left on device";
    }

    void lostLineIsReported()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QStringList reported;
        setLostLogLineReporter([&](const QString& text) { reported << text; });
        QVERIFY(!appendErrorLog("Shut down due to viscosity. Instrument No. 2", nullptr, path));
        QCOMPARE(reported.size(), 1);
        QVERIFY2(reported[0].startsWith(QFileInfo(path).fileName() + " could not be written ("), qPrintable(reported[0]));
        QVERIFY2(reported[0].contains(reason), qPrintable(reported[0]));
        QVERIFY(reported[0].endsWith("): Shut down due to viscosity. Instrument No. 2"));

        // A caller that asks for the reason shows it itself.
        QString error;
        QVERIFY(!appendErrorLog("again", &error, path));
        QVERIFY(error.contains(reason));
        QCOMPARE(reported.size(), 1);
    }

    void writtenLineIsNotReported()
    {
        QTemporaryDir dir;
        QStringList reported;
        setLostLogLineReporter([&](const QString& text) { reported << text; });
        QVERIFY(appendErrorLog("fine", nullptr, dir.filePath("OstraErr.log")));
        QVERIFY(reported.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_error_log.moc"
