// Every window carries the program's own icon, a unit window inside the
// real-time frame included (where Qt would otherwise draw its own logo).
#include "app/ui/ProgramIcon.h"

#include <QApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

class TestProgramIcon : public QObject {
    Q_OBJECT
private slots:
    void everyWindowTakesIt()
    {
        QVERIFY(QApplication::windowIcon().isNull());
        tz::installProgramIcon();
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.availableSizes().value(0), QSize(128, 128));

        QMdiArea frame;
        QWidget* unit = new QWidget;
        QMdiSubWindow* sub = frame.addSubWindow(unit);
        QCOMPARE(frame.windowIcon().cacheKey(), icon.cacheKey());
        QCOMPARE(sub->windowIcon().cacheKey(), icon.cacheKey());
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_program_icon.moc"
