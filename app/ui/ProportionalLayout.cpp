#include "app/ui/ProportionalLayout.h"

#include <QComboBox>
#include <algorithm>
#include <cmath>

namespace tz {

namespace {

bool keepsItsSize(const QWidget* w) { return qobject_cast<const QComboBox*>(w) != nullptr; }

// The size below which a control cannot go without cutting what it shows, as
// a layout would take it: an explicit minimum wins, otherwise the hint unless
// the control's size policy lets it shrink to nothing.
QSize smallestSize(const QWidget* w) {
    const QSize set = w->minimumSize();
    const QSize hint = w->minimumSizeHint().expandedTo(QSize(0, 0));
    const QSizePolicy policy = w->sizePolicy();
    const int width = set.width() > 0 ? set.width()
                      : policy.horizontalPolicy() == QSizePolicy::Ignored ? 0
                                                                           : hint.width();
    const int height = set.height() > 0 ? set.height()
                       : policy.verticalPolicy() == QSizePolicy::Ignored ? 0
                                                                          : hint.height();
    return {width, height};
}

}  // namespace

void ProportionalLayout::record(QWidget* area) {
    m_controls.clear();
    m_ratios.clear();
    m_fixedSizes.clear();
    const double w = area->width();
    const double h = area->height();
    m_recordedSize = area->size();
    if (w <= 1 || h <= 1) return;
    for (QWidget* child : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        const QRect g = child->geometry();
        m_controls.append(child);
        m_ratios.append({static_cast<float>(g.width() / w), static_cast<float>(g.height() / h),
                         static_cast<float>(g.top() / h), static_cast<float>(g.left() / w)});
        m_fixedSizes.append(keepsItsSize(child) ? g.size() : QSize());
    }
    // Never above the size the window was designed at: a control already too
    // small there is the design's fault, and the window must still fit the
    // screens it was designed for.
    area->setMinimumSize(minimumClientSize().boundedTo(m_recordedSize));
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

QSize ProportionalLayout::minimumClientSize() const {
    double minW = 0, minH = 0;
    const qsizetype n = m_controls.size();
    // Every control at least its own minimum; one that keeps its size must
    // still fit inside the area from where its corner lands.
    for (qsizetype i = 0; i < n; ++i) {
        const QWidget* c = m_controls[i];
        if (!c) continue;
        const Ratios& r = m_ratios[i];
        if (m_fixedSizes[i].isValid()) {
            if (r.left < 1) minW = std::max(minW, m_fixedSizes[i].width() / (1.0 - r.left));
            if (r.top < 1) minH = std::max(minH, m_fixedSizes[i].height() / (1.0 - r.top));
            continue;
        }
        const QSize least = smallestSize(c);
        if (r.width > 0) minW = std::max(minW, least.width() / double(r.width));
        if (r.height > 0) minH = std::max(minH, least.height() / double(r.height));
    }
    // Controls that scale together never meet; one that keeps its size moves
    // towards its neighbour as the area shrinks. Of the ways a pair was apart
    // at load (side by side, one above the other) the cheaper one is kept.
    const double designW = std::max(1, m_recordedSize.width());
    const double designH = std::max(1, m_recordedSize.height());
    auto rectAt = [&](qsizetype i) {
        const Ratios& r = m_ratios[i];
        const QSize fixed = m_fixedSizes[i];
        return QRectF(r.left * designW, r.top * designH,
                      fixed.isValid() ? fixed.width() : r.width * designW,
                      fixed.isValid() ? fixed.height() : r.height * designH);
    };
    for (qsizetype a = 0; a < n; ++a) {
        if (!m_controls[a] || !m_fixedSizes[a].isValid()) continue;
        const QRectF ra = rectAt(a);
        const Ratios& fa = m_ratios[a];
        for (qsizetype b = 0; b < n; ++b) {
            if (b == a || !m_controls[b]) continue;
            const QRectF rb = rectAt(b);
            if (ra.intersects(rb)) continue;  // overlapping by design (stacked views)
            const Ratios& fb = m_ratios[b];
            double needW = -1, needH = -1;
            if (ra.right() <= rb.left() && fb.left > fa.left)
                needW = m_fixedSizes[a].width() / double(fb.left - fa.left);
            if (ra.bottom() <= rb.top() && fb.top > fa.top)
                needH = m_fixedSizes[a].height() / double(fb.top - fa.top);
            // Apart on the far side: both corners scale, the gap only grows.
            if ((ra.left() >= rb.right() || ra.top() >= rb.bottom()) || (needW < 0 && needH < 0))
                continue;
            if (needW >= 0 && needW <= minW) continue;  // already apart enough
            if (needH >= 0 && needH <= minH) continue;
            if (needH < 0 || (needW >= 0 && needW / designW <= needH / designH))
                minW = std::max(minW, needW);
            else
                minH = std::max(minH, needH);
        }
    }
    return {static_cast<int>(std::ceil(minW)) + 1, static_cast<int>(std::ceil(minH)) + 1};
}

}  // namespace tz
