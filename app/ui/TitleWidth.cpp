#include "app/ui/TitleWidth.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWidget>
#include <algorithm>

namespace tz {

namespace {
constexpr int kTitleBarExtras = 140;  // icon, three buttons, the borders
constexpr int kWidestDialog = 1200;
}  // namespace

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    return std::min(kWidestDialog, QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtras);
}

void widenForTitle(QWidget* dialog) {
    const int width = titleBarWidth(dialog->windowTitle());
    // Dialogs that size themselves from their layout (message and input
    // boxes) take a strut in it; the others a minimum width.
    auto strut = [width] {
        return new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
    };
    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
        grid->addItem(strut(), grid->rowCount(), 0, 1, grid->columnCount());
    else if (auto* box = qobject_cast<QBoxLayout*>(dialog->layout()))
        box->addItem(strut());
    if (!qobject_cast<QMessageBox*>(dialog))
        dialog->setMinimumWidth(std::max(dialog->minimumWidth(), width));
}

}  // namespace tz
