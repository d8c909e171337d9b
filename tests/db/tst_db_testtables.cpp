// TEST_INFO, TEST_RESULT and TEST_ADDITIVE through their record classes:
// defaults, NULLs, ordering, navigation, the 1800 time sentinel, deletes.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/TestList.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

class TestDbTestTables : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
    void unknownTestGivesDefaults();
    void nullColumnsReadAsDefaults();
    void testInfoRoundTrip();
    void listNewestFirst();
    void namesExactLikeIgnoresCase();
    void updateWithSentinelStoresNull();
    void deleteRemovesEveryRowOfThatNameOnly();
    void pointsOrderedByTime();
    void navigation_data();
    void navigation();
    void testWithoutPoints();
    void additivesRoundTrip();
    void setAllRefusesBadArrays();
};

namespace {

// Points of test 5, inserted out of time order; RESULT_SHEAR_STRESS holds
// each point's expected position when read back. The two points at 20 s
// keep the order in which they were recorded.
void storeFourPoints(clsConnection& connection)
{
    clsTEST_RESULT points;
    points.setTest_Id(5);
    points.ConnectX(connection);
    const double rows[][2] = {{30, 3}, {10, 0}, {20, 1}, {20, 2}};
    for (const auto& row : rows) {
        points.setRESULT_TIME(row[0]);
        points.setRESULT_SHEAR_STRESS(row[1]);
        points.AddNew();
    }
}

// Every column but the key, the name and the start time at its default.
void expectDefaultsBesideTime(const clsTEST_INFO& info)
{
    QCOMPARE(info.Fluid_ID(), QString());
    QCOMPARE(info.RESEARCHER_NAME(), QStringLiteral("UNKOWN"));
    QCOMPARE(info.ROTOR_NO(), QStringLiteral("R1"));
    QCOMPARE(info.BOB_NO(), QStringLiteral("B5"));
    QCOMPARE(info.BOB_RADIUS(), 1.5987);
    QCOMPARE(info.BOB_EFF_LENGTH(), 7.62);
    QCOMPARE(info.PreTest_PH(), 7.0);
    QCOMPARE(info.PostTest_PH(), 7.0);
    QCOMPARE(info.All().value(11), QVariant(QString()));
}

// Every column but the key and the name at its default.
void expectDefaults(const clsTEST_INFO& info)
{
    expectDefaultsBesideTime(info);
    QVERIFY(qAbs(info.TEST_TIME().secsTo(QDateTime::currentDateTime())) < 5);
}

}  // namespace

void TestDbTestTables::unknownTestGivesDefaults()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    // Values of a previous test must not linger after a miss.
    info.setBOB_NO("B2");
    info.setPreTest_PH(4.5);
    info.setTEST_TIME(QDateTime(QDate(2001, 2, 3), QTime(4, 5)));
    info.setTEST_NAME("never stored");
    info.GetTestDetail();
    QVERIFY(info.Eof());
    QVERIFY(info.IsEmpty());
    QCOMPARE(info.rowCount(), 0);
    QCOMPARE(info.Test_Id(), 0.0);
    QCOMPARE(info.TEST_NAME(), QString());
    expectDefaults(info);
}

void TestDbTestTables::nullColumnsReadAsDefaults()
{
    TempDatabase db;
    db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('bare')");
    db.sql("INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM) VALUES (9, 'guar')");

    clsTEST_INFO info;
    info.ConnectX(db.connection);
    info.setTEST_NAME("bare");
    info.GetTestDetail();
    QVERIFY(!info.Eof());
    QVERIFY(info.Test_Id() >= 1);
    QCOMPARE(info.TEST_NAME(), QStringLiteral("bare"));
    expectDefaultsBesideTime(info);
    // A row without a start time has none: not the moment it was read.
    QVERIFY(!info.TEST_TIME().isValid());
    QVERIFY(info.TEST_TIME().isNull());

    clsTEST_ADDITIVE additive;
    additive.setTESTId(9);
    additive.ConnectX(db.connection);
    additive.GetSeqDetail();
    QCOMPARE(additive.ADDITIVE_NM(), QStringLiteral("guar"));
    QCOMPARE(additive.ADD_CONCEN(), 0.0);
    QCOMPARE(additive.ADD_LOTNO(), QString());
    QCOMPARE(additive.ADD_UNIT(), QString());
}

void TestDbTestTables::testInfoRoundTrip()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    const QDateTime started(QDate(2026, 3, 14), QTime(9, 26, 53));
    info.setTEST_NAME("HPG 40#, 250°F");
    info.setFluid_ID("O'Brien's gel; DROP TABLE TEST_INFO");
    info.setTEST_TIME(started);
    info.setRESEARCHER_NAME("Zhang");
    info.setROTOR_NO("R1");
    info.setBOB_NO("B2");
    info.setBOB_RADIUS(1.2276);
    info.setBOB_EFF_LENGTH(7.62);
    info.setPreTest_PH(9.5);
    info.setPostTest_PH(8.25);
    info.setSAFETY(QString(900, QChar('x')));
    info.AddNew();

    clsTEST_INFO back;
    back.ConnectX(db.connection);
    back.setTEST_NAME("HPG 40#, 250°F");
    back.GetTestDetail();
    QVERIFY(!back.Eof());
    const QVariantList all = back.All();
    QCOMPARE(all.size(), 13);
    QVERIFY(!all[12].isValid());
    QCOMPARE(all[0].toDouble(), back.Test_Id());
    QVERIFY(back.Test_Id() >= 1);
    QCOMPARE(all[1], QVariant("HPG 40#, 250°F"));
    QCOMPARE(all[2], QVariant("O'Brien's gel; DROP TABLE TEST_INFO"));
    QCOMPARE(all[3].typeId(), QMetaType::QDateTime);
    QCOMPARE(all[3].toDateTime(), started);
    QCOMPARE(all[4], QVariant("Zhang"));
    QCOMPARE(all[6], QVariant("B2"));
    QCOMPARE(all[7], QVariant(1.2276));
    QCOMPARE(all[9], QVariant(9.5));
    QCOMPARE(all[10], QVariant(8.25));
    QCOMPARE(all[11].toString().size(), 900);

    // ConnectX4 selects by id into the snapshot without loading it.
    clsTEST_INFO byId;
    byId.setTest_Id(back.Test_Id());
    byId.ConnectX4(db.connection);
    QCOMPARE(byId.rowCount(), 1);
    QCOMPARE(byId.TEST_NAME(), QString());
    byId.MoveFirst();
    QCOMPARE(byId.All(), all);

    // SaveAs copies the loaded row under a new name and leaves TEST_NAME.
    back.SaveAs("copy");
    QCOMPARE(back.TEST_NAME(), QStringLiteral("HPG 40#, 250°F"));
    clsTEST_INFO copy;
    copy.ConnectX(db.connection);
    copy.setTEST_NAME("copy");
    copy.GetTestDetail();
    QCOMPARE(copy.All().mid(2, 10), all.mid(2, 10));
    QVERIFY(copy.Test_Id() != back.Test_Id());

    // All (write) sets every column; Update writes them to that id.
    QVariantList changed = all;
    changed[4] = "Li";
    changed[7] = "1.5987";  // a numeric text converts to the column's type
    back.setAll(changed);
    QCOMPARE(back.BOB_RADIUS(), 1.5987);
    back.Update();
    back.GetTestDetail();
    QCOMPARE(back.RESEARCHER_NAME(), QStringLiteral("Li"));
    QCOMPARE(back.TEST_TIME(), started);
    QCOMPARE(db.count("TEST_INFO"), 2);
}

void TestDbTestTables::listNewestFirst()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    QCOMPARE(info.UsedName().size(), 3);
    QVERIFY(info.UsedName()[0].isEmpty());
    QVERIFY(tz::listTests(db.connection).isEmpty());

    const QList<std::pair<const char*, QDateTime>> tests = {
        {"middle", QDateTime(QDate(2025, 6, 1), QTime(8, 0))},
        {"newest", QDateTime(QDate(2026, 1, 2), QTime(13, 30, 5))},
        {"oldest", QDateTime(QDate(2019, 12, 31), QTime(23, 59, 59))},
    };
    for (const auto& [name, time] : tests) {
        info.SetDefaults();
        info.setTEST_NAME(name);
        info.setTEST_TIME(time);
        info.setRESEARCHER_NAME(QStringLiteral("op-") + name);
        info.AddNew();
    }
    // A test whose start time was cleared comes last, on both engines.
    db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('no time')");
    info.ConnectX(db.connection);
    const QList<QVariantList> used = info.UsedName();
    QCOMPARE(used[0], (QVariantList{"newest", "middle", "oldest", "no time"}));
    QCOMPARE(info.rowCount(), 4);

    const QList<tz::StoredTest> listed = tz::listTests(db.connection);
    QCOMPARE(listed.size(), 4);
    QVERIFY(!listed[3].time.isValid());
    QCOMPARE(listed[0].name, QStringLiteral("newest"));
    QCOMPARE(listed[0].time, tests[1].second);
    QCOMPARE(listed[0].researcher, QStringLiteral("op-newest"));
    QCOMPARE(listed[2].time, tests[2].second);
}

void TestDbTestTables::namesExactLikeIgnoresCase()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    for (const char* name : {"HPG Gel 250F", "hpg gel 250f", "Borate XL", "HPG Gel 250F "}) {
        info.setTEST_NAME(name);
        info.AddNew();
    }
    // A name is found only as typed: letter case and blanks count.
    info.setTEST_NAME("hpg gel 250f");
    info.GetTestDetail();
    QCOMPARE(info.rowCount(), 1);
    QCOMPARE(info.TEST_NAME(), QStringLiteral("hpg gel 250f"));
    info.setTEST_NAME("HPG GEL 250F");
    info.GetTestDetail();
    QVERIFY(info.Eof());

    // The search's Like ignores letter case on both engines; a quoted
    // "like" or "desc" inside a value is text and stays as typed.
    QSqlQuery search(db.connection.ADOConnection());
    QVERIFY(search.exec(db.connection.adaptSql(
        "select TEST_NAME from test_info where TEST_NAME Like '%GEL%' and TEST_NAME <> 'like desc'"
        " order by test_info.TEST_id desc")));
    QVariantList found;
    while (search.next())
        found << search.value(0);
    QCOMPARE(found, (QVariantList{"HPG Gel 250F ", "hpg gel 250f", "HPG Gel 250F"}));
}

void TestDbTestTables::updateWithSentinelStoresNull()
{
    TempDatabase db;
    clsTEST_INFO info;
    info.ConnectX(db.connection);
    info.setTEST_NAME("cleared time");
    info.setTEST_TIME(QDateTime(QDate(2020, 5, 5), QTime(5, 5)));
    info.AddNew();
    info.GetTestDetail();
    info.setTEST_TIME(clsTEST_INFO::noTimeSentinel());
    info.Update();

    QCOMPARE(db.count("TEST_INFO", "TEST_TIME IS NULL"), 1);
    clsTEST_INFO back;
    back.ConnectX(db.connection);
    back.setTEST_NAME("cleared time");
    back.GetTestDetail();
    // No start time reads back as none, not as the moment of reading.
    QVERIFY(!back.TEST_TIME().isValid());
    QVERIFY(!tz::listTests(db.connection).value(0).time.isValid());
    // Saving the other columns of such a test keeps it without a time.
    back.setFluid_ID("edited");
    back.Update();
    QCOMPARE(db.count("TEST_INFO", "TEST_TIME IS NULL AND FLUID_ID = 'edited'"), 1);
}

void TestDbTestTables::deleteRemovesEveryRowOfThatNameOnly()
{
    TempDatabase db;
    for (const char* name : {"twice", "twice", "other"})
        db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)", {name});
    db.sql("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (1, 0)");
    db.sql("INSERT INTO TEST_ADDITIVE (TEST_ID) VALUES (1)");

    clsTEST_INFO info;
    info.ConnectX(db.connection);
    info.setTEST_NAME("twice");
    info.Delete();
    QCOMPARE(db.sql("SELECT TEST_NAME FROM TEST_INFO"), QVariantList{"other"});
    QCOMPARE(db.count("TEST_RESULT"), 1);
    QCOMPARE(db.count("TEST_ADDITIVE"), 1);

    clsTEST_RESULT points;
    points.setTest_Id(1);
    points.ConnectX(db.connection);
    points.Delete();
    QCOMPARE(db.count("TEST_RESULT"), 0);
}

void TestDbTestTables::pointsOrderedByTime()
{
    TempDatabase db;
    storeFourPoints(db.connection);
    db.sql("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME, RESULT_SHEAR_STRESS) VALUES (6, 15, 99)");

    clsTEST_RESULT points;
    points.setTest_Id(5);
    points.ConnectX(db.connection);
    QCOMPARE(points.TotalPoints(), 4);
    QVERIFY(!points.Eof());
    QVERIFY(!points.BOF());
    QVariantList times, order;
    for (points.MoveFirst(); !points.Eof(); points.MoveNext()) {
        times << points.RESULT_TIME();
        order << points.RESULT_SHEAR_STRESS();
        QCOMPARE(points.Test_Id(), 5);
        QCOMPARE(points.All().size(), 11);
    }
    QCOMPARE(times, (QVariantList{10.0, 20.0, 20.0, 30.0}));
    QCOMPARE(order, (QVariantList{0.0, 1.0, 2.0, 3.0}));
    QVERIFY(points.All()[0].toDouble() >= 1);  // TEST_RESULT_ID

    // A second pass over the same snapshot sees every point again.
    int again = 0;
    for (points.MoveFirst(); !points.Eof(); points.MoveNext())
        ++again;
    QCOMPARE(again, 4);
}

void TestDbTestTables::navigation_data()
{
    // Moves: F first, L last, N next, P previous, R<d> relative, G query again.
    QTest::addColumn<QString>("moves");
    QTest::addColumn<double>("row");  // expected position (see storeFourPoints)
    QTest::addColumn<bool>("eof");
    QTest::newRow("first") << "F" << 0.0 << false;
    QTest::newRow("previous stays on first") << "F P P" << 0.0 << false;
    QTest::newRow("next") << "F N" << 1.0 << false;
    QTest::newRow("next on last sets EOF, keeps values") << "L N" << 3.0 << true;
    QTest::newRow("walk off the end") << "F N N N N N" << 3.0 << true;
    QTest::newRow("first after EOF clears it") << "L N F" << 0.0 << false;
    QTest::newRow("previous from last") << "L P" << 2.0 << false;
    QTest::newRow("rel past end stops at last") << "F R9" << 3.0 << false;
    QTest::newRow("rel before start stops at first") << "L R-9" << 0.0 << false;
    QTest::newRow("rel back") << "L R-2" << 1.0 << false;
    QTest::newRow("rel zero does nothing") << "F N R0" << 1.0 << false;
    QTest::newRow("huge rel") << "F R2147483647" << 3.0 << false;
    QTest::newRow("query again starts at row 0") << "L N G N" << 1.0 << false;
}

void TestDbTestTables::navigation()
{
    QFETCH(QString, moves);
    QFETCH(double, row);
    QFETCH(bool, eof);
    TempDatabase db;
    storeFourPoints(db.connection);
    clsTEST_RESULT points;
    points.setTest_Id(5);
    points.ConnectX(db.connection);
    for (const QString& move : moves.split(' ')) {
        switch (move[0].toLatin1()) {
        case 'F': points.MoveFirst(); break;
        case 'L': points.MoveLast(); break;
        case 'N': points.MoveNext(); break;
        case 'P': points.MovePrevious(); break;
        case 'R': points.MoveRel(move.mid(1).toInt()); break;
        case 'G': points.GetTestDetail(); break;
        default: QFAIL("unknown move");
        }
    }
    QCOMPARE(points.RESULT_SHEAR_STRESS(), row);
    QCOMPARE(points.Eof(), eof);
}

void TestDbTestTables::testWithoutPoints()
{
    TempDatabase db;
    storeFourPoints(db.connection);
    clsTEST_RESULT points;
    points.setTest_Id(5);
    points.ConnectX(db.connection);
    points.MoveLast();
    // Re-query for a test with no points: nothing of test 5 may remain.
    points.setTest_Id(404);
    points.GetTestDetail();
    QCOMPARE(points.TotalPoints(), 0);
    QVERIFY(points.Eof());
    QVERIFY(points.IsEmpty());
    QVERIFY(points.BOF());
    QCOMPARE(points.RESULT_SHEAR_STRESS(), 0.0);
    points.MoveFirst();
    QVERIFY(points.Eof());
    points.MoveLast();
    points.MovePrevious();
    points.MoveRel(-1);
    QCOMPARE(points.RESULT_TIME(), 0.0);
    QVERIFY(!points.rTestResult().isActive());
}

void TestDbTestTables::additivesRoundTrip()
{
    TempDatabase db;
    clsTEST_ADDITIVE additive;
    additive.setTESTId(3);
    additive.ConnectX(db.connection);
    QVERIFY(additive.Eof());
    const QList<QVariantList> rows = {{"KCl", 2.0, "%", "L-17"}, {"Borate XL", 1.5, "gpt", ""}};
    for (const QVariantList& row : rows) {
        additive.setTESTADD_ID(42);
        additive.setADDITIVE_NM(row[0].toString());
        additive.setADD_CONCEN(row[1].toDouble());
        additive.setADD_UNIT(row[2].toString());
        additive.setADD_LOTNO(row[3].toString());
        additive.AddNew();
        QCOMPARE(additive.TESTADD_ID(), 0.0);
    }
    additive.ConnectX(db.connection);
    QCOMPARE(additive.rowCount(), 2);
    QList<QVariantList> back;
    for (additive.MoveFirst(); !additive.Eof(); additive.MoveNext()) {
        QCOMPARE(additive.TESTId(), 3.0);
        QVERIFY(additive.TESTADD_ID() >= 1);
        back << additive.All().mid(2);
    }
    QCOMPARE(back, rows);
    additive.Delete();
    QCOMPARE(db.count("TEST_ADDITIVE"), 0);
}

void TestDbTestTables::setAllRefusesBadArrays()
{
    clsTEST_INFO info;
    QVariantList all = info.All();
    all[7] = "wide";
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.setAll(all));
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.setAll(info.All().mid(0, 5)));
    all = info.All();
    all[1] = QVariant();
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.setAll(all));
    all[1] = "fine";
    all[3] = "not a date";
    QVERIFY_THROWS_EXCEPTION(tz::DbError, info.setAll(all));
}

QTEST_GUILESS_MAIN(TestDbTestTables)
#include "tst_db_testtables.moc"
