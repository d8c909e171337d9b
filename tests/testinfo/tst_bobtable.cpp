// The bob designations and the geometry they fill in.
#include "testinfo/BobTable.h"

#include <QTest>

using namespace tz;

class TestBobTable : public QObject {
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("radius");  // empty: no match
        QTest::addColumn<QString>("length");
        QTest::newRow("B1") << "B1" << "1.7245" << "7.620";
        QTest::newRow("B2") << "B2" << "1.2276" << "7.620";
        QTest::newRow("B3") << "B3" << "0.8622" << "7.620";
        QTest::newRow("lower case b4") << "b4" << "0.8622" << "3.810";
        QTest::newRow("B5") << "B5" << "1.5987" << "7.620";
        QTest::newRow("XB1") << "XB1" << "1.7245" << "8.785";
        QTest::newRow("xb2") << "xb2" << "1.2276" << "8.785";
        QTest::newRow("XB3") << "XB3" << "1.5987" << "8.785";
        QTest::newRow("XB5") << "XB5" << "1.5987" << "8.785";
        QTest::newRow("B6 is unknown") << "B6" << "" << "";
        QTest::newRow("XB4 is unknown") << "XB4" << "" << "";
        QTest::newRow("no trimming") << " B4" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }

    void lookup()
    {
        QFETCH(QString, typed);
        QFETCH(QString, radius);
        QFETCH(QString, length);
        const std::optional<BobGeometry> bob = lookupBob(typed);
        QCOMPARE(bob.has_value(), !radius.isEmpty());
        if (!bob)
            return;
        QCOMPARE(bob->code, typed.toUpper());
        QCOMPARE(bob->radiusText, radius);
        QCOMPARE(bob->lengthText, length);
        QCOMPARE(bob->radiusCm, radius.toDouble());
        QCOMPARE(bob->lengthCm, length.toDouble());
    }
};

QTEST_GUILESS_MAIN(TestBobTable)
#include "tst_bobtable.moc"
