// The unit link against tz360-sim over a real pseudo-terminal, with the
// exchanges the windows run over it: polls, the run's sequence download and
// the stored-results retrieval.
#include "db/SequenceData.h"
#include "instrument/CommPorts.h"
#include "instrument/PointWriter.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/RunController.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/StoredResultsRetrieval.h"
#include "instrument/TimeScale.h"
#include "instrument/UnitLink.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace tz;

namespace {

// A stored-results download over the real serial line, as the unit window
// and tz360-cli retrieve run it; nullopt when it did not finish in time.
std::optional<StoredResults> retrieveOver(UnitLink& link, int timeoutMs)
{
    StoredResultsRetrieval retrieval(link);
    std::optional<StoredResults> got;
    QObject::connect(&retrieval, &StoredResultsRetrieval::finished, [&](const StoredResults& r) { got = r; });
    retrieval.start();
    if (!QTest::qWaitFor([&] { return got.has_value(); }, timeoutMs))
        return std::nullopt;
    return got;
}

// No test is run here: the download does not record.
class NoPoints : public PointWriter {
public:
    bool write(const RecordedPoint&) override { return true; }
    bool retry() override { return true; }
    int backlog() const override { return 0; }
    QString lastError() const override { return {}; }
};

// Send Sequence as a unit window runs it over the link: the verdict comes on
// the tick its timer gives after the scaled 6 s wait.
struct Download {
    NoPoints points;
    RunController run;
    QSignalSpy done{&run, &RunController::sequenceSendFinished};
    Download(UnitLink& link, const SequenceData& s) : run(link, points) { run.setSequence(s); }

    // False when the download did not start; then waits and takes the verdict.
    bool go()
    {
        if (run.beginSequenceDownload() != RunController::DownloadResult::Started)
            return false;
        QTest::qWait(scaledMs(run.nextIntervalMs()));
        run.tick();
        return true;
    }
};

SequenceData twoSteps()
{
    SequenceData s;
    s.steps = {SequenceStep{1, 10, 150, 5, 100, 1}, SequenceStep{2, 20, 250, 5, 170, 0}};
    s.rampShearRates = {170, 100, 40};
    return s;
}

}  // namespace

class TestUnitLink : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess sim_;
    QString device_;

private slots:
    void initTestCase() {
        // The workstation's waits run half as fast as the unit's clock, so a
        // busy test machine stalling the sim for a moment cannot end the
        // stored-results download early.
        qputenv("TZ360_TIME_SCALE", "10");
        const QString simPath = qEnvironmentVariable("TZ360_SIM");
        if (simPath.isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
        sim_.setWorkingDirectory(dir_.path());
        sim_.start(simPath, {"--link", "1", "--time-scale", "20", "--no-noise"});
        QVERIFY(sim_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim_.canReadLine(), 5000);
        device_ = QString::fromLocal8Bit(sim_.readLine()).trimmed();
        QVERIFY(device_.startsWith("/dev/"));
        QCOMPARE(commDevice(1), device_);
    }

    void pollsAndReadsFrames() {
        UnitLink link;
        QVERIFY2(link.open(1), qPrintable(link.errorString()));
        QCOMPARE(link.device(), device_);
        StatusFrameReader reader;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(link.send(proto::statusPoll()));
            QByteArray got;
            bool framed = false;
            for (int w = 0; w < 100 && !framed; ++w) {
                QTest::qWait(20);
                const QByteArray b = link.takeAll();
                got += b;
                framed = !reader.read(b).frames.isEmpty();
            }
            QVERIFY2(framed, got.toHex().constData());
        }
        QCOMPARE(reader.statusText(), QString("InActive"));
        QCOMPARE(reader.current().pressurePsi, 500.0);
        QCOMPARE(reader.current().sampleTempF, 75.0);
    }

    void downloadsASequenceWithoutFreezing() {
        UnitLink link;
        QVERIFY(link.open(1));
        Download d(link, twoSteps());
        int ticks = 0;
        QTimer other;  // another unit window's timer keeps running meanwhile
        connect(&other, &QTimer::timeout, [&] { ++ticks; });
        other.start(20);
        QVERIFY(d.go());
        QVERIFY(ticks > 3);
        QCOMPARE(d.done.count(), 1);
        QCOMPARE(d.done.first().at(0).toBool(), true);
        QCOMPARE(d.done.first().at(1).toString(), QStringLiteral("Sequence Send Success."));
    }

    // What goes down the line for a download, byte for byte: Cancel first,
    // then the record, nothing else. Read from the far end of a bare
    // pseudo-terminal, since the simulated unit takes a record without Cancel.
    void downloadSendsCancelBeforeTheRecord() {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        termios raw{};
        QVERIFY(tcgetattr(master, &raw) == 0);
        cfmakeraw(&raw);
        QVERIFY(tcsetattr(master, TCSANOW, &raw) == 0);

        UnitLink link;
        QVERIFY2(link.openDevice(slave), qPrintable(link.errorString()));
        SequenceData s;
        s.steps = {SequenceStep{1, 10, 150, 5, 100, 1}};
        s.rampShearRates = {170};
        const QByteArray record = proto::sequenceRecord(s);
        NoPoints points;
        RunController run(link, points);
        run.setSequence(s);
        QSignalSpy done(&run, &RunController::sequenceSendFinished);
        QCOMPARE(run.beginSequenceDownload(), RunController::DownloadResult::Started);

        const QByteArray expected = QByteArray("\x03\x1a") + record;
        QByteArray wire;
        for (int w = 0; w < 200 && wire.size() < expected.size(); ++w) {
            QTest::qWait(10);
            pollfd p{master, POLLIN, 0};
            char buf[512];
            while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n <= 0) break;
                wire.append(buf, n);
            }
        }
        QCOMPARE(wire.toHex(' '), expected.toHex(' '));

        const QByteArray reply = record.chopped(1);  // the unit echoes up to the "x"
        QCOMPARE(::write(master, reply.constData(), reply.size()), ssize_t(reply.size()));
        QTest::qWait(scaledMs(run.nextIntervalMs()));
        run.tick();
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), true);
        link.close();
        ::close(master);
    }

    void retrievesStoredResults() {
        UnitLink link;
        QVERIFY(link.open(1));
        link.send(proto::statusPoll());  // a stale frame the download must discard
        QTest::qWait(100);
        const std::optional<StoredResults> got = retrieveOver(link, 10000);
        QVERIFY(got);
        const StoredResults& r = *got;
        QCOMPARE(r.status, StoredResults::Status::Ok);
        QCOMPARE(r.malformed, 0);
        QVERIFY(r.records.size() > 10);
        QCOMPARE(r.records.first().rampNo, 1);
        QCOMPARE(r.records.last().rampStepNo, 4);
        QCOMPARE(r.records.last().resultType, 1);
    }

    void silentUnitGivesEmptyReplies() {
        QProcess mute;
        mute.setWorkingDirectory(dir_.path());
        mute.start(qEnvironmentVariable("TZ360_SIM"), {"--link", "3", "--time-scale", "20", "--silent"});
        QVERIFY(mute.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(mute.canReadLine(), 5000);
        UnitLink link;
        QVERIFY2(link.open(3), qPrintable(link.errorString()));
        const std::optional<StoredResults> nothing = retrieveOver(link, 5000);
        QVERIFY(nothing);
        QCOMPARE(nothing->status, StoredResults::Status::NoReply);
        Download d(link, twoSteps());
        QVERIFY(d.go());
        QCOMPARE(d.done.count(), 1);
        QCOMPARE(d.done.first().at(0).toBool(), false);
        QCOMPARE(d.done.first().at(1).toString(), QStringLiteral("Sequence Send Error. Please resend."));
        link.close();
        mute.kill();  // SIGKILL: its comports.txt entry stays, as after a crash
        mute.waitForFinished();
    }

    void openErrors() {
        QFile f(dir_.filePath("comports.txt"));
        QVERIFY(f.open(QIODevice::Append));
        f.write("2 /dev/tz360-no-such-port\n");
        f.close();
        UnitLink link;
        QVERIFY(!link.open(2));
        QVERIFY2(link.errorString().contains("Comm 2 (/dev/tz360-no-such-port) does not exist"),
                 qPrintable(link.errorString()));
        QVERIFY(!link.send(proto::statusPoll()));

        // A port held by another window of this workstation is named with
        // its holder, and given free when that window lets it go.
        UnitLink first, third;
        first.setOwnerLabel("Unit 1 window");
        QVERIFY(first.open(1));
        {
            UnitLink second;
            second.setOwnerLabel("Calibration window");
            QVERIFY(!second.open(1));
            QCOMPARE(second.errorString(),
                     QStringLiteral("Comm 1 is already open in this workstation (Unit 1 window)"));
            QVERIFY(!second.isOpen());
            QVERIFY(first.isOpen());  // the refused opener took nothing from the holder
            first.close();
            QVERIFY(UnitLink::holderOf(1).isEmpty());
            QVERIFY2(second.open(1), qPrintable(second.errorString()));
            QVERIFY(!first.open(1));
            QCOMPARE(first.errorString(),
                     QStringLiteral("Comm 1 is already open in this workstation (Calibration window)"));
        }
        // A link that went away holds nothing.
        QVERIFY(UnitLink::holderOf(1).isEmpty());
        QVERIFY2(first.open(1), qPrintable(first.errorString()));

        // The same device from outside the register: another program, as far
        // as this link can tell.
        if (third.openDevice(device_)) QSKIP("this system does not lock serial devices");
        QVERIFY2(third.errorString().contains("is in use by another program"), qPrintable(third.errorString()));
    }

    void cleanupTestCase() {
        if (sim_.state() == QProcess::NotRunning) return;
        sim_.terminate();  // SIGTERM: a clean stop that removes its comports.txt entry
        QVERIFY(sim_.waitForFinished(5000));
        QCOMPARE(sim_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim_.exitCode(), 0);
        QCOMPARE(commDevice(1), defaultCommDevice(1));
    }
};

QTEST_GUILESS_MAIN(TestUnitLink)
#include "tst_unitlink.moc"
