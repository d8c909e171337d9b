// The frame's "Dynamic Test" entries: one oscillation window per unit, on the
// same port settings as a unit window; no timer start and no bob here.
#include "app/SettingsFile.h"
#include "instrument/frmDynamic.h"
#include "instrument/frmMDIRealTime.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tz {

frmDynamic* frmMDIRealTime::addDynamicUnit(int unit)
{
    if (unit < 1 || unit > kUnits || !m_dynamic[unit - 1]->isEnabled())
        return nullptr;
    const std::optional<int> port = SettingsFile::readPort(SettingsFile::defaultPath(), unit);
    if (!port) {
        formLoadError(QStringLiteral("Input past end of file"), 62);
        return nullptr;
    }
    auto* window = new frmDynamic(m_prompt);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setUnitNumber(unit);
    // Closing the window gives the unit back: its entry is enabled again.
    connect(window, &frmDynamic::unloaded, this, [this](int n) {
        if (n >= 1 && n <= kUnits) m_dynamic[n - 1]->setEnabled(true);
    });
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    sub->setWindowTitle(window->windowTitle());
    sub->setMinimumSize(sub->minimumSizeHint());
    sub->show();
    m_dynamic[unit - 1]->setEnabled(false);

    QString why;
    if (!window->openPort(*port, &why))
        formLoadError(why, 8002);
    return window;
}

}  // namespace tz
