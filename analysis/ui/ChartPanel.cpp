#include "analysis/ui/ChartPanel.h"

#include "analysis/ui/ChartOutput.h"
#include "analysis/ui/Graph2D.h"
#include "analysis/ui/ChartView3D.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "app/ui/SaveFileDialog.h"
#include "app/ui/StatusNote.h"
#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace tz {

namespace {
const QString kNotFound = QStringLiteral("Your test sequence name is not found.  Please try again.");
const QString kNo3D = QStringLiteral(
    "3-D charts need OpenGL, which this display does not provide. The 2-D charts work as usual.");
// A saved image keeps at least this size, so a small window still gives a
// legible picture.
constexpr QSize kMinimumPicture(1000, 600);
}  // namespace

ChartPanel::ChartPanel(QWidget* parent, const ChartControls& controls, const Settings& settings,
                       clsConnection& connection, Prompt& prompt, std::function<bool()> openGLCheck)
    : QObject(parent), m_c(controls), m_settings(settings), m_connection(connection), m_prompt(prompt),
      m_glCheck(openGLCheck ? std::move(openGLCheck) : &ChartView3D::openGLAvailable)
{
    // The graphs themselves are created when first needed (view2D(),
    // view3D()): building and drawing them is most of the cost of the
    // chart area, and the operator should see the main window first.
    m_stack = new QStackedWidget(parent);
    m_stack->setObjectName(QStringLiteral("chartArea"));
    m_stack->installEventFilter(this);

    // A platform that can never have OpenGL says so at once, without the check.
    if (!openGLCheck && !ChartView3D::platformMayHaveOpenGL()) {
        m_glAvailable = false;
        explainNo3D();
    }

    // The chart area offers the same print and save items as the menu.
    m_stack->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_stack->addActions(m_c.printActions);
    m_stack->addActions(m_c.saveActions);

    connectControls();
    {
        const QSignalBlocker block(m_c.opt2D);
        if (m_c.opt2D) m_c.opt2D->setChecked(true);
    }
    fillTypeList();
    redraw();
    updateControls();
}

ChartPanel::~ChartPanel() = default;

Graph2D* ChartPanel::view2D()
{
    if (!m_view2D) {
        m_view2D = createGraph2D(m_stack);
        m_view2D->widget()->setObjectName(QStringLiteral("Pesgo1"));
        m_stack->addWidget(m_view2D->widget());
        draw2D();
        if (!m_is3D) m_stack->setCurrentWidget(m_view2D->widget());
    }
    return m_view2D;
}

ChartView3D* ChartPanel::view3D()
{
    if (!m_view3D) {
        m_view3D = new ChartView3D(m_stack);
        m_view3D->setObjectName(QStringLiteral("Pe3doa1"));
        m_stack->addWidget(m_view3D);
        if (m_is3D) m_stack->setCurrentWidget(m_view3D);
    }
    return m_view3D;
}

bool ChartPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The empty chart is drawn just after the window first appears, once
    // its first picture is on the screen, so that start-up does not wait
    // for it. Asked once: the filter goes with the first paint.
    if (watched == m_stack && event->type() == QEvent::Paint) {
        m_stack->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { view2D(); });
    }
    return QObject::eventFilter(watched, event);
}

bool ChartPanel::threeDAvailable()
{
    // Asked once: the answer does not change while the program runs.
    if (!m_glAvailable) {
        m_glAvailable = m_glCheck();
        if (!*m_glAvailable) explainNo3D();
    }
    return *m_glAvailable;
}

void ChartPanel::explainNo3D()
{
    if (!m_c.opt3D) return;
    m_c.opt3D->setEnabled(false);
    m_c.opt3D->setToolTip(kNo3D);
    m_c.opt3D->setStatusTip(kNo3D);
}

void ChartPanel::connectControls()
{
    auto onChecked = [this](QRadioButton* button, auto action) {
        if (!button) return;
        connect(button, &QRadioButton::toggled, this, [this, action](bool on) {
            if (on) (this->*action)();
        });
    };
    onChecked(m_c.opt2D, &ChartPanel::choose2D);
    onChecked(m_c.opt3D, &ChartPanel::choose3D);
    if (m_c.optXlog) connect(m_c.optXlog, &QRadioButton::toggled, this, &ChartPanel::setXLog);
    if (m_c.optYLog) connect(m_c.optYLog, &QRadioButton::toggled, this, &ChartPanel::setYLog);
    if (m_c.optNoRampData)
        connect(m_c.optNoRampData, &QRadioButton::toggled, this,
                [this](bool on) { setFilter(on ? DataFilter::NoRamp : DataFilter::All); });
    if (m_c.chartType)
        connect(m_c.chartType, &QComboBox::activated, this, &ChartPanel::chooseChartType);
    if (m_c.print)
        connect(m_c.print, &QPushButton::clicked, this, [this] { printVisibleChart(); });
    for (QAction* a : m_c.printActions)
        connect(a, &QAction::triggered, this, [this] { printVisibleChart(); });
    for (QAction* a : m_c.saveActions)
        connect(a, &QAction::triggered, this, &ChartPanel::saveVisibleChartAs);
}

void ChartPanel::fillTypeList()
{
    if (!m_c.chartType) return;
    const QSignalBlocker block(m_c.chartType);
    m_c.chartType->clear();
    m_c.chartType->addItems(m_is3D ? chartTypes3D() : chartTypes2D());
    m_c.chartType->setCurrentIndex(m_index);
    fitTypeListWidth();
}

void ChartPanel::fitTypeListWidth()
{
    // As wide as the longest entry of either list: no text cut, and the box
    // keeps its width when 2D and 3D swap the lists.
    QComboBox* box = m_c.chartType;
    int text = 0;
    for (const QString& entry : chartTypes2D() + chartTypes3D())
        text = std::max(text, box->fontMetrics().horizontalAdvance(entry));
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    const int needed =
        box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, box->fontMetrics().height()), box)
            .width();
    box->setMinimumWidth(needed);
    if (box->width() < needed)
        box->resize(needed, box->height());
}

void ChartPanel::updateControls()
{
    if (m_c.xScaleFrame) m_c.xScaleFrame->setVisible(!m_is3D);
    if (m_c.yScaleFrame) m_c.yScaleFrame->setVisible(!m_is3D);
    if (m_c.overlap) {
        m_c.overlap->setEnabled(!m_is3D && m_index != kDefaultChart && !m_test.name.isEmpty());
        // A trainee sees why the button waits, without a dialog.
        const QString hint = m_test.name.isEmpty()
            ? QStringLiteral("Open a test first; then choose a chart type other than \"Visc, Temp Vs Time\".")
            : m_is3D ? QStringLiteral("Only 2-D charts can be overlaid: choose 2D.")
            : m_index == kDefaultChart
                ? QStringLiteral("\"Visc, Temp Vs Time\" cannot be overlaid: choose another chart type "
                                 "(viscosity, stress, temperature or shear rate against each other).")
                : QStringLiteral("Overlay another saved test on this chart.");
        m_c.overlap->setToolTip(hint);
        m_c.overlap->setStatusTip(hint);
    }
    if (m_c.chartType && m_c.chartType->currentIndex() != m_index) {
        const QSignalBlocker block(m_c.chartType);
        m_c.chartType->setCurrentIndex(m_index);
    }
    // Back from 3D the 2-D graph must replace the 3-D one, even before the
    // empty chart would have been drawn.
    if (m_is3D)
        m_stack->setCurrentWidget(view3D());
    else if (m_view2D || m_view3D)
        m_stack->setCurrentWidget(view2D()->widget());
}

void ChartPanel::redraw()
{
    if (m_is3D) {
        if (threeDAvailable()) view3D()->draw(chart3D(m_index, m_test.name, m_test.points, m_settings.unitSystem));
        return;
    }
    // A test's chart is wanted now; the empty chart can wait for the graph
    // to be created, which draws it.
    if (m_view2D || !m_test.name.isEmpty())
        view2D();
    draw2D();
}

void ChartPanel::draw2D()
{
    if (!m_view2D) return;
    Chart2D chart;
    if (m_index == kDefaultChart) {
        chart = defaultChart(m_test.name, buildChartPoints(m_test.points, m_filter, m_settings));
    } else {
        chart = chart2D(m_index, m_test.name, m_test.points, m_settings.unitSystem);
        for (const Charted& o : m_overlays)
            addOverlay(chart, m_test.name, overlaySeries(m_index, o.name, o.points, m_settings.unitSystem));
    }
    dropPointsHiddenOnLog(chart, m_xLog, m_yLog);
    m_view2D->draw(chart, m_xLog, m_yLog);
}

// Charts are drawn from the database as it is now: a test still running on
// a unit gains points between two draws.
void ChartPanel::reloadRows()
{
    if (m_test.testId <= 0 || !m_connection.isOpen()) return;
    if (const auto test = loadTest(m_connection, m_test.testId)) m_test.points = test->points;
}

ChartPanel::Charted ChartPanel::charted(const OpenedTest& test)
{
    return {test.info.name, test.info.testId, test.points};
}

void ChartPanel::showTest(const OpenedTest& test)
{
    m_test = charted(test);
    m_overlays.clear();
    m_index = kDefaultChart;
    fillTypeList();
    redraw();
    updateControls();
}

void ChartPanel::showTests(const OpenedTest& primary, const QList<OpenedTest>& overlays, int index)
{
    showTest(primary);
    if (index == kDefaultChart) return;
    chooseChartType(index);
    for (const OpenedTest& o : overlays) overlay(o);
}

void ChartPanel::clearTest()
{
    showTest(OpenedTest{});
}

bool ChartPanel::overlayTest(const QString& name)
{
    try {
        const std::optional<OpenedTest> test = loadTestByName(m_connection, name);
        if (!test) {
            m_prompt.message(m_stack, kNotFound, QString(), Prompt::Icon::None);
            return false;
        }
        return overlay(*test);
    } catch (const DbError& e) {
        m_prompt.message(m_stack, e.text(), QString(), Prompt::Icon::Critical);
        return false;
    }
}

bool ChartPanel::overlay(const OpenedTest& test)
{
    if (m_test.name.isEmpty()) {
        m_prompt.message(m_stack, QStringLiteral("No opened test to overlap on.  Please open one test first."),
                         QStringLiteral("Operation Error"), Prompt::Icon::None);
        return false;
    }
    if (m_is3D) return false;
    if (const auto refusal = overlayRefusal(m_index, m_test.name, test.info.name)) {
        m_prompt.message(m_stack, refusal->text, refusal->title, Prompt::Icon::None);
        return false;
    }
    // A second copy of the same test would only draw over the first.
    for (const Charted& shown : m_overlays) {
        if (shown.name == test.info.name) {
            m_prompt.message(m_stack, QStringLiteral("Test is already overlapped!"),
                             QStringLiteral("Selection Error."), Prompt::Icon::None);
            return false;
        }
    }
    m_overlays.append(charted(test));
    redraw();
    return true;
}

void ChartPanel::choose2D()
{
    m_is3D = false;
    if (m_c.opt2D && !m_c.opt2D->isChecked()) {
        const QSignalBlocker block(m_c.opt2D);
        m_c.opt2D->setChecked(true);
    }
    m_index = kDefaultChart;
    m_overlays.clear();
    fillTypeList();
    try {
        reloadRows();
    } catch (const DbError&) {
        // The chart is drawn from the points already read.
    }
    redraw();
    updateControls();
}

void ChartPanel::choose3D()
{
    if (!threeDAvailable()) {
        m_prompt.message(m_stack, kNo3D, QStringLiteral("3-D Charts"), Prompt::Icon::Information);
        if (m_c.opt2D) m_c.opt2D->setChecked(true);
        return;
    }
    m_is3D = true;
    if (m_c.opt3D && !m_c.opt3D->isChecked()) {
        const QSignalBlocker block(m_c.opt3D);
        m_c.opt3D->setChecked(true);
    }
    m_index = 0;
    m_overlays.clear();
    fillTypeList();
    // The graph's window must exist before it is drawn into.
    updateControls();
    try {
        reloadRows();
    } catch (const DbError&) {
    }
    redraw();
}

void ChartPanel::chooseChartType(int index)
{
    const int count = m_is3D ? kChart3DTypes : kChart2DTypes;
    if (m_test.name.isEmpty() || index < 0 || index >= count) {
        // Nothing to chart: the list shows the first type again.
        m_index = kDefaultChart;
        updateControls();
        return;
    }
    try {
        reloadRows();
    } catch (const DbError& e) {
        m_prompt.message(m_stack, e.text(), QString(), Prompt::Icon::Critical);
        updateControls();
        return;
    }
    m_index = index;
    m_overlays.clear();
    redraw();
    updateControls();
}

void ChartPanel::setXLog(bool log)
{
    m_xLog = log;
    if (!m_is3D) redraw();
}

void ChartPanel::setYLog(bool log)
{
    m_yLog = log;
    if (!m_is3D) redraw();
}

void ChartPanel::setFilter(DataFilter filter)
{
    m_filter = filter;
    // As when the test is opened: the first chart type, from the database.
    if (m_test.name.isEmpty()) return;
    chooseChartType(kDefaultChart);
}

void ChartPanel::paintVisible(QPainter& painter, const QRectF& target) const
{
    // The chart keeps its on-screen proportions, centred on the page or image.
    const QWidget* visible = m_is3D ? static_cast<QWidget*>(m_view3D) : m_view2D->widget();
    QSizeF fitted = QSizeF(visible->size().expandedTo(QSize(1, 1))).scaled(target.size(), Qt::KeepAspectRatio);
    const QRectF place(target.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    if (m_is3D) {
        // Rendered at the placed size (capped: a printer page is huge in
        // pixels) and scaled onto it.
        const QSize pixels = place.size().toSize().boundedTo(QSize(2400, 1700));
        painter.drawImage(place, m_view3D->render(pixels.expandedTo(QSize(1, 1))));
        return;
    }
    m_view2D->render(painter, place);
}

QWidget* ChartPanel::visibleGraph()
{
    return m_is3D ? static_cast<QWidget*>(view3D()) : view2D()->widget();
}

bool ChartPanel::printVisibleChart(QPrinter& printer)
{
    visibleGraph();
    return printChart(printer, [this](QPainter& p, const QRectF& r) { paintVisible(p, r); });
}

void ChartPanel::printVisibleChart()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, m_stack->window());
    dialog.setWindowTitle(QStringLiteral("Print Chart"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!printVisibleChart(printer))
        m_prompt.message(m_stack, QStringLiteral("The chart could not be printed."), QString(),
                         Prompt::Icon::Critical);
}

QString ChartPanel::saveVisibleChart(const QString& path)
{
    // The size on screen, enlarged to a legible picture with the same proportions.
    const QSize onScreen = visibleGraph()->size().expandedTo(QSize(100, 60));
    const QSize pixels = onScreen.scaled(onScreen.expandedTo(kMinimumPicture), Qt::KeepAspectRatioByExpanding);
    const QString written =
        writeChartFile(path, pixels, [this](QPainter& p, const QRectF& r) { paintVisible(p, r); });
    if (written.isEmpty())
        m_prompt.message(m_stack, QStringLiteral("The chart could not be saved to %1.").arg(path),
                         QString(), Prompt::Icon::Critical);
    else
        showStatusNote(m_stack, savedFileNote(written));
    return written;
}

void ChartPanel::saveVisibleChartAs()
{
    const QString suggested = QDir::current().filePath(
        (m_test.name.isEmpty() ? QStringLiteral("chart") : m_test.name) + QStringLiteral(".png"));
    const QString path = getSaveFileName(
        m_stack->window(), QStringLiteral("Save Chart"), suggested,
        QStringLiteral("PNG image (*.png);;PDF document (*.pdf)"));
    if (!path.isEmpty()) saveVisibleChart(path);
}

}  // namespace tz
