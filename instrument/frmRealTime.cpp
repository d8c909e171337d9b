#include "instrument/frmRealTime.h"

#include "app/NumberFormat.h"
#include "app/RunningTests.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "instrument/DatabasePointWriter.h"
#include "instrument/TimeScale.h"
#include "instrument/UnitLink.h"
#include "instrument/frmNameSeq.h"
#include "instrument/ui/LiveTestDisplay.h"
#include "instrument/ui/UnitArrangement.h"
#include "testinfo/frmTestRelatedInfo.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

namespace tz {

namespace {

// The size a unit window opens at before the frame places it.
constexpr QSize kDesignSize(800, 560);

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setMinimumHeight(24);
    return b;
}

QLineEdit* reading(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    box->setMinimumWidth(70);
    return box;
}

QLabel* panel(QStatusBar* bar, const char* name) {
    auto* label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

}  // namespace

frmRealTime::frmRealTime(Prompt& prompt, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_link(std::make_unique<UnitLink>()) {
    setObjectName(QStringLiteral("frmRealTime"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &frmRealTime::onTimer);
    m_retryTimer.setInterval(scaledMs(kRetryMs));
    connect(&m_retryTimer, &QTimer::timeout, this, &frmRealTime::retryKeptPoints);
    createControls();
}

frmRealTime::~frmRealTime() {
    m_timer.stop();
    m_retryTimer.stop();
    m_controller.reset();
    m_writer.reset();
}

void frmRealTime::createControls() {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    // A window made smaller than any arrangement needs scrolls rather than
    // squashing its controls onto each other.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("unitScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_area = new QWidget;
    m_area->setObjectName(QStringLiteral("clientArea"));
    top->addWidget(m_scroll, 1);

    // Heading: unit, sequence, test and the unit's state.
    m_lblUnit = new QLabel(QStringLiteral("Unit"), m_area);
    m_lblUnit->setObjectName(QStringLiteral("lblUnit"));
    QFont big = m_lblUnit->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    m_lblUnit->setFont(big);

    auto* title = new QWidget(m_area);
    title->setObjectName(QStringLiteral("fraTitle"));
    auto* titleRow = new QHBoxLayout(title);
    titleRow->setContentsMargins(0, 0, 0, 0);
    m_lblUnit->setParent(title);
    auto* heading = new QWidget(title);
    heading->setObjectName(QStringLiteral("fraHeading"));
    auto* headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(0, 0, 0, 0);
    m_lblSequence = new QLabel(QStringLiteral("Sequence: (none selected)"), heading);
    m_lblSequence->setObjectName(QStringLiteral("lblSeqName"));
    m_lblTestName = new QLabel(QStringLiteral("Test: "), heading);
    m_lblTestName->setObjectName(QStringLiteral("lblTestName"));
    m_lblSequence->setToolTip(m_lblSequence->text());
    // Long names give way in a narrow window; the tooltip has them whole.
    for (QLabel* l : {m_lblSequence, m_lblTestName}) {
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setMinimumWidth(60);
        headingRow->addWidget(l, 1);
    }

    m_lblStatus = new QLabel(kStatusBeforeFirstFrame, title);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setAlignment(Qt::AlignCenter);
    m_lblStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblStatus->setFont(big);
    m_lblStatus->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("No Response")) + 24);
    titleRow->addWidget(m_lblUnit);
    titleRow->addWidget(heading, 1);
    titleRow->addWidget(m_lblStatus);

    // Live readings of the last status frame, two to a row.
    auto* readings = new QGroupBox(QStringLiteral("Readings"), m_area);
    readings->setObjectName(QStringLiteral("fraReadings"));
    auto* form = new QGridLayout(readings);
    form->setVerticalSpacing(4);
    m_txtSampleTemp = reading(readings, "txtSampleTemp");
    m_txtBathTemp = reading(readings, "txtBathTemp");
    m_txtSetPoint = reading(readings, "txtSetPoint");
    m_txtSpeed = reading(readings, "txtSpeed");
    m_txtShearRate = reading(readings, "txtShearRate");
    m_txtShearStress = reading(readings, "txtShearStress");
    m_txtPressure = reading(readings, "txtPressure");
    m_txtViscosity = reading(readings, "txtViscosity");
    // The set point box answers a click with the confirmation; Tab passes it by.
    m_txtSetPoint->setReadOnly(false);
    m_txtSetPoint->setFocusPolicy(Qt::ClickFocus);
    m_txtSetPoint->installEventFilter(this);
    const std::pair<QString, QLineEdit*> rows[] = {
        {QStringLiteral("Sample Temp (°F):"), m_txtSampleTemp},
        {QStringLiteral("Bath Temp (°F):"), m_txtBathTemp},
        {QStringLiteral("Set Point (°F):"), m_txtSetPoint},
        {QStringLiteral("Speed (rpm):"), m_txtSpeed},
        {QStringLiteral("Shear Rate (1/s):"), m_txtShearRate},
        {QStringLiteral("Shear Stress (dyn/cm²):"), m_txtShearStress},
        {QStringLiteral("Pressure (psi):"), m_txtPressure},
        {QStringLiteral("Viscosity (cP):"), m_txtViscosity},
    };
    for (int i = 0; i < 8; ++i) {
        auto* label = new QLabel(rows[i].first, readings);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(rows[i].second);
        form->addWidget(label, i / 2, (i % 2) * 2);
        form->addWidget(rows[i].second, i / 2, (i % 2) * 2 + 1);
    }
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    // Sequence and test commands.
    auto* commands = new QGroupBox(QStringLiteral("Test"), m_area);
    commands->setObjectName(QStringLiteral("fraCommands"));
    auto* column = new QVBoxLayout(commands);
    auto* select = button(commands, "cmdSelectSeq", QStringLiteral("Select Se&quence"));
    auto* send = button(commands, "cmdSendSeq", QStringLiteral("Se&nd Sequence"));
    auto* refresh = button(commands, "cmdRefresh", QStringLiteral("Re&fresh Test Sequence"));
    auto* start = button(commands, "cmdStart", QStringLiteral("&Start"));
    auto* stop = button(commands, "cmdStop", QStringLiteral("S&top"));
    m_chkSelfZero = new QCheckBox(QStringLiteral("Check to perform self-zeroing"), this);
    m_chkSelfZero->setObjectName(QStringLiteral("chkSelfZero"));
    for (QWidget* w : {static_cast<QWidget*>(select), static_cast<QWidget*>(send),
                       static_cast<QWidget*>(refresh), static_cast<QWidget*>(start),
                       static_cast<QWidget*>(stop)})
        column->addWidget(w);

    // Unit commands.
    auto* unit = new QGroupBox(QStringLiteral("Unit"), m_area);
    unit->setObjectName(QStringLiteral("fraUnit"));
    auto* unitColumn = new QVBoxLayout(unit);
    auto* zero = button(unit, "cmdZero", QStringLiteral("&Zero"));
    auto* preheatRow = new QHBoxLayout;
    auto* preheat = button(unit, "cmdPreheat", QStringLiteral("&Preheat"));
    m_cmdZero = zero;
    m_cmdPreheat = preheat;
    m_txtPreheat = new QLineEdit(QStringLiteral("150"), unit);
    m_txtPreheat->setObjectName(QStringLiteral("txtPreheat"));
    m_txtPreheat->setToolTip(QStringLiteral("Preheat temperature (°F)"));
    m_txtPreheat->setMaximumWidth(60);
    preheatRow->addWidget(preheat, 1);
    preheatRow->addWidget(m_txtPreheat);
    preheatRow->addWidget(new QLabel(QStringLiteral("°F"), unit));
    auto* retrieve = button(unit, "cmdRetrieve", QStringLiteral("Retrieve &Last Result"));
    connect(retrieve, &QPushButton::clicked, this, &frmRealTime::retrieveClicked);
    m_cmdExit = button(unit, "cmdExit", QStringLiteral("&Exit"));
    unitColumn->addWidget(zero);
    unitColumn->addLayout(preheatRow);
    unitColumn->addWidget(retrieve);
    unitColumn->addWidget(m_chkSelfZero);
    unitColumn->addStretch();
    unitColumn->addWidget(m_cmdExit);

    // What happened to the recorded points.
    m_lblPoints = new QLabel(m_area);
    m_lblPoints->setObjectName(QStringLiteral("lblPoints"));
    m_lblPoints->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    m_lblPoints->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    // The live chart and the per-ramp fits take these places.
    m_graph = new QFrame(m_area);
    m_graph->setObjectName(QStringLiteral("CWGraph1"));
    static_cast<QFrame*>(m_graph)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_graph->setMinimumSize(220, 110);
    m_grid = new QTableWidget(1, 12, m_area);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setHorizontalHeaderLabels(QStringList(12, QString()));
    m_grid->verticalHeader()->hide();
    m_grid->setMinimumSize(200, 96);
    m_grid->setTabKeyNavigation(false);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_live = new LiveTestDisplay(*m_grid, *m_graph);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &frmRealTime::exportShownTest);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_panelStartTime = panel(m_statusBar, "StartTime");
    m_panelElapsedTime = panel(m_statusBar, "ElapsedTime");
    m_panelSend = panel(m_statusBar, "SendResult");
    m_panelPort = panel(m_statusBar, "UnitPort");
    m_panelStopCause = panel(m_statusBar, "StopCause");
    m_panelStopCause->hide();
    m_panelSend->hide();
    // In a narrow unit window the port gives way to the test's own panels
    // (its tooltip names it whole).
    m_panelPort->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panelPort->setMinimumWidth(60);
    m_statusBar->addWidget(m_panelPort, 1);
    m_statusBar->addWidget(m_panelStartTime, 1);
    m_statusBar->addWidget(m_panelElapsedTime, 1);
    m_statusBar->addWidget(m_panelSend, 2);
    m_statusBar->addWidget(m_panelStopCause, 3);
    top->addWidget(m_statusBar);

    connect(select, &QPushButton::clicked, this, &frmRealTime::selectSequence);
    connect(send, &QPushButton::clicked, this, &frmRealTime::sendSequence);
    connect(refresh, &QPushButton::clicked, this, &frmRealTime::refreshSequence);
    connect(start, &QPushButton::clicked, this, &frmRealTime::startClicked);
    connect(stop, &QPushButton::clicked, this, &frmRealTime::stopClicked);
    connect(m_cmdExit, &QPushButton::clicked, this, &frmRealTime::exitClicked);
    // Zero and Preheat stop the rotor and send the bath elsewhere: never in
    // the middle of a test (the buttons are greyed out then as well).
    connect(zero, &QPushButton::clicked, this, [this] {
        if (m_controller && !m_controller->running()) m_controller->zero();
    });
    connect(preheat, &QPushButton::clicked, this, [this] {
        if (m_controller && !m_controller->running()) m_controller->preheat(val(m_txtPreheat->text()));
    });
    connect(m_chkSelfZero, &QCheckBox::toggled, this, [this](bool on) {
        if (m_controller) m_controller->setSelfZeroEnabled(on);
    });

    setTabOrder(select, send);
    setTabOrder(send, refresh);
    setTabOrder(refresh, start);
    setTabOrder(start, stop);
    setTabOrder(stop, zero);
    setTabOrder(zero, preheat);
    setTabOrder(preheat, m_txtPreheat);
    setTabOrder(m_txtPreheat, retrieve);
    setTabOrder(retrieve, m_chkSelfZero);
    setTabOrder(m_chkSelfZero, m_cmdExit);
    setTabOrder(m_cmdExit, m_grid);
    // Last in the chain, so that activating the window never lands in it.
    setTabOrder(m_grid, m_txtSetPoint);

    m_arrangement = std::make_unique<UnitArrangement>(
        *m_area, UnitArrangement::Parts{title, readings, commands, unit, m_lblPoints, m_graph, m_grid});
    m_scroll->setWidget(m_area);
    m_scroll->installEventFilter(this);
    updateMinimumSize();
    resize(kDesignSize + QSize(0, m_statusBar->sizeHint().height()));
}

void frmRealTime::updateMinimumSize() {
    // Narrow enough for a column of half a 1280-pixel frame, low enough for a
    // band of half its height: the arrangement chosen then shows everything.
    setMinimumSize(m_arrangement->leastOfAll() + QSize(0, m_statusBar->sizeHint().height()));
}

void frmRealTime::InitialInst(clsConnection& connection) {
    m_connection = &connection;
    m_writer = std::make_unique<DatabasePointWriter>(connection);
    m_controller = std::make_unique<RunController>(*m_link, *m_writer);
    m_controller->setUnitNumber(unitNumber());
    m_controller->setSelfZeroEnabled(m_chkSelfZero->isChecked());
    connectController();
}

void frmRealTime::setSettings(const Settings* settings) {
    if (settings) m_live->setUnitSystem(settings->unitSystem);
}

QString stopCauseText(RunController::StopReason reason, const QTime& at) {
    using R = RunController::StopReason;
    const QString when = at.toString(QStringLiteral("hh:mm"));
    switch (reason) {
    case R::EndOfSequence:
        return QStringLiteral("Ended %1: end of sequence").arg(when);
    case R::Operator:
        return QStringLiteral("Stopped %1 by the operator").arg(when);
    case R::OverTemperature:
        return QStringLiteral("Stopped %1: over-temperature").arg(when);
    case R::LowViscosity:
        return QStringLiteral("Stopped %1: viscosity shut-down").arg(when);
    case R::SequenceShortened:
        return QStringLiteral("Stopped %1: refreshed sequence is shorter").arg(when);
    case R::TickFailures:
        return QStringLiteral("Stopped %1: sequence values unusable").arg(when);
    case R::NoResponse:
        return QStringLiteral("Stopped %1: the unit does not answer").arg(when);
    }
    return {};
}

QString stopCauseDetail(RunController::StopReason reason) {
    using R = RunController::StopReason;
    switch (reason) {
    case R::EndOfSequence:
        return QStringLiteral("Every step and shear ramp of the sequence has been run.");
    case R::Operator:
        return QStringLiteral("Stop was pressed.");
    case R::OverTemperature:
        return QStringLiteral("The sample or bath temperature rose above 451 F.");
    case R::LowViscosity:
        return QStringLiteral("The average viscosity fell below the sequence's shut-down viscosity.");
    case R::SequenceShortened:
        return QStringLiteral("The refreshed sequence has fewer steps than the test had reached.");
    case R::TickFailures:
        return QStringLiteral("The sequence values could not be worked through.");
    case R::NoResponse:
        return QStringLiteral("The unit stopped answering.");
    }
    return {};
}

void frmRealTime::showSendPanel(const QString& text) {
    // An empty panel would only take room from the others.
    m_panelSend->setText(text);
    m_panelSend->setVisible(!text.isEmpty());
}

void frmRealTime::showStopCause(RunController::StopReason reason) {
    using R = RunController::StopReason;
    // The normal ends in the normal colour; a shut-down stands out.
    const bool normal = reason == R::EndOfSequence || reason == R::Operator;
    m_panelStopCause->setStyleSheet(normal ? QString() : QStringLiteral("color: #b00000;"));
    m_panelStopCause->setText(stopCauseText(reason, QTime::currentTime()));
    m_panelStopCause->setToolTip(stopCauseDetail(reason));
    m_panelStopCause->show();
}

void frmRealTime::connectController() {
    RunController* c = m_controller.get();
    // While a test runs the unit takes no command that leaves its sequence.
    connect(c, &RunController::runStateChanged, this, [this](RunController::RunState state) {
        const bool idle = state == RunController::RunState::Idle;
        for (QPushButton* b : {m_cmdZero, m_cmdPreheat}) {
            b->setEnabled(idle);
            b->setToolTip(idle ? QString() : kUnitCommandsDuringRun);
        }
    });
    // The end of a test says why and when, until the next test starts; the
    // download result before it belongs to the run before as well.
    connect(c, &RunController::runEnded, this, &frmRealTime::showStopCause);
    connect(c, &RunController::runStarted, this, [this] {
        m_panelStopCause->hide();
        m_panelStopCause->clear();
        m_sendResultText.clear();
        if (!m_tickFailing) showSendPanel(QString());
    });
    // The workstation's list of recording tests: a test whose points still
    // wait for the database stays in it after its run.
    connect(c, &RunController::runEnded, this, [this] {
        if (!m_running) return;
        if (m_controller->pointsPending() > 0)
            m_running->setWaiting(unitNumber());
        else
            m_running->remove(unitNumber());
    });
    connect(c, &RunController::pointsRecovered, this, [this] {
        if (!m_running) return;
        if (m_controller->running())
            m_running->removeWaiting(unitNumber());
        else
            m_running->remove(unitNumber());
    });
    connect(c, &RunController::frameReceived, this, &frmRealTime::showFrame);
    connect(c, &RunController::statusTextChanged, m_lblStatus, &QLabel::setText);
    connect(c, &RunController::exitEnabledChanged, m_cmdExit, &QWidget::setEnabled);
    connect(c, &RunController::runStarted, this, [this](int, const QDateTime& when) {
        m_panelStartTime->setText(QStringLiteral("Start Time: ") +
                                  QLocale().toString(when.time(), QStringLiteral("hh:mm")));
        m_panelElapsedTime->setText(RunController::elapsedPanelText(0));
    });
    connect(c, &RunController::elapsedChanged, this, [this](int seconds) {
        m_panelElapsedTime->setText(RunController::elapsedPanelText(seconds));
    });
    connect(c, &RunController::sequenceSendFinished, this, [this](bool, const QString& text) {
        m_sendResultText = text;
        if (!m_tickFailing) showSendPanel(text);
    });
    // A tick that cannot be worked through (bad sequence values) says why
    // until the ticks run through again.
    connect(c, &RunController::tickFailed, this, [this](const QString& reason) {
        m_tickFailing = true;
        m_panelSend->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
        showSendPanel(QStringLiteral("Tick error: ") + reason);
    });
    connect(c, &RunController::tickRecovered, this, [this] {
        m_tickFailing = false;
        m_panelSend->setStyleSheet(QString());
        showSendPanel(m_sendResultText);
    });
    connect(c, &RunController::pointStoreFailed, this, &frmRealTime::showPointBacklog);
    // Once while the working directory's disk stays nearly full.
    connect(m_writer.get(), &DatabasePointWriter::diskSpaceLow, this, [this](const QString& message) {
        auto* panel = m_statusBar->findChild<QLabel*>(QStringLiteral("DiskSpace"));
        if (!panel) {
            panel = new QLabel(m_statusBar);
            panel->setObjectName(QStringLiteral("DiskSpace"));
            panel->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
            m_statusBar->addPermanentWidget(panel);
        }
        panel->setText(message);
    });
    // Points still waiting when the run ends no longer go in with the next point.
    connect(c, &RunController::runEnded, this, [this] {
        // The write-ahead log is folded into TZ360.db while the unit idles.
        m_writer->checkpoint();
        if (m_controller->pointsPending() > 0)
            showPointBacklog(m_writer->lastError(), m_controller->pointsPending());
    });
    connect(c, &RunController::pointsRecovered, this, [this](int stored) {
        m_retryTimer.stop();
        m_lblPoints->setToolTip(QString());
        m_lblPoints->setStyleSheet(QString());
        m_lblPoints->setText(QStringLiteral("%1 waiting point(s) stored.").arg(stored));
    });
    connect(c, &RunController::runStarted, this, [this](int testId) {
        m_shownTestId = testId;
        m_live->startTest(*m_connection, testId);
    });
    connect(c, &RunController::pointRecorded, m_live, &LiveTestDisplay::addPoint);
    connect(c, &RunController::pointRecorded, this, [this](const RecordedPoint&, bool stored) {
        if (!stored) return;
        m_lblPoints->setToolTip(QString());
        m_lblPoints->setStyleSheet(QString());
        m_lblPoints->setText(QStringLiteral("Points recorded: %1").arg(m_controller->pointsRecorded()));
    });
}

void frmRealTime::setUnitNumber(int unit) {
    m_lblUnit->setText(QStringLiteral("Unit %1").arg(unit));
    setWindowTitle(QStringLiteral("Unit %1 Real Time Test").arg(unit));
    m_link->setOwnerLabel(QStringLiteral("Unit %1 window").arg(unit));
    if (m_controller) m_controller->setUnitNumber(unit);
}

int frmRealTime::unitNumber() const {
    // The unit label names the unit: "Unit 1" ... "Unit 8".
    return m_lblUnit->text().mid(5).toInt();
}

bool frmRealTime::openPort(int comm, QString* errorText) {
    if (m_link->open(comm)) {
        m_panelPort->setText(QStringLiteral("Comm %1: %2").arg(comm).arg(m_link->device()));
        m_panelPort->setToolTip(m_panelPort->text());
        return true;
    }
    if (errorText) *errorText = m_link->errorString();
    m_panelPort->setText(QStringLiteral("Comm %1: not open").arg(comm));
    return false;
}

bool frmRealTime::portOpen() const { return m_link->isOpen(); }

void frmRealTime::startTimer() { m_timer.start(scaledMs(RunController::kTickMs)); }

void frmRealTime::restartTimer() {
    if (!m_controller) return;
    m_timer.start(scaledMs(m_controller->nextIntervalMs()));
}

void frmRealTime::onTimer() {
    if (!m_controller) return;
    const int next = m_controller->tick();
    m_timer.start(scaledMs(next));
}

void frmRealTime::showFrame(const StatusFrame& frame) {
    m_txtSampleTemp->setText(frame.sampleTempText);
    m_txtBathTemp->setText(frame.bathTempText);
    // Not while the operator is in the box.
    m_setPointText = frame.setPointText;
    if (!m_txtSetPoint->hasFocus()) m_txtSetPoint->setText(m_setPointText);
    m_txtSpeed->setText(frame.speedText);
    m_txtShearRate->setText(frame.shearRateText);
    m_txtShearStress->setText(frame.shearStressText);
    m_txtPressure->setText(frame.pressureText);
    m_txtViscosity->setText(frame.viscosityText);
}

void frmRealTime::showPointBacklog(const QString& reason, int pending) {
    // The points are tried again on their own, with or without a running test.
    if (!m_retryTimer.isActive()) m_retryTimer.start();
    m_lblPoints->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    const QString when = m_controller && m_controller->running()
                             ? QStringLiteral("The test goes on; they are written again with the next point.")
                             : QStringLiteral("They are written again as soon as the database answers.");
    // One line fits the label: the database's own words, often several
    // lines long, are in full in the tooltip.
    const QString firstLine = reason.section(u'\n', 0, 0).trimmed();
    m_lblPoints->setText(QStringLiteral("database unavailable, %1 points waiting: %2 (%3)")
                             .arg(pending)
                             .arg(when, firstLine));
    m_lblPoints->setToolTip(reason);
}

void frmRealTime::retryKeptPoints() {
    if (!m_controller || m_controller->pointsPending() == 0) {
        m_retryTimer.stop();
        return;
    }
    // Success or failure reaches the points label through the controller's
    // signals; the error log hears of the recovery once.
    if (m_controller->retryPendingPoints()) m_retryTimer.stop();
}

QString frmRealTime::pendingTestNames() const {
    QStringList names;
    if (!m_writer) return {};
    for (const RecordedPoint& p : m_writer->pending()) {
        const QString name = m_testNames.value(p.testId, QString::number(p.testId));
        if (!names.contains(name)) names << name;
    }
    return names.join(QStringLiteral(", "));
}

void frmRealTime::selectSequence() {
    if (!m_connection) return;
    if (m_controller && m_controller->running()) {
        m_prompt.message(this, kStopTestBeforeSequence);
        return;
    }
    if (!m_nameSeq) {
        m_nameSeq = new frmNameSeq(this);
        connect(m_nameSeq, &frmNameSeq::SelectedTestName, this,
                &frmRealTime::cfNameSeq_SelectedTestName);
    }
    try {
        m_nameSeq->fill(*m_connection);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
        return;
    }
    m_nameSeq->show();
    m_nameSeq->raise();
    m_nameSeq->activateWindow();
}

void frmRealTime::cfNameSeq_SelectedTestName(const QString& name) {
    if (m_nameSeq) m_nameSeq->hide();
    // A name dialog left open before Start: the running test keeps its steps
    // (a shorter sequence swapped in would fail every tick).
    if (m_controller && m_controller->running()) {
        m_prompt.message(this, kStopTestBeforeSequence);
        return;
    }
    if (!name.isEmpty()) m_sequenceName = name;
    if (m_sequenceName.isEmpty() || !m_connection || !m_controller) return;
    try {
        const std::optional<SequenceData> sequence = loadSequence(*m_connection, m_sequenceName);
        if (!sequence) {
            m_prompt.message(this, QStringLiteral("The sequence \"%1\" is no longer stored.")
                                       .arg(m_sequenceName));
            return;
        }
        m_controller->setSequence(*sequence);
        m_lblSequence->setText(QStringLiteral("Sequence: ") + m_sequenceName);
        m_lblSequence->setToolTip(m_lblSequence->text());
        m_live->clear();
        m_shownTestId = 0;
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
    }
}

void frmRealTime::sendSequence() {
    if (!m_controller) return;
    switch (m_controller->beginSequenceDownload()) {
    case RunController::DownloadResult::NoSequence:
        m_prompt.message(this, RunController::kSelectSequenceMessage);
        return;
    case RunController::DownloadResult::Busy:
        return;
    case RunController::DownloadResult::Started:
    case RunController::DownloadResult::SendFailed:
        showSendPanel(QString());
        restartTimer();
        return;
    }
}

void frmRealTime::startClicked() {
    if (!m_controller || !m_connection) return;
    m_grid->setRowCount(1);
    m_grid->clearContents();
    if (m_controller->running() || !m_controller->sequence()) return;

    std::unique_ptr<frmTestRelatedInfo> dialog;
    try {
        dialog = std::make_unique<frmTestRelatedInfo>(*m_connection, m_prompt, this);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
        return;
    }
    dialog->setWindowTitle(QStringLiteral("Input Test Information"));
    if (!m_bobStr.isEmpty()) dialog->setBobNo(m_bobStr);
    dialog->exec();
    if (dialog->mlCanceled()) return;
    const TestInfoFields fields = dialog->fields();
    const QList<AdditiveRow> additives = dialog->additiveRows();
    dialog.reset();

    if (!acceptBob(fields)) return;
    QString storeError;
    bool nameTaken = false;
    const auto result = m_controller->start([&]() -> std::optional<int> {
        try {
            // Another unit may have started a test of this name while the
            // dialog was open: the store itself refuses it.
            return storeNewTest(*m_connection, toTestInformation(fields),
                                toAdditiveEntries(additives));
        } catch (const TestNameTakenError&) {
            nameTaken = true;
            return std::nullopt;
        } catch (const DbError& e) {
            storeError = e.text();
            return std::nullopt;
        }
    });
    switch (result) {
    case RunController::StartResult::Started:
        m_lblTestName->setText(QStringLiteral("Test: ") + fields.testName);
        m_lblTestName->setToolTip(m_lblTestName->text());
        m_testNames.insert(m_controller->testId(), fields.testName);
        if (m_running) m_running->add(unitNumber(), m_controller->testId(), fields.testName);
        break;
    case RunController::StartResult::PressureTooLow:
        m_prompt.message(this, RunController::kPressureTooLowMessage);
        break;
    case RunController::StartResult::OverTemperature:
        m_prompt.message(this, RunController::kOverTemperatureStartMessage);
        break;
    case RunController::StartResult::TestNotStored:
        if (nameTaken)
            m_prompt.message(this, kDuplicateTestNameMessage);
        else
            m_prompt.message(this, QStringLiteral("The test could not be stored: ") + storeError,
                             QString(), Prompt::Icon::Critical);
        break;
    case RunController::StartResult::NotIdle:
    case RunController::StartResult::NoSequence:
        break;
    }
    restartTimer();
}

bool frmRealTime::acceptBob(const TestInfoFields& fields) {
    if (m_controller->setBob(val(fields.bobRadius), val(fields.bobLength))) return true;
    m_prompt.message(this, QStringLiteral("A bob of radius %1 cm and effective length %2 cm "
                                          "cannot be used in this rotor. Please check the bob.")
                               .arg(fields.bobRadius, fields.bobLength));
    return false;
}

void frmRealTime::stopClicked() {
    if (!m_controller) return;
    m_controller->stop();
    restartTimer();
}

void frmRealTime::refreshSequence() {
    if (!m_controller || !m_connection || m_sequenceName.isEmpty()) return;
    if (m_controller->runState() != RunController::RunState::Step) return;
    try {
        const std::optional<SequenceData> sequence = loadSequence(*m_connection, m_sequenceName);
        if (!sequence) return;
        m_controller->refreshSequence(*sequence);
        restartTimer();
    } catch (const DbError& e) {
        m_prompt.message(this, e.text(), QString(), Prompt::Icon::Critical);
    }
}

void frmRealTime::exitClicked() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool frmRealTime::eventFilter(QObject* watched, QEvent* event) {
    // The controls are reflowed to the window's shape.
    if (watched == m_scroll && event->type() == QEvent::Resize) m_arrangement->fit(m_scroll->size());
    if (watched == m_scroll && event->type() == QEvent::Show) updateMinimumSize();
    if (watched == m_txtSetPoint && event->type() == QEvent::FocusOut)
        QMetaObject::invokeMethod(this, &frmRealTime::confirmSetPointChange, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void frmRealTime::confirmSetPointChange() {
    if (m_unloaded) return;
    // There is no command that sets the temperature alone: the unit's own set
    // point comes back with the next reading, whatever the answer.
    m_prompt.ask(this, kSetPointQuestion, kSetPointTitle, Prompt::Buttons::OkCancel,
                 Prompt::Icon::Question);
    m_txtSetPoint->setText(m_setPointText);
}

void frmRealTime::closeEvent(QCloseEvent* event) {
    if (!m_unloaded && !mayClose()) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

bool frmRealTime::mayClose() {
    if (!m_controller) return true;
    // The title bar is no way around the disabled Exit button: the unit
    // would go on heating and shearing with nobody recording.
    if (m_controller->running()) {
        if (!m_prompt.ask(this, QStringLiteral("A test is running on unit %1. Stop it and close?").arg(unitNumber()),
                          windowTitle(), Prompt::Buttons::YesNoDefaultNo, Prompt::Icon::Question))
            return false;
        stopClicked();
    }
    const int pending = m_controller->pointsPending();
    if (pending == 0) return true;
    // Points safe in the point journal are not lost by closing: the next
    // start of the workstation (or tz360-cli flush-journal) stores them.
    const int kept = m_writer->kept();
    if (kept == pending) {
        m_prompt.message(this,
                         QStringLiteral("%1 recorded points of test %2 are not stored yet. %3")
                             .arg(pending)
                             .arg(pendingTestNames(), m_writer->keptText()),
                         windowTitle(), Prompt::Icon::Information);
        return true;
    }
    // Only those the disk had no room for are lost.
    return m_prompt.ask(this,
                        QStringLiteral("%1 recorded points of test %2 are not stored yet. Close anyway and lose them?")
                            .arg(pending - kept)
                            .arg(pendingTestNames()),
                        windowTitle(), Prompt::Buttons::YesNoDefaultNo, Prompt::Icon::Exclamation);
}

void frmRealTime::unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    m_timer.stop();
    m_retryTimer.stop();
    if (m_nameSeq) m_nameSeq->hide();
    // Points still waiting are given up with the window.
    if (m_running) m_running->remove(unitNumber());
    emit unloaded(unitNumber());
    m_link->close();
}

}  // namespace tz
