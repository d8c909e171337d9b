// What a test's texts may hold: the column sizes of TEST_INFO and
// TEST_ADDITIVE, no line breaks in one-line texts, no blank test name.
#include "db/TestFieldLimits.h"

#include <QTest>

using namespace tz;

Q_DECLARE_METATYPE(tz::TestTextField)
Q_DECLARE_METATYPE(tz::FieldFault)

class TestTestFieldLimits : public QObject {
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<TestTextField>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<FieldFault>("fault");
        using F = TestTextField;
        using R = FieldFault;
        const QString forty(40, QLatin1Char('x')), fortyOne(41, QLatin1Char('x'));
        QTest::newRow("name of 40") << F::TestName << forty << R::None;
        QTest::newRow("name of 41") << F::TestName << fortyOne << R::TooLong;
        QTest::newRow("name of 10000") << F::TestName << QString(10000, 'x') << R::TooLong;
        QTest::newRow("name with LF") << F::TestName << "Gel\n1" << R::ControlCharacter;
        QTest::newRow("name with CR") << F::TestName << "Gel 1\r" << R::ControlCharacter;
        QTest::newRow("name with tab") << F::TestName << "Gel\t1" << R::ControlCharacter;
        QTest::newRow("name with NUL") << F::TestName << QString("Gel") + QChar(0) + "1" << R::ControlCharacter;
        QTest::newRow("name with line separator") << F::TestName << QString("Gel") + QChar(0x2028) + "1"
                                                  << R::ControlCharacter;
        QTest::newRow("empty name") << F::TestName << "" << R::Blank;
        QTest::newRow("name of blanks") << F::TestName << "   " << R::Blank;
        QTest::newRow("name with inner and trailing blanks") << F::TestName << " Gel 1 " << R::None;
        QTest::newRow("name of 40 accented letters") << F::TestName << QString(40, QChar(0xE9)) << R::None;
        QTest::newRow("empty fluid") << F::FluidId << "" << R::None;
        QTest::newRow("fluid of 41") << F::FluidId << fortyOne << R::TooLong;
        QTest::newRow("researcher of 40") << F::ResearcherName << forty << R::None;
        QTest::newRow("researcher of 41") << F::ResearcherName << fortyOne << R::TooLong;
        QTest::newRow("researcher with LF") << F::ResearcherName << "R.\nDiaz" << R::ControlCharacter;
        QTest::newRow("rotor of 41") << F::RotorNo << fortyOne << R::TooLong;
        QTest::newRow("bob of 41") << F::BobNo << fortyOne << R::TooLong;
        QTest::newRow("additive name of 41") << F::AdditiveName << fortyOne << R::TooLong;
        QTest::newRow("unit of 40") << F::AdditiveUnit << forty << R::None;
        QTest::newRow("unit of 41") << F::AdditiveUnit << fortyOne << R::TooLong;
        QTest::newRow("lot number with CR LF") << F::AdditiveLotNo << "L7\r\n" << R::ControlCharacter;
        QTest::newRow("description of 1000 lines") << F::Description << QString(500, 'x') + "\r\n" + QString(498, 'y')
                                                   << R::None;
        QTest::newRow("description of 1001") << F::Description << QString(1001, 'x') << R::TooLong;
        QTest::newRow("description with tab") << F::Description << "pH\t9.5" << R::None;
        QTest::newRow("description with ESC") << F::Description << QString("a") + QChar(0x1B) << R::ControlCharacter;
    }
    void check()
    {
        QFETCH(TestTextField, field);
        QFETCH(QString, value);
        QFETCH(FieldFault, fault);
        QCOMPARE(checkTestField(field, value), fault);
    }

    // The reader is told which field and why, in one line.
    void texts()
    {
        QCOMPARE(fieldFaultText(FieldFault::TooLong, TestTextField::TestName, QString(41, 'x'), "--test"),
                 QStringLiteral("--test: at most 40 characters are allowed (41 given)"));
        QCOMPARE(fieldFaultText(FieldFault::ControlCharacter, TestTextField::FluidId, "a\nb", "Fluid ID"),
                 QStringLiteral("Fluid ID: line breaks and other control characters are not allowed"));
        QCOMPARE(fieldFaultText(FieldFault::Blank, TestTextField::TestName, " ", "Test Name"),
                 QStringLiteral("Test Name: a test name of blanks only is not allowed"));
        QCOMPARE(fieldFaultText(FieldFault::None, TestTextField::TestName, "Gel", "Test Name"), QString());
    }

    // Only what would be stored is looked at: the additives up to the first
    // without a name; the edit of a stored test leaves its name alone.
    void wholeTest()
    {
        TestInformation info;
        info.testName = "Gel 1";
        QList<AdditiveEntry> additives{{"KCl", 2, "%", ""}, {"", 0, QString(50, 'u'), ""}};
        QCOMPARE(newTestFieldProblem(info, additives), std::nullopt);
        additives[0].unit = QString(41, 'u');
        QCOMPARE(newTestFieldProblem(info, additives),
                 QStringLiteral("Additive 1, Units: at most 40 characters are allowed (41 given)"));
        additives[0].unit = "%";
        info.testName = "  ";
        QCOMPARE(newTestFieldProblem(info, additives),
                 QStringLiteral("Test Name: a test name of blanks only is not allowed"));
        QCOMPARE(editedTestFieldProblem(info, additives), std::nullopt);
        info.safety = QString(1001, 's');
        QCOMPARE(editedTestFieldProblem(info, additives),
                 QStringLiteral("Description, Notes and Comments: at most 1000 characters are allowed (1001 given)"));
    }
};

QTEST_GUILESS_MAIN(TestTestFieldLimits)
#include "tst_test_field_limits.moc"
