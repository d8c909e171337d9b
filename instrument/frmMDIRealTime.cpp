#include "instrument/frmMDIRealTime.h"

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/ui/Prompt.h"
#include "app/BobFile.h"
#include "instrument/frmRealTime.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>

namespace tz {

namespace {
// The numbers the operator's manual lists for these failures.
constexpr int kErrInputPastEndOfFile = 62;
constexpr int kErrPortCannotBeOpened = 8002;
}  // namespace

frmMDIRealTime::frmMDIRealTime(Settings& settings, clsConnection& connection, Prompt& prompt,
                               QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_connection(connection), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmMDIRealTime"));
    setWindowTitle(QStringLiteral("TZ360 Real Time Test & Monitoring"));
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    // Tiled unit windows keep their minimum size; the frame scrolls instead.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    createMenus();
    setMinimumSize(860, 640);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize avail = screen ? screen->availableGeometry().size() : QSize(1280, 800);
    resize(qMin(1240, avail.width() - 20), qMin(760, avail.height() - 40));
}

frmMDIRealTime::~frmMDIRealTime() = default;

void frmMDIRealTime::createMenus() {
    QMenu* regular = menuBar()->addMenu(QStringLiteral("&Regular Test"));
    regular->setObjectName(QStringLiteral("MenuRegular"));
    QMenu* dynamic = menuBar()->addMenu(QStringLiteral("&Dynamic Test"));
    dynamic->setObjectName(QStringLiteral("MenuDynamic"));
    for (int n = 1; n <= kUnits; ++n) {
        QAction* add = regular->addAction(QStringLiteral("Add TZ360 Unit %1").arg(n));
        add->setObjectName(QStringLiteral("MenuAddUnit%1").arg(n));
        add->setEnabled(false);
        connect(add, &QAction::triggered, this, [this, n] { addRegularUnit(n); });
        m_regular[n - 1] = add;
        QAction* dyn = dynamic->addAction(QStringLiteral("Add TZ360 Unit %1").arg(n));
        dyn->setObjectName(QStringLiteral("MenuAddDynamic%1").arg(n));
        dyn->setEnabled(false);
        connect(dyn, &QAction::triggered, this, [this, n] { addDynamicUnit(n); });
        m_dynamic[n - 1] = dyn;
    }
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("MenuWindow"));
    connect(window->addAction(QStringLiteral("Tile &Horizontally")), &QAction::triggered, this,
            &frmMDIRealTime::tileHorizontally);
    connect(window->addAction(QStringLiteral("Tile Vertically")), &QAction::triggered, this,
            &frmMDIRealTime::tileVertically);
    connect(window->addAction(QStringLiteral("&Cascade")), &QAction::triggered, this,
            &frmMDIRealTime::cascade);
    QAction* exit = menuBar()->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("MenuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void frmMDIRealTime::load() {
    const HardwareSettings hardware = SettingsFile::readHardware(SettingsFile::defaultPath());
    for (int n = 1; n <= kUnits; ++n) {
        const bool installed = hardware.ports[n - 1] != 0;
        m_regular[n - 1]->setEnabled(installed && !m_units[n - 1]);
        m_dynamic[n - 1]->setEnabled(installed);
    }
}

frmRealTime* frmMDIRealTime::unitWindow(int unit) const {
    if (unit < 1 || unit > kUnits) return nullptr;
    return m_units[unit - 1];
}

void frmMDIRealTime::formLoadError(const QString& description, int number) {
    m_prompt.message(this, QStringLiteral("%1 - %2").arg(description).arg(number),
                     QStringLiteral("Form_Load Error"), Prompt::Icon::Exclamation);
}

frmRealTime* frmMDIRealTime::addRegularUnit(int unit) {
    if (unit < 1 || unit > kUnits || m_units[unit - 1]) return unitWindow(unit);
    const std::optional<int> port = SettingsFile::readPort(SettingsFile::defaultPath(), unit);
    if (!port) {
        formLoadError(QStringLiteral("Input past end of file"), kErrInputPastEndOfFile);
        return nullptr;
    }

    auto* window = new frmRealTime(m_prompt);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setUnitNumber(unit);
    m_units[unit - 1] = window;
    window->InitialInst(m_connection);
    window->setSettings(&m_settings);
    window->setRunningTests(m_running);
    connect(window, &frmRealTime::unloaded, this, &frmMDIRealTime::unitUnloaded);
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    sub->setWindowTitle(window->windowTitle());
    sub->setMinimumSize(sub->minimumSizeHint());
    sub->showMaximized();
    m_regular[unit - 1]->setEnabled(false);
    window->startTimer();

    QString why;
    if (!window->openPort(*port, &why)) {
        formLoadError(why, kErrPortCannotBeOpened);
        return window;
    }
    const QString bob = BobFile::bobOfUnit(BobFile::defaultPath(), unit);
    if (bob.isEmpty()) {
        formLoadError(QStringLiteral("Input past end of file"), kErrInputPastEndOfFile);
        return window;
    }
    window->setMlBobStr(bob);
    return window;
}

void frmMDIRealTime::unitUnloaded(int unit) {
    if (unit < 1 || unit > kUnits) return;
    m_units[unit - 1] = nullptr;
    m_regular[unit - 1]->setEnabled(true);
}

// The unit windows go with the frame, each closing its port. A unit window
// that keeps its running test or its unstored points keeps the frame open.
void frmMDIRealTime::closeEvent(QCloseEvent* event) {
    m_area->closeAllSubWindows();
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (!sub->isHidden()) {
            m_area->setActiveSubWindow(sub);
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void frmMDIRealTime::restoreChildren() {
    for (QMdiSubWindow* sub : m_area->subWindowList())
        if (sub->isMaximized() || sub->isMinimized()) sub->showNormal();
}

// Each unit window a full-width band, one above the other.
void frmMDIRealTime::tileHorizontally() {
    restoreChildren();
    const QList<QMdiSubWindow*> subs = m_area->subWindowList();
    if (subs.isEmpty()) return;
    const QRect r = m_area->viewport()->rect();
    const int h = r.height() / static_cast<int>(subs.size());
    int top = 0;
    for (QMdiSubWindow* sub : subs) {
        sub->setGeometry(0, top, r.width(), h);
        top += sub->height();
    }
}

// Each unit window a full-height column, side by side.
void frmMDIRealTime::tileVertically() {
    restoreChildren();
    const QList<QMdiSubWindow*> subs = m_area->subWindowList();
    if (subs.isEmpty()) return;
    const QRect r = m_area->viewport()->rect();
    const int w = r.width() / static_cast<int>(subs.size());
    int left = 0;
    for (QMdiSubWindow* sub : subs) {
        sub->setGeometry(left, 0, w, r.height());
        left += sub->width();
    }
}

void frmMDIRealTime::cascade() {
    restoreChildren();
    m_area->cascadeSubWindows();
}

}  // namespace tz
