#include "analysis/ui/SummaryView.h"

#include "analysis/SummaryFields.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tz {

SummaryView::SummaryView(const Settings& settings, double thresholdCp, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("pnlSummary"));
    // The proportional layout of the main window sizes the view; its inner
    // layout must not set a minimum of its own.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* label = new QLabel(QStringLiteral("Threshold (cP):"), this);
    m_threshold = new QDoubleSpinBox(this);
    m_threshold->setObjectName(QStringLiteral("txtThreshold"));
    m_threshold->setRange(0.1, 1000000);
    m_threshold->setDecimals(1);
    m_threshold->setKeyboardTracking(false);
    m_threshold->setValue(thresholdCp);
    m_threshold->setToolTip(QStringLiteral("Viscosity for \"time above\" and the break time"));
    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("grdSummary"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setMinimumSize(0, 0);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_threshold);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);

    connect(m_threshold, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        refresh();
        emit thresholdChosen(v);
    });
    refresh();
}

double SummaryView::threshold() const { return m_threshold->value(); }

void SummaryView::setThreshold(double thresholdCp) {
    const QSignalBlocker quiet(m_threshold);
    m_threshold->setValue(thresholdCp);
    refresh();
}

void SummaryView::showTest(const OpenedTest& test) {
    m_tests = {test};
    refresh();
}

void SummaryView::addTest(const OpenedTest& test) {
    for (const OpenedTest& t : m_tests)
        if (t.info.testId == test.info.testId) return;
    m_tests.append(test);
    refresh();
}

void SummaryView::clear() {
    m_tests.clear();
    refresh();
}

void SummaryView::refresh() {
    QList<TestSummary> summaries;
    int lastRamp = 0;
    for (const OpenedTest& t : m_tests) {
        summaries << summariseTest(t.points, t.info.bobRadius, m_settings, threshold());
        lastRamp = std::max(lastRamp, lastSummaryRamp(summaries.back()));
    }
    m_table->clear();
    const QList<SummaryField> headings = summaryFields(summaries.isEmpty() ? TestSummary{} : summaries.front(),
                                                       m_settings, lastRamp);
    m_table->setRowCount(static_cast<int>(headings.size()));
    m_table->setColumnCount(static_cast<int>(m_tests.size()));
    QStringList rowLabels;
    for (const SummaryField& f : headings) rowLabels << f.heading;
    m_table->setVerticalHeaderLabels(rowLabels);
    QStringList names;
    for (const OpenedTest& t : m_tests) names << t.info.name;
    m_table->setHorizontalHeaderLabels(names);
    for (qsizetype c = 0; c < summaries.size(); ++c) {
        const QList<SummaryField> fields = summaryFields(summaries[c], m_settings, lastRamp);
        for (qsizetype r = 0; r < fields.size(); ++r) {
            auto* item = new QTableWidgetItem(fields[r].text.isEmpty() ? QStringLiteral("-") : fields[r].text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
}

}  // namespace tz
