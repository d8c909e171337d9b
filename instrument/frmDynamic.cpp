#include "instrument/frmDynamic.h"

#include "app/NumberFormat.h"
#include "app/ui/Prompt.h"
#include "instrument/TimeScale.h"
#include "instrument/UnitLink.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tz {

namespace {

QLineEdit* field(QWidget* parent, const char* name, const QString& text, const QString& tip)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(tip);
    edit->setMaximumWidth(90);
    return edit;
}

QPushButton* toggle(QWidget* parent, const char* name)
{
    auto* b = new QPushButton(QStringLiteral("Start"), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(true);
    b->setMinimumWidth(90);
    return b;
}

}  // namespace

frmDynamic::frmDynamic(Prompt& prompt, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_link(std::make_unique<UnitLink>())
{
    setObjectName(QStringLiteral("frmDynamic"));
    m_port = m_link.get();
    m_test = std::make_unique<DynamicTest>(*m_port);
    connect(&m_timer, &QTimer::timeout, this, &frmDynamic::onTimer);
    createControls();
}

frmDynamic::~frmDynamic()
{
    m_timer.stop();
}

void frmDynamic::createControls()
{
    auto* top = new QVBoxLayout(this);
    m_lblUnit = new QLabel(this);
    m_lblUnit->setObjectName(QStringLiteral("lblUnit"));
    QFont bold = m_lblUnit->font();
    bold.setBold(true);
    m_lblUnit->setFont(bold);
    top->addWidget(m_lblUnit);

    auto* common = new QGridLayout;
    m_txtStrain = field(this, "txtStrain", QStringLiteral("100.0"), QStringLiteral("Strain amplitude"));
    m_txtTempSetPoint = field(this, "txtTempSetPoint", QStringLiteral("75"), QStringLiteral("Temperature (°F)"));
    auto* strainLabel = new QLabel(QStringLiteral("&Strain:"), this);
    strainLabel->setBuddy(m_txtStrain);
    auto* tempLabel = new QLabel(QStringLiteral("&Temperature (°F):"), this);
    tempLabel->setBuddy(m_txtTempSetPoint);
    common->addWidget(strainLabel, 0, 0);
    common->addWidget(m_txtStrain, 0, 1);
    common->addWidget(tempLabel, 1, 0);
    common->addWidget(m_txtTempSetPoint, 1, 1);
    common->setColumnStretch(2, 1);
    top->addLayout(common);

    auto* single = new QGroupBox(QStringLiteral("Single Frequency"), this);
    single->setObjectName(QStringLiteral("fraSingle"));
    auto* singleGrid = new QGridLayout(single);
    m_txtFreq = field(single, "txtFreq", QStringLiteral("1.0"), QStringLiteral("Frequency (Hz)"));
    auto* freqLabel = new QLabel(QStringLiteral("&Frequency (Hz):"), single);
    freqLabel->setBuddy(m_txtFreq);
    m_cmdStartStop = toggle(single, "cmdStart_Stop");
    singleGrid->addWidget(freqLabel, 0, 0);
    singleGrid->addWidget(m_txtFreq, 0, 1);
    singleGrid->addWidget(m_cmdStartStop, 0, 3);
    singleGrid->setColumnStretch(2, 1);
    top->addWidget(single);

    auto* sweep = new QGroupBox(QStringLiteral("Frequency Sweep"), this);
    sweep->setObjectName(QStringLiteral("fraSweep"));
    auto* sweepGrid = new QGridLayout(sweep);
    m_txtFreqStart = field(sweep, "txtFreqStart", QStringLiteral("1.0"), QStringLiteral("First frequency (Hz)"));
    m_txtFreqEnd = field(sweep, "txtFreqEnd", QStringLiteral("1.0"), QStringLiteral("Last frequency (Hz)"));
    m_txtInterval = field(sweep, "txtInterval", QStringLiteral("5"), QStringLiteral("Number of frequency intervals"));
    const std::array<std::pair<QString, QLineEdit*>, 3> rows{{{QStringLiteral("Start (H&z):"), m_txtFreqStart},
                                                             {QStringLiteral("&End (Hz):"), m_txtFreqEnd},
                                                             {QStringLiteral("&Intervals:"), m_txtInterval}}};
    for (int r = 0; r < 3; ++r) {
        auto* label = new QLabel(rows[r].first, sweep);
        label->setBuddy(rows[r].second);
        sweepGrid->addWidget(label, r, 0);
        sweepGrid->addWidget(rows[r].second, r, 1);
    }
    m_cmdStartStop2 = toggle(sweep, "cmdStart_Stop2");
    sweepGrid->addWidget(m_cmdStartStop2, 0, 3);
    sweepGrid->setColumnStretch(2, 1);
    top->addWidget(sweep);

    top->addStretch();
    auto* buttons = new QHBoxLayout;
    auto* ret = new QPushButton(QStringLiteral("&Return"), this);
    ret->setObjectName(QStringLiteral("cmdReturn"));
    buttons->addStretch();
    buttons->addWidget(ret);
    top->addLayout(buttons);

    connect(m_cmdStartStop, &QPushButton::toggled, this, &frmDynamic::singleToggled);
    connect(m_cmdStartStop2, &QPushButton::toggled, this, &frmDynamic::sweepToggled);
    connect(ret, &QPushButton::clicked, this, [this] {
        // In the frame, the sub-window closes with its window.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });

    setTabOrder(m_txtStrain, m_txtTempSetPoint);
    setTabOrder(m_txtTempSetPoint, m_txtFreq);
    setTabOrder(m_txtFreq, m_cmdStartStop);
    setTabOrder(m_cmdStartStop, m_txtFreqStart);
    setTabOrder(m_txtFreqStart, m_txtFreqEnd);
    setTabOrder(m_txtFreqEnd, m_txtInterval);
    setTabOrder(m_txtInterval, m_cmdStartStop2);
    setTabOrder(m_cmdStartStop2, ret);
    setMinimumSize(minimumSizeHint().expandedTo(QSize(360, 330)));
    resize(420, 360);
}

void frmDynamic::setUnitNumber(int unit)
{
    m_unit = unit;
    m_lblUnit->setText(QStringLiteral("Unit %1").arg(unit));
    setWindowTitle(QStringLiteral("Unit %1 Dynamic Test").arg(unit));
    m_link->setOwnerLabel(QStringLiteral("Unit %1 Dynamic Test window").arg(unit));
}

bool frmDynamic::openPort(int comm, QString* errorText)
{
    if (m_link->open(comm))
        return true;
    if (errorText)
        *errorText = m_link->errorString();
    return false;
}

bool frmDynamic::portOpen() const
{
    return m_link->isOpen();
}

void frmDynamic::usePort(UnitPort& port)
{
    m_timer.stop();
    m_port = &port;
    m_test = std::make_unique<DynamicTest>(port);
}

DynamicSettings frmDynamic::settings() const
{
    DynamicSettings s;
    s.strain = val(m_txtStrain->text());
    s.frequencyHz = val(m_txtFreq->text());
    s.sweepStartHz = val(m_txtFreqStart->text());
    s.sweepEndHz = val(m_txtFreqEnd->text());
    s.intervals = val(m_txtInterval->text());
    s.tempF = val(m_txtTempSetPoint->text());
    return s;
}

void frmDynamic::setToggle(QPushButton* t, bool on)
{
    // Shows the state without sending anything again.
    const QSignalBlocker block(t);
    t->setChecked(on);
    t->setText(on ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void frmDynamic::portError(QPushButton* t)
{
    setToggle(t, false);
    m_prompt.message(this, DynamicTest::kPortErrorMessage);
}

void frmDynamic::singleToggled(bool on)
{
    setToggle(m_cmdStartStop, on);
    const bool sent = on ? m_test->startSingle(settings()) : m_test->stopSingle();
    if (!sent)
        portError(m_cmdStartStop);
}

void frmDynamic::sweepToggled(bool on)
{
    setToggle(m_cmdStartStop2, on);
    if (on) {
        if (!m_test->startSweep(settings())) {
            portError(m_cmdStartStop2);
            return;
        }
        m_timer.start(scaledMs(DynamicTest::kTickMs));
        return;
    }
    m_timer.stop();
    if (!m_test->stopSweep())
        portError(m_cmdStartStop2);
}

void frmDynamic::onTimer()
{
    const bool sent = m_test->tick(settings());
    if (m_test->sweepRunning())
        return;
    // The last point is done (or the line failed): the sweep is over.
    m_timer.stop();
    if (!sent)
        portError(m_cmdStartStop2);
    else
        setToggle(m_cmdStartStop2, false);
}

void frmDynamic::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_timer.stop();
        // The rotor would go on oscillating with nobody to stop it.
        if (m_test->sweepRunning())
            m_test->stopSweep();
        else if (m_cmdStartStop->isChecked() || m_cmdStartStop2->isChecked())
            m_test->stopSingle();
        emit unloaded(m_unit);
        m_link->close();
    }
    event->accept();
}

}  // namespace tz
