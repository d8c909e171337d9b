// Pulling a stand-alone run out of the simulated unit on virtual time, and
// storing it: what counts as a complete reply, the two failures, and that the
// points go in with their test in one piece or not at all.
#include "db/DbError.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/RetrievedTest.h"
#include "instrument/StoredResultsDownload.h"
#include "instrument/StoredResultsRetrieval.h"
#include "sim/SimulatedPort.h"
#include "db/TempDatabase.h"

#include <QSqlQuery>
#include <QTest>

using namespace tz;

namespace {

// A line that hands over fixed pieces, one per take, whatever was sent.
class ScriptedLine : public UnitPort {
public:
    explicit ScriptedLine(QList<QByteArray> pieces) : pieces_(std::move(pieces)) {}
    bool send(const QByteArray& bytes) override {
        sent += bytes;
        return true;
    }
    QByteArray takeAll() override { return pieces_.isEmpty() ? QByteArray() : pieces_.takeFirst(); }
    QByteArray sent;

private:
    QList<QByteArray> pieces_;
};

QList<StoredRecord> manyRecords(int n)
{
    QList<StoredRecord> out;
    for (int i = 0; i < n; ++i)
        out.append({1 + i / 50, i % 5, 10 * (i + 1), 150.5, 151.0, 500, 100.0 + i % 5, 80.25, i % 5 ? 1 : 0});
    return out;
}

// Runs the exchange the way the window's timer does, moving the unit's clock
// by each wait. Returns how many waits brought bytes.
int download(sim::SimulatedPort& port, StoredResultsDownload& d)
{
    int piecesSeen = 0;
    if (!d.begin())
        return 0;
    do {
        port.advance(d.nextWaitMs() / 1000.0);
        const qsizetype before = d.reply().size();
        d.waitEnded();
        if (d.reply().size() > before)
            ++piecesSeen;
    } while (!d.finished());
    return piecesSeen;
}

StoredRecord record(int ramp, int step, int time, double stress, int type)
{
    return {ramp, step, time, 149.8, 151.0, 498, 70.0, stress, type};
}

TestInformation info(const QString& name)
{
    TestInformation i;
    i.testName = name;
    i.bobNo = QStringLiteral("B1");
    i.bobRadiusCm = 1.2;  // a stress factor far from 1 if one were applied
    i.bobEffLengthCm = 3.0;
    return i;
}

}  // namespace

class TestStoredResultsRetrieval : public QObject {
    Q_OBJECT

private slots:
    // 300 records take several seconds of line time: the reply is gathered
    // over several half-second waits and is complete only when one brings nothing.
    void gathersAReplyArrivingInPieces()
    {
        sim::Options quiet;
        quiet.noise = false;
        quiet.preloadStoredRun = false;
        sim::SimulatedUnit unit(quiet);
        unit.setStoredRecords(manyRecords(300));
        sim::SimulatedPort port(unit);
        port.send(proto::statusPoll());  // a frame still on the line is thrown away
        port.advance(1);

        StoredResultsDownload d(port);
        const int pieces = download(port, d);
        QVERIFY2(pieces >= 3, qPrintable(QString::number(pieces)));
        QCOMPARE(unit.commands().last().bytes, QByteArray(1, proto::SOH));
        const StoredResults r = d.result();
        QCOMPARE(r.status, StoredResults::Status::Ok);
        QCOMPARE(r.malformed, 0);
        QCOMPARE(r.records.size(), 300);
        QCOMPARE(r.records[299].elapsedS, 3000);
        QCOMPARE(r.records[299].rampNo, 6);
        QCOMPARE(r.records[299].shearStress, 80.25);
        QCOMPARE(d.recordsSoFar(), 300);
    }

    void failures_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("records");
        using S = StoredResults::Status;
        // takeAll before the request, after 2 s, after each half second.
        QTest::newRow("nothing") << QList<QByteArray>{{}, {}, {}} << int(S::NoReply)
                                 << StoredResultsRetrieval::kNoResponseMessage << 0;
        QTest::newRow("no closing STX") << QList<QByteArray>{{}, "1,0,10,1,2,3,4,5,0\x03", "1,0,20,1,2"}
                                        << int(S::NotClosed) << StoredResultsRetrieval::kNotClosedMessage << 0;
        QTest::newRow("STX only") << QList<QByteArray>{{}, "\x02"} << int(S::Ok) << QString() << 0;
        QTest::newRow("STX after a pause of one wait")
            << QList<QByteArray>{{}, "1,0,10,1,2,3,4,5,0\x03", "1,0,20,1,2,3,4,5,0\x03", {}, "\x02"}
            << int(S::NotClosed) << StoredResultsRetrieval::kNotClosedMessage << 0;
        QTest::newRow("late frame dropped") << QList<QByteArray>{"0,70,70,0,0,0,0,0,0\x1a", {}, "2,1,30,1,2,3,4,5,1\x03\x02"}
                                            << int(S::Ok) << QString() << 1;
    }

    void failures()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(int, records);
        ScriptedLine line(pieces);
        StoredResultsDownload d(line);
        QVERIFY(d.begin());
        QCOMPARE(line.sent, proto::requestStoredResults());
        QCOMPARE(d.nextWaitMs(), 2000);
        int waits = 0;
        while (d.waitEnded()) {
            QCOMPARE(d.nextWaitMs(), 500);
            QVERIFY(++waits < 10);
        }
        const StoredResults r = d.result();
        QCOMPARE(int(r.status), status);
        QCOMPARE(StoredResultsRetrieval::failureMessage(r), message);
        QCOMPARE(r.records.size(), records);
    }

    void silentOrUnpluggedUnitGivesNoReply()
    {
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        unit.faults().silent = true;
        StoredResultsDownload d(port);
        download(port, d);
        QCOMPARE(d.result().status, StoredResults::Status::NoReply);

        unit.faults().silent = false;
        port.setConnected(false);
        QVERIFY(!d.begin());
        QVERIFY(d.finished());
        QCOMPARE(d.result().status, StoredResults::Status::NoReply);
    }

    // The timer host: ends on its own, and reports the failure when the
    // request cannot be sent.
    void retrievalRunsOnItsTimer()
    {
        ScriptedLine line({{}, "1,0,10,1,2,3,4,5,0\x03", "\x02"});
        StoredResultsRetrieval retrieval(line);
        QList<int> progress;
        StoredResults got;
        bool done = false;
        connect(&retrieval, &StoredResultsRetrieval::progress, this, [&](int, int records) { progress << records; });
        connect(&retrieval, &StoredResultsRetrieval::finished, this, [&](const StoredResults& r) {
            got = r;
            done = true;
        });
        retrieval.start();
        QVERIFY(retrieval.running());
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        QCOMPARE(progress, (QList<int>{1, 1}));
        QCOMPARE(got.records.size(), 1);

        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        port.setConnected(false);
        StoredResultsRetrieval unplugged(port);
        done = false;
        connect(&unplugged, &StoredResultsRetrieval::finished, this, [&](const StoredResults& r) {
            got = r;
            done = true;
        });
        unplugged.start();
        QTRY_VERIFY(done);
        QCOMPARE(StoredResultsRetrieval::failureMessage(got), StoredResultsRetrieval::kNoResponseMessage);
    }

    void storesTheTestAndItsPointsAsSent_data() { tz::test::addBackendRows(); }
    void storesTheTestAndItsPointsAsSent()
    {
        QFETCH(QString, backend);
        TZ360_USE_BACKEND(backend);
        TempDatabase db;
        const int first = storeRetrievedTest(db.connection, info("gel 1"), {{"Borate", 2.5, "gpt", "L7"}},
                                             {record(1, 0, 60, -3.5, 0), record(2, 3, 905, 98.5, 1)});
        QVERIFY(first > 0);
        QCOMPARE(db.sql("SELECT TEST_ID FROM TEST_INFO WHERE TEST_NAME = 'gel 1'").value(0).toInt(), first);
        QCOMPARE(db.count("TEST_ADDITIVE", QString("TEST_ID = %1").arg(first)), 1);
        QSqlQuery points(db.connection.ADOConnection());
        QVERIFY(points.prepare("SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_BATH_TEMP,"
                               " RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID"
                               " FROM TEST_RESULT WHERE TEST_ID = ? ORDER BY RESULT_TIME"));
        points.addBindValue(first);
        QVERIFY(points.exec());
        QStringList stored;
        while (points.next()) {
            QStringList fields;
            for (int i = 0; i < 9; ++i)
                fields << QString::number(points.value(i).toDouble());
            stored << fields.join('|');
        }
        QCOMPARE(stored, (QStringList{"1|0|60|149.8|151|498|70|-3.5|0", "2|3|905|149.8|151|498|70|98.5|1"}));

        // A reply of STX only still stores the test information.
        const int second = storeRetrievedTest(db.connection, info("gel 2"), {}, {});
        QVERIFY(second != first);
        QCOMPARE(db.count("TEST_INFO"), 2);
        QCOMPARE(db.count("TEST_RESULT", QString("TEST_ID = %1").arg(second)), 0);
    }

    void aFailedPointLeavesNothing_data() { tz::test::addBackendRows(); }
    void aFailedPointLeavesNothing()
    {
        QFETCH(QString, backend);
        TZ360_USE_BACKEND(backend);
        TempDatabase db;
        db.refuse("INSERT", "TEST_RESULT", "NEW.RAMP_NO = 9", "disk full");
        QVERIFY_THROWS_EXCEPTION(DbError, storeRetrievedTest(db.connection, info("gel 3"), {{"Borate", 1, "gpt", ""}},
                                                             {record(1, 0, 60, 5, 0), record(9, 0, 70, 5, 0)}));
        QCOMPARE(db.count("TEST_INFO"), 0);
        QCOMPARE(db.count("TEST_ADDITIVE"), 0);
        QCOMPARE(db.count("TEST_RESULT"), 0);
        QVERIFY(!db.connection.InTransaction());
    }

    // The name was free when the operator entered it; during the download
    // another bench stored a test of that name. The retrieved run is refused
    // as a whole and the other bench's test is left as it was.
    void nameTakenDuringTheDownload_data() { tz::test::addBackendRows(); }
    void nameTakenDuringTheDownload()
    {
        QFETCH(QString, backend);
        TZ360_USE_BACKEND(backend);
        TempDatabase db;
        QVERIFY(!testNameTaken(db.connection, "gel 4"));
        int otherId = 0;
        {
            clsConnection otherBench;
            otherBench.OpenDB("", "", "", "", db.dir.path());
            QVERIFY(otherBench.isOpen());
            otherId = storeNewTest(otherBench, info("gel 4"), {});
        }
        bool refused = false;
        try {
            storeRetrievedTest(db.connection, info("gel 4"), {{"Borate", 1, "gpt", ""}},
                               {record(1, 0, 60, 5, 0), record(1, 0, 70, 5, 0)});
        } catch (const TestNameTakenError& e) {
            refused = true;
            QCOMPARE(e.text(), QStringLiteral("a test named \"gel 4\" is already stored"));
        }
        QVERIFY(refused);
        QCOMPARE(db.sql("SELECT TEST_ID FROM TEST_INFO"), (QVariantList{otherId}));
        QCOMPARE(db.count("TEST_ADDITIVE"), 0);
        QCOMPARE(db.count("TEST_RESULT"), 0);
        QVERIFY(!db.connection.InTransaction());
    }
};

QTEST_GUILESS_MAIN(TestStoredResultsRetrieval)
#include "tst_stored_results_retrieval.moc"
