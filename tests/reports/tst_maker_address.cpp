// The maker's web address under the detail report and in the About box: none
// unless the lab has set one in tz360.ini; then exactly that one.
#include "app/ProgramSettings.h"
#include "app/ui/frmAbout.h"
#include "reports/ui/DetailReportDocument.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace tz;

class TestMakerAddress : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;

    void writeIni(const QByteArray& text)
    {
        QFile f(dir.filePath("tz360.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // The report's last line, its footer.
    static QString footer()
    {
        TestInfoValues info;
        info.name = "Gel";
        const std::unique_ptr<QTextDocument> doc = detailReportDocument(info, {});
        return doc->toPlainText().trimmed().split('\n').last();
    }
    static QLabel* addressLabel(frmAbout& about) { return about.findChild<QLabel*>("lblWebAddress"); }

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir); }

    void noAddressUnlessSet()
    {
        QFile::remove(dir.filePath("tz360.ini"));
        QCOMPARE(ProgramSettings().makerWebAddress(), QString());
        QCOMPARE(footer(), QString("Courtesy By Ostra Instrument Company"));
        frmAbout about;
        QVERIFY(addressLabel(about));
        QVERIFY(addressLabel(about)->isHidden());

        // A file without the key, or with an empty one, sets nothing either.
        writeIni("[reports]\nmaker_web_address=   \n");
        QCOMPARE(footer(), QString("Courtesy By Ostra Instrument Company"));
    }

    void theLabsAddress()
    {
        writeIni("[reports]\nmaker_web_address=lab.example.org/tz360\n");
        QCOMPARE(ProgramSettings(dir.filePath("tz360.ini")).makerWebAddress(), QString("lab.example.org/tz360"));
        QCOMPARE(footer(), QString("Courtesy By Ostra Instrument Company lab.example.org/tz360"));
        frmAbout about;
        QVERIFY(!addressLabel(about)->isHidden());
        QCOMPARE(addressLabel(about)->text(), QString("lab.example.org/tz360"));
    }

    void markupInTheFileIsText()
    {
        writeIni("[reports]\nmaker_web_address=\"<b>x</b>\"\n");
        QCOMPARE(footer(), QString("Courtesy By Ostra Instrument Company <b>x</b>"));
    }
};

QTEST_MAIN(TestMakerAddress)
#include "tst_maker_address.moc"
