#include "setup/ui/HardwareTab.h"

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/ui/Prompt.h"
#include "app/ui/StatusNote.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kPorts = 22;  // "Comm 1" to "Comm 22"
}

HardwareTab::HardwareTab(tz::Settings& settings, tz::Prompt& prompt, const QString& settingsPath,
                         QWidget* parent)
    : QWidget(parent), m_settings(settings), m_prompt(prompt), m_path(settingsPath) {
    setObjectName(QStringLiteral("HardwareTab"));

    QStringList entries{QStringLiteral("None")};
    for (int k = 1; k <= kPorts; ++k) entries << QStringLiteral("Comm %1").arg(k);

    auto* ports = new QGridLayout;
    ports->addWidget(new QLabel(QStringLiteral("Commport setup for TZ360:"), this), 0, 0, 1, 2);
    for (int i = 0; i < tz::kUnitCount; ++i) {
        auto* list = new QComboBox(this);
        list->setObjectName(QStringLiteral("cmbUnit%1").arg(i + 1));
        list->addItems(entries);
        list->setMinimumContentsLength(8);
        m_cmbUnit[i] = list;
        auto* label = new QLabel(QStringLiteral("Unit &%1:").arg(i + 1), this);
        label->setBuddy(list);  // Alt+1 ... Alt+8
        ports->addWidget(label, i + 1, 0);
        ports->addWidget(list, i + 1, 1);
    }
    ports->setColumnStretch(2, 1);

    auto* units = new QGroupBox(QStringLiteral("Unit Selection"), this);
    units->setObjectName(QStringLiteral("fraUnitSelection"));
    m_optCGS = new QRadioButton(QStringLiteral("CGS"), units);
    m_optCGS->setObjectName(QStringLiteral("optCGS"));
    m_optEI = new QRadioButton(QStringLiteral("EI"), units);
    m_optEI->setObjectName(QStringLiteral("OptEI"));
    m_optEI->setToolTip(QStringLiteral("Click here to select English Units"));
    m_optSI = new QRadioButton(QStringLiteral("SI"), units);
    m_optSI->setObjectName(QStringLiteral("OptSI"));
    m_optSI->setToolTip(QStringLiteral("Click here to select Metric Units"));
    m_optCGS->setChecked(true);
    auto* unitLayout = new QVBoxLayout(units);
    unitLayout->addWidget(m_optCGS);
    unitLayout->addWidget(m_optEI);
    unitLayout->addWidget(m_optSI);

    auto* save = new QPushButton(QStringLiteral("&Save"), this);
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setAutoDefault(false);
    auto* back = new QPushButton(QStringLiteral("&Return"), this);
    back->setObjectName(QStringLiteral("cmdReturn2"));
    back->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(back);

    auto* middle = new QHBoxLayout;
    middle->addLayout(ports);
    middle->addSpacing(24);
    middle->addWidget(units, 0, Qt::AlignTop);
    middle->addStretch(1);

    auto* top = new QVBoxLayout(this);
    top->addLayout(middle);
    top->addStretch(1);
    top->addLayout(buttons);

    // A choice takes effect at once for every window opened afterwards.
    connect(m_optCGS, &QRadioButton::clicked, this, [this] { chooseUnitSystem(tz::UnitCGS); });
    connect(m_optEI, &QRadioButton::clicked, this, [this] { chooseUnitSystem(tz::UnitEI); });
    connect(m_optSI, &QRadioButton::clicked, this, [this] { chooseUnitSystem(tz::UnitSI); });
    connect(save, &QPushButton::clicked, this, &HardwareTab::onSave);
    connect(back, &QPushButton::clicked, this, &HardwareTab::returnRequested);
}

void HardwareTab::load() {
    const tz::HardwareSettings hw = tz::SettingsFile::readHardware(m_path);
    for (int i = 0; i < tz::kUnitCount; ++i) {
        // -1 (nothing chosen) and anything no list holds show no entry.
        const int port = hw.ports[i];
        m_cmbUnit[i]->setCurrentIndex(port >= 0 && port <= kPorts ? port : -1);
    }
    // The unit system is the one held in memory: read from the file at
    // start-up, or chosen here since (and perhaps not saved). A code no
    // option stands for would show °C headings beside a checked CGS; it is
    // read as CGS instead.
    const int held = m_settings.unitSystem;
    const int code = held >= tz::UnitCGS && held <= tz::UnitSI ? held : tz::UnitCGS;
    (code == tz::UnitEI ? m_optEI : code == tz::UnitSI ? m_optSI : m_optCGS)->setChecked(true);
    m_settings.unitSystem = code;
}

void HardwareTab::chooseUnitSystem(int code) { m_settings.unitSystem = code; }

void HardwareTab::onSave() {
    std::array<int, tz::kUnitCount> ports{};
    for (int i = 0; i < tz::kUnitCount; ++i) ports[i] = m_cmbUnit[i]->currentIndex();
    QString error;
    if (!tz::SettingsFile::write(m_path, ports, m_settings, &error)) {
        m_prompt.message(this,
                         QStringLiteral("The settings could not be saved to %1:\n%2")
                             .arg(m_path, error),
                         QStringLiteral("TZ360 Setup"), tz::Prompt::Icon::Critical);
        return;
    }
    tz::showStatusNote(this, tz::savedFileNote(m_path));
}
