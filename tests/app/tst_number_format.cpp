// Number text on screens, in files and on the serial line.
#include "app/NumberFormat.h"

#include <QTest>

using namespace tz;

class TestNumberFormat : public QObject {
    Q_OBJECT
private slots:
    void pattern_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        // Fixed zero-padded wire formats.
        QTest::newRow("temp 000.0") << 75.0 << "000.0" << "075.0";
        QTest::newRow("temp half rounds up") << 72.25 << "000.0" << "072.3";
        QTest::newRow("rate 0000.0000") << 170.0 << "0000.0000" << "0170.0000";
        QTest::newRow("factor 000.0000") << 1.70331 << "000.0000" << "001.7033";
        QTest::newRow("shear 00000.0000") << 511.0 << "00000.0000" << "00511.0000";
        QTest::newRow("count 00") << 5.0 << "00" << "05";
        QTest::newRow("never truncates") << 100.0 << "00" << "100";
        QTest::newRow("duration 000000") << 30.0 << "000000" << "000030";
        QTest::newRow("carry into new digit") << 99.96 << "00.0" << "100.0";
        QTest::newRow("negative padded") << -5.0 << "000.0" << "-005.0";
        QTest::newRow("negative rounding to zero") << -0.01 << "0.0" << "-0.0";
        QTest::newRow("negative set point rounding to zero") << -0.04 << "000.0" << "-000.0";
        QTest::newRow("negative zero has no sign") << -0.0 << "000.0" << "000.0";
        // Display patterns.
        QTest::newRow("viscosity ####.#") << 2.4461839 << "####.#" << "2.4";
        QTest::newRow("stress ####.#") << 12.5 << "####.#" << "12.5";
        QTest::newRow("below 1 starts with point") << 0.5 << "##.##" << ".5";
        QTest::newRow("integer part kept") << 12345.678 << "##.#" << "12345.7";
        QTest::newRow("#### blank for zero") << 0.0 << "####" << "";
        QTest::newRow("#### whole") << 20.4 << "####" << "20";
        QTest::newRow("##0.## trims zeros") << 1.5 << "##0.##" << "1.5";
        QTest::newRow("##0.## keeps point") << 30.0 << "##0.##" << "30.";
        QTest::newRow("##0.# of C") << (200.0 - 32) / 1.8 << "##0.#" << "93.3";
        QTest::newRow("##0.# zero") << 0.0 << "##0.#" << "0.";
        QTest::newRow("#. minutes") << 59.6 << "#." << "60.";
        QTest::newRow("0.0000 pads") << 0.04 << "0.0000" << "0.0400";
        QTest::newRow("long pattern keeps point") << 2.0 << "0.###############" << "2.";
        QTest::newRow("long pattern decimals") << 0.125 << "0.###############" << "0.125";
        QTest::newRow("huge value whole") << 1e300 << "0" << QString::number(1e300, 'f', 0);
        QTest::newRow("huge negative") << -1e80 << "0" << QString::number(-1e80, 'f', 0);
        QTest::newRow("tiny rounds to zero") << 5e-324 << "0.00" << "0.00";
        QTest::newRow("#.#### speed") << 300.0 * 1.70331 << "####.####" << "510.993";
    }
    void pattern() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatNumber(value, pattern), expected);
    }

    void signPosition_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("positive") << 3.0 << " 3";
        QTest::newRow("negative") << -2.0 << "-2";
        QTest::newRow("zero") << 0.0 << " 0";
        QTest::newRow("decimal") << 12.5 << " 12.5";
        QTest::newRow("below one") << 0.5 << " .5";
        QTest::newRow("minus one") << -1.0 << "-1";
        QTest::newRow("large") << 170.0 << " 170";
        // A print statement shows at most 15 significant digits.
        QTest::newRow("15 digits, B2 stress") << 12.5 * 0.443326 / 1.696 << " 3.26743808962264";
        QTest::newRow("binary noise dropped") << 0.1 + 0.2 << " .3";
        QTest::newRow("negative noise dropped") << -(0.1 + 0.2) << "-.3";
        QTest::newRow("15th digit rounds up") << 2.0 / 3.0 << " .666666666666667";
        QTest::newRow("15 digits across the point") << 123456.78901234567 << " 123456.789012346";
    }
    void signPosition() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(numberText(value), expected);
        QCOMPARE(printNumber(value), expected + " ");
    }

    void printZones() {
        QCOMPARE(tz::printZones({printNumber(40), printNumber(100), printNumber(170)}),
                 QString(" 40 ") + QString(10, ' ') + " 100 " + QString(9, ' ') + " 170 ");
        QCOMPARE(tz::printZones({"a"}), QString("a"));
        // An item that fills its zone exactly still moves the next to a new zone.
        QCOMPARE(tz::printZones({QString(14, 'x'), "y"}), QString(14, 'x') + QString(14, ' ') + "y");
        QCOMPARE(padToNextZone(QString(20, 'x')).size(), 28);
    }

    void lenientNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "480" << 480.0;
        QTest::newRow("decimal") << "480.1" << 480.1;
        QTest::newRow("leading blanks") << "   12.5" << 12.5;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("negative") << "-0.02" << -0.02;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("exponent") << "1.5e2x" << 150.0;
        QTest::newRow("bare exponent letter") << "3e" << 3.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("single blank") << " " << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("two points") << "1.2.3" << 1.2;
    }
    void lenientNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(val(text), expected);
    }
};

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_number_format.moc"
