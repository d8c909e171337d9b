#include "app/ui/ProportionalLayout.h"

#include <QComboBox>

namespace tz {

void ProportionalLayout::record(QWidget* area) {
    m_controls.clear();
    m_ratios.clear();
    const double w = area->width();
    const double h = area->height();
    if (w <= 1 || h <= 1) return;
    for (QWidget* child : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        const QRect g = child->geometry();
        m_controls.append(child);
        m_ratios.append({static_cast<float>(g.width() / w), static_cast<float>(g.height() / h),
                         static_cast<float>(g.top() / h), static_cast<float>(g.left() / w)});
    }
}

void ProportionalLayout::apply(const QSize& clientSize) {
    const double w = clientSize.width();
    const double h = clientSize.height();
    if (w <= 1 || h <= 1) return;
    for (qsizetype i = 0; i < m_controls.size(); ++i) {
        QWidget* c = m_controls[i];
        if (!c) continue;
        const Ratios& r = m_ratios[i];
        const int left = qRound(w * r.left);
        const int top = qRound(h * r.top);
        if (qobject_cast<QComboBox*>(c)) {
            c->move(left, top);
            continue;
        }
        c->setGeometry(left, top, qRound(w * r.width), qRound(h * r.height));
    }
}

}  // namespace tz
