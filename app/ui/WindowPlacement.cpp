#include "app/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tz {

namespace {
// Before the window manager has framed the window its frame is unknown; this
// covers the title bars and borders of the usual desktops.
constexpr QMargins kAssumedFrame(8, 38, 8, 8);
}  // namespace

QMargins windowFrameMargins(const QWidget* window) {
    if (!window->isVisible()) return kAssumedFrame;
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins measured(inner.left() - frame.left(), inner.top() - frame.top(),
                            frame.right() - inner.right(), frame.bottom() - inner.bottom());
    // A window manager that has not reported its frame yet shows none.
    return measured.isNull() ? kAssumedFrame : measured;
}

QRect availableArea(const QWidget* window) {
    const QScreen* s = window->screen();
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
}

void fitAndCentre(QWidget* window, QSize wanted, const QRect& available) {
    const QMargins frame = windowFrameMargins(window);
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = wanted.boundedTo(room)
                           .expandedTo(window->minimumSize())
                           .expandedTo(window->minimumSizeHint());
    window->resize(size);
    const QSize outer(size.width() + frame.left() + frame.right(),
                      size.height() + frame.top() + frame.bottom());
    // Centred; a window larger than the area keeps its title bar on screen.
    const int left = available.left() + std::max(0, (available.width() - outer.width()) / 2);
    const int top = available.top() + std::max(0, (available.height() - outer.height()) / 2);
    window->move(left, top);  // move() places the frame's top-left corner
}

}  // namespace tz
