#pragma once
// The chart area of the main window and the behaviour of its controls: chart
// type, 2-D / 3-D, log / normal axes, the "All" / "No Ramp" data filter,
// overlays of other tests, printing and saving the visible chart. The main
// window keeps its controls where they are and hands them over here.
#include "analysis/ChartData.h"
#include "analysis/OpenedTest.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QPainter;
class QPrinter;
class QRectF;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;
class clsConnection;

namespace tz {

class Graph2D;
class ChartView3D;
class Prompt;
struct Settings;

struct ChartControls {
    QComboBox* chartType = nullptr;
    QRadioButton* opt2D = nullptr;
    QRadioButton* opt3D = nullptr;
    QRadioButton* optXlog = nullptr;
    QRadioButton* optXNormal = nullptr;
    QRadioButton* optYLog = nullptr;
    QRadioButton* optYNormal = nullptr;
    QRadioButton* optAllData = nullptr;
    QRadioButton* optNoRampData = nullptr;
    QWidget* xScaleFrame = nullptr;
    QWidget* yScaleFrame = nullptr;
    QPushButton* overlap = nullptr;     // enabled only where an overlay can be drawn
    QPushButton* print = nullptr;
    QList<QAction*> printActions;       // menu items that print the chart
    QList<QAction*> saveActions;        // menu items that save it as PNG or PDF
};

class ChartPanel : public QObject {
    Q_OBJECT
public:
    // The chart area is created as a child of `parent`; the caller places it.
    // `openGLCheck` tells whether the 3-D graph can be created on this display;
    // it is asked when 3-D is first chosen, not before: the check loads the
    // whole OpenGL stack, which a session of 2-D charts never needs.
    ChartPanel(QWidget* parent, const ChartControls& controls, const Settings& settings,
               clsConnection& connection, Prompt& prompt,
               std::function<bool()> openGLCheck = {});
    ~ChartPanel() override;

    QStackedWidget* widget() const { return m_stack; }
    // The graphs, created on first use (the 2-D one also just after the
    // chart area is first painted) and drawn with what the panel shows.
    Graph2D* view2D();
    ChartView3D* view3D();

    // A test has been opened: the first chart type of the list is selected
    // and its chart drawn.
    void showTest(const OpenedTest& test);
    // The same, then chart type `index` (1 to 5) with `overlays` on it.
    void showTests(const OpenedTest& primary, const QList<OpenedTest>& overlays, int index);
    // No test open: the empty default chart.
    void clearTest();

    // The overlap dialog's choice: refuses a name not stored, the opened test
    // itself and the default chart with the operator's messages; otherwise
    // reads the test and adds its series. Returns whether a series was added.
    bool overlayTest(const QString& name);
    // The same for a test already read.
    bool overlay(const OpenedTest& test);

    void choose2D();
    void choose3D();
    void chooseChartType(int index);
    void setXLog(bool log);
    void setYLog(bool log);
    void setFilter(DataFilter filter);

    // Print dialog, then the visible chart on one page.
    void printVisibleChart();
    bool printVisibleChart(QPrinter& printer);
    // File dialog, then PNG or PDF by the name's suffix.
    void saveVisibleChartAs();
    // Returns the file written, empty (after a message) when it failed.
    QString saveVisibleChart(const QString& path);

    bool is3D() const { return m_is3D; }
    int chartIndex() const { return m_index; }
    // Runs the OpenGL check if it has not run yet.
    bool threeDAvailable();
    QString testName() const { return m_test.name; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void draw2D();
    QWidget* visibleGraph();
    void fillTypeList();
    void fitTypeListWidth();
    void redraw();
    void reloadRows();
    void updateControls();
    void paintVisible(QPainter& painter, const QRectF& target) const;
    void explainNo3D();

    ChartControls m_c;
    const Settings& m_settings;
    clsConnection& m_connection;
    Prompt& m_prompt;
    QStackedWidget* m_stack = nullptr;
    Graph2D* m_view2D = nullptr;
    ChartView3D* m_view3D = nullptr;
    std::function<bool()> m_glCheck;
    std::optional<bool> m_glAvailable;  // none until the check has run

    // The opened test and the overlays, as far as the charts need them.
    struct Charted {
        QString name;
        int testId = 0;
        std::vector<ResultPoint> points;
    };
    static Charted charted(const OpenedTest& test);
    Charted m_test;
    QList<Charted> m_overlays;
    bool m_is3D = false;
    int m_index = 0;
    bool m_xLog = false;
    bool m_yLog = false;
    DataFilter m_filter = DataFilter::All;
};

}  // namespace tz
