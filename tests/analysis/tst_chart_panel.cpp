// The chart area of the main window driven through its own controls: chart
// types, the data filter, log axes, overlays and their refusals, 2-D / 3-D,
// the 3-D option on a display without OpenGL, and the visible chart saved
// and printed to files that are read back.
//
// TZ360_SCREENSHOT_DIR=/some/dir keeps pictures of the main window.
#include "ChartFixture.h"
#include "StoredTests.h"
#include "analysis/OpenedTest.h"
#include "analysis/ui/ChartPanel.h"
#include "analysis/ui/charts/ChartView2D.h"
#include "analysis/ui/ChartView3D.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "analysis/OpenedTestSession.h"
#include "support/ScriptedPrompt.h"
#include "testinfo/frmOverlapTest.h"

#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QStyleOptionComboBox>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QValueAxis>

using namespace tz;

namespace {

// The drawn series, lines or markers.
// The panel's 2-D graph as the charts module made it.
ChartView2D* graph2D(ChartPanel* panel)
{
    return dynamic_cast<ChartView2D*>(panel->view2D());
}

QList<QXYSeries*> lines(ChartView2D* view)
{
    QList<QXYSeries*> out;
    for (QAbstractSeries* s : view->chart()->series()) out << qobject_cast<QXYSeries*>(s);
    return out;
}

// Many distinct colours: a drawn chart, not an empty page.
int colourCount(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) seen.insert(image.pixel(x, y));
    return int(seen.size());
}

// Whether a library whose file name contains `name` is loaded in this process.
bool loaded(const char* name)
{
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

bool isPdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = f.readAll();
    return all.startsWith("%PDF-") && all.trimmed().endsWith("%%EOF") && all.size() > 2000;
}

}  // namespace

class TestChartPanel : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;
    std::unique_ptr<Workstation> ws;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> w;
    ChartPanel* panel = nullptr;
    std::optional<OpenedTest> gel, hand, other;

    template <typename T> T* find(const char* name) { return w->findChild<T*>(QLatin1String(name)); }

    void choose(int index)
    {
        auto* type = find<QComboBox>("cmbChartType");
        type->setCurrentIndex(index);
        emit type->activated(index);
    }

    void screenshot(const QString& name)
    {
        const QString shots = qEnvironmentVariable("TZ360_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        QTest::qWait(1000);
        // The screen, not a widget grab: the 3-D graph is an OpenGL window.
        w->screen()->grabWindow(w->winId()).save(shots + "/" + name + ".png");
        panel->saveVisibleChart(shots + "/" + name + "-saved.png");
    }

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        ws = std::make_unique<Workstation>();
        prompt = std::make_unique<ScriptedPrompt>();
        w = std::make_unique<frmMain>(*ws, *prompt);
        w->load();
        ws->settings.unitSystem = UnitCGS;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        panel = w->chartPanel();
        QVERIFY(panel);

        fixture::storeTest(ws->connection, "Gel 30 HT", chartfixture::gelRun());
        fixture::storeTest(ws->connection, "Hand", chartfixture::rows());
        auto lower = chartfixture::gelRun();
        for (ResultPoint& p : lower) p.shearStress *= 0.6;
        fixture::storeTest(ws->connection, "Gel 25 HT", lower);
        gel = loadTestByName(ws->connection, "Gel 30 HT");
        hand = loadTestByName(ws->connection, "Hand");
        other = loadTestByName(ws->connection, "Gel 25 HT");
        QVERIFY(gel && hand && other);
    }
    void cleanupTestCase()
    {
        w.reset();
        QDir::setCurrent(oldDir);
    }
    void init()
    {
        prompt->shown.clear();
        find<QRadioButton>("opt2D")->click();
        find<QRadioButton>("optXNormal")->click();
        find<QRadioButton>("optYNormal")->click();
        find<QRadioButton>("optAllData")->click();
    }

    // Start-up builds no graph; the empty chart appears once the window is
    // on the screen, and a test opened in a window never shown is charted at once.
    void graphsAreCreatedWhenNeeded()
    {
        Workstation ws2;
        ScriptedPrompt p;
        frmMain shown(ws2, p);
        shown.load();
        QVERIFY(!shown.findChild<ChartView2D*>("Pesgo1"));
        QVERIFY(!shown.findChild<ChartView3D*>("Pe3doa1"));
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        QTRY_VERIFY(shown.findChild<ChartView2D*>("Pesgo1"));
        auto* drawn = shown.findChild<ChartView2D*>("Pesgo1");
        QVERIFY(drawn->isVisible());
        QCOMPARE(drawn->drawn().title, QString("Viscosity & Temperature Vs. Time"));
        QCOMPARE(lines(drawn).size(), 4);
        QVERIFY(!shown.findChild<ChartView3D*>("Pe3doa1"));
        // The 3-D graph's libraries wait for the first 3-D chart.
        QVERIFY(!loaded("tz360-chart3d"));
        QVERIFY(!loaded("libQt6DataVisualization"));

        frmMain hidden(ws2, p);
        hidden.load();
        hidden.chartPanel()->showTest(*hand);
        auto* view = hidden.findChild<ChartView2D*>("Pesgo1");
        QVERIFY(view);
        QCOMPARE(hidden.chartPanel()->widget()->currentWidget(), view);
        QCOMPARE(view->drawn().title, QString("Hand"));
        QVERIFY(!lines(view).first()->points().isEmpty());

        // 3D chosen before the empty chart was ever drawn, then 2D again:
        // the 2-D graph takes the place of the 3-D one.
        if (panel->threeDAvailable()) {
            QWidget host;
            ChartControls c;
            c.chartType = new QComboBox(&host);
            c.opt2D = new QRadioButton("2D", &host);
            c.opt3D = new QRadioButton("3D", &host);
            ChartPanel early(&host, c, ws2.settings, ws2.connection, p, [] { return true; });
            early.choose3D();
            QVERIFY(early.is3D());
            early.choose2D();
            QWidget* current = early.widget()->currentWidget();
            QVERIFY(current);
            QCOMPARE(current, early.view2D()->widget());
        }
    }

    void controlsWorkBeforeAnyTest()
    {
        panel->clearTest();
        auto* type = find<QComboBox>("cmbChartType");
        QVERIFY(type->isEnabled());
        QCOMPARE(type->count(), 6);
        QVERIFY(find<QPushButton>("cmdPrintChart")->isEnabled());
        QVERIFY(find<QAction>("MenuPrintChart")->isEnabled());
        QVERIFY(!find<QPushButton>("cmdOverlap")->isEnabled());
        QVERIFY(find<QPushButton>("cmdOverlap")->toolTip().startsWith("Open a test first"));
        // Nothing opened: the choice snaps back to the first type.
        choose(3);
        QCOMPARE(type->currentIndex(), 0);
        QCOMPARE(graph2D(panel)->drawn().title, QString("Viscosity & Temperature Vs. Time"));
        QCOMPARE(lines(graph2D(panel)).size(), 4);
        QVERIFY(lines(graph2D(panel)).first()->points().isEmpty());
    }

    // A test name is shown as typed, markup characters and all.
    void titleShowsNameAsTyped()
    {
        OpenedTest test;
        test.info.name = "Gel <30> & B";
        test.points = chartfixture::rows();
        panel->showTest(test);
        choose(0);
        auto shown = [this] {
            QStringList texts;
            for (QGraphicsItem* item : graph2D(panel)->scene()->items())
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) texts << text->toPlainText();
            return texts;
        };
        graph2D(panel)->grab();
        QVERIFY2(shown().contains("Gel <30> & B"), qPrintable(shown().join(" | ")));
        choose(5);
        graph2D(panel)->grab();
        // Under its chart title, as the subtitle.
        QVERIFY2(shown().join("|").contains("Gel <30> & B"), qPrintable(shown().join(" | ")));
    }

    void defaultChartAndFilter()
    {
        panel->showTest(*hand);
        ChartView2D* view = graph2D(panel);
        QCOMPARE(panel->widget()->currentWidget(), view);
        QCOMPARE(view->drawn().title, QString("Hand"));
        QCOMPARE(view->chart()->title(), QString("Hand"));
        QList<QXYSeries*> s = lines(view);
        QCOMPARE(s.size(), 4);
        QCOMPARE(s[2]->name(), QString("Viscosity"));
        QCOMPARE(s[2]->count(), 4);
        QCOMPARE(view->chart()->axes(Qt::Vertical).size(), 3);
        QVERIFY(!find<QPushButton>("cmdOverlap")->isEnabled());
        QVERIFY(find<QPushButton>("cmdOverlap")->toolTip().contains("choose another chart type"));

        // "No Ramp" drops the two ramp points; "All" brings them back.
        find<QRadioButton>("optNoRampData")->click();
        QCOMPARE(lines(view)[2]->count(), 2);
        QCOMPARE(lines(view)[3]->points().last(), QPointF(1, 100));
        find<QRadioButton>("optAllData")->click();
        QCOMPARE(lines(view)[2]->count(), 4);
    }

    // Chart types redraw from the database: points recorded since the test
    // was opened (a run still going) show up.
    void chartTypesAndOverlays()
    {
        panel->showTest(*hand);
        clsTEST_RESULT more;
        more.setTest_Id(hand->info.testId);
        more.ConnectX(ws->connection);
        more.setTest_Id(hand->info.testId);
        more.setRESULT_TIME(240);
        more.setRESULT_SHEAR_RATE(20);
        more.setRESULT_SHEAR_STRESS(9.576);
        more.setRESULT_TYPE_ID(1);
        more.AddNew();

        choose(1);
        ChartView2D* view = graph2D(panel);
        QCOMPARE(view->drawn().title, QString("Shear Stress Vs. Shear Rate"));
        QList<QXYSeries*> s = lines(view);
        QCOMPARE(s.size(), 1);
        QCOMPARE(s[0]->count(), 5);
        QList<double> rates;
        for (const QPointF& p : s[0]->points()) rates << p.x();
        QCOMPARE(rates, (QList<double>{0, 20, 40, 100, 170}));
        QVERIFY(find<QPushButton>("cmdOverlap")->isEnabled());
        QCOMPARE(find<QPushButton>("cmdOverlap")->statusTip(), QString("Overlay another saved test on this chart."));

        QVERIFY(!panel->overlayTest("Hand"));
        QCOMPARE(prompt->lastText(), QString("Test can not overlap itself!"));
        QCOMPARE(prompt->shown.last().title, QString("Selection Error."));
        QVERIFY(!panel->overlayTest("No such test"));
        QCOMPARE(prompt->lastText(), QString("Your test sequence name is not found.  Please try again."));
        QCOMPARE(lines(view).size(), 1);

        QVERIFY(panel->overlayTest("Gel 30 HT"));
        QVERIFY(panel->overlayTest("Gel 25 HT"));
        // A test already overlaid is refused as the opened one is.
        QVERIFY(!panel->overlayTest("Gel 30 HT"));
        QCOMPARE(prompt->lastText(), QString("Test is already overlapped!"));
        QCOMPARE(prompt->shown.last().title, QString("Selection Error."));
        s = lines(view);
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[0]->name(), QString("Hand"));
        QCOMPARE(s[1]->name(), QString("Gel 30 HT"));
        QCOMPARE(s[2]->name(), QString("Gel 25 HT"));
        QCOMPARE(s[1]->count(), int(gel->points.size()));
        QVERIFY(view->chart()->legend()->isVisible());

        // Log axes keep the overlays and leave out the zero-rate point.
        find<QRadioButton>("optXlog")->click();
        find<QRadioButton>("optYLog")->click();
        QVERIFY(qobject_cast<QLogValueAxis*>(view->chart()->axes(Qt::Horizontal).first()));
        QVERIFY(qobject_cast<QLogValueAxis*>(view->chart()->axes(Qt::Vertical).first()));
        QCOMPARE(lines(view).size(), 3);
        QCOMPARE(lines(view)[0]->count(), 4);
        QCOMPARE(view->drawn().hiddenOnLog, 1);
        find<QRadioButton>("optXNormal")->click();
        QVERIFY(qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal).first()));

        // Back to the first type: its overlay is refused with its message.
        choose(0);
        QVERIFY(!find<QPushButton>("cmdOverlap")->isEnabled());
        QVERIFY(!panel->overlayTest("Gel 30 HT"));
        QVERIFY(prompt->lastText().startsWith("Click here to overlap another test on graphs."));
        QCOMPARE(lines(view).size(), 4);
    }

    // Charts against shear rate show markers, overlays included, so a ramp
    // recorded down and up again is not a zigzag; the others keep lines.
    void markersAgainstShearRate()
    {
        panel->showTest(*gel);
        for (int index = 1; index <= 5; ++index) {
            choose(index);
            if (index == 3) QVERIFY(panel->overlayTest("Gel 25 HT"));
            const bool markers = index == 1 || index == 3;
            for (QAbstractSeries* s : graph2D(panel)->chart()->series()) {
                QCOMPARE(qobject_cast<QScatterSeries*>(s) != nullptr, markers);
                QCOMPARE(qobject_cast<QLineSeries*>(s) != nullptr, !markers);
            }
            if (index == 3) {
                QCOMPARE(graph2D(panel)->chart()->series().size(), 2);
                screenshot("chart-visc-rate-markers");
            }
        }
        choose(1);
        screenshot("chart-stress-rate-markers");
    }

    // The chart-type box shows every entry of both lists whole.
    void chartTypeTextsFit()
    {
        auto* type = find<QComboBox>("cmbChartType");
        for (const QString& text : chartTypes2D() + chartTypes3D()) {
            QStyleOptionComboBox option;
            option.initFrom(type);
            const QRect field =
                type->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, type);
            QVERIFY2(type->fontMetrics().horizontalAdvance(text) <= field.width(), qPrintable(text));
        }
        // Nothing beside it is covered.
        for (QWidget* other : type->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != type && other->isVisible())
                QVERIFY2(!other->geometry().intersects(type->geometry()), qPrintable(other->objectName()));
    }

    // Opening a test in the main window draws its default chart; the
    // overlap button then leads through the overlap dialog to a second series.
    void openAndOverlapThroughMainWindow()
    {
        QVERIFY(w->openedTest().open("Hand"));
        QCOMPARE(panel->testName(), QString("Hand"));
        QCOMPARE(graph2D(panel)->drawn().title, QString("Hand"));
        QCOMPARE(graph2D(panel)->chart()->title(), QString("Hand"));
        choose(3);
        auto* overlap = find<QPushButton>("cmdOverlap");
        QVERIFY(overlap->isEnabled());
        QTimer::singleShot(0, this, [this] {
            auto* dialog = w->findChild<frmOverlapTest*>();
            QVERIFY(dialog && dialog->listedNames().contains("Gel 25 HT"));
            dialog->setTestName("Gel 25 HT");
            dialog->findChild<QPushButton*>("cmdOK")->click();
        });
        overlap->click();
        const QList<QXYSeries*> s = lines(graph2D(panel));
        QCOMPARE(s.size(), 2);
        QCOMPARE(s[1]->name(), QString("Gel 25 HT"));
        screenshot("main-open-overlay");

        w->openedTest().close();
        QCOMPARE(panel->testName(), QString());
        QVERIFY(!overlap->isEnabled());
        QCOMPARE(graph2D(panel)->drawn().title, QString("Viscosity & Temperature Vs. Time"));
    }

    void defaultChartLogAxes()
    {
        panel->showTest(*gel);
        find<QRadioButton>("optYLog")->click();
        ChartView2D* view = graph2D(panel);
        const QList<QAbstractAxis*> ys = view->chart()->axes(Qt::Vertical);
        QCOMPARE(ys.size(), 3);
        // Temperature stays linear; viscosity and shear rate turn logarithmic.
        QVERIFY(qobject_cast<QValueAxis*>(ys[0]));
        QVERIFY(qobject_cast<QLogValueAxis*>(ys[1]));
        QVERIFY(qobject_cast<QLogValueAxis*>(ys[2]));
        screenshot("chart-default-ylog");
    }

    void threeD()
    {
        if (!panel->threeDAvailable()) QSKIP("no OpenGL on this display");
        panel->showTest(*gel);
        find<QRadioButton>("opt3D")->click();
        auto* type = find<QComboBox>("cmbChartType");
        QCOMPARE(type->count(), 3);
        QCOMPARE(type->itemText(1), QString("Visc Vs. Rate, Temp"));
        QCOMPARE(panel->widget()->currentWidget(), panel->view3D());
        QVERIFY(!find<QWidget>("fraXScale")->isVisible());
        QVERIFY(!find<QPushButton>("cmdOverlap")->isEnabled());
        QVERIFY(panel->view3D()->hasGraph());
        QVERIFY(loaded("tz360-chart3d"));
        QCOMPARE(panel->view3D()->drawnPointCount(), int(gel->points.size()));

        choose(1);
        QCOMPARE(panel->view3D()->drawn().xTitle, QString("Shear Rate (1/S)"));
        QCOMPARE(panel->view3D()->drawn().zTitle, QString("Sample Temp (°F)"));
        screenshot("chart-3d-visc-rate-temp");

        const QString png = panel->saveVisibleChart(dir.filePath("three-d"));
        QCOMPARE(png, dir.filePath("three-d.png"));
        QImage image(png);
        QVERIFY(image.width() >= 1000 && image.height() >= 600);
        QVERIFY(colourCount(image) > 20);
        QVERIFY(isPdf(panel->saveVisibleChart(dir.filePath("three-d.pdf"))));

        find<QRadioButton>("opt2D")->click();
        QCOMPARE(type->count(), 6);
        QCOMPARE(panel->widget()->currentWidget(), graph2D(panel));
        QVERIFY(find<QWidget>("fraXScale")->isVisible());
    }

    void savedAndPrinted()
    {
        panel->showTest(*gel);
        screenshot("chart-default");
        const QString png = panel->saveVisibleChart(dir.filePath("default.png"));
        QImage image(png);
        QVERIFY(!image.isNull());
        // At least 1000 x 600, in the proportions of the chart on screen.
        const QSize onScreen = panel->widget()->size();
        QVERIFY(image.width() >= 1000 && image.height() >= 600);
        QVERIFY(std::abs(double(image.width()) / image.height() - double(onScreen.width()) / onScreen.height()) < 0.01);
        // The viscosity curve's blue is on the picture.
        bool blue = false;
        for (int y = 0; y < image.height() && !blue; ++y)
            for (int x = 0; x < image.width() && !blue; ++x)
                blue = image.pixelColor(x, y) == QColor(20, 70, 200);
        QVERIFY(blue);
        QVERIFY(isPdf(panel->saveVisibleChart(dir.filePath("default.PDF"))));

        choose(3);
        QVERIFY(panel->overlayTest("Gel 25 HT"));
        screenshot("chart-visc-rate-overlay");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        QVERIFY(panel->printVisibleChart(printer));
        QVERIFY(isPdf(dir.filePath("printed.pdf")));

        // A folder that does not exist: a message, no file claimed.
        QVERIFY(panel->saveVisibleChart(dir.filePath("missing/chart.png")).isEmpty());
        QVERIFY(prompt->lastText().startsWith("The chart could not be saved"));
    }

    // Without OpenGL the 3-D option says why it is off and 2-D works. The
    // check loads the OpenGL stack, so it waits until 3-D is first chosen
    // and runs only once.
    void withoutOpenGL()
    {
        QWidget host;
        ChartControls c;
        c.chartType = new QComboBox(&host);
        c.opt2D = new QRadioButton("2D", &host);
        c.opt3D = new QRadioButton("3D", &host);
        ScriptedPrompt p;
        int checks = 0;
        ChartPanel noGl(&host, c, ws->settings, ws->connection, p, [&checks] { ++checks; return false; });
        noGl.showTest(*hand);
        QCOMPARE(checks, 0);
        noGl.choose3D();
        QCOMPARE(checks, 1);
        QVERIFY(!noGl.is3D());
        QVERIFY(p.lastText().contains("OpenGL"));
        QVERIFY(!c.opt3D->isEnabled());
        QVERIFY(c.opt3D->toolTip().contains("OpenGL"));
        QVERIFY(!noGl.threeDAvailable());
        QCOMPARE(checks, 1);
        QVERIFY(!noGl.view3D()->hasGraph());
        QCOMPARE(c.chartType->count(), 6);
        QCOMPARE(lines(graph2D(&noGl)).size(), 4);
    }
};

QTEST_MAIN(TestChartPanel)
#include "tst_chart_panel.moc"
