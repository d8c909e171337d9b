#include "app/ui/StatusNote.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QWidget>

namespace tz {

QString savedFileNote(const QString& path)
{
    const QFileInfo file(path);
    return QStringLiteral("Saved %1 in %2").arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
}

void showStatusNote(QWidget* w, const QString& text)
{
    if (!w)
        return;
    QWidget* window = w->window();
    if (auto* panel = window->findChild<QLabel*>(QStringLiteral("panelStatus"))) {
        panel->setText(text);
        panel->setToolTip(text);  // a long folder may not fit the panel
        return;
    }
    if (auto* bar = window->findChild<QStatusBar*>())
        bar->showMessage(text);
}

}  // namespace tz
