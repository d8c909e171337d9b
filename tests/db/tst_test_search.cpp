// Test search on a real TZ360.db and on the lab server: the statement as the
// operator's rows make it, the rows it finds, and values that try to break
// out of it.
#include "TempDatabase.h"

#include <memory>

#include "db/TestSearch.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"

using namespace tz;

Q_DECLARE_METATYPE(tz::SearchRows)

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init();
    void cleanup() { db.reset(); }
    void columnLists();
    void search_data();
    void search();
    void operators_data();
    void operators();
    void additiveLikeStatement();
    void hostileValuesChangeNothing();
    void badValues_data();
    void badValues();
    void shortDates_data();
    void shortDates();

private:
    std::unique_ptr<TempDatabase> db;
    SearchColumns columns;
};

namespace {

const QString kBase = QStringLiteral(
    "select test_info.TEST_ID, test_info.TEST_NAME,test_info.RESEARCHER_NAME,test_info.TEST_TIME,"
    "test_info.FLUID_ID,test_info.SAFETY AS DESCRIPTION from test_info   ");
const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// List positions in TEST_INFO and TEST_ADDITIVE.
enum { TEST_ID = 0, TEST_NAME = 1, FLUID_ID = 2, TEST_TIME = 3, RESEARCHER = 4, BOB_RADIUS = 7 };
enum { ADDITIVE_NM = 2, ADD_CONCEN = 3 };
enum { GT = 0, GE = 1, LT = 2, LE = 3, EQ = 4, NE = 5, LIKE = 6 };

SearchRows rows(std::initializer_list<SearchRow> given)
{
    SearchRows r;
    std::size_t k = 0;
    for (const SearchRow& row : given)
        r[k++] = row;
    return r;
}

QStringList names(const SearchResult& result)
{
    QStringList n;
    for (const QStringList& row : result.rows)
        n << row[0];
    return n;
}

}  // namespace

void TestSearch::init()
{
    TZ360_USE_BACKEND_ROW();
    db = std::make_unique<TempDatabase>();
    QVERIFY(db->connection.isOpen());
    struct Test {
        const char* name;
        const char* fluid;
        QDateTime time;
        const char* researcher;
        double radius;
        QList<std::pair<const char*, double>> additives;
    };
    // Stored in id order 1 to 4.
    const QList<Test> tests = {
        {"Base gel", "WF-30", QDateTime(QDate(2010, 6, 1), QTime(9, 0)), "Ann", 1.5987, {{"Guar HPG", 30}}},
        {"O'Brien crosslink", "O'Brien's gel", QDateTime(QDate(2011, 3, 4), QTime(10, 0)), "Bob", 1.2276,
         {{"guar", 40}, {"Borate XL", 2}}},
        // Stored with seconds and milliseconds, as a run's start is.
        {"Hot run", "CMHPG", QDateTime(QDate(2011, 12, 27), QTime(23, 59, 30, 250)), "Ann", 1.5987, {}},
        {"Late run", "WF-30", QDateTime(QDate(2012, 1, 2), QTime(8, 30)), "Cid", 1.5987, {{"Breaker", 1}}},
    };
    clsTEST_INFO info;
    info.ConnectX(db->connection);
    clsTEST_ADDITIVE additive;
    for (const Test& t : tests) {
        info.SetDefaults();
        info.setTEST_NAME(QString::fromUtf8(t.name));
        info.setFluid_ID(QString::fromUtf8(t.fluid));
        info.setTEST_TIME(t.time);
        info.setRESEARCHER_NAME(QString::fromUtf8(t.researcher));
        info.setBOB_RADIUS(t.radius);
        info.setSAFETY(QStringLiteral("about ") + QString::fromUtf8(t.name));
        info.AddNew();
        info.GetTestDetail();
        additive.setTESTId(info.Test_Id());
        additive.ConnectX(db->connection);
        for (const auto& [name, concentration] : t.additives) {
            additive.setADDITIVE_NM(QString::fromUtf8(name));
            additive.setADD_CONCEN(concentration);
            additive.setADD_UNIT(QStringLiteral("lb/Mgal"));
            additive.AddNew();
        }
    }
    columns = searchColumns(db->connection.ADOConnection());
}

void TestSearch::columnLists()
{
    QCOMPARE(columns.test, QStringList({"TEST_ID", "TEST_NAME", "FLUID_ID", "TEST_TIME", "RESEARCHER_NAME",
                                        "ROTOR_NO", "BOB_NO", "BOB_RADIUS", "BOB_EFF_LENGTH", "PRETEST_PH",
                                        "POSTTEST_PH", "SAFETY"}));
    QCOMPARE(columns.additive,
             QStringList({"TESTADD_ID", "TEST_ID", "ADDITIVE_NM", "ADD_CONCEN", "ADD_UNIT", "ADD_LOTNO"}));
    QCOMPARE(searchOperators(), QStringList({" > ", " >= ", " < ", " <= ", " = ", " <> ", " Like "}));
}

void TestSearch::search_data()
{
    QTest::addColumn<SearchRows>("tests");
    QTest::addColumn<SearchRows>("additives");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("found");

    const QString order = QStringLiteral(" order by test_info.TEST_id desc");
    const QStringList all = {"Late run", "Hot run", "O'Brien crosslink", "Base gel"};

    QTest::newRow("no criteria: every test, newest first") << SearchRows{} << SearchRows{} << kBase + order << all;
    QTest::newRow("second row alone is ignored")
        << rows({{TEST_NAME, EQ, ""}, {RESEARCHER, EQ, "Ann"}}) << rows({{ADDITIVE_NM, EQ, ""}, {ADDITIVE_NM, LIKE, "x"}})
        << kBase + order << all;
    QTest::newRow("blanks only count as empty")
        << rows({{TEST_NAME, EQ, "   "}}) << SearchRows{} << kBase + order << all;
    QTest::newRow("apostrophe in a text value")
        << rows({{FLUID_ID, EQ, " O'Brien's gel "}}) << SearchRows{}
        << kBase + " where  UPPER(FLUID_ID) = UPPER(?)" + order << QStringList{"O'Brien crosslink"};
    QTest::newRow("start time after a date")
        << rows({{TEST_TIME, GT, "1/1/2011"}}) << SearchRows{}
        << kBase + " where  TEST_TIME >= ?" + order << QStringList{"Late run", "Hot run", "O'Brien crosslink"};
    QTest::newRow("start time on or before a date and time")
        << rows({{TEST_TIME, LE, "12/27/11 11:59 PM"}}) << SearchRows{}
        << kBase + " where  TEST_TIME < ?" + order << QStringList{"Hot run", "O'Brien crosslink", "Base gel"};
    QTest::newRow("two test rows joined with and")
        << rows({{RESEARCHER, EQ, "Ann"}, {BOB_RADIUS, GE, "1.5"}, {FLUID_ID, LIKE, "MHP"}}) << SearchRows{}
        << kBase + " where  UPPER(RESEARCHER_NAME) = UPPER(?) and BOB_RADIUS >= ? and FLUID_ID Like ?" + order
        << QStringList{"Hot run"};
    QTest::newRow("numeric column with Like matches the stored number")
        << rows({{BOB_RADIUS, LIKE, "2276"}}) << SearchRows{}
        << kBase + " where  CAST(BOB_RADIUS AS VARCHAR(1000)) Like ?" + order << QStringList{"O'Brien crosslink"};
    QTest::newRow("test and additive conditions")
        << rows({{FLUID_ID, NE, "CMHPG"}}) << rows({{ADD_CONCEN, LT, "35"}})
        << kBase + " where  UPPER(FLUID_ID) <> UPPER(?) and test_id in (select test_id from test_additive where  ADD_CONCEN < ?)" + order
        << QStringList{"Late run", "O'Brien crosslink", "Base gel"};
    QTest::newRow("test id as a number")
        << rows({{TEST_ID, LT, "3"}}) << SearchRows{}
        << kBase + " where  TEST_ID < ?" + order << QStringList{"O'Brien crosslink", "Base gel"};
}

void TestSearch::search()
{
    QFETCH(SearchRows, tests);
    QFETCH(SearchRows, additives);
    QFETCH(QString, sql);
    QFETCH(QStringList, found);
    const SearchStatement statement = buildSearchStatement(columns, tests, additives, kUs);
    QCOMPARE(statement.sql, sql);
    QCOMPARE(statement.values.size(), sql.count(u'?'));
    const SearchResult result = runSearch(db->connection.ADOConnection(), statement, kUs);
    QCOMPARE(names(result), found);
    QCOMPARE(result.headings,
             QStringList({"TEST_NAME", "RESEARCHER_NAME", "TEST_TIME", "FLUID_ID", "DESCRIPTION"}));
}

// Each operator on a text, a number and a start-time column, and the rows it
// must find. Stored: 1 Base gel (WF-30, 6/1/2010 9:00, radius 1.5987),
// 2 O'Brien crosslink (3/4/2011 10:00, 1.2276), 3 Hot run (12/27/2011
// 23:59:30.250, 1.5987), 4 Late run (WF-30, 1/2/2012 8:30, 1.5987); found
// newest id first.
void TestSearch::operators_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("found");
    const QString late = "Late run", hot = "Hot run", obrien = "O'Brien crosslink", base = "Base gel";

    // Names in upper case order: BASE GEL < HOT RUN < LATE RUN < O'BRIEN ...;
    // the value typed in lower case finds what its capitals would.
    QTest::newRow("name >") << int(TEST_NAME) << int(GT) << "hot run" << QStringList{late, obrien};
    QTest::newRow("name >=") << int(TEST_NAME) << int(GE) << "hot run" << QStringList{late, hot, obrien};
    QTest::newRow("name <") << int(TEST_NAME) << int(LT) << "hot run" << QStringList{base};
    QTest::newRow("name <=") << int(TEST_NAME) << int(LE) << "hot run" << QStringList{hot, base};
    QTest::newRow("name =") << int(TEST_NAME) << int(EQ) << "hot run" << QStringList{hot};
    QTest::newRow("name = capitals") << int(TEST_NAME) << int(EQ) << "HOT RUN" << QStringList{hot};
    QTest::newRow("name <>") << int(TEST_NAME) << int(NE) << "hot run" << QStringList{late, obrien, base};
    QTest::newRow("name Like") << int(TEST_NAME) << int(LIKE) << "RUN" << QStringList{late, hot};
    QTest::newRow("fluid = lower case") << int(FLUID_ID) << int(EQ) << "wf-30" << QStringList{late, base};

    QTest::newRow("radius >") << int(BOB_RADIUS) << int(GT) << "1.5987" << QStringList{};
    QTest::newRow("radius >=") << int(BOB_RADIUS) << int(GE) << "1.5987" << QStringList{late, hot, base};
    QTest::newRow("radius <") << int(BOB_RADIUS) << int(LT) << "1.5987" << QStringList{obrien};
    QTest::newRow("radius <=") << int(BOB_RADIUS) << int(LE) << "1.5987" << QStringList{late, hot, obrien, base};
    QTest::newRow("radius =") << int(BOB_RADIUS) << int(EQ) << "1.5987" << QStringList{late, hot, base};
    QTest::newRow("radius <>") << int(BOB_RADIUS) << int(NE) << "1.5987" << QStringList{obrien};
    QTest::newRow("radius Like") << int(BOB_RADIUS) << int(LIKE) << "2276" << QStringList{obrien};

    // A date means its whole day: 12/27/2011 runs from 0:00 to 24:00.
    QTest::newRow("time > the day") << int(TEST_TIME) << int(GT) << "12/27/2011" << QStringList{late};
    QTest::newRow("time >= the day") << int(TEST_TIME) << int(GE) << "12/27/2011" << QStringList{late, hot};
    QTest::newRow("time < the day") << int(TEST_TIME) << int(LT) << "12/27/2011" << QStringList{obrien, base};
    QTest::newRow("time <= the day") << int(TEST_TIME) << int(LE) << "12/27/2011" << QStringList{hot, obrien, base};
    QTest::newRow("time = the day") << int(TEST_TIME) << int(EQ) << "12/27/2011" << QStringList{hot};
    QTest::newRow("time = two-digit year") << int(TEST_TIME) << int(EQ) << "12/27/11" << QStringList{hot};
    QTest::newRow("time <> the day") << int(TEST_TIME) << int(NE) << "12/27/2011" << QStringList{late, obrien, base};
    QTest::newRow("time Like the day") << int(TEST_TIME) << int(LIKE) << "12/27/2011" << QStringList{hot};
    // With a time typed, that minute: 11:59 PM holds 23:59:30.250.
    QTest::newRow("time = the minute") << int(TEST_TIME) << int(EQ) << "12/27/2011 11:59 PM" << QStringList{hot};
    QTest::newRow("time = another minute") << int(TEST_TIME) << int(EQ) << "12/27/2011 11:58 PM" << QStringList{};
    QTest::newRow("time < the minute") << int(TEST_TIME) << int(LT) << "12/27/2011 11:59 PM" << QStringList{obrien, base};
}

void TestSearch::operators()
{
    QFETCH(int, column);
    QFETCH(int, op);
    QFETCH(QString, value);
    QFETCH(QStringList, found);
    const SearchStatement statement = buildSearchStatement(columns, rows({{column, op, value}}), {}, kUs);
    QVERIFY2(!statement.sql.contains(value), qPrintable(statement.sql));
    QCOMPARE(names(runSearch(db->connection.ADOConnection(), statement, kUs)), found);
}

void TestSearch::additiveLikeStatement()
{
    // ADDITIVE_NM Like guar and no test condition: base, the additive
    // sub-select, newest first; the value between the two "%".
    const SearchStatement statement =
        buildSearchStatement(columns, {}, rows({{ADDITIVE_NM, LIKE, "guar"}}), kUs);
    QCOMPARE(statement.sql, kBase + " where test_id in (select test_id from test_additive where  "
                                    "ADDITIVE_NM Like ?) order by test_info.TEST_id desc");
    QCOMPARE(statement.values, QVariantList{QStringLiteral("%guar%")});
    const SearchResult result = runSearch(db->connection.ADOConnection(), statement, kUs);
    QCOMPARE(names(result), QStringList({"O'Brien crosslink", "Base gel"}));
    // Each row: name, researcher, start time in the short form, fluid, description.
    QCOMPARE(result.rows[0], QStringList({"O'Brien crosslink", "Bob", "3/4/11 10:00 AM", "O'Brien's gel",
                                          "about O'Brien crosslink"}));
    QCOMPARE(result.testIds, QList<int>({2, 1}));
}

void TestSearch::hostileValuesChangeNothing()
{
    const QStringList hostile = {
        "x' or '1'='1",
        "'; DELETE FROM TEST_INFO; --",
        "') or 1=1 or ('",
        "%' or TEST_NAME like '%",
    };
    for (const QString& value : hostile) {
        for (int op : {EQ, LIKE}) {
            const SearchStatement s =
                buildSearchStatement(columns, rows({{TEST_NAME, op, value}}), rows({{ADDITIVE_NM, op, value}}), kUs);
            QVERIFY2(!s.sql.contains(value.trimmed()), qPrintable(s.sql));
            QVERIFY2(runSearch(db->connection.ADOConnection(), s, kUs).rows.isEmpty(), qPrintable(value));
        }
    }
    QCOMPARE(db->count("TEST_INFO"), 4);
    QCOMPARE(db->count("TEST_ADDITIVE"), 4);
}

void TestSearch::badValues_data()
{
    QTest::addColumn<SearchRows>("tests");
    QTest::addColumn<SearchRows>("additives");
    QTest::addColumn<QString>("cause");
    QTest::newRow("text in a numeric column")
        << rows({{BOB_RADIUS, EQ, "big"}}) << SearchRows{}
        << "Data type mismatch in criteria expression: \"big\" is not a number for BOB_RADIUS.";
    QTest::newRow("statement in a numeric column")
        << rows({{TEST_ID, EQ, "1; DROP TABLE TEST_INFO"}}) << SearchRows{}
        << "Data type mismatch in criteria expression: \"1; DROP TABLE TEST_INFO\" is not a number for TEST_ID.";
    QTest::newRow("text in an additive number")
        << SearchRows{} << rows({{ADD_CONCEN, GT, "lots"}})
        << "Data type mismatch in criteria expression: \"lots\" is not a number for ADD_CONCEN.";
    QTest::newRow("malformed date")
        << rows({{TEST_TIME, GT, "13/45/2011"}}) << SearchRows{} << "\"13/45/2011\" is not a date in the form M/d/yy.";
    QTest::newRow("a later row is checked too")
        << rows({{TEST_NAME, EQ, "a"}, {}, {TEST_TIME, EQ, "yesterday"}}) << SearchRows{}
        << "\"yesterday\" is not a date in the form M/d/yy.";
}

void TestSearch::badValues()
{
    QFETCH(SearchRows, tests);
    QFETCH(SearchRows, additives);
    QFETCH(QString, cause);
    try {
        buildSearchStatement(columns, tests, additives, kUs);
        QFAIL("no error");
    } catch (const SearchError& e) {
        QCOMPARE(e.cause(), cause);
    }
}

void TestSearch::shortDates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDateTime>("date");
    QTest::newRow("US, four-digit year") << "en_US" << "1/1/2011" << QDateTime(QDate(2011, 1, 1), QTime(0, 0));
    QTest::newRow("US, two-digit year") << "en_US" << "12/27/11" << QDateTime(QDate(2011, 12, 27), QTime(0, 0));
    QTest::newRow("US, 1930 window") << "en_US" << "5/6/30" << QDateTime(QDate(1930, 5, 6), QTime(0, 0));
    QTest::newRow("US, with time") << "en_US" << "12/27/2011 11:59 PM" << QDateTime(QDate(2011, 12, 27), QTime(23, 59));
    QTest::newRow("German") << "de_DE" << "27.12.2011" << QDateTime(QDate(2011, 12, 27), QTime(0, 0));
    QTest::newRow("German, 24-hour time") << "de_DE" << "27.12.11 23:59" << QDateTime(QDate(2011, 12, 27), QTime(23, 59));
    QTest::newRow("British day first") << "en_GB" << "02/01/2011" << QDateTime(QDate(2011, 1, 2), QTime(0, 0));
    QTest::newRow("US form in Germany") << "de_DE" << "1/1/2011" << QDateTime();
    QTest::newRow("not a date") << "en_US" << "soon" << QDateTime();
}

void TestSearch::shortDates()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QDateTime, date);
    QCOMPARE(parseShortDate(typed, QLocale(locale)), date);
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_test_search.moc"
