// Sequence header, steps and ramp rows through their record classes, and
// whole sequences saved, loaded and deleted as one unit of work.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/SequenceData.h"
#include "db/clsSEQUENCE_INFO.h"
#include "db/clsSEQUENCE_RAMP.h"
#include "db/clsSEQUENCE_RAMP_DEFINE.h"

#include <QSqlRecord>

class TestDbSequences : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
    void newHeaderStoresDefaults();
    void sampleIntervalRoundsHalfToEven_data();
    void sampleIntervalRoundsHalfToEven();
    void unknownNameGivesDefaults();
    void noSequenceGivesEmptyNameList();
    void namesInNameOrder();
    void stepsAndRampRowsInNumberOrder();
    void saveLoadRoundTrip();
    void resaveReplacesChildRowsWhole();
    void duplicateNameWritesNothing();
    void failureHalfWayLeavesSequenceAsItWas();
    void callerOwnsARunningTransaction();
    void deleteRemovesHeaderStepsAndRamp();
};

namespace {

tz::SequenceData sampleSequence(const QString& name)
{
    tz::SequenceData data;
    data.name = name;
    data.timeBeforeRead = 30;
    data.rampSampleRate = 3;
    data.samplePointsAverage = 4;
    data.shutDownATime = 15;
    data.shutDownVisc = 50;
    data.sampleInterval = 120;
    for (int i = 0; i < 3; ++i) {
        tz::SequenceStep step;
        step.elapseTimeMin = 10 + i;
        step.tempF = 150 + 50 * i;
        step.startErrorF = 5;
        step.shearRate = i == 1 ? 40 : 100;
        step.runRamp = i == 2 ? 0 : 1;
        data.steps << step;
    }
    data.rampShearRates = {511, 340, 170, 85, 40};
    return data;
}

// Values of a step without its number, for comparing saved and loaded steps.
QList<QVariantList> stepValues(const QList<tz::SequenceStep>& steps)
{
    QList<QVariantList> rows;
    for (const tz::SequenceStep& s : steps)
        rows << QVariantList{s.elapseTimeMin, s.tempF, s.startErrorF, s.shearRate, s.runRamp};
    return rows;
}

// Every row of the three tables, as one comparable text.
QString tableDump(TempDatabase& db)
{
    QString dump;
    for (const char* table : {"SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE"}) {
        QSqlQuery q(db.connection.ADOConnection());
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
        while (q.next())
            for (int c = 0; c < q.record().count(); ++c)
                dump += q.value(c).toString() + (c + 1 < q.record().count() ? "|" : "\n");
    }
    return dump;
}

}  // namespace

void TestDbSequences::newHeaderStoresDefaults()
{
    TempDatabase db;
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    info.setSEQUENCE_NAME("defaults");
    info.AddNew();
    QSqlQuery q(db.connection.ADOConnection());
    QVERIFY(q.exec("SELECT TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, SHUT_DOWN_ATIME,"
                   " SHUT_DOWN_VISC, SAMPLE_INTERVAL FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'defaults'"));
    QVERIFY(q.next());
    const QVariantList expected = {20.0, 2.0, 5.0, 20.0, 0.0, 60};
    for (int c = 0; c < expected.size(); ++c)
        QCOMPARE(q.value(c).toDouble(), expected[c].toDouble());
    // A whole number of seconds.
    QVERIFY(q.value(5).typeId() == QMetaType::LongLong || q.value(5).typeId() == QMetaType::Int);

    info.GetSeqDetail();
    QVERIFY(info.SEQUENCE_ID() >= 1);
    const QVariantList all = info.All();
    QCOMPARE(all.size(), 8);
    QCOMPARE(all[7].typeId(), QMetaType::Int);
    QCOMPARE(all[7].toInt(), 60);
}

void TestDbSequences::sampleIntervalRoundsHalfToEven_data()
{
    QTest::addColumn<double>("written");
    QTest::addColumn<int>("stored");
    QTest::newRow("59.5") << 59.5 << 60;
    QTest::newRow("60.5") << 60.5 << 60;
    QTest::newRow("61.5") << 61.5 << 62;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("60.49") << 60.49 << 60;
}

void TestDbSequences::sampleIntervalRoundsHalfToEven()
{
    QFETCH(double, written);
    QFETCH(int, stored);
    TempDatabase db;
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    info.setSEQUENCE_NAME("interval");
    info.setSAMPLE_INTERVAL(written);
    QCOMPARE(info.SAMPLE_INTERVAL(), double(stored));
    info.AddNew();
    QCOMPARE(db.sql("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO").value(0).toInt(), stored);

    // The same rounding when a stored fraction is read back. (The server's
    // integer column cannot hold a fraction at all.)
    if (db.onServer())
        return;
    db.sql("UPDATE SEQUENCE_INFO SET SAMPLE_INTERVAL = ?", {written});
    info.GetSeqDetail();
    QCOMPARE(info.SAMPLE_INTERVAL(), double(stored));
}

void TestDbSequences::unknownNameGivesDefaults()
{
    TempDatabase db;
    tz::saveSequence(db.connection, sampleSequence("stored"));
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    info.setSEQUENCE_NAME("stored");
    info.GetSeqDetail();
    QCOMPARE(info.SHUT_DOWN_VISC(), 50.0);
    info.setSEQUENCE_NAME("missing");
    info.GetSeqDetail();
    QVERIFY(info.Eof());
    QCOMPARE(info.rowCount(), 0);
    QCOMPARE(info.All(), (QVariantList{0.0, QString(), 20.0, 2.0, 5.0, 20.0, 0.0, 60}));
    QVERIFY(!tz::loadSequence(db.connection, "missing"));
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.setSAMPLE_INTERVAL(1e12));
}

void TestDbSequences::noSequenceGivesEmptyNameList()
{
    TempDatabase db;
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    QVERIFY(info.Eof());
    QCOMPARE(info.JustName().size(), 1);
    QVERIFY(info.JustName()[0].isEmpty());
    QVERIFY(tz::sequenceNames(db.connection).isEmpty());

    clsSEQUENCE_RAMP_DEFINE ramp;
    ramp.setSequenceId(1);
    ramp.ConnectX(db.connection);
    QVERIFY(ramp.Eof());
    QCOMPARE(ramp.RampSteps(), 0);
}

void TestDbSequences::namesInNameOrder()
{
    TempDatabase db;
    for (const char* name : {"Zr-XL 300F", "Borate 200F", "Linear gel"})
        tz::saveSequence(db.connection, sampleSequence(name));
    const QStringList expected = {"Borate 200F", "Linear gel", "Zr-XL 300F"};
    QCOMPARE(tz::sequenceNames(db.connection), expected);
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    QCOMPARE(info.JustName().value(0), (QVariantList{"Borate 200F", "Linear gel", "Zr-XL 300F"}));
}

void TestDbSequences::stepsAndRampRowsInNumberOrder()
{
    TempDatabase db;
    clsSEQUENCE_RAMP steps;
    steps.setSequenceId(8);
    steps.ConnectX(db.connection);
    QVERIFY(steps.Eof());
    for (double no : {3.0, 1.0, 2.0}) {
        steps.SetDefaults();
        steps.setSequenceId(8);
        steps.setRAMPNO(no);
        steps.setRAMP_TEMP(100 * no);
        steps.AddNew();
    }
    db.sql("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO) VALUES (9, 0)");
    steps.ConnectX(db.connection);
    QCOMPARE(steps.rowCount(), 3);
    QVariantList temps;
    for (steps.MoveFirst(); !steps.Eof(); steps.MoveNext()) {
        temps << steps.RAMP_TEMP();
        QCOMPARE(steps.SHEAR_RATE(), 100.0);  // defaults went in with the row
        QCOMPARE(steps.RUN_RAMP(), 1.0);
    }
    QCOMPARE(temps, (QVariantList{100.0, 200.0, 300.0}));

    clsSEQUENCE_RAMP_DEFINE ramp;
    ramp.setSequenceId(8);
    ramp.ConnectX(db.connection);
    for (double no : {2.0, 3.0, 1.0}) {
        ramp.setSequenceId(8);
        ramp.setRAMP_STEP_NO(no);
        ramp.setRAMP_SHEAR_RATE(1000 / no);
        ramp.AddNew();
    }
    ramp.GetSeqDetail();
    QCOMPARE(ramp.RampSteps(), 3);
    QCOMPARE(ramp.RAMP_STEP_NO(), 1.0);
    ramp.MoveLast();
    QCOMPARE(ramp.All().value(2).toDouble(), 3.0);
}

void TestDbSequences::saveLoadRoundTrip()
{
    TempDatabase db;
    const tz::SequenceData saved = sampleSequence("HPHT 350F");
    const double key = tz::saveSequence(db.connection, saved);
    QVERIFY(key >= 1);
    QVERIFY(!db.connection.InTransaction());

    const std::optional<tz::SequenceData> loaded = tz::loadSequence(db.connection, "HPHT 350F");
    QVERIFY(loaded);
    QCOMPARE(loaded->sequenceId, key);
    QCOMPARE(loaded->name, saved.name);
    QCOMPARE(loaded->timeBeforeRead, saved.timeBeforeRead);
    QCOMPARE(loaded->rampSampleRate, saved.rampSampleRate);
    QCOMPARE(loaded->samplePointsAverage, saved.samplePointsAverage);
    QCOMPARE(loaded->shutDownATime, saved.shutDownATime);
    QCOMPARE(loaded->shutDownVisc, saved.shutDownVisc);
    QCOMPARE(loaded->sampleInterval, saved.sampleInterval);
    QCOMPARE(stepValues(loaded->steps), stepValues(saved.steps));
    QCOMPARE(loaded->steps.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(loaded->steps[i].rampNo, double(i + 1));
    QCOMPARE(loaded->rampShearRates, saved.rampShearRates);
    QCOMPARE(db.sql("SELECT RAMP_STEP_NO FROM SEQUENCE_RAMP_DEFINE ORDER BY RAMP_STEP_NO"),
             (QVariantList{1.0, 2.0, 3.0, 4.0, 5.0}));
}

void TestDbSequences::resaveReplacesChildRowsWhole()
{
    TempDatabase db;
    tz::saveSequence(db.connection, sampleSequence("other"));
    tz::SequenceData data = sampleSequence("edited");
    data.sequenceId = tz::saveSequence(db.connection, data);

    data.name = "edited and renamed";
    data.sampleInterval = 30;
    data.steps.removeAt(1);
    data.steps[0].rampNo = 17;  // numbers come from list order, not from here
    data.rampShearRates = {170};
    QCOMPARE(tz::saveSequence(db.connection, data), data.sequenceId);

    const std::optional<tz::SequenceData> loaded = tz::loadSequence(db.connection, "edited and renamed");
    QVERIFY(loaded);
    QCOMPARE(loaded->sampleInterval, 30);
    QCOMPARE(stepValues(loaded->steps), stepValues(data.steps));
    QCOMPARE(loaded->steps[0].rampNo, 1.0);
    QCOMPARE(loaded->steps[1].rampNo, 2.0);
    QCOMPARE(loaded->rampShearRates, QList<double>{170});
    QVERIFY(!tz::loadSequence(db.connection, "edited"));
    // The other sequence is untouched.
    QCOMPARE(tz::loadSequence(db.connection, "other")->steps.size(), 3);
    QCOMPARE(db.count("SEQUENCE_RAMP"), 5);
    QCOMPARE(db.count("SEQUENCE_RAMP_DEFINE"), 6);

    // Saving under a key that no header carries any more is refused.
    tz::SequenceData gone = data;
    gone.sequenceId = 999;
    gone.name = "ghost";
    const QString before = tableDump(db);
    QVERIFY_THROWS_EXCEPTION(tz::DbError, tz::saveSequence(db.connection, gone));
    QCOMPARE(tableDump(db), before);
}

void TestDbSequences::duplicateNameWritesNothing()
{
    TempDatabase db;
    tz::saveSequence(db.connection, sampleSequence("taken"));
    const QString before = tableDump(db);
    QVERIFY_THROWS_EXCEPTION(tz::DbError, tz::saveSequence(db.connection, sampleSequence("taken")));
    QVERIFY(!db.connection.InTransaction());
    QCOMPARE(tableDump(db), before);
}

void TestDbSequences::failureHalfWayLeavesSequenceAsItWas()
{
    TempDatabase db;
    tz::SequenceData data = sampleSequence("kept whole");
    data.sequenceId = tz::saveSequence(db.connection, data);
    // The file refuses a negative ramp shear rate, after the header and the
    // steps of the new version have already been written.
    db.refuse("INSERT", "SEQUENCE_RAMP_DEFINE", "NEW.RAMP_SHEAR_RATE < 0", "negative shear rate");
    const QString before = tableDump(db);

    tz::SequenceData broken = data;
    broken.name = "renamed";
    broken.steps.removeLast();
    broken.rampShearRates = {100, -1};
    QVERIFY_THROWS_EXCEPTION(tz::DbError, tz::saveSequence(db.connection, broken));
    QVERIFY(!db.connection.InTransaction());
    QCOMPARE(tableDump(db), before);
    QCOMPARE(stepValues(tz::loadSequence(db.connection, "kept whole")->steps), stepValues(data.steps));
}

void TestDbSequences::callerOwnsARunningTransaction()
{
    TempDatabase db;
    const int owner = db.connection.BeginTrans();
    tz::saveSequence(db.connection, sampleSequence("tentative"));
    QVERIFY(db.connection.InTransaction());
    QVERIFY(tz::loadSequence(db.connection, "tentative"));
    QVERIFY(db.connection.RollBack(owner));
    QVERIFY(!tz::loadSequence(db.connection, "tentative"));
    QCOMPARE(db.count("SEQUENCE_RAMP"), 0);
}

void TestDbSequences::deleteRemovesHeaderStepsAndRamp()
{
    TempDatabase db;
    tz::saveSequence(db.connection, sampleSequence("keep"));
    tz::saveSequence(db.connection, sampleSequence("drop"));
    QVERIFY(tz::deleteSequence(db.connection, "drop"));
    QVERIFY(!db.connection.InTransaction());
    QCOMPARE(tz::sequenceNames(db.connection), QStringList{"keep"});
    QCOMPARE(db.count("SEQUENCE_RAMP"), 3);
    QCOMPARE(db.count("SEQUENCE_RAMP_DEFINE"), 5);
    QCOMPARE(tz::loadSequence(db.connection, "keep")->steps.size(), 3);
    QVERIFY(!tz::deleteSequence(db.connection, "drop"));

    // The header class alone deletes by name and leaves the children.
    clsSEQUENCE_INFO info;
    info.ConnectX(db.connection);
    info.setSEQUENCE_NAME("keep");
    info.Delete();
    QCOMPARE(db.count("SEQUENCE_INFO"), 0);
    QCOMPARE(db.count("SEQUENCE_RAMP"), 3);
    QVERIFY(info.IsEmpty());  // the name list ran again after the delete
}

QTEST_GUILESS_MAIN(TestDbSequences)
#include "tst_db_sequences.moc"
