#pragma once
// The main window's Summary view: the test summary of the opened test and of
// every test overlaid on it, one column per test, and the viscosity threshold
// the operator measures them against.
#include "analysis/OpenedTest.h"
#include "app/Settings.h"

#include <QWidget>

class QDoubleSpinBox;
class QTableWidget;

namespace tz {

class SummaryView : public QWidget {
    Q_OBJECT
public:
    SummaryView(const Settings& settings, double thresholdCp, QWidget* parent = nullptr);

    // The opened test, replacing every column.
    void showTest(const OpenedTest& test);
    // An overlaid test, in a column to the right; a test already shown is
    // not added twice.
    void addTest(const OpenedTest& test);
    void clear();
    // Recomputes after the display settings changed.
    void refresh();

    double threshold() const;
    void setThreshold(double thresholdCp);
    QTableWidget* table() const { return m_table; }

signals:
    // The operator set a new threshold (the view is already recomputed).
    void thresholdChosen(double thresholdCp);

private:
    const Settings& m_settings;
    QDoubleSpinBox* m_threshold = nullptr;
    QTableWidget* m_table = nullptr;
    QList<OpenedTest> m_tests;   // the opened test first
};

}  // namespace tz
