#include "calibration/frmCalibrateTorque.h"

#include "app/NumberFormat.h"
#include "app/SettingsFile.h"
#include "app/ui/Prompt.h"
#include "app/ui/SaveFileDialog.h"
#include "app/BobFile.h"
#include "calibration/CalibrationBobs.h"
#include "calibration/CalibrationReport.h"
#include "calibration/TorqueCalibration.h"
#include "calibration/ui/TorqueGraph.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/TimeScale.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tz {

namespace {
const QString kTitle = QStringLiteral("Torque Calibration");
const QString kPortError =
    QStringLiteral("Error in opening the commport, please make sure the unit is not occupied.");
constexpr int kTickMs = 1000;
// After the last command the line needs a moment to carry it before the port
// is closed (60 bytes take about 30 ms at 19200 baud).
constexpr int kCloseAfterSendMs = 1000;

QLabel* wrapped(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}
}  // namespace

frmCalibrateTorque::frmCalibrateTorque(Prompt& prompt, QWidget* parent,
                                       const QString& settingsPath, const QString& bobPath)
    : QWidget(parent, Qt::Window),
      m_prompt(prompt),
      m_settingsPath(settingsPath.isEmpty() ? SettingsFile::defaultPath() : settingsPath),
      m_bobPath(bobPath.isEmpty() ? BobFile::defaultPath() : bobPath) {
    setObjectName(QStringLiteral("frmCalibrateTorque"));
    setWindowTitle(kTitle);
    // A unit window asking for the port this window holds is told so.
    m_link.setOwnerLabel(QStringLiteral("Calibration window"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->addTab(createTorquePanel(), QStringLiteral("Torque Calibration"));
    m_tabs->addTab(createPressurePanel(), QStringLiteral("Pressure Effect"));
    m_tabs->setCurrentIndex(0);

    m_cmdReturn = new QPushButton(QStringLiteral("&Return"), this);
    m_cmdReturn->setObjectName(QStringLiteral("cmdReturn"));
    connect(m_cmdReturn, &QPushButton::clicked, this, &frmCalibrateTorque::onReturn);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_panelUnit = new QLabel(bar);
    m_panelUnit->setObjectName(QStringLiteral("panel1"));
    m_panelMessage = new QLabel(bar);
    m_panelMessage->setObjectName(QStringLiteral("panel2"));
    for (QLabel* panel : {m_panelUnit, m_panelMessage}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
    }
    m_panelUnit->setMinimumWidth(90);
    bar->addWidget(m_panelUnit);
    bar->addWidget(m_panelMessage, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdReturn);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_tabs, 1);
    top->addLayout(buttons);
    top->addWidget(bar);

    QWidget* const order[] = {m_cmbInstName, m_cmbBobNo,   m_txtVisc,  m_txtChange,
                              m_cmdStart,    m_cmdExport, m_cmdReturn};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(scaledMs(kTickMs));
    connect(&m_timer, &QTimer::timeout, this, &frmCalibrateTorque::onTick);

    m_chooseFile = [](QWidget* owner) -> std::optional<QString> {
        QString filter = QStringLiteral("Text Files(*.txt)");
        const QString name = getSaveFileName(
            owner, QStringLiteral("Export Calibration Report"), QString(),
            QStringLiteral("All Files (*.*);;Text Files(*.txt)"), &filter);
        if (name.isEmpty()) return std::nullopt;
        return name;
    };

    loadUnits();
    setMinimumSize(820, 560);
    resize(960, 640);
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

frmCalibrateTorque::~frmCalibrateTorque() = default;

QWidget* frmCalibrateTorque::createTorquePanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("fraTorque"));

    m_cmbInstName = new QComboBox(panel);
    m_cmbInstName->setObjectName(QStringLiteral("cmbInstName"));
    m_cmbBobNo = new QComboBox(panel);
    m_cmbBobNo->setObjectName(QStringLiteral("cmbBobNo"));
    m_cmbBobNo->addItems(calibrationBobs());
    m_cmbBobNo->setCurrentText(QStringLiteral("B5"));
    m_txtVisc = new QLineEdit(panel);
    m_txtVisc->setObjectName(QStringLiteral("txtVisc"));
    m_txtChange = new QLineEdit(panel);
    m_txtChange->setObjectName(QStringLiteral("txtChange"));
    for (QLineEdit* box : {m_txtVisc, m_txtChange}) box->setMaximumWidth(140);

    auto withUnit = [panel](QLineEdit* box) {
        auto* row = new QHBoxLayout;
        row->addWidget(box);
        row->addWidget(new QLabel(QStringLiteral("(cP)"), panel));
        row->addStretch(1);
        return row;
    };

    auto* form = new QVBoxLayout;
    form->addWidget(wrapped(QStringLiteral("Please select which unit to calibrate:"), panel));
    form->addWidget(m_cmbInstName);
    form->addSpacing(8);
    form->addWidget(wrapped(QStringLiteral("Bob is used:"), panel));
    form->addWidget(m_cmbBobNo);
    form->addSpacing(8);
    form->addWidget(
        wrapped(QStringLiteral("Please enter the current viscosity of the calibration fluid:"), panel));
    form->addLayout(withUnit(m_txtVisc));
    form->addSpacing(8);
    form->addWidget(wrapped(
        QStringLiteral("Please enter the change of viscosity when temperature increase 1 "), panel));
    form->addLayout(withUnit(m_txtChange));
    form->addSpacing(12);
    auto* lockNut = wrapped(QStringLiteral("MAKE SURE LOCK NUT AT SHAFT BOTTOM IS SCREWED ON."), panel);
    lockNut->setObjectName(QStringLiteral("lblLockNut"));
    lockNut->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    form->addWidget(lockNut);
    form->addStretch(1);

    m_cmdStart = new QPushButton(QStringLiteral("&Start"), panel);
    m_cmdStart->setObjectName(QStringLiteral("cmdStart"));
    m_cmdExport = new QPushButton(QStringLiteral("&Export"), panel);
    m_cmdExport->setObjectName(QStringLiteral("cmdExport"));
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_cmdStart);
    actions->addWidget(m_cmdExport);
    form->addLayout(actions);

    auto* left = new QWidget(panel);
    left->setLayout(form);
    left->setFixedWidth(300);

    m_graph = createTorqueGraph(panel);
    m_graph->widget()->setObjectName(QStringLiteral("CWGraph1"));
    m_graph->widget()->setMinimumSize(420, 360);

    auto* row = new QHBoxLayout(panel);
    row->addWidget(left);
    row->addWidget(m_graph->widget(), 1);

    connect(m_cmbInstName, &QComboBox::currentIndexChanged, this, &frmCalibrateTorque::onUnitChosen);
    connect(m_cmdStart, &QPushButton::clicked, this, &frmCalibrateTorque::onStart);
    connect(m_cmdExport, &QPushButton::clicked, this, &frmCalibrateTorque::onExport);
    return panel;
}

QWidget* frmCalibrateTorque::createPressurePanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("fraPressure"));
    m_command1 = new QPushButton(QStringLiteral("Start Automatic Pressure Effect Calibration"), panel);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setMinimumHeight(40);
    connect(m_command1, &QPushButton::clicked, this, &frmCalibrateTorque::onPressureEffect);

    auto* notes = new QGroupBox(QStringLiteral("Notes:"), panel);
    auto* noteText = wrapped(
        QStringLiteral("Please first click above button when TZ360 viscometer is not pressurized "
                       "(0 psi).  Then apply about 400psi (according to TZ360 Lcd display) pressure "
                       "to it.  Leave pressure unchanged for another 5 minutes till shear stress "
                       "display starts to update again on LCD.  This calibration is finished "
                       "automatically by then. Then depressurize it."),
        notes);
    auto* noteLayout = new QVBoxLayout(notes);
    noteLayout->addWidget(noteText);

    auto* column = new QVBoxLayout;
    column->addWidget(
        wrapped(QStringLiteral("This calibration is  recommended after all torque calibration."), panel));
    column->addWidget(m_command1);
    column->addSpacing(12);
    column->addWidget(notes);
    column->addStretch(1);
    auto* row = new QHBoxLayout(panel);
    row->addStretch(1);
    row->addLayout(column, 4);
    row->addStretch(1);
    return panel;
}

void frmCalibrateTorque::loadUnits() {
    const HardwareSettings hw = SettingsFile::readHardware(m_settingsPath);
    const QSignalBlocker quiet(m_cmbInstName);
    for (int i = 0; i < kUnitCount; ++i) {
        if (hw.ports[i] == 0) continue;
        m_units << i + 1;
        m_ports << hw.ports[i];
        m_cmbInstName->addItem(QStringLiteral("Unit ") + numberText(i + 1));
    }
    m_cmbInstName->setCurrentIndex(m_units.isEmpty() ? -1 : 0);
    m_shownUnit = m_cmbInstName->currentIndex();
    m_panelUnit->setText(m_cmbInstName->currentText());
}

void frmCalibrateTorque::onUnitChosen(int index) {
    if (index == m_shownUnit) return;
    if (m_running) {
        const QSignalBlocker quiet(m_cmbInstName);
        m_cmbInstName->setCurrentIndex(m_shownUnit);
        message(QStringLiteral("Calibrating current unit, can not change unit. "));
        return;
    }
    // The next command goes to the unit now chosen.
    m_link.close();
    m_shownUnit = index;
    m_panelUnit->setText(m_cmbInstName->currentText());
}

void frmCalibrateTorque::onStart() {
    const double viscosity = val(m_txtVisc->text());
    if (!calibrationViscosityAccepted(viscosity)) {
        message(QStringLiteral("Invalid input of viscosity value."));
        return;
    }
    const int entry = m_cmbInstName->currentIndex();
    if (entry < 0) {
        portError(QStringLiteral("No unit has a serial port in initial.txt."));
        return;
    }
    if (!m_link.open(m_ports[entry])) {
        portError(m_link.errorString());
        return;
    }
    m_link.discardInput();
    const QString bob = m_cmbBobNo->currentText();
    // The bob file is brought up to date before the unit is started, so a
    // file that cannot be written stops the start with nothing sent.
    QString error;
    if (!BobFile::replaceBob(m_bobPath, m_units[entry], bob, &error)) {
        m_link.close();
        portError(error);
        return;
    }
    if (!m_link.send(proto::calibrationStart(viscosity, val(m_txtChange->text())))) {
        error = m_link.errorString();
        m_link.close();
        portError(error);
        return;
    }
    m_run = RunSetup{m_cmbInstName->currentText(), bob, m_txtVisc->text(), m_txtChange->text()};
    m_reader = CalibrationRecordReader(calibrationStressFactor(bob));
    m_quality.reset();
    m_silentTicks = 0;
    redrawGraph();
    setStatus(QStringLiteral("Calibration in Progress."));
    setRunning(true);
    m_timer.start(scaledMs(kTickMs));
}

void frmCalibrateTorque::onTick() {
    const QByteArray arrived = m_link.takeAll();
    m_silentTicks = arrived.isEmpty() ? m_silentTicks + 1 : 0;
    if (m_reader.read(arrived) > 0) redrawGraph();
    if (m_reader.ended()) {
        finish();
    } else if (m_silentTicks >= m_silenceLimitS) {
        abandon();
    }
}

void frmCalibrateTorque::abandon() {
    m_timer.stop();
    setRunning(false);
    m_link.close();
    setStatus(QStringLiteral("Calibration abandoned: the unit stopped answering."));
    message(QStringLiteral("The unit sent nothing for %1 seconds, so the calibration was abandoned "
                           "and nothing was sent to the unit. Please check the unit and its cable, "
                           "then start the calibration again.")
                .arg(m_silenceLimitS));
}

void frmCalibrateTorque::finish() {
    m_timer.stop();
    const CalibrationOutcome outcome =
        finishCalibration(m_reader.records(), m_reader.zeroVolt(), m_run->bob);
    const bool sent = outcome.fitted && m_link.send(outcome.command);
    const QString sendError = m_link.errorString();
    setRunning(false);
    // The records stay for the graph and the report.
    QTimer::singleShot(scaledMs(kCloseAfterSendMs), this, [this] {
        if (!m_running) m_link.close();
    });

    const int count = static_cast<int>(m_reader.records().size());
    if (!outcome.fitted) {
        setStatus(QStringLiteral("Calibration failed: nothing was sent to the unit."));
        message(QStringLiteral("Only %1 calibration records arrived, too few to fit the calibration "
                               "polynomial. Nothing was sent to the unit; please repeat the "
                               "calibration.")
                    .arg(count));
        return;
    }
    if (!sent) {
        setStatus(QStringLiteral("Calibration failed: the polynomial was not sent."));
        message(QStringLiteral("The calibration polynomial could not be sent to the unit (%1). "
                               "Please repeat the calibration.")
                    .arg(sendError));
        return;
    }
    switch (outcome.check.verdict) {
    case AcceptanceCheck::Verdict::Sound:
        m_quality = outcome.check.quality;
        setStatus(QStringLiteral("Calibration Finished Successfully."));
        return;
    case AcceptanceCheck::Verdict::Doubtful: {
        m_quality = outcome.check.quality;
        const QString text =
            QStringLiteral("Possible problem in calibration.  Please check bob shaft assembly.");
        setStatus(text);
        message(text);
        return;
    }
    case AcceptanceCheck::Verdict::TooFewRecords: {
        const QString text =
            QStringLiteral("The calibration polynomial was sent, but only %1 calibration records "
                           "arrived and at least %2 are needed to check the calibration. Please "
                           "repeat the calibration.")
                .arg(count)
                .arg(kFirstCheckedRecord + kCheckedRecords);
        setStatus(QStringLiteral("Calibration not checked: too few records."));
        message(text);
        return;
    }
    }
}

void frmCalibrateTorque::onPressureEffect() {
    const int entry = m_cmbInstName->currentIndex();
    if (entry < 0) {
        portError(QStringLiteral("No unit has a serial port in initial.txt."));
        return;
    }
    if (!m_link.isOpen() && !m_link.open(m_ports[entry])) {
        portError(m_link.errorString());
        return;
    }
    m_link.discardInput();
    if (!m_link.send(proto::pressureEffectStart())) {
        portError(m_link.errorString());
        return;
    }
    setStatus(QStringLiteral("Pressure effect calibration in progress."));
}

void frmCalibrateTorque::onReturn() { close(); }

void frmCalibrateTorque::closeEvent(QCloseEvent* event) {
    // Leaving mid-run would leave the unit waiting to give its polynomial to
    // nobody; the close box is refused like Return.
    if (m_running) {
        message(QStringLiteral("Please wait calibration finish before exit."));
        event->ignore();
        return;
    }
    m_timer.stop();
    m_link.close();
    event->accept();
}

void frmCalibrateTorque::onExport() {
    const std::optional<QString> path = m_chooseFile(this);
    if (!path) {
        // The operator's own choice, not a failure.
        m_prompt.message(this, QStringLiteral("Cancel was selected."), kTitle, Prompt::Icon::Information);
        return;
    }
    CalibrationReportData data;
    data.when = QDateTime::currentDateTime();
    data.locale = QLocale();
    const RunSetup setup = m_run.value_or(RunSetup{m_cmbInstName->currentText(),
                                                   m_cmbBobNo->currentText(), m_txtVisc->text(),
                                                   m_txtChange->text()});
    data.unit = setup.unit;
    data.bob = setup.bob;
    data.viscosity = setup.viscosity;
    data.changePerDegC = setup.changePerDegC;
    data.records = m_reader.records();
    data.quality = m_quality;
    QString error;
    if (!writeCalibrationReport(*path, data, &error)) message(error);
}

void frmCalibrateTorque::setRunning(bool running) {
    m_running = running;
    m_cmdStart->setEnabled(!running);
    m_cmbInstName->setEnabled(!running);
    // A pressure-effect start would discard the records still on the line.
    m_command1->setEnabled(!running);
}

void frmCalibrateTorque::redrawGraph() {
    QList<QPointF> points;
    for (const CalibrationRecord& r : m_reader.records()) points.append({r.voltage, r.stress});
    m_graph->show(points);
}

QString frmCalibrateTorque::statusText() const { return m_panelMessage->text(); }

void frmCalibrateTorque::setStatus(const QString& text) { m_panelMessage->setText(text); }

void frmCalibrateTorque::portError(const QString& reason) {
    // The operator's message is the unit's; the status bar says what failed.
    setStatus(reason);
    message(kPortError);
}

void frmCalibrateTorque::message(const QString& text) {
    m_prompt.message(this, text, kTitle, Prompt::Icon::Exclamation);
}

}  // namespace tz
