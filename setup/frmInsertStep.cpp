#include "setup/frmInsertStep.h"

#include "app/NumberFormat.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "app/ui/TitleWidth.h"
#include "setup/SequenceTemperature.h"
#include "setup/SequenceValidation.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QLineEdit* numberBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}
}  // namespace

frmInsertStep::frmInsertStep(tz::Settings& settings, tz::Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmInsertStep"));
    setWindowTitle(QStringLiteral("Insert Step"));
    setModal(true);
    tz::widenForTitle(this);

    m_txtStepNo = numberBox("txtStepNo", this);
    m_txtStepNo->setReadOnly(true);
    m_txtStepNo->setFocusPolicy(Qt::ClickFocus);  // shown, never filled in
    m_txtStepNo->setText(QStringLiteral("1"));
    m_cmbBeforeAfter = new QComboBox(this);
    m_cmbBeforeAfter->setObjectName(QStringLiteral("cmbBeforeAfter"));
    m_cmbBeforeAfter->addItems({QStringLiteral("before"), QStringLiteral("after")});
    m_cmbBeforeAfter->setCurrentIndex(0);
    m_txtTime = numberBox("txtTime", this);
    m_txtTemp = numberBox("txtTemp", this);
    m_txtTempError = numberBox("txtTempError", this);
    m_txtShearrate = numberBox("txtShearrate", this);

    const QString unit = tz::temperatureUnit(m_settings.unitSystem);
    auto* form = new QFormLayout;
    auto* place = new QHBoxLayout;
    place->addWidget(new QLabel(QStringLiteral("Insert"), this));
    place->addWidget(m_cmbBeforeAfter);
    place->addWidget(new QLabel(QStringLiteral("step"), this));
    place->addWidget(m_txtStepNo);
    form->addRow(place);
    form->addRow(QStringLiteral("Time (Min)"), m_txtTime);
    form->addRow(QStringLiteral("Temperature (%1)").arg(unit), m_txtTemp);
    form->addRow(QStringLiteral("Temp Error (%1)").arg(unit), m_txtTempError);
    form->addRow(QStringLiteral("Shear Rate (1/S)"), m_txtShearrate);

    m_cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    connect(m_cmbBeforeAfter, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_before = index != 1; });
    connect(m_cmdOK, &QPushButton::clicked, this, &frmInsertStep::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmInsertStep::reject);
    m_txtShearrate->installEventFilter(this);
    m_cmbBeforeAfter->installEventFilter(this);
    // The operator starts with the step's duration.
    m_txtTime->setFocus();
}

void frmInsertStep::setStepNo(const QString& stepNo) { m_txtStepNo->setText(stepNo); }

void frmInsertStep::onOk() {
    const double time = tz::val(m_txtTime->text());
    const double temp = tz::val(m_txtTemp->text());
    const double shearRate = tz::val(m_txtShearrate->text());
    if (const auto refusal = tz::checkInsertStep(time, temp, shearRate, m_settings.unitSystem)) {
        m_prompt.message(this, refusal->text, refusal->title);
        using F = tz::InsertStepRefusal::Field;
        QLineEdit* box = refusal->field == F::Time          ? m_txtTime
                         : refusal->field == F::Temperature ? m_txtTemp
                                                            : m_txtShearrate;
        box->setFocus();
        return;
    }
    m_time = time;
    m_temp = temp;
    m_shearRate = shearRate;
    m_tempError = tz::val(m_txtTempError->text());
    m_cancelInp = false;
    accept();
}

void frmInsertStep::reject() {
    m_cancelInp = true;
    QDialog::reject();
}

bool frmInsertStep::eventFilter(QObject* watched, QEvent* event) {
    // Typing into the place list does not search it: any letter or digit
    // puts it back on "before". The arrow keys still choose.
    if (watched == m_cmbBeforeAfter && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            m_cmbBeforeAfter->setCurrentIndex(0);
            m_before = true;
            return true;
        }
    }
    // Checked after the focus has settled: a message box raised inside the
    // focus change would fight it. Leaving for Cancel is not a reason to complain.
    if (watched == m_txtShearrate && event->type() == QEvent::FocusOut)
        QTimer::singleShot(0, this, &frmInsertStep::checkShearRateBox);
    return QDialog::eventFilter(watched, event);
}

void frmInsertStep::checkShearRateBox() {
    if (!isVisible() || QApplication::focusWidget() == m_cmdCancel) return;
    if (tz::shearRateBoxAccepted(tz::val(m_txtShearrate->text()))) return;
    m_prompt.message(this, QStringLiteral("Invalid shear rate inpute."), tz::kShearRateBoxTitle);
    m_txtShearrate->setFocus();
}
