// initial.txt: the writer byte for byte and the readers with their fallbacks.
#include "app/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

namespace {
void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
const QByteArray kDefaultRates = " 40 " + QByteArray(10, ' ') + " 100 " + QByteArray(9, ' ') + " 170 \r\n";
}  // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("initial.txt"); }

private slots:
    void init() { QFile::remove(path()); }

    void writesDefaultsByteForByte() {
        Settings s;
        s.unitSystem = 1;
        QVERIFY(SettingsFile::write(path(), {}, s));
        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(" 0 \r\n").repeated(8) + " 1 \r\n 1 \r\n" + kDefaultRates);
    }

    void writesPortsNegativeAndDecimals() {
        Settings s;
        s.unitSystem = 3;
        s.kPrimeUnit = 0;
        s.shearRates = {12.5, 100, 511};
        QVERIFY(SettingsFile::write(path(), {3, -1, 22, 0, 0, 0, 0, 0}, s));
        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines[0], QByteArray(" 3 \r"));
        QCOMPARE(lines[1], QByteArray("-1 \r"));
        QCOMPARE(lines[2], QByteArray(" 22 \r"));
        QCOMPARE(lines[8], QByteArray(" 3 \r"));
        QCOMPARE(lines[9], QByteArray(" 0 \r"));
        QCOMPARE(lines[10], " 12.5 " + QByteArray(8, ' ') + " 100 " + QByteArray(9, ' ') + " 511 \r");
    }

    void displayRoundTrip() {
        Settings s;
        s.unitSystem = 2;
        s.kPrimeUnit = 0;
        s.shearRates = {12.5, 300, 511};
        QVERIFY(SettingsFile::write(path(), {1, 0, 0, 0, 0, 0, 0, 0}, s));
        Settings back;
        QVERIFY(SettingsFile::readDisplay(path(), back));
        QCOMPARE(back.unitSystem, 2);
        QCOMPARE(back.kPrimeUnit, 0);
        QCOMPARE(back.shearRates[0], 12.5);
        QCOMPARE(back.shearRates[2], 511.0);
    }

    void displayFallback_data() {
        QTest::addColumn<QByteArray>("content");   // empty: no file at all
        QTest::addColumn<int>("unitSystem");
        QTest::newRow("missing file") << QByteArray() << 0;
        QTest::newRow("ports only") << QByteArray(" 1 \r\n").repeated(8) << 0;
        QTest::newRow("short after unit system") << QByteArray(" 0 \r\n").repeated(8) + " 3 \r\n 0 \r\n 50 \r\n" << 3;
        QTest::newRow("value not a number") << QByteArray(" 0 \r\n").repeated(8) + " 2 \r\n x \r\n" + kDefaultRates << 2;
        // Only finite decimal numbers are numbers.
        const QByteArray head = QByteArray(" 0 \r\n").repeated(8) + " 2 \r\n 0 \r\n";
        QTest::newRow("nan rate") << head + " nan  100  170 \r\n" << 2;
        QTest::newRow("inf rate") << head + " 40  100  inf \r\n" << 2;
        QTest::newRow("-inf rate") << head + " 40  -inf  170 \r\n" << 2;
        QTest::newRow("overflowing rate") << head + " 40  1e999  170 \r\n" << 2;
        QTest::newRow("nan K' flag") << QByteArray(" 0 \r\n").repeated(8) + " 3 \r\n NaN \r\n" + kDefaultRates << 3;
        // An empty value between two commas is a value, not nothing: the rates
        // do not close up into 40, 100, 170.
        QTest::newRow("empty value between commas") << head + "40,,100,170\r\n" << 2;
        // A tab separates nothing: "40<tab>100" is one value and no number.
        QTest::newRow("tabs between rates") << head + "40\t100\t170\r\n" << 2;
        QTest::newRow("tab before unit system")
            << QByteArray(" 0 \r\n").repeated(8) + "\t2 \r\n 0 \r\n" + kDefaultRates << 0;
    }
    void displayFallback() {
        QFETCH(QByteArray, content);
        QFETCH(int, unitSystem);
        if (!content.isEmpty()) writeRaw(path(), content);
        Settings s;
        s.kPrimeUnit = 0;
        s.shearRates = {1, 2, 3};
        QVERIFY(!SettingsFile::readDisplay(path(), s));
        QCOMPARE(s.unitSystem, unitSystem);
        QCOMPARE(s.kPrimeUnit, 1);
        QCOMPARE(s.shearRates, (std::array<double, 3>{40, 100, 170}));
    }

    void displayValueSeparators_data() {
        QTest::addColumn<QByteArray>("ratesLine");
        QTest::addColumn<double>("rate2");
        QTest::newRow("print zones") << kDefaultRates << 100.0;
        QTest::newRow("commas") << QByteArray("40,101,170\r\n") << 101.0;
        QTest::newRow("blanks around commas") << QByteArray(" 40 , 102 ,170 \r\n") << 102.0;
        QTest::newRow("one per line") << QByteArray("40\r\n103\r\n170\r\n") << 103.0;
        QTest::newRow("exponent and sign") << QByteArray("+4e1 1.04E2 170.\r\n") << 104.0;
    }
    void displayValueSeparators() {
        QFETCH(QByteArray, ratesLine);
        QFETCH(double, rate2);
        writeRaw(path(), QByteArray(" 0 \r\n").repeated(8) + " 2 \r\n 0 \r\n" + ratesLine);
        Settings s;
        QVERIFY(SettingsFile::readDisplay(path(), s));
        QCOMPARE(s.unitSystem, 2);
        QCOMPARE(s.kPrimeUnit, 0);
        QCOMPARE(s.shearRates, (std::array<double, 3>{40, rate2, 170}));
    }

    void hardwareReaders() {
        writeRaw(path(), " 0 \r\n 5 \r\n" + QByteArray(" 0 \r\n").repeated(6) + " 2 \r\n 1 \r\n" + kDefaultRates);
        const HardwareSettings hw = SettingsFile::readHardware(path());
        QCOMPARE(hw.ports, (std::array<int, 8>{0, 5, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(hw.unitSystem, 2);
        QCOMPARE(SettingsFile::readPort(path(), 2), std::optional<int>(5));
        QCOMPARE(SettingsFile::readPort(path(), 1), std::optional<int>(0));

        // An empty port between two commas keeps every later unit on its own line.
        writeRaw(path(), " 5,,3 \r\n" + QByteArray(" 0 \r\n").repeated(5) + " 2 \r\n");
        QCOMPARE(SettingsFile::readHardware(path()).ports, (std::array<int, 8>{5, 0, 3, 0, 0, 0, 0, 0}));
        QCOMPARE(SettingsFile::readPort(path(), 3), std::optional<int>(3));
        QCOMPARE(SettingsFile::readPort(path(), 2), std::nullopt);  // empty: no port number
    }

    void hardwareMissingOrShort() {
        HardwareSettings hw = SettingsFile::readHardware(path());
        QCOMPARE(hw.ports, (std::array<int, 8>{}));
        QCOMPARE(hw.unitSystem, 1);
        QCOMPARE(SettingsFile::readPort(path(), 1), std::nullopt);
        writeRaw(path(), " 4 \r\n 6 \r\n");
        hw = SettingsFile::readHardware(path());
        QCOMPARE(hw.ports, (std::array<int, 8>{4, 6, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(hw.unitSystem, 1);
        QCOMPARE(SettingsFile::readPort(path(), 2), std::optional<int>(6));
        QCOMPARE(SettingsFile::readPort(path(), 3), std::nullopt);
    }

    void failedWriteIsReported() {
        QString error;
        QVERIFY(!SettingsFile::write(dir.filePath("no/such/dir/initial.txt"), {}, Settings{}, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
