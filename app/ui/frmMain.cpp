#include "app/ui/frmMain.h"

#include "analysis/OpenedTestSession.h"
#include "analysis/ResultsHeading.h"
#include "app/SettingsFile.h"
#include "app/Workstation.h"
#include "app/ui/Prompt.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "db/DbError.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"
#include "instrument/frmMDIRealTime.h"
#include "setup/frmSetup.h"
#include "setup/frmShearRate.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
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
#include <QValueAxis>
#include <QVBoxLayout>

namespace tz {

namespace {
constexpr QSize kDesignSize(1180, 760);

// Controls whose windows are not in this build yet stay visible but disabled,
// so the operator sees the whole workstation and nothing pretends to work.
constexpr const char* kNotYetAvailable[] = {
    "cmdOverlap",    "cmdPrintChart", "cmdReport",  "cmdBriefPrint",
    "cmdDetailReport", "cmdExportExcel", "cmdExcelDetail", "cmdCorvane", "cmdRelated",
    "cmdCalibrate",  "cmbChartType",  "fraDim",     "fraXScale",
    "fraYScale",    "fraData",
};
constexpr const char* kMenusNotYetAvailable[] = {
    "MenuReport", "MenuPrintChart", "MenuDetailReport",
    "MenuBriefReport",
};
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
    for (const char* name : kNotYetAvailable)
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(false);
    for (const char* name : kMenusNotYetAvailable)
        if (auto* a = findChild<QAction*>(QLatin1String(name))) a->setEnabled(false);
}

frmMain::~frmMain() = default;

clsConnection& frmMain::Connection() { return m_ws.connection; }

QPushButton* frmMain::addButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumHeight(28);
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
    new QVBoxLayout(frame);
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
    m_area->resize(kDesignSize);

    m_results = new QTableWidget(1, kResultsColumns, m_area);
    m_results->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_results->setGeometry(8, 8, 872, 176);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Columns take the width of their headings; the last one takes the rest.
    m_results->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->horizontalHeader()->setMinimumSectionSize(56);
    m_results->setRowCount(0);
    m_results->setToolTip(QStringLiteral("Double-click to change the calculation shear rates"));
    connect(m_results, &QTableWidget::cellDoubleClicked, this, &frmMain::showShearRate);
    connect(m_results->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &frmMain::showShearRate);

    m_additives = new QTableWidget(0, 4, m_area);
    m_additives->setObjectName(QStringLiteral("MSFlexGrid2"));
    m_additives->setGeometry(8, 192, 340, 112);
    m_additives->setHorizontalHeaderLabels({QStringLiteral("Additive"), QStringLiteral("Concentration"),
                                            QStringLiteral("Units"), QStringLiteral("Lot No.")});
    m_additives->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_additives->horizontalHeader()->setStretchLastSection(true);
    m_additives->verticalHeader()->hide();
    m_additives->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* chartLabel = new QLabel(QStringLiteral("Select Chart Type:"), m_area);
    chartLabel->setObjectName(QStringLiteral("lblChartType"));
    chartLabel->setGeometry(356, 194, 164, 22);
    auto* chartType = new QComboBox(m_area);
    chartType->setObjectName(QStringLiteral("cmbChartType"));
    chartType->setGeometry(356, 220, 164, 28);

    addOptionFrame("fraDim", QStringLiteral("DIM Scale:"), "opt2D", QStringLiteral("2D"), "opt3D",
                   QStringLiteral("3D"), QRect(528, 190, 172, 54));
    addOptionFrame("fraData", QStringLiteral("Data"), "optAllData", QStringLiteral("All"),
                   "optNoRampData", QStringLiteral("No Ramp"), QRect(708, 190, 172, 54));
    addOptionFrame("fraXScale", QStringLiteral("X Scale:"), "optXlog", QStringLiteral("Log"),
                   "optXNormal", QStringLiteral("Normal"), QRect(528, 250, 172, 54));
    addOptionFrame("fraYScale", QStringLiteral("Y Scale:"), "optYLog", QStringLiteral("Log"),
                   "optYNormal", QStringLiteral("Normal"), QRect(708, 250, 172, 54));
    findChild<QRadioButton*>(QStringLiteral("optAllData"))->setChecked(true);

    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("No test opened"));
    chart->legend()->hide();
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Time (Min)"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Viscosity (cP)"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    m_chart = new QChartView(chart, m_area);
    m_chart->setObjectName(QStringLiteral("Pesgo1"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setGeometry(8, 312, 872, 440);

    // The 3-D graph needs OpenGL; it is created only when 3-D is chosen.
    m_chart3d = new QWidget(m_area);
    m_chart3d->setObjectName(QStringLiteral("Pe3doa1"));
    m_chart3d->setGeometry(8, 312, 872, 440);
    m_chart3d->hide();

    auto* testBox = addButtonFrame("fraTest", QStringLiteral("Saved Test"), QRect(892, 8, 280, 150));
    addButton(testBox, "cmdOpen", QStringLiteral("&Open Saved Test"));
    addButton(testBox, "cmdOverlap", QStringLiteral("Overlap Charts"));
    addButton(testBox, "cmdRelated", QStringLiteral("Edit Test Info"));

    auto* reportBox = addButtonFrame("fraReports", QStringLiteral("Reports"), QRect(892, 166, 280, 330));
    addButton(reportBox, "cmdPrintChart", QStringLiteral("Print Chart"));
    addButton(reportBox, "cmdReport", QStringLiteral("Brief Print"));
    addButton(reportBox, "cmdBriefPrint", QStringLiteral("Brief Save"));
    addButton(reportBox, "cmdDetailReport", QStringLiteral("D&etail Re&port"));
    addButton(reportBox, "cmdExportExcel", QStringLiteral("Brief Excel"));
    addButton(reportBox, "cmdExcelDetail", QStringLiteral("Detail Excel"));
    addButton(reportBox, "cmdCorvane", QStringLiteral("Corvane Report"));

    auto* unitBox =
        addButtonFrame("fraInstruments", QStringLiteral("Instruments"), QRect(892, 504, 280, 156));
    auto* setup = addButton(unitBox, "cmdSetup", QStringLiteral("&Setup"));
    auto* realTime = addButton(unitBox, "cmdRealTime", QStringLiteral("Real &Time Test"));
    addButton(unitBox, "cmdCalibrate", QStringLiteral("&Calibrate"));
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

void frmMain::load() {
    m_ws.connection.OpenDB(QStringLiteral("msORA"), QStringLiteral("system"),
                           QStringLiteral("manager"), QString());
    if (!m_ws.connection.lastError().isEmpty())
        m_prompt.message(this, m_ws.connection.lastError(), QString(), Prompt::Icon::Critical);

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

    m_area->resize(kDesignSize);
    resize(kDesignSize + QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
    m_layout.record(m_area);
    centreOnScreen();

    SettingsFile::readDisplay(SettingsFile::defaultPath(), m_ws.settings);

    findChild<QRadioButton*>(QStringLiteral("opt2D"))->setChecked(true);
    m_chart3d->hide();
    m_chart->show();
    buildResultsHeading();
    findChild<QPushButton*>(QStringLiteral("cmdOverlap"))->setEnabled(false);
}

void frmMain::centreOnScreen() {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect avail = s->availableGeometry();
    move(avail.left() + (avail.width() - frameGeometry().width()) / 2,
         avail.top() + (avail.height() - frameGeometry().height()) / 2);
}

void frmMain::buildResultsHeading() {
    QStringList heading = resultsHeading(m_ws.settings);
    for (QString& h : heading) h.replace(u'\r', u'\n');
    m_results->setHorizontalHeaderLabels(heading);
    const int lineHeight = m_results->fontMetrics().lineSpacing();
    m_results->horizontalHeader()->setMinimumHeight(lineHeight * 3 + 8);
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) m_layout.apply(m_area->size());
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_exitWithoutAsking &&
        !m_prompt.ask(this, QStringLiteral("Are you sure to exit?"), QStringLiteral("Exit Check"),
                      Prompt::Buttons::YesNo, Prompt::Icon::Exclamation)) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_help) m_help->close();
    if (m_realTime) m_realTime->close();  // each unit window closes its port
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
    }
}

void frmMain::showSetup() {
    auto* setup = new frmSetup(m_ws.settings, m_ws.connection, m_prompt);
    setup->setAttribute(Qt::WA_DeleteOnClose);
    // However the setup window closes, the main window comes back.
    connect(setup, &frmSetup::closed, this, &QWidget::show);
    hide();
    setup->show();
}

// One frame for all units; asking again brings it to the front.
void frmMain::showRealTime() {
    if (!m_realTime) {
        auto* frame = new frmMDIRealTime(m_ws.settings, m_ws.connection, m_prompt);
        frame->setAttribute(Qt::WA_DeleteOnClose);
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
