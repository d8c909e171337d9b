#include "workstation/frmMain.h"

#include "analysis/OpenedTestSession.h"
#include "analysis/ResultsHeading.h"
#include "analysis/ui/ChartPanel.h"
#include "analysis/ui/SummaryView.h"
#include "app/SettingsFile.h"
#include "workstation/Workstation.h"
#include "app/ui/Prompt.h"
#include "app/ui/WindowPlacement.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "db/DbError.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"
#include "calibration/frmCalibrateTorque.h"
#include "instrument/frmMDIRealTime.h"
#include "reports/ui/ReportActions.h"
#include "setup/frmSetup.h"
#include "setup/frmShearRate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace tz {

namespace {
constexpr QSize kDesignSize(1180, 760);
}  // namespace

frmMain::frmMain(Workstation& workstation, Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_ws(workstation), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("TZ360 HPHT Automatic Rheometer"));
    setWindowIcon(QIcon(frmAbout::picture(64)));
    createControls();
    createMenus();
    createStatusBar();
    connectOpenedTest();
    connectSummaryView();
    // Reports and exports of the opened test; connects itself to the buttons and menus.
    new ReportActions(*this, *m_session, m_ws.settings, m_prompt);
    createChartPanel();
}

frmMain::~frmMain() = default;

clsConnection& frmMain::Connection() { return m_ws.connection; }

QPushButton* frmMain::addButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumHeight(24);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (parent->layout()) parent->layout()->addWidget(b);
    return b;
}

// A framed column of buttons; the frame keeps its proportions and the
// buttons share its height.
QGroupBox* frmMain::addButtonFrame(const char* name, const QString& title, const QRect& geometry) {
    auto* frame = new QGroupBox(title, m_area);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);
    return frame;
}

QGroupBox* frmMain::addOptionFrame(const char* name, const QString& title, const char* first,
                                   const QString& firstCaption, const char* second,
                                   const QString& secondCaption, const QRect& geometry) {
    auto* frame = new QGroupBox(title, m_area);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(4);
    auto* a = new QRadioButton(firstCaption, frame);
    a->setObjectName(QLatin1String(first));
    auto* b = new QRadioButton(secondCaption, frame);
    b->setObjectName(QLatin1String(second));
    row->addWidget(a);
    row->addWidget(b);
    b->setChecked(true);
    return frame;
}

void frmMain::createControls() {
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(m_area);
    m_area->installEventFilter(this);
    m_area->resize(kDesignSize);

    m_results = new QTableWidget(1, kResultsColumns, m_area);
    m_results->setObjectName(QStringLiteral("MSFlexGrid1"));
    // Below the tab that switches between the results grid and the summary.
    m_results->setGeometry(8, 48, 872, 136);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Columns take the width of their headings; the last one takes the rest.
    m_results->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->horizontalHeader()->setMinimumSectionSize(56);
    m_results->setRowCount(0);
    m_results->setToolTip(QStringLiteral("Double-click to change the calculation shear rates"));
    // The whole table is the target, empty rows included, not only its cells.
    m_results->viewport()->installEventFilter(this);
    connect(m_results->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &frmMain::showShearRate);
    createSummaryView();

    m_additives = new QTableWidget(0, 4, m_area);
    m_additives->setObjectName(QStringLiteral("MSFlexGrid2"));
    m_additives->setGeometry(8, 192, 340, 172);
    m_additives->setHorizontalHeaderLabels({QStringLiteral("Additive"), QStringLiteral("Concentration"),
                                            QStringLiteral("Units"), QStringLiteral("Lot No.")});
    m_additives->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_additives->horizontalHeader()->setStretchLastSection(true);
    m_additives->verticalHeader()->hide();
    m_additives->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* chartLabel = new QLabel(QStringLiteral("Select Chart Type:"), m_area);
    chartLabel->setObjectName(QStringLiteral("lblChartType"));
    chartLabel->setGeometry(356, 196, 160, 22);
    auto* chartType = new QComboBox(m_area);
    chartType->setObjectName(QStringLiteral("cmbChartType"));
    chartType->setGeometry(520, 192, 164, 28);

    addOptionFrame("fraDim", QStringLiteral("DIM Scale:"), "opt2D", QStringLiteral("2D"), "opt3D",
                   QStringLiteral("3D"), QRect(356, 232, 258, 64));
    addOptionFrame("fraData", QStringLiteral("Data"), "optAllData", QStringLiteral("All"),
                   "optNoRampData", QStringLiteral("No Ramp"), QRect(622, 232, 258, 64));
    addOptionFrame("fraXScale", QStringLiteral("X Scale:"), "optXlog", QStringLiteral("Log"),
                   "optXNormal", QStringLiteral("Normal"), QRect(356, 300, 258, 64));
    addOptionFrame("fraYScale", QStringLiteral("Y Scale:"), "optYLog", QStringLiteral("Log"),
                   "optYNormal", QStringLiteral("Normal"), QRect(622, 300, 258, 64));
    findChild<QRadioButton*>(QStringLiteral("optAllData"))->setChecked(true);

    auto* testBox = addButtonFrame("fraTest", QStringLiteral("Saved Test"), QRect(892, 8, 280, 150));
    addButton(testBox, "cmdOpen", QStringLiteral("&Open Saved Test"));
    addButton(testBox, "cmdOverlap", QStringLiteral("Overlap Charts"));
    addButton(testBox, "cmdRelated", QStringLiteral("Edit Test Info"));

    auto* reportBox = addButtonFrame("fraReports", QStringLiteral("Reports"), QRect(892, 166, 280, 330));
    addButton(reportBox, "cmdPrintChart", QStringLiteral("Print Chart"));
    addButton(reportBox, "cmdReport", QStringLiteral("Brief Print"));
    addButton(reportBox, "cmdBriefPrint", QStringLiteral("Brief Save"));
    addButton(reportBox, "cmdDetailReport", QStringLiteral("&Detail Report"));
    addButton(reportBox, "cmdExportExcel", QStringLiteral("Brief Excel"));
    addButton(reportBox, "cmdExcelDetail", QStringLiteral("Detail Excel"));
    addButton(reportBox, "cmdCorvane", QStringLiteral("Corvane Report"));

    auto* unitBox =
        addButtonFrame("fraInstruments", QStringLiteral("Instruments"), QRect(892, 504, 280, 156));
    auto* setup = addButton(unitBox, "cmdSetup", QStringLiteral("&Setup"));
    auto* realTime = addButton(unitBox, "cmdRealTime", QStringLiteral("Real &Time Test"));
    auto* calibrate = addButton(unitBox, "cmdCalibrate", QStringLiteral("&Calibrate"));
    connect(calibrate, &QPushButton::clicked, this, &frmMain::showCalibration);
    connect(setup, &QPushButton::clicked, this, &frmMain::showSetup);
    connect(realTime, &QPushButton::clicked, this, &frmMain::showRealTime);

    auto* exit = new QPushButton(QStringLiteral("&Exit"), m_area);
    exit->setObjectName(QStringLiteral("cmdExit"));
    exit->setGeometry(892, 700, 280, 44);
    connect(exit, &QPushButton::clicked, this, &frmMain::exitProgram);

    auto* overlap = findChild<QPushButton*>(QStringLiteral("cmdOverlap"));
    connect(overlap, &QPushButton::clicked, this, &frmMain::overlapCharts);
}

void frmMain::createMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    connect(item(file, "MenuOpen", QStringLiteral("&Open Saved Test")), &QAction::triggered, this,
            &frmMain::showOpenTest);
    connect(item(file, "MenuSetup", QStringLiteral("&Setup")), &QAction::triggered, this,
            &frmMain::showSetup);
    item(file, "MenuReport", QStringLiteral("Re&port..."));
    connect(item(file, "MenuRealTime", QStringLiteral("Real &Time Test")), &QAction::triggered, this,
            &frmMain::showRealTime);
    item(file, "MenuPrintChart", QStringLiteral("Print Chart"));
    item(file, "MenuSaveChart", QStringLiteral("Save C&hart..."));
    file->addSeparator();
    connect(item(file, "MenuExit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &frmMain::exitProgram);

    QMenu* reports = menuBar()->addMenu(QStringLiteral("Reports..."));
    reports->setObjectName(QStringLiteral("MenuReports"));
    item(reports, "MenuDetailReport", QStringLiteral("Detail Report"));
    item(reports, "MenuBriefReport", QStringLiteral("Breif Report"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    connect(item(help, "MenuContent", QStringLiteral("&Content")), &QAction::triggered, this,
            &frmMain::showHelp);
    connect(item(help, "MenuAbout", QStringLiteral("&About")), &QAction::triggered, this,
            &frmMain::showAbout);
}

void frmMain::createStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusText = new QLabel(QStringLiteral("Ready"), bar);
    m_statusText->setObjectName(QStringLiteral("panelStatus"));
    m_statusDate = new QLabel(bar);
    m_statusDate->setObjectName(QStringLiteral("panelDate"));
    m_statusTime = new QLabel(bar);
    m_statusTime->setObjectName(QStringLiteral("panelTime"));
    bar->addWidget(m_statusText, 1);
    bar->addPermanentWidget(m_statusDate);
    bar->addPermanentWidget(m_statusTime);
    auto refresh = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        m_statusDate->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        m_statusTime->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    refresh();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, refresh);
    clock->start(1000);
}

// Which database this workstation works on: the lab server (its URI, never
// a password) or the embedded file, so that nobody records into the wrong one.
void frmMain::showDatabaseInUse() {
    auto* label = new QLabel(statusBar());
    label->setObjectName(QStringLiteral("panelDatabase"));
    const QString where = m_ws.connection.description();
    label->setText(QStringLiteral("Database: ") + (where.isEmpty() ? QStringLiteral("none") : where));
    label->setToolTip(label->text());
    label->setMaximumWidth(480);
    // Left of the date and time, after the one normal (message) panel.
    statusBar()->insertPermanentWidget(1, label);
}

void frmMain::load() {
    m_ws.connection.OpenDB(QStringLiteral("msORA"), QStringLiteral("system"),
                           QStringLiteral("manager"), QString());
    if (!m_ws.connection.lastError().isEmpty())
        m_prompt.message(this, m_ws.connection.lastError(), QString(), Prompt::Icon::Critical);
    showDatabaseInUse();

    m_testInfo = std::make_unique<clsTEST_INFO>();
    m_testResult = std::make_unique<clsTEST_RESULT>();
    m_testAdditive = std::make_unique<clsTEST_ADDITIVE>();
    if (m_ws.connection.isOpen()) {
        try {
            m_testInfo->ConnectX(m_ws.connection);
            m_testResult->ConnectX(m_ws.connection);
        } catch (const DbError& e) {
            // The window still opens: the operator can fix the file and restart.
            m_statusText->setText(QStringLiteral("Database: ") + e.text());
        }
    } else {
        m_statusText->setText(QStringLiteral("No database: tests cannot be opened or saved."));
    }

    // The proportions are taken at the design size; the window then opens as
    // large as that where the screen allows, never below the size at which
    // its controls still fit.
    m_area->resize(kDesignSize);
    m_layout.record(m_area);
    placeOnScreen(availableArea(this));

    SettingsFile::readDisplay(SettingsFile::defaultPath(), m_ws.settings);

    m_charts->choose2D();
    m_charts->clearTest();
    buildResultsHeading();
    findChild<QPushButton*>(QStringLiteral("cmdOverlap"))->setEnabled(false);
}

void frmMain::placeOnScreen(const QRect& available) {
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    fitAndCentre(this, kDesignSize + QSize(0, bars), available);
}

void frmMain::buildResultsHeading() {
    QStringList heading = resultsHeading(m_ws.settings);
    for (QString& h : heading) h.replace(u'\r', u'\n');
    // Sized to the headings once, when all are in: fitted to contents while
    // they are set one by one, every heading would re-measure all the others.
    QHeaderView* header = m_results->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    m_results->setHorizontalHeaderLabels(heading);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    const int lineHeight = m_results->fontMetrics().lineSpacing();
    m_results->horizontalHeader()->setMinimumHeight(lineHeight * 3 + 8);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // The client area is sized by the window's own layout, after the window.
    if (watched == m_area && event->type() == QEvent::Resize && !isMinimized()) {
        m_layout.apply(m_area->size());
        // The summary, built after the layout was recorded, shares the grid's place.
        if (m_summary) m_summary->setGeometry(m_results->geometry());
    }
    if (m_results && watched == m_results->viewport() &&
        event->type() == QEvent::MouseButtonDblClick) {
        showShearRate();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (std::exchange(m_shownOnce, true)) return;
    // Once the window manager has framed the window its real title bar is
    // known; a frame that still leaves the screen is brought inside.
    QTimer::singleShot(0, this, [this] {
        const QRect available = availableArea(this);
        if (!isMaximized() && !available.contains(frameGeometry()))
            fitAndCentre(this, size(), available);
    });
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_exitWithoutAsking &&
        !m_prompt.ask(this, QStringLiteral("Are you sure to exit?"), QStringLiteral("Exit Check"),
                      Prompt::Buttons::YesNo, Prompt::Icon::Exclamation)) {
        event->ignore();
        return;
    }
    // Each unit window closes its port; one that keeps its running test or
    // its unstored points keeps the frame, and the program, open.
    if (m_realTime && !m_realTime->close()) {
        m_exitWithoutAsking = false;
        event->ignore();
        return;
    }
    event->accept();
    if (m_help) m_help->close();
    emit programEnded();
}

void frmMain::exitProgram() {
    m_exitWithoutAsking = true;
    close();
}

void frmMain::overlapCharts() {
    if (openedTestName().isEmpty()) {
        m_prompt.message(this,
                         QStringLiteral("No opened test to overlap on.  Please open one test first."),
                         QStringLiteral("Operation Error"), Prompt::Icon::None);
        return;
    }
    showOverlapTest();
}

void frmMain::showSetup() {
    auto* setup = new frmSetup(m_ws.settings, m_ws.connection, m_prompt);
    setup->setAttribute(Qt::WA_DeleteOnClose);
    // However the setup window closes, the main window comes back, its
    // results heading and numbers in the unit system chosen there.
    connect(setup, &frmSetup::closed, this, [this] {
        buildResultsHeading();
        m_session->settingsMayHaveChanged();
        show();
    });
    hide();
    setup->show();
}

void frmMain::showCalibration() {
    // One calibration window: two would fight over the unit's port.
    if (!m_calibration) {
        m_calibration = new frmCalibrateTorque(m_prompt);
        m_calibration->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_calibration->show();
    m_calibration->raise();
    m_calibration->activateWindow();
}

// One frame for all units; asking again brings it to the front.
void frmMain::showRealTime() {
    if (!m_realTime) {
        auto* frame = new frmMDIRealTime(m_ws.settings, m_ws.connection, m_prompt);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setRunningTests(&m_ws.runningTests);
        frame->load();
        m_realTime = frame;
    }
    m_realTime->show();
    m_realTime->raise();
    m_realTime->activateWindow();
}

void frmMain::showShearRate() {
    frmShearRate dialog(m_ws.settings, m_prompt, this);
    dialog.exec();
    buildResultsHeading();
    // The numbers follow the heading's unit and rates, so they are redone too.
    m_session->reanalyse();
}

void frmMain::showHelp() {
    if (!m_help) {
        m_help = new frmHelp(nullptr);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_help, &QObject::destroyed, this, [this] { m_help = nullptr; });
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmMain::showAbout() {
    frmAbout about(this);
    about.exec();
}

}  // namespace tz
