#include "instrument/ui/UnitArrangement.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QWidget>

#include <algorithm>

namespace tz {

namespace {
constexpr int kWideViewsWidth = 340;
}  // namespace

UnitArrangement::UnitArrangement(QWidget& area, const Parts& parts) : m_area(area), m_parts(parts)
{
    m_controls = new QWidget(&m_area);
    m_controls->setObjectName(QStringLiteral("fraControls"));
    m_controlsLayout = new QGridLayout(m_controls);
    m_controlsLayout->setContentsMargins(0, 0, 0, 0);
    m_views = new QWidget(&m_area);
    m_views->setObjectName(QStringLiteral("fraViews"));
    m_viewsLayout = new QBoxLayout(QBoxLayout::LeftToRight, m_views);
    m_viewsLayout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : {m_parts.readings, m_parts.test, m_parts.unit})
        w->setParent(m_controls);
    for (QWidget* w : {m_parts.graph, m_parts.grid})
        w->setParent(m_views);
    m_areaLayout = new QGridLayout(&m_area);
    m_areaLayout->setContentsMargins(6, 4, 6, 4);
    m_areaLayout->setSpacing(6);
    arrange(Shape::Medium);
}

void UnitArrangement::arrange(Shape shape)
{
    if (m_arranged && shape == m_shape)
        return;
    m_arranged = true;
    m_shape = shape;
    for (QWidget* w : {m_parts.title, m_controls, m_parts.points, m_views})
        m_areaLayout->removeWidget(w);
    for (QWidget* w : {m_parts.readings, m_parts.test, m_parts.unit})
        m_controlsLayout->removeWidget(w);
    for (QWidget* w : {m_parts.graph, m_parts.grid})
        m_viewsLayout->removeWidget(w);
    for (int i = 0; i < 4; ++i) {
        m_areaLayout->setRowStretch(i, 0);
        m_areaLayout->setColumnStretch(i, 0);
        m_controlsLayout->setColumnStretch(i, 0);
    }

    switch (shape) {
    case Shape::Wide:
        m_areaLayout->addWidget(m_parts.title, 0, 0, 1, 2);
        m_areaLayout->addWidget(m_controls, 1, 0);
        m_areaLayout->addWidget(m_parts.points, 2, 0);
        m_areaLayout->addWidget(m_views, 1, 1, 2, 1);
        m_areaLayout->setRowStretch(1, 1);
        m_areaLayout->setColumnStretch(1, 1);
        m_viewsLayout->setDirection(QBoxLayout::TopToBottom);
        break;
    case Shape::Medium:
    case Shape::Narrow:
        m_areaLayout->addWidget(m_parts.title, 0, 0);
        m_areaLayout->addWidget(m_controls, 1, 0);
        m_areaLayout->addWidget(m_parts.points, 2, 0);
        m_areaLayout->addWidget(m_views, 3, 0);
        m_areaLayout->setRowStretch(3, 1);
        m_viewsLayout->setDirection(shape == Shape::Medium ? QBoxLayout::LeftToRight
                                                           : QBoxLayout::TopToBottom);
        break;
    }
    if (shape == Shape::Narrow) {
        m_controlsLayout->addWidget(m_parts.readings, 0, 0, 1, 2);
        m_controlsLayout->addWidget(m_parts.test, 1, 0);
        m_controlsLayout->addWidget(m_parts.unit, 1, 1);
    } else {
        m_controlsLayout->addWidget(m_parts.readings, 0, 0);
        m_controlsLayout->addWidget(m_parts.test, 0, 1);
        m_controlsLayout->addWidget(m_parts.unit, 0, 2);
        // In a band the chart beside the controls takes the spare width.
        if (shape == Shape::Medium)
            m_controlsLayout->setColumnStretch(0, 1);
    }
    // The chart takes the larger share; the grid shows a few ramps.
    // Beside the controls the chart needs the width of its key at least.
    m_views->setMinimumWidth(shape == Shape::Wide ? kWideViewsWidth : 0);
    const bool sideBySide = shape == Shape::Medium;
    m_viewsLayout->addWidget(m_parts.graph, sideBySide ? 3 : 2);
    m_viewsLayout->addWidget(m_parts.grid, sideBySide ? 2 : 1);
    m_controlsLayout->invalidate();
    m_viewsLayout->invalidate();
    m_areaLayout->invalidate();
}

QSize UnitArrangement::smallest(Shape shape)
{
    const int i = static_cast<int>(shape);
    if (m_need[i].isValid())
        return m_need[i];
    const Shape was = m_shape;
    arrange(shape);
    m_controlsLayout->activate();
    m_viewsLayout->activate();
    const QSize need = m_areaLayout->minimumSize();
    arrange(was);
    // Before the window is shown the style has not sized the controls yet.
    if (m_area.isVisible())
        m_need[i] = need;
    return need;
}

QSize UnitArrangement::leastOfAll()
{
    const QSize medium = smallest(Shape::Medium), wide = smallest(Shape::Wide),
                narrow = smallest(Shape::Narrow);
    return {std::min({medium.width(), wide.width(), narrow.width()}),
            std::min({medium.height(), wide.height(), narrow.height()})};
}

void UnitArrangement::fit(const QSize& available)
{
    if (available.width() <= 1 || available.height() <= 1)
        return;  // minimised
    auto fits = [&](const QSize& need) {
        return need.width() <= available.width() && need.height() <= available.height();
    };
    const QSize medium = smallest(Shape::Medium);
    const QSize wide = smallest(Shape::Wide);
    const QSize narrow = smallest(Shape::Narrow);
    Shape chosen;
    if (fits(medium))
        chosen = Shape::Medium;
    else if (fits(wide))
        chosen = Shape::Wide;
    else if (fits(narrow))
        chosen = Shape::Narrow;
    else
        // Nothing fits whole: keep the full width and let the window scroll
        // down to the rest.
        chosen = available.width() >= medium.width() ? Shape::Medium : Shape::Narrow;
    arrange(chosen);
    m_area.setMinimumSize(chosen == Shape::Medium ? medium : chosen == Shape::Wide ? wide : narrow);
}

}  // namespace tz
