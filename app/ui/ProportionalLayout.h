#pragma once
// Keeps every control of a window at the same fractions of the client area:
// positions are recorded once at load and re-applied on every resize that is
// not a minimise, so a bench monitor or a laptop shows the same arrangement.
//
// Recording also works out the smallest client area at which every control
// still gets its own minimum size (no caption cut, no button squashed) and no
// two controls that were apart at load meet, and sets it as the area's minimum
// size; a window built on this therefore cannot be shrunk into a mess.
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

    // Records the direct child widgets of area against its current size and
    // sets area's minimum size to minimumClientSize(), at most that size.
    void record(QWidget* area);

    // Re-applies the ratios for the new client size; does nothing when either
    // side is 1 pixel or less (the window is minimised). Drop-down lists keep
    // their own height.
    void apply(const QSize& clientSize);

    const QList<Ratios>& ratios() const { return m_ratios; }

    // The smallest client size at which every recorded control is at least
    // its minimum size and no two controls apart at load overlap. Drop-down
    // lists keep the size they had at load, so they weigh on the distance to
    // their neighbours. Worked out from the controls' present size hints:
    // call again (and set it) after contents that change them.
    QSize minimumClientSize() const;

private:
    QList<QPointer<QWidget>> m_controls;
    QList<Ratios> m_ratios;
    QList<QSize> m_fixedSizes;  // drop-down lists: the size they keep; others empty
    QSize m_recordedSize;
};

}  // namespace tz
