#include "setup/frmShearRate.h"

#include "app/NumberFormat.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "app/ui/TitleWidth.h"
#include "setup/SequenceValidation.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmShearRate::frmShearRate(tz::Settings& settings, tz::Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmShearRate"));
    setWindowTitle(QStringLiteral("K' Unit and Shear Rates Selection"));
    setModal(true);
    tz::widenForTitle(this);

    auto* unitFrame = new QGroupBox(QStringLiteral("K' Unit Selection"), this);
    m_option1 = new QRadioButton(QStringLiteral("dyn-s^n/cm2"), unitFrame);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_option2 = new QRadioButton(QStringLiteral("lb-f s/100 ft2 "), unitFrame);
    m_option2->setObjectName(QStringLiteral("Option2"));
    m_option1->setChecked(true);
    auto* unitLayout = new QHBoxLayout(unitFrame);
    unitLayout->addWidget(m_option1);
    unitLayout->addWidget(m_option2);

    // The boxes always open on the usual rates, whatever is in use now.
    const char* defaults[3] = {"40", "100", "170"};
    auto* form = new QFormLayout;
    for (int i = 0; i < 3; ++i) {
        m_txtRate[i] = new QLineEdit(QLatin1String(defaults[i]), this);
        m_txtRate[i]->setObjectName(QStringLiteral("txtRate%1").arg(i + 1));
        m_txtRate[i]->setToolTip(QStringLiteral("Enter Shear Rate %1:").arg(i + 1));
        form->addRow(QStringLiteral("Shear Rate %1 (1/S):").arg(i + 1), m_txtRate[i]);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* top = new QVBoxLayout(this);
    top->addWidget(unitFrame);
    top->addLayout(form);
    top->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &frmShearRate::onOk);
}

void frmShearRate::onOk() {
    const std::array<double, 3> rates{tz::val(m_txtRate[0]->text()), tz::val(m_txtRate[1]->text()),
                                      tz::val(m_txtRate[2]->text())};
    // The K' unit is taken whatever the rates are: it cannot be wrong. Refused
    // rates never reach the process-wide settings: a results grid recomputed
    // meanwhile would divide by a zero or unordered rate.
    m_settings.kPrimeUnit = m_option1->isChecked() ? 1 : 0;
    if (!tz::calculationRatesAccepted(rates)) {
        m_prompt.message(this, tz::SetupText::kBadShearRates);
        return;
    }
    m_settings.shearRates = rates;
    accept();
}
