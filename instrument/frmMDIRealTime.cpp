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

#include <algorithm>

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
    // A unit window that cannot get its minimum size makes the frame scroll;
    // the tile commands avoid that where the frame has room.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    createMenus();
    setMinimumSize(860, 640);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize avail = screen ? screen->availableGeometry().size() : QSize(1280, 800);
    // The whole work area: on a large monitor four units tile readably.
    resize(avail.width() - 20, avail.height() - 40);
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

namespace {

// Rows and columns for n windows: bands (or columns) while each stays at
// least its window's minimum, else a grid with as few rows (or columns) as
// the minimum allows, so that no unit ends up behind the frame's scroll bars.
struct Tiles {
    int rows = 1, columns = 1;
};

Tiles tilesFor(int n, const QSize& space, const QSize& least, bool bands) {
    const int along = bands ? space.height() : space.width();
    const int leastAlong = std::max(1, bands ? least.height() : least.width());
    const int fit = std::clamp(along / leastAlong, 1, n);
    const int across = (n + fit - 1) / fit;       // the fewest that hold n
    const int lines = (n + across - 1) / across;  // even them out
    return bands ? Tiles{lines, across} : Tiles{across, lines};
}

}  // namespace

void frmMDIRealTime::tile(bool bands) {
    restoreChildren();
    QList<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : m_area->subWindowList())
        if (!sub->isHidden()) subs << sub;
    if (subs.isEmpty()) return;
    QSize least;
    for (QMdiSubWindow* sub : subs) least = least.expandedTo(sub->minimumSize());
    const QRect r = m_area->viewport()->rect();
    const int n = static_cast<int>(subs.size());
    const Tiles t = tilesFor(n, r.size(), least, bands);
    // Bands fill row by row; columns fill column by column.
    for (int i = 0; i < n; ++i) {
        const int row = bands ? i / t.columns : i % t.rows;
        const int column = bands ? i % t.columns : i / t.rows;
        const int left = r.width() * column / t.columns, right = r.width() * (column + 1) / t.columns;
        const int top = r.height() * row / t.rows, bottom = r.height() * (row + 1) / t.rows;
        subs[i]->setGeometry(left, top, right - left, bottom - top);
    }
}

// Each unit window a full-width band, one above the other.
void frmMDIRealTime::tileHorizontally() { tile(true); }

// Each unit window a full-height column, side by side.
void frmMDIRealTime::tileVertically() { tile(false); }

void frmMDIRealTime::cascade() {
    restoreChildren();
    m_area->cascadeSubWindows();
}

}  // namespace tz
