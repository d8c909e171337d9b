#pragma once
// Where the parts of a unit window go. A unit window lives in the frame
// beside others: maximised, a column of half the frame's width, or a band of
// half its height. The parts are reflowed to the shape the window has, so
// that every reading, button and the status line stay whole; only the live
// chart and the ramp grid grow and shrink.
//
//   Medium (roomy or maximised): title; readings | test | unit; points;
//                                chart | grid.
//   Wide   (a short band):       title; readings | test | unit beside the
//                                chart over the grid; points.
//   Narrow (a column):           title; readings; test | unit; points;
//                                chart over grid.
#include <QPointer>
#include <QSize>

class QBoxLayout;
class QGridLayout;
class QWidget;

namespace tz {

class UnitArrangement {
public:
    enum class Shape { Medium, Wide, Narrow };

    struct Parts {
        QWidget* title = nullptr;     // unit, sequence, test and state
        QWidget* readings = nullptr;  // the live readings
        QWidget* test = nullptr;      // sequence and test commands
        QWidget* unit = nullptr;      // unit commands
        QWidget* points = nullptr;    // what became of the recorded points
        QWidget* graph = nullptr;     // live chart
        QWidget* grid = nullptr;      // per-ramp fits
    };

    // Builds the containers and layouts inside area; the parts are
    // reparented into them.
    UnitArrangement(QWidget& area, const Parts& parts);

    // Chooses the shape that fits the available size best and arranges the
    // parts in it; the area's minimum size becomes what that shape needs (so
    // a window smaller still scrolls instead of squashing controls).
    void fit(const QSize& available);

    Shape shape() const { return m_shape; }
    // The smallest size at which a shape shows every part whole.
    QSize smallest(Shape shape);
    // The smallest size of any shape in each direction: below it no shape fits.
    QSize leastOfAll();

private:
    void arrange(Shape shape);

    QWidget& m_area;
    Parts m_parts;
    QWidget* m_controls = nullptr;
    QWidget* m_views = nullptr;
    QGridLayout* m_areaLayout = nullptr;
    QGridLayout* m_controlsLayout = nullptr;
    QBoxLayout* m_viewsLayout = nullptr;
    Shape m_shape = Shape::Medium;
    QSize m_need[3];  // per shape, once the window is shown
    bool m_arranged = false;
};

}  // namespace tz
