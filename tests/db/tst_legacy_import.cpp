// Importing the old workstation's Jet tables: fixtures in exactly the format
// mdb-export writes with the options the importer gives it, served by a
// stand-in mdb-export (tests/fixtures/mdb/bin), imported into a real
// TZ360.db in a temporary folder.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/LegacyImport.h"
#include "db/MdbExportSource.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QString kFixtures = QStringLiteral(MDB_FIXTURES);

tz::MdbExportSource fixture(const QString& name)
{
    return tz::MdbExportSource(kFixtures + "/" + name + "/legacy.mdb", kFixtures + "/bin");
}

// Rows of a query, fields joined by '|', NULL shown as <NULL>.
QStringList rows(TempDatabase& db, const QString& select)
{
    QSqlQuery query(db.connection.ADOConnection());
    if (!query.exec(select))
        qFatal("query failed: %s", qPrintable(query.lastError().text()));
    QStringList out;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << (query.isNull(i) ? QStringLiteral("<NULL>")
                       // The server hands a start time back as a date-time, the file as its text.
                       : query.value(i).typeId() == QMetaType::QDateTime
                       ? query.value(i).toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                       : query.value(i).toString());
        out << fields.join('|');
    }
    return out;
}

int total(TempDatabase& db)
{
    int n = 0;
    for (const char* table : {"SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE", "TEST_INFO", "TEST_ADDITIVE",
                              "TEST_RESULT"})
        n += db.count(table);
    return n;
}

}  // namespace

class TestLegacyImport : public QObject {
    Q_OBJECT
private slots:
    // On the embedded file and on the lab server.
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    void importsEveryTableUnderNewIds()
    {
        TempDatabase db;
        // Rows already there push the target's ids away from the file's.
        db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Bench test'), ('Bench test 2'), ('Bench test 3')");
        auto source = fixture("normal");
        const tz::CopyResult result = tz::importLegacy(source, db.connection, false);
        QCOMPARE(result.sequences, 2);
        QCOMPARE(result.tests, 2);
        QCOMPARE(result.lines, QStringList({"Skipped 1 SEQUENCE_RAMP row(s) of no stored sequence",
                                            "Sequence \"Borate 200F\"", "Sequence \"Linear gel\"",
                                            "Skipped 1 TEST_ADDITIVE row(s) of no stored test",
                                            "Test \"Well 11\" (3 points)", "Test \"Well 12\" (2 points)"}));
        QCOMPARE(rows(db, "SELECT SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE,"
                          " SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL FROM SEQUENCE_INFO ORDER BY 1"),
                 QStringList({"Borate 200F|20|2|5|20|0|60", "Linear gel|10|1.5|3|15|250.5|30"}));
        QCOMPARE(rows(db, "SELECT s.SEQUENCE_NAME, r.RAMP_NO, r.RAMP_ELAPSE_TIME, r.RAMP_TEMP, r.RAMP_START_ERROR,"
                          " r.SHEAR_RATE, r.RUN_RAMP FROM SEQUENCE_RAMP r JOIN SEQUENCE_INFO s"
                          " ON s.SEQUENCE_ID = r.SEQUENCE_ID ORDER BY 1, 2"),
                 QStringList({"Borate 200F|1|30|200|2|100|1", "Borate 200F|2|120|250|2.5|40|0",
                              "Linear gel|1|60|150|2|511|1"}));
        QCOMPARE(rows(db, "SELECT s.SEQUENCE_NAME, d.RAMP_STEP_NO, d.RAMP_SHEAR_RATE FROM SEQUENCE_RAMP_DEFINE d"
                          " JOIN SEQUENCE_INFO s ON s.SEQUENCE_ID = d.SEQUENCE_ID ORDER BY 1, 2"),
                 QStringList({"Borate 200F|1|170", "Borate 200F|2|85", "Borate 200F|3|42.5"}));
        // 02:30:15 on 31 March 2019 does not exist in Central Europe; the
        // start time is the file's wall-clock text all the same.
        QCOMPARE(rows(db, "SELECT TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO,"
                          " BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY FROM TEST_INFO"
                          " WHERE TEST_ID > 3 ORDER BY 1"),
                 QStringList({"4|Well 11|XL-30|2019-03-31 02:30:15.000|R. Ortiz|R1|B5|1.5987|7.62|9.5|8.75|Vent before opening",
                              "5|Well 12|XL-40|2019-04-01 23:59:59.000|J. Lee|R1|B2|1.2276|7.62|7|6.5|"}));
        QCOMPARE(rows(db, "SELECT TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO FROM TEST_ADDITIVE ORDER BY TESTADD_ID"),
                 QStringList({"4|Guar|30|ppt|L-1", "4|Borate|1.5|gpt|L-2"}));
        // The two units' points interleave in the file; each keeps its order.
        QCOMPARE(rows(db, "SELECT TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS,"
                          " RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP"
                          " FROM TEST_RESULT ORDER BY TEST_RESULT_ID"),
                 QStringList({"4|1|0|0.5|75.2|400|100|12.25|0|80", "5|1|0|0.5|70.1|350|100|8.5|0|72",
                              "4|1|1|1|120.4|401|170|20.5|1|125", "5|1|1|1|90|352|170|15.75|1|95.5",
                              "4|2|0|2|199.9|402|40|1.234567890123457e-05|0|205"}));
    }

    void nullsStayNull()
    {
        TempDatabase db;
        auto source = fixture("null-start");
        tz::importLegacy(source, db.connection, false);
        QCOMPARE(rows(db, "SELECT SEQUENCE_NAME, SAMPLE_INTERVAL FROM SEQUENCE_INFO"), QStringList({"No period|<NULL>"}));
        QCOMPARE(rows(db, "SELECT TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_RADIUS,"
                          " POSTTEST_PH, SAFETY FROM TEST_INFO"),
                 QStringList({"No start|<NULL>|<NULL>||<NULL>|<NULL>|<NULL>|<NULL>"}));
        QCOMPARE(rows(db, "SELECT ADDITIVE_NM, ADD_CONCEN, ADD_LOTNO FROM TEST_ADDITIVE"), QStringList({"Guar|<NULL>|<NULL>"}));
        QCOMPARE(rows(db, "SELECT RESULT_PRESS, RESULT_BATH_TEMP, RESULT_SHEAR_RATE FROM TEST_RESULT"),
                 QStringList({"<NULL>|<NULL>|100"}));
    }

    void textsKeepQuotesLineBreaksAndNonAscii_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("test");
        QTest::newRow("quotes, commas, line breaks")
            << "quotes-line-breaks" << "Gel \"A\", 200F"
            << "Well \"7\", run 2|XL, 30|O'Neil|Line one\nLine \"two\", with comma\r\nLine three";
        QTest::newRow("non-ASCII") << "non-ascii" << QString::fromUtf8("Viscosité 93°C")
                                   << QString::fromUtf8("Bohrloch Süd – Ω|Gélifiant|José Müller|粘度 überwachen");
    }

    void textsKeepQuotesLineBreaksAndNonAscii()
    {
        QFETCH(QString, fixtureName);
        QFETCH(QString, sequence);
        QFETCH(QString, test);
        TempDatabase db;
        auto source = fixture(fixtureName);
        tz::importLegacy(source, db.connection, false);
        QCOMPARE(rows(db, "SELECT SEQUENCE_NAME FROM SEQUENCE_INFO"), QStringList({sequence}));
        QCOMPARE(rows(db, "SELECT TEST_NAME, FLUID_ID, RESEARCHER_NAME, SAFETY FROM TEST_INFO"), QStringList({test}));
    }

    // A file that cannot be imported whole writes nothing, and says why.
    void refusedFilesWriteNothing_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");  // the test the target holds already
        QTest::newRow("missing table") << "missing-table" << "has no table TEST_ADDITIVE; nothing imported" << "Bench";
        QTest::newRow("missing column") << "missing-column"
                                        << "TEST_RESULT in " + kFixtures
                                               + "/missing-column/legacy.mdb has no column RESULT_BATH_TEMP" << "Bench";
        QTest::newRow("bad number after rows written")
            << "bad-number" << "TEST_RESULT row 2, RESULT_PRESS: \"4O1\" is no number; nothing imported" << "Bench";
        // The workstation's columns take 40 characters; a longer text is not cut.
        QTest::newRow("text too long") << "long-text"
                                       << "TEST_INFO row 1, FLUID_ID: longer than 40 characters; nothing imported"
                                       << "Bench";
        QTest::newRow("name clash") << "name-clash"
                                    << "Test \"Well 11\" already exists in the target; nothing copied "
                                       "(--rename-clashes stores it under a free name)" << "Well 11";
    }

    void refusedFilesWriteNothing()
    {
        QFETCH(QString, fixtureName);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TempDatabase db;
        db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)", {stored});
        auto source = fixture(fixtureName);
        try {
            tz::importLegacy(source, db.connection, false);
            QFAIL("the file was imported");
        } catch (const tz::DbError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        QCOMPARE(total(db), 1);
        QVERIFY(!db.connection.InTransaction());
    }

    void renamesClashes()
    {
        TempDatabase db;
        db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Well 11')");
        auto source = fixture("name-clash");
        const tz::CopyResult result = tz::importLegacy(source, db.connection, true);
        QCOMPARE(result.lines, QStringList({"Test \"Well 11\" -> \"Well 11 (2)\" (1 points)"}));
        QCOMPARE(rows(db, "SELECT t.TEST_NAME, p.RESULT_TIME FROM TEST_RESULT p JOIN TEST_INFO t ON t.TEST_ID = p.TEST_ID"),
                 QStringList({"Well 11 (2)|0.5"}));
    }

    // mdb-export's output arrives in pieces of any size: a quoted text, a
    // doubled quote or a CR LF cut in two must read as if it came whole.
    void readerTakesAnyPieces()
    {
        QFile file(kFixtures + "/quotes-line-breaks/TEST_INFO.csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        auto readIn = [&](int piece) {
            QList<tz::LegacyRecord> records;
            tz::MdbCsvReader reader([&](const tz::LegacyRecord& r) { records << r; });
            for (int i = 0; i < bytes.size(); i += piece)
                reader.feed(bytes.mid(i, piece));
            reader.finish();
            return records;
        };
        const QList<tz::LegacyRecord> whole = readIn(bytes.size());
        QCOMPARE(whole.size(), 2);
        QCOMPARE(whole[1].size(), 12);
        QCOMPARE(whole[1][11].text, QString("Line one\nLine \"two\", with comma\r\nLine three"));
        for (int piece : {1, 2, 7}) {
            const QList<tz::LegacyRecord> pieces = readIn(piece);
            QCOMPARE(pieces.size(), whole.size());
            for (int r = 0; r < whole.size(); ++r)
                for (int f = 0; f < whole[r].size(); ++f) {
                    QCOMPARE(pieces[r][f].text, whole[r][f].text);
                    QCOMPARE(pieces[r][f].isNull, whole[r][f].isNull);
                }
        }
        tz::MdbCsvReader open([](const tz::LegacyRecord&) {});
        open.feed("1,\"never closed\n");
        QVERIFY_THROWS_EXCEPTION(tz::DbError, open.finish());
    }
};

QTEST_GUILESS_MAIN(TestLegacyImport)
#include "tst_legacy_import.moc"
