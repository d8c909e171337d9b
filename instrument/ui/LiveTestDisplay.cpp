#include "instrument/ui/LiveTestDisplay.h"

#include "analysis/ResultsHeading.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "instrument/PointWriter.h"
#include "instrument/ui/LiveChart.h"

#include <QHeaderView>
#include <QSqlQuery>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tz {

LiveTestDisplay::LiveTestDisplay(QTableWidget& grid, QWidget& chartFrame, int unitSystem)
    : QObject(&chartFrame), grid_(grid)
{
    unitSystem_ = unitSystem;
    analysis_.reset(1.5987, unitSystem_);

    chart_ = createLiveChart(&chartFrame);
    chart_->widget()->setObjectName(QStringLiteral("LiveChart"));
    auto* layout = new QVBoxLayout(&chartFrame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(chart_->widget());

    // The heading is built when the window loads.
    showHeading();
    clear();
}

QWidget* LiveTestDisplay::chartView() const
{
    return chart_->widget();
}

void LiveTestDisplay::setUnitSystem(int unitSystem)
{
    unitSystem_ = unitSystem;
    analysis_.reset(1.5987, unitSystem_);
    showHeading();
    clear();
}

void LiveTestDisplay::showHeading()
{
    const QStringList heading = LiveRampAnalysis::heading(unitSystem_);
    grid_.setColumnCount(kResultsColumns);
    QStringList labels;
    for (const QString& h : heading)
        labels << QString(h).replace(u'\r', u'\n');
    grid_.setHorizontalHeaderLabels(labels);
    grid_.horizontalHeader()->setMinimumHeight(grid_.fontMetrics().lineSpacing() * 3 + 8);
    grid_.verticalHeader()->hide();
    // 940 twips a column, or wider where a K unit or value would be cut.
    const int wide = grid_.fontMetrics().horizontalAdvance(QStringLiteral("dyn-s^n/cm2")) + 16;
    grid_.horizontalHeader()->setDefaultSectionSize(std::max(grid_.logicalDpiX() * 940 / 1440, wide));
    grid_.setWordWrap(false);
}

void LiveTestDisplay::startTest(clsConnection& connection, int testId)
{
    double radius = 1.5987;
    QSqlQuery q(connection.ADOConnection());
    if (q.prepare(QStringLiteral("SELECT BOB_RADIUS FROM TEST_INFO WHERE TEST_ID = ?"))) {
        q.addBindValue(testId);
        if (q.exec() && q.next() && !q.value(0).isNull())
            radius = q.value(0).toDouble();
    }
    startTest(radius);
}

void LiveTestDisplay::startTest(double bobRadiusCm)
{
    analysis_.reset(bobRadiusCm, unitSystem_);
    clear();
}

void LiveTestDisplay::clear()
{
    chart_->clear();
    grid_.setRowCount(1);
    grid_.clearContents();
    settledRows_ = 0;
}

void LiveTestDisplay::addPoint(const RecordedPoint& point)
{
    analysis_.add(point);
    showChart();
    showGrid();
}

void LiveTestDisplay::addPoints(const QList<RecordedPoint>& points)
{
    for (const RecordedPoint& p : points)
        analysis_.add(p);
    showChart();
    showGrid();
}

void LiveTestDisplay::showChart()
{
    chart_->show(analysis_.chart());
}

void LiveTestDisplay::showGrid()
{
    const ResultsTable& t = analysis_.cells();
    const int rows = static_cast<int>(t.rows.size());
    // Only the ramp being recorded and any ramp that closed since the last
    // point can have new texts; points out of ramp order may change any row.
    const int from = analysis_.inRampOrder() ? std::min(settledRows_, rows) : 0;
    // The heading row and at least one row below it, as the grid starts.
    grid_.setRowCount(std::max(1, rows));
    for (int row = from; row < rows; ++row)
        for (int col = 0; col < kResultsColumns; ++col) {
            const QString& text = t.rows[row][col];
            QTableWidgetItem* item = grid_.item(row, col);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                grid_.setItem(row, col, item);
            }
            if (item->text() != text)
                item->setText(text);
        }
    settledRows_ = std::max(0, rows - 1);
}

}  // namespace tz
