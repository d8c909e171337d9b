#include "setup/frmSetup.h"

#include "app/SettingsFile.h"
#include "app/ui/Prompt.h"
#include "app/ui/WindowPlacement.h"
#include "setup/ui/HardwareTab.h"
#include "setup/ui/SequenceTab.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

frmSetup::frmSetup(tz::Settings& settings, clsConnection& connection, tz::Prompt& prompt,
                   QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("TZ360 Setup"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_sequenceTab = new SequenceTab(settings, connection, prompt, m_tabs);
    m_hardwareTab = new HardwareTab(settings, prompt, tz::SettingsFile::defaultPath(), m_tabs);
    m_tabs->addTab(m_sequenceTab, QStringLiteral("Test Sequence Setup"));
    m_tabs->addTab(m_hardwareTab, QStringLiteral("Hardware && Misc Setup"));
    m_tabs->setCurrentIndex(0);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_tabs);
    // What the last Save wrote, and where.
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    auto* status = new QLabel(QStringLiteral("Ready"), bar);
    status->setObjectName(QStringLiteral("panelStatus"));
    bar->addWidget(status, 1);
    top->addWidget(bar);

    // The unit system comes first: the grid headings and cells depend on it.
    m_hardwareTab->load();
    m_sequenceTab->refillList();

    // Back on the sequence tab the unit system may have changed: show the
    // stored sequence again in the unit now chosen.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) m_sequenceTab->reloadSelected();
    });
    connect(m_sequenceTab, &SequenceTab::returnRequested, this, &frmSetup::onReturn);
    connect(m_hardwareTab, &HardwareTab::returnRequested, this, &frmSetup::onReturn);

    tz::fitAndCentre(this, QSize(980, 640), tz::availableArea(this));
}

bool frmSetup::leaveConfirmed() {
    if (!m_sequenceTab->changed()) return true;
    return m_prompt.ask(
        this, QStringLiteral("Current active sequence was changed, do you want to leave without save?"),
        QStringLiteral("TZ360 Setup"), tz::Prompt::Buttons::OkCancel);
}

void frmSetup::onReturn() {
    if (!leaveConfirmed()) return;
    m_leaving = true;
    close();
    m_leaving = false;
}

void frmSetup::closeEvent(QCloseEvent* event) {
    // The close box asks too: unsaved steps must not vanish without a word.
    if (!m_leaving && !leaveConfirmed()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}
