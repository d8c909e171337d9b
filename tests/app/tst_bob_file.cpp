// BOBINFO.TXT: the bob of each unit position.
#include "app/BobFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestBobFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("BOBINFO.TXT"); }
    QByteArray content() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QByteArray& bytes) {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() { QFile::remove(path()); }

    void missingFileIsCreatedWithB5() {
        QVERIFY(BobFile::bobOfUnit(path(), 1).isEmpty());
        QVERIFY(BobFile::ensureExists(path()));
        QCOMPARE(content(), QByteArray("B5\r\n").repeated(8));
        QCOMPARE(BobFile::bobOfUnit(path(), 8), QString("B5"));
    }

    void replaceChangesOnlyThatUnit() {
        QVERIFY(BobFile::ensureExists(path()));
        QVERIFY(BobFile::replaceBob(path(), 8, "XB1"));
        QCOMPARE(content(), QByteArray("B5\r\n").repeated(7) + "XB1\r\n");
        QVERIFY(BobFile::replaceBob(path(), 3, "B2"));
        QCOMPARE(BobFile::readItems(path()),
                 QStringList({"B5", "B5", "B2", "B5", "B5", "B5", "B5", "XB1"}));
    }

    void readsQuotedCommaAndBlankItems() {
        write("B5\r\n \"B1\" \r\nXB2, B2\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        QCOMPARE(BobFile::bobOfUnit(path(), 2), QString("B1"));
        QCOMPARE(BobFile::bobOfUnit(path(), 3), QString("XB2"));
        QCOMPARE(BobFile::bobOfUnit(path(), 4), QString("B2"));
    }

    void shortFileIsRefusedAndKept() {
        write("B1\r\nB2\r\n");
        QVERIFY(BobFile::bobOfUnit(path(), 1).isEmpty());
        QString error;
        QVERIFY(!BobFile::replaceBob(path(), 4, "XB5", &error));
        QVERIFY(error.contains("2 of the 8"));
        QCOMPARE(content(), QByteArray("B1\r\nB2\r\n"));
    }

    // An empty item is a position of its own: the units after it keep their
    // bobs, and a rewrite leaves it empty.
    void emptyItemsKeepTheirPositions() {
        write("B5\r\nB1\r\n\r\nXB2\r\nB2\r\nXB5\r\nB5\r\nB1\r\n");  // line 3 blank
        QVERIFY(BobFile::bobOfUnit(path(), 3).isEmpty());
        QCOMPARE(BobFile::bobOfUnit(path(), 4), QString("XB2"));
        QVERIFY(BobFile::replaceBob(path(), 8, "XB1"));
        QCOMPARE(content(), QByteArray("B5\r\nB1\r\n\r\nXB2\r\nB2\r\nXB5\r\nB5\r\nXB1\r\n"));

        write("B5,,B1\r\nXB2\r\nB2\r\nXB5\r\nB5\r\nB1\r\n");  // ",," is the empty item 2
        QCOMPARE(BobFile::readItems(path()),
                 QStringList({"B5", "", "B1", "XB2", "B2", "XB5", "B5", "B1"}));
        QVERIFY(BobFile::replaceBob(path(), 1, "B2"));
        QCOMPARE(content(), QByteArray("B2\r\n\r\nB1\r\nXB2\r\nB2\r\nXB5\r\nB5\r\nB1\r\n"));
    }

    void itemsPastTheEighthAreDropped() {
        write(QByteArray("B5\r\n").repeated(8) + "EXTRA\r\nMORE\r\n");
        QVERIFY(BobFile::replaceBob(path(), 1, "B2"));
        QCOMPARE(content(), "B2\r\n" + QByteArray("B5\r\n").repeated(7));
    }

    void badUnitOrUnwritableIsRefused() {
        QString error;
        QVERIFY(!BobFile::replaceBob(path(), 9, "B5", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!BobFile::replaceBob(dir.filePath("missing/BOBINFO.TXT"), 1, "B5", &error));
    }
};

QTEST_APPLESS_MAIN(TestBobFile)
#include "tst_bob_file.moc"
