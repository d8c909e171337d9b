// Unit windows tiled in the real-time frame: two on a 1280 x 800 screen, side
// by side or one above the other, and four on a 1920 x 1080 screen. Every
// tiled window lies inside the frame and shows every reading, every button
// and its status line whole, with nothing scrolled away or overlapping.
// With TZ360_SCREENSHOTS=<dir> each arrangement is saved there as a PNG.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/UnitWindowSteps.h"

#include "app/Settings.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

using namespace tz;
using tz::test::writeFile;

namespace {

// The whole of w is on screen: no part of it outside any of the widgets it
// sits in, up to the frame, and it is at least as large as it asks to be.
QString cutOrHidden(QWidget* w)
{
    if (!w->isVisible()) return w->objectName() + " hidden";
    QRect shown = w->rect();
    for (QWidget* p = w; p->parentWidget() && !p->isWindow(); p = p->parentWidget())
        shown = shown.translated(p->pos()).intersected(p->parentWidget()->rect());
    if (shown.size() != w->size())
        return w->objectName() + " partly hidden";
    const QSize least = w->minimumSizeHint();
    if (w->width() < least.width() || w->height() < least.height())
        return w->objectName() + QStringLiteral(" squeezed to %1x%2").arg(w->width()).arg(w->height());
    return {};
}

}  // namespace

class TestUnitTiling : public QObject {
    Q_OBJECT
private slots:
    void tiledWindowsShowEverything_data()
    {
        QTest::addColumn<QSize>("frameSize");
        QTest::addColumn<int>("units");
        QTest::addColumn<bool>("vertically");
        // The frame on a 1280 x 800 screen, less the desktop's panel and
        // the frame's title bar; and maximised on 1920 x 1080.
        QTest::newRow("two side by side, 1280x800") << QSize(1240, 740) << 2 << true;
        QTest::newRow("two one above the other, 1280x800") << QSize(1240, 740) << 2 << false;
        QTest::newRow("four tiled vertically, 1920x1080") << QSize(1900, 1000) << 4 << true;
        QTest::newRow("four tiled horizontally, 1920x1080") << QSize(1900, 1000) << 4 << false;
    }

    void tiledWindowsShowEverything()
    {
        QFETCH(QSize, frameSize);
        QFETCH(int, units);
        QFETCH(bool, vertically);
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        // Units 1 to 4 installed on ports nobody serves: the windows open
        // without a line, which changes nothing of their arrangement.
        writeFile("initial.txt", " 31 \r\n 32 \r\n 33 \r\n 34 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n"
                                 " 40            100           170 \r\n");
        writeFile("BOBINFO.TXT", "B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.resize(frameSize);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        for (int n = 1; n <= units; ++n) {
            frame.regularEntry(n)->trigger();
            QVERIFY(frame.unitWindow(n));
        }
        vertically ? frame.tileVertically() : frame.tileHorizontally();
        QTest::qWait(200);

        QMdiArea* area = frame.area();
        const QRect inside = area->viewport()->rect();
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        QVERIFY(!area->verticalScrollBar()->isVisible());
        const QList<QMdiSubWindow*> subs = area->subWindowList();
        QCOMPARE(subs.size(), units);
        for (QMdiSubWindow* sub : subs) {
            QVERIFY2(inside.contains(sub->geometry()), qPrintable(sub->windowTitle()));
            for (QMdiSubWindow* other : subs)
                QVERIFY(other == sub || !other->geometry().intersects(sub->geometry()));
            auto* unit = qobject_cast<frmRealTime*>(sub->widget());
            QVERIFY(unit);
            auto* scroll = unit->findChild<QScrollArea*>("unitScroll");
            QVERIFY2(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible(),
                     qPrintable(sub->windowTitle() + " scrolls"));
            QList<QWidget*> shown{unit->findChild<QStatusBar*>("StatusBar1"), unit->findChild<QWidget*>("lblStatus"),
                                  unit->findChild<QWidget*>("CWGraph1"), unit->findChild<QWidget*>("MSFlexGrid1")};
            for (QLineEdit* box : unit->findChildren<QLineEdit*>()) shown << box;
            for (QAbstractButton* b : unit->findChildren<QAbstractButton*>())
                if (!b->objectName().isEmpty()) shown << b;  // not the grid's corner
            QCOMPARE(shown.size(), 4 + 9 + 10);  // readings and preheat; nine buttons and the box
            for (QWidget* w : shown) {
                const QString fault = cutOrHidden(w);
                QVERIFY2(fault.isEmpty(), qPrintable(sub->windowTitle() + ": " + fault));
            }
        }
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            frame.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS"))
                                  .filePath(QStringLiteral("tiled_%1_%2_%3.png")
                                                .arg(units)
                                                .arg(vertically ? "vertically" : "horizontally")
                                                .arg(frameSize.width())));
        prompt.answers.assign(8, true);
        frame.close();
    }
};

QTEST_MAIN(TestUnitTiling)
#include "tst_unit_tiling.moc"
