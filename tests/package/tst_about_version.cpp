// The About box names the build installed by the version number of the CMake
// project, beside the release line labs have always read there.
#include "app/ui/frmAbout.h"

#include <QLabel>
#include <QTest>

class TestAboutVersion : public QObject {
    Q_OBJECT
private slots:
    void showsTheProjectVersion() {
        tz::frmAbout about;
        QStringList texts;
        for (auto* l : about.findChildren<QLabel*>()) texts << l->text();
        QVERIFY2(texts.contains(QStringLiteral("Program version " TZ360_EXPECTED_VERSION)), qPrintable(texts.join('|')));
        QVERIFY(texts.contains(QStringLiteral("Version 1.2.0.2      12-27-2011")));
    }
};

QTEST_MAIN(TestAboutVersion)
#include "tst_about_version.moc"
