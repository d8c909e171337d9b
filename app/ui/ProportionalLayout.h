#pragma once
// Keeps every control of a window at the same fractions of the client area:
// positions are recorded once at load and re-applied on every resize that is
// not a minimise, so a bench monitor or a laptop shows the same arrangement.
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QWidget>

namespace tz {

class ProportionalLayout {
public:
    struct Ratios {
        float width = 0, height = 0, top = 0, left = 0;
    };

    // Records the direct child widgets of area against its current size.
    void record(QWidget* area);

    // Re-applies the ratios for the new client size; does nothing when either
    // side is 1 pixel or less (the window is minimised). Drop-down lists keep
    // their own height.
    void apply(const QSize& clientSize);

    const QList<Ratios>& ratios() const { return m_ratios; }

private:
    QList<QPointer<QWidget>> m_controls;
    QList<Ratios> m_ratios;
};

}  // namespace tz
